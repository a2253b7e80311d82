#include "schedule/AutoShutdown.h"

#include "link/Logger.h"
#include "schedule/Clock.h"
#include "schedule/PowerControl.h"
#include "schedule/ShutdownTimerOwner.h"
#include "schedule/TimeOfDay.h"
#include "store/Database.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"

namespace lumetra {
namespace {

constexpr long kSecondsPerDay = 86400;

}  // namespace

CAutoShutdown::CAutoShutdown(CDatabase& db, IClock& clock, IPowerControl& power)
    : m_db(db), m_clock(clock), m_power(power) {}

void CAutoShutdown::Load() {
    // A record set of its own, so a page walking the shared one is not disturbed.
    CRecordset rows(m_db);
    rows.Open(sql::kSelectShutdown);
    const bool enabled = rows.GetFieldText("启用关机") == "1";
    const std::string time = rows.GetFieldText("关机时间");
    m_bEnabled = enabled;
    if (time.empty()) return;
    const HourMinuteSecond hms = ParseTimeOfDay(time);
    m_nHour = hms.hour;
    m_nMinute = hms.minute;
    m_nSecond = hms.second;
}

void CAutoShutdown::Arm() {
    if (m_pWindow) m_pWindow->KillShutdownTimer();
    m_period = std::chrono::milliseconds(-1);
    Load();
    if (m_bEnabled) StartTimer(std::chrono::seconds(SecondsUntilShutdown(m_clock.Now())));
}

void CAutoShutdown::Save(bool enable, int hour, int minute, int second) {
    m_db.ExecuteSql(FormatSql(sql::kSetShutdown, enable ? 1 : 0, hour, minute, second));
    m_bEnabled = enable;
    m_nHour = hour;
    m_nMinute = minute;
    m_nSecond = second;
    if (m_pWindow) m_pWindow->KillShutdownTimer();
    m_period = std::chrono::milliseconds(-1);
    if (enable) Arm();
}

void CAutoShutdown::OnTimer() {
    PowerOff();
}

bool CAutoShutdown::PowerOff() {
    std::string reason;
    if (m_power.PowerOff(&reason)) {
        Logger().Log("AutoShutdown: power-off requested");
        return true;
    }
    Logger().Log("AutoShutdown: power-off refused: %s", reason.c_str());
    // A timer armed exactly at the shutdown time has a period of 0 and would fire again at
    // once, for ever; the next occurrence of that time is a day away.
    if (m_period == std::chrono::milliseconds(0)) StartTimer(std::chrono::seconds(kSecondsPerDay));
    return false;
}

long CAutoShutdown::SecondsUntilShutdown(std::time_t now) const {
    std::tm local{};
    localtime_r(&now, &local);
    long delay = ((static_cast<long>(m_nHour) - local.tm_hour) * 60 + (m_nMinute - local.tm_min)) * 60 +
                 (m_nSecond - local.tm_sec);
    // A time that has passed today is taken tomorrow. Taken modulo a day, a stored time out of
    // range ("25:0:0", "-1:0:0") still gives a period between 0 and one day.
    return ((delay % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay;
}

void CAutoShutdown::StartTimer(std::chrono::milliseconds period) {
    m_period = period;
    if (m_pWindow) m_pWindow->StartShutdownTimer(period);
}

}  // namespace lumetra
