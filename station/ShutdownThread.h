// The automatic shutdown's own thread, which the station owns: it arms the shutdown from the stored
// setting, runs its timer and countdown, and asks for the power-off, so a station without a window
// shuts the machine down too. The window reads the setting and the notice from View() when told
// (WindowMessage::kShutdown) and sends the operator's commands here; each returns at once.
#pragma once

#include <chrono>
#include <ctime>
#include <functional>
#include <mutex>
#include <string>

#include "schedule/ShutdownNotice.h"
#include "schedule/ShutdownTimerOwner.h"
#include "station/JobThread.h"

namespace lumetra {

class CAutoShutdown;

// What the operator sees of the automatic shutdown.
struct ShutdownView {
    enum class Notice { kHidden, kCountdown, kWaiting, kRefused };

    bool enabled = false;
    int hour = 0;
    int minute = 0;
    int second = 0;
    std::time_t deadline = -1;  // the armed shutdown; -1 when none is
    Notice notice = Notice::kHidden;
    long secondsLeft = 0;       // with kCountdown
    std::string refusal;        // with kRefused
    unsigned noticeSerial = 0;  // counts the notices, so a viewer shows each once
};

class CShutdownThread : private IShutdownTimerOwner, private IShutdownNotice {
public:
    // `changed` is called on this thread whenever View() changed; `databaseError` when the setting
    // cannot be read or stored. Both must only post.
    CShutdownThread(CAutoShutdown& shutdown, std::function<void()> changed,
                    std::function<void(const std::string&)> databaseError);
    // Stops and joins.
    ~CShutdownThread();
    CShutdownThread(const CShutdownThread&) = delete;
    CShutdownThread& operator=(const CShutdownThread&) = delete;

    // Starts the thread and arms the shutdown from the stored setting.
    void Start();
    // A power-off call under way is cut short; the thread ends and is joined.
    void Stop();

    // Stores the setting and arms it; when the database refuses, the setting stays as it was.
    void Save(bool enable, int hour, int minute, int second);
    // The operator's "取消" during the countdown: today's shutdown is skipped.
    void CancelToday();
    // Arms again from the stored setting (after the database was replaced).
    void Rearm();

    ShutdownView View() const;

private:
    // IShutdownTimerOwner and IShutdownNotice, called by the shutdown on this thread.
    void StartShutdownTimer(std::chrono::milliseconds period) override;
    void KillShutdownTimer() override;
    void ShowCountdown(long secondsLeft) override;
    void ShowWaitingForBroadcast() override;
    void ShowPowerOffRefused(const std::string& reason) override;
    void HideNotice() override;

    void OnTimer();
    // Runs `action` on the thread; a database error is reported; then the view is published.
    void Post(std::function<void()> action);
    void SetNotice(ShutdownView::Notice notice, long secondsLeft = 0, const std::string& refusal = {});
    void Publish();

    CAutoShutdown& m_shutdown;
    const std::function<void()> m_changed;
    const std::function<void(const std::string&)> m_databaseError;
    std::chrono::milliseconds m_period{0};  // of the running timer; on the thread only
    mutable std::mutex m_viewLock;          // guards m_view; held only to copy it
    ShutdownView m_view;
    CJobThread m_thread{"shutdown"};
};

}  // namespace lumetra
