// What the schedule has switched on for each task, from the task's power-up to its power-down.
// Tasks may overlap: an ending task switches off only the receivers and outlets that no other task
// still needs, and a task whose row is deleted or changed while it is on air can still be ended or
// brought up to date, because its switches are known here and not only in its row.
#pragma once

#include <array>
#include <ctime>
#include <map>
#include <string>

#include "store/Labels.h"
#include "store/OutletSwitches.h"

namespace lumetra {

enum class BroadcastPhase {
    kLead,   // powered up, waiting for its start
    kOnAir,  // started, until its end
    kTail,   // ended, its outlets go off at powerDownAt
};

struct SwitchedTask {
    ChannelFlags channels{};
    OutletSwitches power;  // the row's 外设 when its switches were last set: power.on are its outlets
    std::string timing;    // the row's calendar fields then (TaskFields::timing)
    BroadcastPhase phase = BroadcastPhase::kLead;
    std::time_t powerDownAt = 0;  // in the tail
    // Its row will not bring the power-down (deleted, changed, or closed as stale): the ledger does.
    bool orphan = false;
};

class CSwitchLedger {
public:
    SwitchedTask* Find(const std::string& id);
    SwitchedTask& Enter(const std::string& id) { return m_tasks[id]; }
    void Erase(const std::string& id) { m_tasks.erase(id); }
    std::map<std::string, SwitchedTask>& Tasks() { return m_tasks; }

    // What the tasks other than `id` need now: those powered up or on air.
    ChannelFlags ChannelsNeededBesides(const std::string& id) const;
    OutletSet OutletsNeededBesides(const std::string& id) const;

private:
    std::map<std::string, SwitchedTask> m_tasks;  // by task ID
};

// The flags of `wanted` that `needed` does not hold.
ChannelFlags ChannelsNotIn(const ChannelFlags& wanted, const ChannelFlags& needed);
bool AnyChannel(const ChannelFlags& flags);

}  // namespace lumetra
