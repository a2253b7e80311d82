#include "schedule/TaskConflicts.h"

#include <algorithm>
#include <climits>

namespace lumetra {
namespace {

constexpr long kDay = 86400;

// The times of day a task can be on air, the end carried past midnight when it comes before the
// start; false for times out of range, which the calendar arithmetic carries into other days.
bool DayWindow(const TaskFields& task, long& from, long& to) {
    auto second = [](const HourMinuteSecond& t) {
        const bool valid =
            t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 && t.second >= 0 && t.second < 60;
        return valid ? t.hour * 3600L + t.minute * 60L + t.second : -1L;
    };
    from = second(task.start);
    to = second(task.end);
    if (from < 0 || to < 0) return false;
    if (to <= from) to += kDay;
    return true;
}

// A cheap test before the planning: whether the two tasks' windows of the day, widened by the gap
// and by how far the clock moves over the range, can meet on any day.
bool WindowsMayMeet(const TaskFields& a, const TaskFields& b, long slack) {
    long a0, a1, b0, b1;
    if (!DayWindow(a, a0, a1) || !DayWindow(b, b0, b1)) return true;
    for (long shift = -2 * kDay; shift <= 2 * kDay; shift += kDay)
        if (a0 - slack < b1 + shift && b0 + shift < a1 + slack) return true;
    return false;
}

bool Collide(const PlannedBroadcast& a, const PlannedBroadcast& b, long gap) {
    // A broadcast still on air where the plan ends has no end yet: it runs on past the other.
    const std::time_t aEnd = a.end ? a.end : LLONG_MAX / 2, bEnd = b.end ? b.end : LLONG_MAX / 2;
    return a.start < bEnd + gap && b.start < aEnd + gap;
}

}  // namespace

std::vector<TaskConflict> FindConflicts(CBroadcastPlanner& planner, size_t edited, long firstDay, int days) {
    const long lastDay = firstDay + days - 1;
    const std::vector<TaskFields>& tasks = planner.Tasks();
    const TaskFields& me = tasks[edited];
    std::vector<PlannedBroadcast> mine, theirs;
    planner.Plan(edited, firstDay, lastDay, mine);
    if (mine.empty()) return {};
    long lowest = LONG_MAX, highest = LONG_MIN;
    for (long day = firstDay; day <= lastDay; ++day) {
        const long offset = planner.Noon(day).local.tm_gmtoff;
        lowest = std::min(lowest, offset), highest = std::max(highest, offset);
    }
    const long slack = kTaskGap + (highest - lowest);

    std::vector<TaskConflict> conflicts;
    for (size_t other = 0; other < tasks.size(); ++other) {
        const TaskFields& them = tasks[other];
        if (other == edited || (!me.id.empty() && them.id == me.id)) continue;
        TaskConflict conflict;
        conflict.task = other;
        bool shared = false;
        for (size_t c = 0; c < conflict.sharedZones.size(); ++c)
            shared |= conflict.sharedZones[c] = me.Zones()[c] && them.Zones()[c];
        for (size_t k = 0; k < conflict.sharedOutlets.size(); ++k)
            shared |= conflict.sharedOutlets[k] = me.power.on[k] && them.power.on[k];
        if (!WindowsMayMeet(me, them, slack)) continue;
        // Only tasks that switch the same receivers or outlets need the gap between them.
        const long gap = shared ? kTaskGap : 0;
        for (const PlannedBroadcast& b : mine) {
            const long day = LocalMoment(b.start).dayNumber;
            theirs.clear();
            planner.Plan(other, day - 1, day + 1, theirs);
            const auto hit = std::find_if(theirs.begin(), theirs.end(),
                                          [&](const PlannedBroadcast& t) { return Collide(b, t, gap); });
            if (hit == theirs.end()) continue;
            conflict.mine = b;
            conflict.theirs = *hit;
            conflict.onAirTogether = Collide(b, *hit, 0);
            conflicts.push_back(conflict);
            break;
        }
    }
    std::stable_sort(conflicts.begin(), conflicts.end(), [](const TaskConflict& a, const TaskConflict& b) {
        return a.mine.start < b.mine.start;
    });
    return conflicts;
}

}  // namespace lumetra
