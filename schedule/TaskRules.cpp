#include "schedule/TaskRules.h"

#include "store/Statements.h"

namespace lumetra {

RuleMoments::RuleMoments(std::time_t now, const CSchoolCalendar& calendar)
    : now(now), powerUpDay(now + kPowerUpLead), powerDownDay(now - kPowerDownDelay), calendar(calendar) {}

DueRules RulesAt(const TaskFields& task, const RuleMoments& at) {
    DueRules rules;
    const bool running = task.state == TaskState::kRunning;
    const int dueToday = DueCountToday(task, at.now, at.calendar);
    const TaskTimesResult today = TaskTimes(task, at.now);

    const int dueForPowerUp = DueCountToday(task, at.powerUpDay, at.calendar);
    if (dueForPowerUp > 0 && at.now.time == task.MomentsOn(at.powerUpDay).start - kPowerUpLead) {
        rules = {Rule::kPowerUp, dueForPowerUp};
    } else if (dueToday > 0 && today.sinceStart == 0) {
        rules = {Rule::kStart, dueToday};
    } else if (dueToday > 0 && today.sinceStart > 0 && today.sinceStart < today.duration && !running) {
        rules = {Rule::kLateStart, dueToday};
    }

    // Running outside today's window: left over from a pass that missed the end, or from a
    // program that was down (killed during the broadcast, or the day before).
    const bool stale = running && (dueToday == 0 || today.sinceEnd > 0 || today.sinceStart < -kPowerUpLead);
    const int dueForPowerDown = DueCountToday(task, at.powerDownDay, at.calendar);
    if (dueToday > 0 && today.sinceEnd == 0) {
        rules.end = Rule::kEnd, rules.endTimes = dueToday;
    } else if (stale) {
        rules.end = Rule::kStaleClose, rules.endTimes = 1;
    } else if (dueForPowerDown > 0 && at.now.time == task.MomentsOn(at.powerDownDay).end + kPowerDownDelay) {
        rules.end = Rule::kPowerDown, rules.endTimes = dueForPowerDown;
    }
    return rules;
}

}  // namespace lumetra
