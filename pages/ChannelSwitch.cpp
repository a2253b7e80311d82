#include "pages/ChannelSwitch.h"

#include "link/TransmitterLink.h"

namespace lumetra {

void CChannelSwitch::RefreshFlags(const Ticks& ticks) {
    for (const auto& [channel, ticked] : ticks)
        if (channel >= 1 && channel <= kChannelCount) m_flags[channel - 1] = ticked ? 1 : 0;
}

void CChannelSwitch::OpenSelected() {
    OpenChannels(m_link, m_flags);
}

void CChannelSwitch::OpenAll() {
    m_link.SendAudioCom(AllChannelsImage(1));
    m_flags.fill(1);
}

void CChannelSwitch::CloseSelected() {
    CloseChannels(m_link, m_flags);
    m_flags.fill(0);
}

void CChannelSwitch::CloseAll() {
    CloseAllChannels(m_link);
    m_flags.fill(0);
}

bool CChannelSwitch::TogglePower(int outlet) {
    const bool on = !m_link.PowerSwitch(outlet);
    m_link.SetPowerSwitch(outlet, on);
    m_link.SendPower();
    return on;
}

}  // namespace lumetra
