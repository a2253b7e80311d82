#include "schedule/SwitchBoard.h"

#include <algorithm>

#include "base/Logger.h"
#include "link/TransmitterLink.h"
#include "schedule/TaskFields.h"

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
    OutletsChanged();
}

void CSwitchBoard::SendOutletsOrClose(SwitchSource source, const OutletSet& staying) {
    if (std::any_of(staying.begin(), staying.end(), [](bool on) { return on; })) return SendOutlets(source);
    Logger().Log("switch board: every outlet off for %s", SourceName(source));
    m_link.ClosePower();
    OutletsChanged();
}

void CSwitchBoard::OutletsChanged() {
    for (size_t i = 0; i < m_byHand.size(); ++i) m_byHand[i] = m_byHand[i] && m_outlets[i];
    if (m_outletsListener) m_outletsListener(m_outlets, m_byHand);
}

void CSwitchBoard::SetOutletsListener(OutletsListener listener) {
    std::lock_guard lock(m_lock);
    m_outletsListener = std::move(listener);
}

void CSwitchBoard::StartFrom(const OutletSet& on, const OutletSet& byHand) {
    std::lock_guard lock(m_lock);
    m_outlets = on;
    for (size_t i = 0; i < m_byHand.size(); ++i) m_byHand[i] = byHand[i] && on[i];
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
    const auto index = static_cast<size_t>(outlet - 1);
    m_outlets[index] = !m_outlets[index];
    m_byHand[index] = m_outlets[index];
    SendOutlets(SwitchSource::kOperator);
    return m_outlets[index];
}

void CSwitchBoard::PowerUp(const OutletSwitches& power, const OutletSet& keep) {
    std::lock_guard lock(m_lock);
    if (!Passes(SwitchSource::kTask, true)) return;
    m_outlets = power.AppliedTo(m_outlets);
    for (size_t i = 0; i < m_outlets.size(); ++i) m_outlets[i] = m_outlets[i] || keep[i];
    SendOutlets(SwitchSource::kTask);
}

void CSwitchBoard::PowerDown(const OutletSet& keep) {
    std::lock_guard lock(m_lock);
    if (!Passes(SwitchSource::kTask, true)) return;
    for (size_t i = 0; i < m_outlets.size(); ++i) m_outlets[i] = m_outlets[i] && keep[i];
    SendOutletsOrClose(SwitchSource::kTask, keep);
}

void CSwitchBoard::ChangeOutlets(const OutletSet& on, const OutletSet& off) {
    std::lock_guard lock(m_lock);
    if (!Passes(SwitchSource::kTask, true)) return;
    for (size_t i = 0; i < m_outlets.size(); ++i) m_outlets[i] = on[i] || (m_outlets[i] && !off[i]);
    SendOutlets(SwitchSource::kTask);
}

void CSwitchBoard::PowerDownForExit() {
    std::lock_guard lock(m_lock);
    if (m_outlets == m_byHand) return;
    m_outlets = m_byHand;
    SendOutletsOrClose(SwitchSource::kExit, m_outlets);
}

void CSwitchBoard::Hold() {
    std::lock_guard lock(m_lock);
    m_held = true;
    Logger().Log("switch board: everything on for %s", SourceName(SwitchSource::kEmergency));
    m_channels.fill(1);
    m_link.SendAudioCom(AllChannelsImage(1));
    m_outlets.fill(true);
    m_link.SendPower(m_outlets);
    OutletsChanged();
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
        // On again too: the transmitter may have missed a frame while everything was held on.
        SendChannels(channels, true, SwitchSource::kTask);
        ChannelFlags all{};
        all.fill(1);
        SendChannels(ChannelsNotIn(all, channels), false, SwitchSource::kTask);
    } else {
        m_channels.fill(0);
        CloseAllChannels(m_link);
    }
    m_outlets = outlets;
    SendOutletsOrClose(SwitchSource::kTask, m_outlets);
}

bool CSwitchBoard::Outlet(int number) const {
    std::lock_guard lock(m_lock);
    return ValidOutlet(number) && m_outlets[static_cast<size_t>(number - 1)];
}

OutletSet CSwitchBoard::Outlets() const {
    std::lock_guard lock(m_lock);
    return m_outlets;
}

OutletSet CSwitchBoard::OutletsByHand() const {
    std::lock_guard lock(m_lock);
    return m_byHand;
}

ChannelFlags CSwitchBoard::ChannelsOn() const {
    std::lock_guard lock(m_lock);
    return m_channels;
}

}  // namespace lumetra
