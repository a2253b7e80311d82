// Automatic shutdown: switches the machine off every day at the time of day stored in the
// shut_down table. The station arms it at start-up; the settings page saves new settings through
// the station. A minute ahead the operator is warned with a countdown and may cancel today's
// shutdown; a broadcast task still on the air holds the power-off back until it has ended and its
// outlets are off. Everything but CancelPowerOffCall runs on the station's shutdown thread
// (station/ShutdownThread.h), which owns the timer.
#pragma once

#include <chrono>
#include <ctime>
#include <string>

#include "store/ShutdownTable.h"
#include "store/TaskTable.h"

namespace lumetra {

class CDatabase;
class IClock;
class IPowerControl;
class IShutdownNotice;
class IShutdownTimerOwner;

class CAutoShutdown {
public:
    // How long before the shutdown the countdown starts, and its step.
    static constexpr long kWarningLead = 60;
    static constexpr auto kCountdownStep = std::chrono::seconds(1);

    CAutoShutdown(CDatabase& db, IClock& clock, IPowerControl& power);
    CAutoShutdown(const CAutoShutdown&) = delete;
    CAutoShutdown& operator=(const CAutoShutdown&) = delete;

    // The thread that owns the shutdown timer; set before Arm.
    void SetTimerOwner(IShutdownTimerOwner* owner) { m_timerOwner = owner; }
    // Where the countdown is shown; without one the shutdown happens unannounced.
    void SetNotice(IShutdownNotice* notice) { m_notice = notice; }

    // Reads the first row of shut_down: on exactly when 启用关机 is "1"; 关机时间 "%d:%d:%d"
    // (an empty time keeps the time loaded so far). Throws CDbError.
    void Load();
    // Kills the timer, loads the setting and, when on, starts the timer to fire a minute before
    // the next occurrence of the time (at once when less is left). Throws CDbError (the timer
    // then stays off).
    void Arm();
    // Stores the setting, then applies it. When the database refuses the statement, CDbError
    // passes out and nothing changes: neither the setting held here nor the timer.
    void Save(bool enable, int hour, int minute, int second);
    // The shutdown timer fired: the first time the countdown begins, then every second it goes
    // on; at the shutdown time, once no broadcast holds it back, the machine is powered off and
    // the next shutdown armed for the following day, whether or not the power-off was accepted.
    void OnTimer();
    // The operator cancelled the countdown: today's shutdown is skipped, the setting stays and
    // the next one is armed for the following day.
    void CancelToday();
    // Asks for the power-off and logs the answer. Returns true when the request was accepted,
    // otherwise false with the reason in *reason.
    bool PowerOff(std::string* reason = nullptr);
    // From any thread: a power-off call under way gives up, and so does every later one.
    void CancelPowerOffCall();

    // Whole seconds from `now` (local time) to the next occurrence of the shutdown time: 0 when
    // it is now, up to one second less than a day.
    long SecondsUntilShutdown(std::time_t now) const;

    bool IsEnabled() const { return m_enabled; }
    int Hour() const { return m_hour; }
    int Minute() const { return m_minute; }
    int Second() const { return m_second; }
    bool IsCountingDown() const { return m_countingDown; }
    // The moment of the armed shutdown; -1 when none is armed.
    std::time_t Deadline() const { return m_deadline; }

private:
    // Arms the first shutdown time at or after `from`.
    void ArmFrom(std::time_t from);
    void Disarm();
    void StartTimer(std::chrono::milliseconds period);
    bool BroadcastHoldsShutdown(std::time_t now);

    CShutdownTable m_table;
    CDatabase& m_db;
    CTaskTable m_tasks;  // read with the calendar to see whether a broadcast holds the machine on
    IClock& m_clock;
    IPowerControl& m_power;
    IShutdownTimerOwner* m_timerOwner = nullptr;
    IShutdownNotice* m_notice = nullptr;
    bool m_enabled = false;
    int m_hour = 0;
    int m_minute = 0;
    int m_second = 0;
    std::time_t m_deadline = -1;
    bool m_countingDown = false;  // the timer ticks every second up to the deadline
};

}  // namespace lumetra
