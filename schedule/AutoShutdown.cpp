#include "schedule/AutoShutdown.h"

#include <algorithm>

#include "base/Logger.h"
#include "schedule/BroadcastActivity.h"
#include "schedule/Clock.h"
#include "schedule/PowerControl.h"
#include "schedule/SchoolCalendar.h"
#include "schedule/ShutdownNotice.h"
#include "schedule/ShutdownTimerOwner.h"
#include "schedule/TimeOfDay.h"

namespace lumetra {
namespace {

constexpr long kSecondsPerDay = 86400;

}  // namespace

CAutoShutdown::CAutoShutdown(CDatabase& db, IClock& clock, IPowerControl& power)
    : m_table(db), m_db(db), m_tasks(db), m_clock(clock), m_power(power) {}

void CAutoShutdown::Load() {
    const ShutdownRow row = m_table.Read();
    m_enabled = row.enabled;
    if (row.time.empty()) return;
    const HourMinuteSecond hms = ParseTimeOfDay(row.time);
    m_hour = hms.hour;
    m_minute = hms.minute;
    m_second = hms.second;
}

void CAutoShutdown::Arm() {
    Disarm();
    Load();
    if (m_enabled) ArmFrom(m_clock.Now());
}

void CAutoShutdown::Save(bool enable, int hour, int minute, int second) {
    m_table.Write(enable, hour, minute, second);
    m_enabled = enable;
    m_hour = hour;
    m_minute = minute;
    m_second = second;
    Disarm();
    if (enable) Arm();
}

void CAutoShutdown::OnTimer() {
    if (m_deadline < 0) return;
    const std::time_t now = m_clock.Now();
    if (!m_countingDown) {
        m_countingDown = true;
        StartTimer(kCountdownStep);
    }
    if (now < m_deadline) {
        if (m_notice) m_notice->ShowCountdown(static_cast<long>(m_deadline - now));
        return;
    }
    if (BroadcastHoldsShutdown(now)) {
        if (m_notice) m_notice->ShowWaitingForBroadcast();
        return;
    }
    if (m_notice) m_notice->HideNotice();
    std::string reason;
    const bool accepted = PowerOff(&reason);
    // Tomorrow's shutdown either way: a refusal is not retried in a loop, and an accepted request
    // that the system does not carry out leaves the program running as it was.
    ArmFrom(m_deadline + 1);
    if (!accepted && m_notice) m_notice->ShowPowerOffRefused(reason);
}

void CAutoShutdown::CancelToday() {
    if (!m_countingDown) return;
    Logger().Log("AutoShutdown: today's shutdown cancelled by the operator");
    const std::time_t skipped = m_deadline;
    Disarm();
    ArmFrom(skipped + 1);
}

bool CAutoShutdown::PowerOff(std::string* reason) {
    std::string why;
    if (m_power.PowerOff(&why)) {
        Logger().Log("AutoShutdown: power-off requested");
        return true;
    }
    Logger().Log("AutoShutdown: power-off refused: %s", why.c_str());
    if (reason) *reason = why;
    return false;
}

void CAutoShutdown::CancelPowerOffCall() {
    m_power.CancelCalls();
}

long CAutoShutdown::SecondsUntilShutdown(std::time_t now) const {
    std::tm local{};
    localtime_r(&now, &local);
    long delay = ((static_cast<long>(m_hour) - local.tm_hour) * 60 + (m_minute - local.tm_min)) * 60 +
                 (m_second - local.tm_sec);
    // A time that has passed today is taken tomorrow. Taken modulo a day, a stored time out of
    // range ("25:0:0", "-1:0:0") still gives a period between 0 and one day.
    return ((delay % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay;
}

void CAutoShutdown::ArmFrom(std::time_t from) {
    m_deadline = from + SecondsUntilShutdown(from);
    m_countingDown = false;
    const long untilWarning = std::max<long>(0, static_cast<long>(m_deadline - m_clock.Now()) - kWarningLead);
    StartTimer(std::chrono::seconds(untilWarning));
}

void CAutoShutdown::Disarm() {
    if (m_timerOwner) m_timerOwner->KillShutdownTimer();
    if (m_countingDown && m_notice) m_notice->HideNotice();
    m_deadline = -1;
    m_countingDown = false;
}

bool CAutoShutdown::BroadcastHoldsShutdown(std::time_t now) {
    try {
        return AnyTaskHoldsMachineOn(m_tasks, ReadSchoolCalendar(m_db), now);
    } catch (const std::exception& e) {
        // Without the task table no broadcast can be told apart; the scheduler cannot run one
        // either, so the shutdown goes ahead.
        Logger().Log("AutoShutdown: tasks unreadable, shutting down anyway: %s", e.what());
        return false;
    }
}

void CAutoShutdown::StartTimer(std::chrono::milliseconds period) {
    if (m_timerOwner) m_timerOwner->StartShutdownTimer(period);
}

}  // namespace lumetra
