// The one owner of what the transmitter has switched on: the 128 receivers and the four outlets.
// The schedule, the operator, the emergency, the announcements and the exit sequence all switch
// through it, from any thread. Each request is one short critical section that works out the new
// state and queues its frame on the link (which never waits), so the frames reach the wire in the
// order the state changed and no request ever works on another's stale reading: an operator's
// toggle cannot be undone by a power-up computed a moment earlier.
#pragma once

#include <functional>
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

    // Told, under the board's lock, of the outlets after every frame that sets them; must only post.
    using OutletsListener = std::function<void(const OutletSet& on, const OutletSet& byHand)>;
    void SetOutletsListener(OutletsListener listener);
    // Where the outlets were left by the last run (kept by the listener), before any request.
    void StartFrom(const OutletSet& on, const OutletSet& byHand);

    // Receivers: the flagged ones on or off ("channels" frame with the map), or every one.
    void SwitchChannels(const ChannelFlags& flags, bool on, SwitchSource source);
    void SwitchAllChannels(bool on, SwitchSource source);

    // Inverts outlet 1..4 and sends all four; the outlet's new state (false for no such outlet).
    bool ToggleOutlet(int outlet);
    // A task's power-up: its 外设 applied to the outlets ("1" on, "0" off, anything else kept),
    // and every outlet in `keep` on, then all four sent.
    void PowerUp(const OutletSwitches& power, const OutletSet& keep);
    // Every outlet outside `keep` off: ClosePower when none stays on, else all four sent.
    void PowerDown(const OutletSet& keep);
    // The outlets of `on` on and those of `off` off, then all four sent.
    void ChangeOutlets(const OutletSet& on, const OutletSet& off);

    // The exit: every outlet that a task, the emergency or an announcement switched on goes off;
    // those the operator switched on by hand stay. Nothing is sent when none needs to go off.
    void PowerDownForExit();

    // The emergency: every receiver and outlet on, sent at once (again on a second call). While
    // held, nothing a task asks for is sent, nor an announcement's switch-off: the schedule keeps
    // its ledger, and the hold's end restores what it needs.
    void Hold();
    void EndHold();
    bool Held() const;
    // After a hold: exactly `outlets` on, the receivers of `channels` on and every other one off.
    void Restore(const ChannelFlags& channels, const OutletSet& outlets);

    bool Outlet(int number) const;
    OutletSet Outlets() const;
    // The outlets on because the operator switched them on by hand.
    OutletSet OutletsByHand() const;
    ChannelFlags ChannelsOn() const;

private:
    // Whether a request of `source` that switches something off goes out now; `lock` held.
    bool Passes(SwitchSource source, bool switchesOff) const;
    void SendChannels(const ChannelFlags& flags, bool on, SwitchSource source);
    void SendOutlets(SwitchSource source);
    // ClosePower when none of `staying` is on, else all four.
    void SendOutletsOrClose(SwitchSource source, const OutletSet& staying);
    // An outlet that goes off is no longer the operator's; the listener learns the new state.
    void OutletsChanged();

    CTransmitterLink& m_link;
    mutable std::mutex m_lock;  // guards the five below and keeps the frames in their order
    ChannelFlags m_channels{};
    OutletSet m_outlets{};
    OutletSet m_byHand{};  // on by the operator's toggle, whoever else needs them since
    bool m_held = false;
    OutletsListener m_outletsListener;
};

}  // namespace lumetra
