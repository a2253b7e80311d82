#include "store/TargetChannels.h"

#include <vector>

#include "base/NumberText.h"
#include "store/SplitString.h"

namespace lumetra {

ChannelFlags TargetChannelsOf(std::string_view text) {
    std::vector<std::string> entries;
    SplitString(text, entries, '|');
    ChannelFlags channels{};
    for (size_t i = 0; i < entries.size() && i < channels.size(); ++i)
        channels[i] = LeadingInt(entries[i]) != 0;
    return channels;
}

std::string TargetChannelsText(const ChannelFlags& channels) {
    std::string text;
    text.reserve(2 * channels.size());
    for (size_t i = 0; i < channels.size(); ++i) {
        if (i) text += '|';
        text += channels[i] ? '1' : '0';
    }
    return text;
}

}  // namespace lumetra
