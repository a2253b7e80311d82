#include "schedule/BroadcastPlan.h"

#include <algorithm>
#include <cstdint>

#include "store/Statements.h"
#include "store/TaskTable.h"

namespace lumetra {

StoredSchedule ReadStoredSchedule(CDatabase& db) {
    return {CTaskTable(db).ReadAll(), ReadSchoolCalendar(db)};
}

CBroadcastPlanner::CBroadcastPlanner(std::vector<TaskFields> tasks, const CSchoolCalendar& calendar)
    : m_tasks(std::move(tasks)), m_calendar(calendar) {}

const LocalMoment& CBroadcastPlanner::Noon(long day) {
    auto found = m_noons.find(day);
    if (found == m_noons.end()) found = m_noons.emplace(day, NoonOf(day)).first;
    return found->second;
}

const RuleMoments& CBroadcastPlanner::MomentsAt(std::time_t second) {
    auto found = m_moments.find(second);
    if (found == m_moments.end()) found = m_moments.try_emplace(second, second, m_calendar).first;
    return found->second;
}

void CBroadcastPlanner::Plan(size_t index, long firstDay, long lastDay, std::vector<PlannedBroadcast>& out) {
    TaskFields& task = m_tasks[index];
    // The seconds at which a rule can act on a due day: the power-up, the start, the end, the
    // power-down, and the next midnight, where a broadcast still marked running is closed. A day
    // either side, for power-ups before midnight and ends after it.
    m_candidates.clear();
    for (long day = firstDay - 1; day <= lastDay + 1; ++day) {
        const LocalMoment& noon = Noon(day);
        if (!IsDueToday(task, noon, m_calendar)) continue;
        const TaskFields::DayMoments& moments = task.MomentsOn(noon);
        m_candidates.insert(m_candidates.end(),
                            {moments.start - kPowerUpLead, moments.start, moments.end,
                             moments.end + kPowerDownDelay, LocalTimeOf(Noon(day + 1), 0, 0, 0)});
    }
    std::sort(m_candidates.begin(), m_candidates.end());
    m_candidates.erase(std::unique(m_candidates.begin(), m_candidates.end()), m_candidates.end());

    const TaskState savedState = task.state;
    task.state = TaskState::kIdle;
    const size_t first = out.size();
    PlannedBroadcast next{index, -1, 0, 0, 0};  // the power-up waiting for its start
    constexpr size_t kNone = SIZE_MAX;
    size_t open = kNone;    // on air
    size_t closed = kNone;  // waiting for its power-down
    for (const std::time_t second : m_candidates) {
        const DueRules rules = RulesAt(task, MomentsAt(second));
        if (rules.start == Rule::kPowerUp) next.powerUp = second;
        if (rules.start == Rule::kStart || rules.start == Rule::kLateStart) {
            task.state = TaskState::kRunning;
            next.start = second;
            if (next.powerUp < 0) next.powerUp = second;
            open = out.size();
            out.push_back(next);
            next.powerUp = -1;
        }
        if (rules.end == Rule::kPowerDown && closed != kNone) {
            out[closed].powerDown = second;
            closed = kNone;
        }
        if ((rules.end == Rule::kEnd || rules.end == Rule::kStaleClose) && open != kNone) {
            task.state = TaskState::kDone;
            out[open].end = second;
            out[open].powerDown = second + kPowerDownDelay;  // a stale close powers down after the same delay
            closed = rules.end == Rule::kEnd ? open : kNone;
            open = kNone;
        }
    }
    task.state = savedState;
    // Only the broadcasts that start inside the range; one still on air at its end keeps no end.
    auto outside = [&](const PlannedBroadcast& b) {
        const long day = LocalMoment(b.start).dayNumber;
        return day < firstDay || day > lastDay;
    };
    out.erase(std::remove_if(out.begin() + static_cast<long>(first), out.end(), outside), out.end());
}

std::vector<PlannedBroadcast> CBroadcastPlanner::PlanAll(long firstDay, long lastDay) {
    std::vector<PlannedBroadcast> all;
    for (size_t i = 0; i < m_tasks.size(); ++i) Plan(i, firstDay, lastDay, all);
    std::stable_sort(all.begin(), all.end(),
                     [](const PlannedBroadcast& a, const PlannedBroadcast& b) { return a.start < b.start; });
    return all;
}

}  // namespace lumetra
