#include "store/SplitString.h"

namespace lumetra {

void SplitString(std::string_view text, std::vector<std::string>& pieces, char separator) {
    pieces.clear();
    size_t start = 0;
    while (start < text.size()) {
        const size_t found = text.find(separator, start);
        if (found == std::string_view::npos) break;
        if (found == start) break;  // an empty piece ahead: the rest stays whole
        pieces.emplace_back(text.substr(start, found - start));
        start = found + 1;
    }
    if (start < text.size()) pieces.emplace_back(text.substr(start));
}

}  // namespace lumetra
