#include "store/Labels.h"

#include <vector>

#include "base/NumberText.h"

namespace lumetra {
namespace {

std::string Padded(int number, const char* suffix) {
    std::string digits = std::to_string(number);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return digits + suffix;
}

std::string WithName(std::string code, std::string_view name) {
    if (name.empty()) return code;
    code += '(';
    code += name;
    code += ')';
    return code;
}

}  // namespace

std::string ZoneCode(int zone) {
    return Padded(zone, "FH");
}

std::string ZoneLabel(int zone, std::string_view name) {
    return WithName(ZoneCode(zone), name);
}

std::string ChannelRangesText(const ChannelFlags& flags) {
    std::vector<int> channels;
    for (int i = 0; i < kChannelCount; ++i)
        if (flags[static_cast<size_t>(i)]) channels.push_back(i + 1);
    if (channels.empty()) return "无";
    return static_cast<int>(channels.size()) == kChannelCount ? kAllChannelsText : NumberRanges(channels);
}

std::string ChannelLabel(int channel, std::string_view speakerName) {
    return WithName(Padded(channel, "CH"), speakerName);
}

std::string LedAddressLabel(int position) {
    return ChannelLabel(position + 1);
}

bool IsChannelLabel(std::string_view label) {
    return label.size() >= 5 && label.substr(3, 2) == "CH";
}

int LabelNumber(std::string_view label) {
    return LeadingInt(label);
}

std::string LabelName(std::string_view label) {
    // Only a label of the form "CODE(name)" has a name; anything else (the default zone) has none.
    if (label.size() < 7 || label[5] != '(' || label.back() != ')') return {};
    return std::string(label.substr(6, label.size() - 7));
}

}  // namespace lumetra
