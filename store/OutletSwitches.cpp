#include "store/OutletSwitches.h"

namespace lumetra {

OutletSet OutletSwitches::AppliedTo(OutletSet outlets) const {
    for (size_t i = 0; i < outlets.size(); ++i) outlets[i] = on[i] || (outlets[i] && !off[i]);
    return outlets;
}

OutletSwitches OutletSwitchesOf(std::string_view text) {
    OutletSwitches switches;
    for (size_t i = 0; i < switches.on.size() && i < text.size(); ++i) {
        switches.on[i] = text[i] == '1';
        switches.off[i] = text[i] == '0';
    }
    return switches;
}

std::string OutletSwitchesText(const OutletSet& on) {
    std::string text;
    for (bool outlet : on) text += outlet ? '1' : '0';
    return text;
}

}  // namespace lumetra
