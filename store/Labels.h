// Labels of zones and channels as the trees show them and the database stores them. A label
// carries the identity of what it shows: the number is read back from its leading digits.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace lumetra {

inline constexpr int kChannelCount = 128;

// Element i is non-zero when channel i+1 is selected.
using ChannelFlags = std::array<uint8_t, kChannelCount>;

// The zone that holds every receiver whose AreaID is "0"; it has no row of its own.
inline constexpr const char* kDefaultZoneLabel = "默认编码";

// 5 -> "005FH", 12 -> "012FH"
std::string ZoneCode(int zone);
// "005FH" without a name, "005FH(name)" with one
std::string ZoneLabel(int zone, std::string_view name);
// 7 -> "007CH", 12 -> "012CH", 128 -> "128CH"; "(name)" follows when the speaker has a name
std::string ChannelLabel(int channel, std::string_view speakerName = {});
// An LED screen's label by its position in the list: 0 -> "001CH", 127 -> "128CH".
std::string LedAddressLabel(int position);
// What the history's zones column holds for every receiver.
inline constexpr const char* kAllChannelsText = "全部";
// The receivers switched by a map: "1-2, 5", kAllChannelsText or "无".
std::string ChannelRangesText(const ChannelFlags& flags);
// An item is a channel when characters 3 and 4 of its label are "CH".
bool IsChannelLabel(std::string_view label);
// The leading decimal digits: "003FH(Library)" -> 3, "012CH" -> 12, "默认编码" -> 0.
int LabelNumber(std::string_view label);
// The name between "(" at position 5 and the closing ")": "003FH(Library)" -> "Library", "003FH" -> "".
std::string LabelName(std::string_view label);

}  // namespace lumetra
