// Which of the scheduler's rules act on a task at one second. The rules, by what they do:
//   power-up     ten seconds before the start: outlets on, receivers on
//   start        at the start second: the play list handed over, the task marked running
//   late start   inside the broadcast window of a task not marked running: everything at once
//   end          at the end second: receivers off, playback stopped, the task marked done
//   stale close  a task still marked running outside its window (no pass saw its end, or the
//                program was down): receivers off, marked done, outlets off 15 s later
//   power-down   fifteen seconds after the end: outlets off
// Power-up and power-down belong to the day of the start and the end they are measured from, so a
// task at 00:00:05 is powered up at 23:59:55 of the day before.
#pragma once

#include "schedule/TaskFields.h"

namespace lumetra {

inline constexpr long kPowerUpLead = 10;     // seconds before the start
inline constexpr long kPowerDownDelay = 15;  // seconds after the end

enum class Rule { kNone, kPowerUp, kStart, kLateStart, kEnd, kStaleClose, kPowerDown };

// At most one start rule (power-up, start, late start) and one end rule (end, stale close,
// power-down), each with the number of times it acts: a weekly task whose week-day digit appears
// twice is evaluated twice.
struct DueRules {
    Rule start = Rule::kNone;
    int startTimes = 0;
    Rule end = Rule::kNone;
    int endTimes = 0;
};

// The moments a rule evaluation looks at: the second itself, and the seconds whose day the
// power-up and the power-down are measured from; and the calendar that says what each day runs.
struct RuleMoments {
    RuleMoments(std::time_t now, const CSchoolCalendar& calendar);
    LocalMoment now, powerUpDay, powerDownDay;
    const CSchoolCalendar& calendar;
};

DueRules RulesAt(const TaskFields& task, const RuleMoments& at);

}  // namespace lumetra
