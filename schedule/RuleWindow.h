// A cheap test, made before the calendar arithmetic, of whether any rule can act on a task row
// at the current second. Every rule acts from ten seconds before the start to fifteen seconds
// after the end of the task's times of day, except the one for a task still marked running.
// On a day without a clock change the local time of day is exact elapsed time since midnight,
// so a row whose window does not contain the current second can be passed over; on a day with a
// change, and for times out of range, every row goes on to the full evaluation.
#pragma once

#include <ctime>
#include <string>

namespace lumetra {

struct TaskRecord;

class CRuleWindow {
public:
    // Prepares for rows read at `now`.
    void SetNow(std::time_t now);
    // False only when no rule can act on the task at the current second.
    bool MayAct(const TaskRecord& task) const;

private:
    std::time_t m_now = -1;
    bool m_regularDay = false;  // the day of m_now is 86400 seconds long, without a clock change
    long m_secondOfDay = 0;     // of m_now since midnight
};

}  // namespace lumetra
