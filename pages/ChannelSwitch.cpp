#include "pages/ChannelSwitch.h"

#include "station/Station.h"

namespace lumetra {

void CChannelSwitch::RefreshFlags(const Ticks& ticks) {
    for (const auto& [channel, ticked] : ticks)
        if (channel >= 1 && channel <= kChannelCount) m_flags[channel - 1] = ticked ? 1 : 0;
}

void CChannelSwitch::OpenSelected() {
    m_station.SwitchChannels(m_flags, true);
}

void CChannelSwitch::OpenAll() {
    m_station.SwitchAllChannels(true);
    m_flags.fill(1);
}

void CChannelSwitch::CloseSelected() {
    m_station.SwitchChannels(m_flags, false);
    m_flags.fill(0);
}

void CChannelSwitch::CloseAll() {
    m_station.SwitchAllChannels(false);
    m_flags.fill(0);
}

bool CChannelSwitch::TogglePower(int outlet) {
    return m_station.ToggleOutlet(outlet);
}

}  // namespace lumetra
