#include "pages/ChannelSwitch.h"

#include "station/Station.h"

namespace lumetra {

void CChannelSwitch::RefreshFlags(const Ticks& ticks) {
    for (const auto& [channel, ticked] : ticks)
        if (channel >= 1 && channel <= kChannelCount) m_flags[channel - 1] = ticked ? 1 : 0;
}

bool CChannelSwitch::OpenSelected() {
    return m_station.SwitchChannels(m_flags, true);
}

bool CChannelSwitch::OpenAll() {
    if (!m_station.SwitchAllChannels(true)) return false;
    m_flags.fill(1);
    return true;
}

bool CChannelSwitch::CloseSelected() {
    if (!m_station.SwitchChannels(m_flags, false)) return false;
    m_flags.fill(0);
    return true;
}

bool CChannelSwitch::CloseAll() {
    if (!m_station.SwitchAllChannels(false)) return false;
    m_flags.fill(0);
    return true;
}

bool CChannelSwitch::TogglePower(int outlet) {
    return m_station.ToggleOutlet(outlet);
}

}  // namespace lumetra
