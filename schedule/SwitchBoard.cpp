#include "schedule/SwitchBoard.h"

#include <algorithm>

#include "base/Logger.h"
#include "link/TransmitterLink.h"
#include "schedule/TaskRecord.h"

namespace lumetra {

namespace {

const char* SourceName(SwitchSource source) {
    switch (source) {
        case SwitchSource::kTask:
            return "a task";
        case SwitchSource::kOperator:
            return "the operator";
        case SwitchSource::kEmergency:
            return "the emergency";
        case SwitchSource::kAnnouncement:
            return "an announcement";
        case SwitchSource::kExit:
            return "the exit";
    }
    return "?";
}

bool ValidOutlet(int number) {
    return number >= 1 && number <= 4;
}

}  // namespace

bool CSwitchBoard::Passes(SwitchSource source, bool switchesOff) const {
    if (!m_held) return true;
    return source != SwitchSource::kTask && !(source == SwitchSource::kAnnouncement && switchesOff);
}

void CSwitchBoard::SendChannels(const ChannelFlags& flags, bool on, SwitchSource source) {
    Logger().Log("switch board: receivers %s for %s", on ? "on" : "off", SourceName(source));
    for (size_t i = 0; i < flags.size(); ++i)
        if (flags[i]) m_channels[i] = on ? 1 : 0;
    if (on)
        OpenChannels(m_link, flags);
    else
        CloseChannels(m_link, flags);
}

void CSwitchBoard::SendOutlets(SwitchSource source) {
    Logger().Log("switch board: outlets for %s", SourceName(source));
    m_link.SendPower(m_outlets);
}

void CSwitchBoard::SwitchChannels(const ChannelFlags& flags, bool on, SwitchSource source) {
    std::lock_guard lock(m_lock);
    if (Passes(source, !on)) SendChannels(flags, on, source);
}

void CSwitchBoard::SwitchAllChannels(bool on, SwitchSource source) {
    std::lock_guard lock(m_lock);
    if (!Passes(source, !on)) return;
    Logger().Log("switch board: every receiver %s for %s", on ? "on" : "off", SourceName(source));
    m_channels.fill(on ? 1 : 0);
    if (on)
        m_link.SendAudioCom(AllChannelsImage(1));
    else
        CloseAllChannels(m_link);
}

bool CSwitchBoard::ToggleOutlet(int outlet) {
    if (!ValidOutlet(outlet)) return false;
    std::lock_guard lock(m_lock);
    bool& on = m_outlets[static_cast<size_t>(outlet - 1)];
    on = !on;
    SendOutlets(SwitchSource::kOperator);
    return on;
}

void CSwitchBoard::PowerUp(const std::string& power, const OutletSet& keep) {
    std::lock_guard lock(m_lock);
    if (!Passes(SwitchSource::kTask, true)) return;
    ApplyPowerSwitches(power, m_outlets);
    for (size_t i = 0; i < m_outlets.size(); ++i) m_outlets[i] = m_outlets[i] || keep[i];
    SendOutlets(SwitchSource::kTask);
}

void CSwitchBoard::PowerDown(const OutletSet& keep) {
    std::lock_guard lock(m_lock);
    if (!Passes(SwitchSource::kTask, true)) return;
    for (size_t i = 0; i < m_outlets.size(); ++i) m_outlets[i] = m_outlets[i] && keep[i];
    if (std::none_of(keep.begin(), keep.end(), [](bool on) { return on; })) {
        Logger().Log("switch board: every outlet off for %s", SourceName(SwitchSource::kTask));
        m_link.ClosePower();
    } else {
        SendOutlets(SwitchSource::kTask);
    }
}

void CSwitchBoard::ChangeOutlets(const OutletSet& on, const OutletSet& off) {
    std::lock_guard lock(m_lock);
    if (!Passes(SwitchSource::kTask, true)) return;
    for (size_t i = 0; i < m_outlets.size(); ++i) m_outlets[i] = on[i] || (m_outlets[i] && !off[i]);
    SendOutlets(SwitchSource::kTask);
}

void CSwitchBoard::Hold() {
    std::lock_guard lock(m_lock);
    m_held = true;
    Logger().Log("switch board: everything on for %s", SourceName(SwitchSource::kEmergency));
    m_channels.fill(1);
    m_link.SendAudioCom(AllChannelsImage(1));
    m_outlets.fill(true);
    m_link.SendPower(m_outlets);
}

void CSwitchBoard::EndHold() {
    std::lock_guard lock(m_lock);
    m_held = false;
}

bool CSwitchBoard::Held() const {
    std::lock_guard lock(m_lock);
    return m_held;
}

void CSwitchBoard::Restore(const ChannelFlags& channels, const OutletSet& outlets) {
    std::lock_guard lock(m_lock);
    if (m_held) return;  // held again meanwhile: its own end restores
    Logger().Log("switch board: back to what the tasks need");
    if (AnyChannel(channels)) {
        ChannelFlags all{};
        all.fill(1);
        SendChannels(ChannelsNotIn(all, channels), false, SwitchSource::kTask);
    } else {
        m_channels.fill(0);
        CloseAllChannels(m_link);
    }
    m_outlets = outlets;
    if (std::none_of(outlets.begin(), outlets.end(), [](bool on) { return on; }))
        m_link.ClosePower();
    else
        m_link.SendPower(m_outlets);
}

bool CSwitchBoard::Outlet(int number) const {
    std::lock_guard lock(m_lock);
    return ValidOutlet(number) && m_outlets[static_cast<size_t>(number - 1)];
}

OutletSet CSwitchBoard::Outlets() const {
    std::lock_guard lock(m_lock);
    return m_outlets;
}

ChannelFlags CSwitchBoard::ChannelsOn() const {
    std::lock_guard lock(m_lock);
    return m_channels;
}

}  // namespace lumetra
