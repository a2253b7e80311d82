// 目标区域 as stored: 128 entries joined by "|", entry i "1" when the task switches channel i+1
// and "0" when it does not. An entry is read by its leading number, a target when that is not 0;
// missing entries are no targets, entries past the 128th are ignored.
#pragma once

#include <string>
#include <string_view>

#include "store/Labels.h"

namespace lumetra {

ChannelFlags TargetChannelsOf(std::string_view text);
std::string TargetChannelsText(const ChannelFlags& channels);

}  // namespace lumetra
