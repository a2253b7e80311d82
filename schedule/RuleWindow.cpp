#include "schedule/RuleWindow.h"

#include <algorithm>

#include "schedule/TaskRecord.h"
#include "schedule/TimeOfDay.h"
#include "store/Statements.h"

namespace lumetra {
namespace {

constexpr long kSecondsPerDay = 86400;
constexpr long kEarliestRule = 10;  // power-up, before the start
constexpr long kLatestRule = 15;    // power-down, after the end

std::time_t LocalMidnight(const std::tm& day, int daysLater) {
    std::tm midnight{};
    midnight.tm_year = day.tm_year;
    midnight.tm_mon = day.tm_mon;
    midnight.tm_mday = day.tm_mday + daysLater;
    midnight.tm_isdst = -1;
    return std::mktime(&midnight);
}

// Seconds since midnight of a time of day, or -1 when a field is out of range (such a time is
// carried into another day by the calendar arithmetic).
long SecondOfDay(const std::string& text) {
    const HourMinuteSecond hms = ParseTimeOfDay(text);
    if (hms.hour < 0 || hms.hour > 23 || hms.minute < 0 || hms.minute > 59 || hms.second < 0 ||
        hms.second > 59)
        return -1;
    return hms.hour * 3600L + hms.minute * 60L + hms.second;
}

}  // namespace

void CRuleWindow::SetNow(std::time_t now) {
    if (now == m_now) return;
    m_now = now;
    // Worked out afresh for every new second, so a change of the time zone is seen at once.
    std::tm local{};
    localtime_r(&now, &local);
    const std::time_t midnight = LocalMidnight(local, 0);
    // A clock change makes the day shorter or longer than 86400 seconds.
    m_regularDay = LocalMidnight(local, 1) - midnight == kSecondsPerDay;
    m_secondOfDay = static_cast<long>(now - midnight);
}

bool CRuleWindow::MayAct(const TaskRecord& task) const {
    if (!m_regularDay || task.state == sql::kStateRunning) return true;
    const long start = SecondOfDay(task.startTime);
    const long end = SecondOfDay(task.endTime);
    if (start < 0 || end < 0) return true;
    return m_secondOfDay >= std::min(start, end) - kEarliestRule &&
           m_secondOfDay <= std::max(start, end) + kLatestRule;
}

}  // namespace lumetra
