// Which tasks collide with one being saved: one of their broadcasts is on air while one of its own
// is, whatever they switch, because one sound output serves them both; or they share receivers or
// outlets with it and one of their broadcasts starts less than 30 seconds after one of its own
// ends (or it after theirs). Both sides' broadcasts come from the broadcast planner, so holidays,
// make-up days, week days and once dates count exactly as the scheduler will carry them out.
#pragma once

#include <array>
#include <vector>

#include "schedule/BroadcastPlan.h"

namespace lumetra {

inline constexpr long kTaskGap = 30;       // seconds between one task's end and the next's start
inline constexpr int kConflictDays = 366;  // how far ahead a save looks

struct TaskConflict {
    size_t task = 0;                // index into the planner's tasks
    PlannedBroadcast mine, theirs;  // the first pair that collides
    ChannelFlags sharedZones{};
    OutletSet sharedOutlets{};
    bool onAirTogether = false;  // the pair is on air at the same time, not only too close
};

// The conflicts of task `edited` (an index into the planner's tasks) over `days` days from
// `firstDay`, one per other task, by the day they first collide. Rows with the edited task's ID
// are the task itself and never conflict.
std::vector<TaskConflict> FindConflicts(CBroadcastPlanner& planner, size_t edited, long firstDay,
                                        int days = kConflictDays);

}  // namespace lumetra
