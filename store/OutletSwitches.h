// 外设 as stored: one character per outlet 1 to 4, "1" switches it on at the task's power-up and
// "0" off; any other character, or none, leaves the outlet as it is.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace lumetra {

// Element i is true for outlet i+1.
using OutletSet = std::array<bool, 4>;

struct OutletSwitches {
    OutletSet on{};   // the "1"s
    OutletSet off{};  // the "0"s

    // The outlets after a power-up: `on` switched on, `off` off, the others as they were.
    OutletSet AppliedTo(OutletSet outlets) const;
    bool operator==(const OutletSwitches&) const = default;
};

OutletSwitches OutletSwitchesOf(std::string_view text);
// The stored text of a task that switches `on` on and the other outlets off: "1010".
std::string OutletSwitchesText(const OutletSet& on);

}  // namespace lumetra
