#include "base/NumberText.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace lumetra {

int LeadingInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) value = INT_MAX;  // saturate rather than overflow on absurd input
    }
    return static_cast<int>(negative ? -value : value);
}

std::vector<int> ParseNumberRanges(std::string_view text) {
    std::vector<int> numbers;
    while (!text.empty()) {
        const size_t comma = text.find(',');
        const std::string_view part = text.substr(0, comma);
        const size_t dash = part.find('-');
        const int first = LeadingInt(part);
        // A run never reaches beyond the 128 receivers by much; a damaged text stays cheap.
        const int last =
            dash == std::string_view::npos ? first : std::min(LeadingInt(part.substr(dash + 1)), 4096);
        if (first > 0)
            for (int n = first; n <= last; ++n) numbers.push_back(n);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return numbers;
}

std::string NumberRanges(const std::vector<int>& numbers) {
    std::string text;
    for (size_t i = 0; i < numbers.size();) {
        size_t j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1) ++j;
        if (!text.empty()) text += ", ";
        text += std::to_string(numbers[i]);
        if (j > i) text += "-" + std::to_string(numbers[j]);
        i = j + 1;
    }
    return text;
}

}  // namespace lumetra
