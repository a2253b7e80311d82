#include "schedule/RuleWindow.h"

#include <algorithm>

#include "schedule/TaskRules.h"
#include "store/Statements.h"

namespace lumetra {
namespace {

constexpr long kSecondsPerDay = 86400;
// Far enough either way to cover the whole local day of a second and the days its power-up and
// power-down are measured from.
constexpr std::time_t kOffsetSpan = kSecondsPerDay + 3600;

long UtcOffset(std::time_t moment) {
    std::tm local{};
    localtime_r(&moment, &local);
    return local.tm_gmtoff;
}

// Seconds since midnight of a time of day, or -1 when a field is out of range (such a time is
// carried into another day by the calendar arithmetic).
long SecondOfDay(const HourMinuteSecond& hms) {
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
    m_secondOfDay = local.tm_hour * 3600L + local.tm_min * 60L + local.tm_sec;
    m_steadyOffset =
        UtcOffset(now - kOffsetSpan) == local.tm_gmtoff && UtcOffset(now + kOffsetSpan) == local.tm_gmtoff;
}

bool CRuleWindow::MayAct(const TaskFields& task) const {
    if (!m_steadyOffset || task.state == TaskState::kRunning) return true;
    const long start = SecondOfDay(task.start);
    const long end = SecondOfDay(task.end);
    if (start < 0 || end < 0) return true;
    const long first = std::min(start, end) - kPowerUpLead;
    const long last = std::max(start, end) + kPowerDownDelay;
    // A window that reaches over midnight holds the end of the day before or the start of the next.
    return (m_secondOfDay >= first && m_secondOfDay <= last) || m_secondOfDay >= first + kSecondsPerDay ||
           m_secondOfDay <= last - kSecondsPerDay;
}

}  // namespace lumetra
