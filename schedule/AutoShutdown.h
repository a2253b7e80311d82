// Automatic shutdown: switches the machine off every day at the time of day stored in the
// shut_down table. The main window arms it at start-up; the settings page saves new settings.
// Everything runs on the user-interface thread.
#pragma once

#include <chrono>
#include <ctime>

namespace lumetra {

class CDatabase;
class IClock;
class IPowerControl;
class IShutdownTimerOwner;

class CAutoShutdown {
public:
    CAutoShutdown(CDatabase& db, IClock& clock, IPowerControl& power);
    CAutoShutdown(const CAutoShutdown&) = delete;
    CAutoShutdown& operator=(const CAutoShutdown&) = delete;

    // The window that owns the shutdown timer; set before Arm.
    void SetWindow(IShutdownTimerOwner* window) { m_pWindow = window; }

    // Reads the first row of shut_down: on exactly when 启用关机 is "1"; 关机时间 "%d:%d:%d"
    // (an empty time keeps the time loaded so far). Throws CDbError.
    void Load();
    // Kills the timer, loads the setting and, when on, starts the timer for the next occurrence
    // of the time. Throws CDbError (the timer then stays off).
    void Arm();
    // Stores the setting, then applies it. When the database refuses the statement, CDbError
    // passes out and nothing changes: neither the setting held here nor the timer.
    void Save(bool enable, int hour, int minute, int second);
    // The shutdown timer fired.
    void OnTimer();
    // Asks for the power-off; a refusal is logged and tried again when the timer fires next.
    // Returns true when the request was accepted.
    bool PowerOff();

    // Whole seconds from `now` (local time) to the next occurrence of the shutdown time: 0 when
    // it is now, up to one second less than a day.
    long SecondsUntilShutdown(std::time_t now) const;

    bool IsEnabled() const { return m_bEnabled; }
    int Hour() const { return m_nHour; }
    int Minute() const { return m_nMinute; }
    int Second() const { return m_nSecond; }

private:
    void StartTimer(std::chrono::milliseconds period);

    CDatabase& m_db;
    IClock& m_clock;
    IPowerControl& m_power;
    IShutdownTimerOwner* m_pWindow = nullptr;
    bool m_bEnabled = false;
    int m_nHour = 0;
    int m_nMinute = 0;
    int m_nSecond = 0;
    std::chrono::milliseconds m_period{-1};  // period of the running timer; negative when none
};

}  // namespace lumetra
