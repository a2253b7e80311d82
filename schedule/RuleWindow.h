// A cheap test, made before the calendar arithmetic, of whether any rule can act on a task row
// at the current second. Every rule acts from the power-up lead before the start to the
// power-down delay after the end of the task's times of day, except the stale close of a task
// still marked running. While the clock keeps one offset from UTC for a day and more either side,
// the wall-clock time of day is exact time since the day's start, so a row whose window does not
// hold the current second can be passed over; near a clock change, and for times out of range,
// every row goes on to the full evaluation.
#pragma once

#include <ctime>

namespace lumetra {

struct TaskFields;

class CRuleWindow {
public:
    // Prepares for rows evaluated at `now`.
    void SetNow(std::time_t now);
    // False only when no rule can act on the task at the current second.
    bool MayAct(const TaskFields& task) const;

private:
    std::time_t m_now = -1;
    bool m_steadyOffset = false;  // no clock change within a day and an hour of m_now
    long m_secondOfDay = 0;       // wall-clock time of day of m_now
};

}  // namespace lumetra
