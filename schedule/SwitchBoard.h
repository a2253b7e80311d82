// The one owner of what the transmitter has switched on: the 128 receivers and the four outlets.
// The schedule, the operator, the emergency, the announcements and the exit sequence all switch
// through it, from any thread. Each request is one short critical section that works out the new
// state and queues its frame on the link (which never waits), so the frames reach the wire in the
// order the state changed and no request ever works on another's stale reading: an operator's
// toggle cannot be undone by a power-up computed a moment earlier.
#pragma once

#include <mutex>
#include <string>

#include "schedule/SwitchLedger.h"
#include "store/Labels.h"

namespace lumetra {

class CTransmitterLink;

// Who asks for a switch; the log names it with every frame.
enum class SwitchSource { kTask, kOperator, kEmergency, kAnnouncement, kExit };

class CSwitchBoard {
public:
    explicit CSwitchBoard(CTransmitterLink& link) : m_link(link) {}
    CSwitchBoard(const CSwitchBoard&) = delete;
    CSwitchBoard& operator=(const CSwitchBoard&) = delete;

    // Receivers: the flagged ones on or off ("channels" frame with the map), or every one.
    void SwitchChannels(const ChannelFlags& flags, bool on, SwitchSource source);
    void SwitchAllChannels(bool on, SwitchSource source);

    // Inverts outlet 1..4 and sends all four; the outlet's new state (false for no such outlet).
    bool ToggleOutlet(int outlet);
    // A task's power-up: its 外设 applied to the outlets ("1" on, "0" off, anything else kept),
    // and every outlet in `keep` on, then all four sent.
    void PowerUp(const std::string& power, const OutletSet& keep);
    // Every outlet outside `keep` off: ClosePower when none stays on, else all four sent.
    void PowerDown(const OutletSet& keep);
    // The outlets of `on` on and those of `off` off, then all four sent.
    void ChangeOutlets(const OutletSet& on, const OutletSet& off);

    // The emergency: every receiver and outlet on, sent at once (again on a second call). While
    // held, nothing a task asks for is sent, nor an announcement's switch-off: the schedule keeps
    // its ledger, and the hold's end restores what it needs.
    void Hold();
    void EndHold();
    bool Held() const;
    // After a hold: exactly `outlets` on, and every receiver outside `channels` off.
    void Restore(const ChannelFlags& channels, const OutletSet& outlets);

    bool Outlet(int number) const;
    OutletSet Outlets() const;
    ChannelFlags ChannelsOn() const;

private:
    // Whether a request of `source` that switches something off goes out now; `lock` held.
    bool Passes(SwitchSource source, bool switchesOff) const;
    void SendChannels(const ChannelFlags& flags, bool on, SwitchSource source);
    void SendOutlets(SwitchSource source);

    CTransmitterLink& m_link;
    mutable std::mutex m_lock;  // guards the three below and keeps the frames in their order
    ChannelFlags m_channels{};
    OutletSet m_outlets{};
    bool m_held = false;
};

}  // namespace lumetra
