#include "station/ShutdownThread.h"

#include "base/Logger.h"
#include "schedule/AutoShutdown.h"
#include "store/DbError.h"

namespace lumetra {
namespace {

// A timer that fired at once goes on at this pace: a refused power-off is never retried in a loop.
constexpr std::chrono::milliseconds kShortestPeriod{1000};

}  // namespace

CShutdownThread::CShutdownThread(CAutoShutdown& shutdown, std::function<void()> changed,
                                 std::function<void(const std::string&)> databaseError)
    : m_shutdown(shutdown), m_changed(std::move(changed)), m_databaseError(std::move(databaseError)) {}

CShutdownThread::~CShutdownThread() {
    Stop();
}

void CShutdownThread::Start() {
    m_shutdown.SetTimerOwner(this);
    m_shutdown.SetNotice(this);
    m_thread.Start();
    Rearm();
}

void CShutdownThread::Stop() {
    m_shutdown.CancelPowerOffCall();
    m_thread.Stop();
    m_shutdown.SetTimerOwner(nullptr);
    m_shutdown.SetNotice(nullptr);
}

void CShutdownThread::Save(bool enable, int hour, int minute, int second) {
    Post([this, enable, hour, minute, second] { m_shutdown.Save(enable, hour, minute, second); });
}

void CShutdownThread::CancelToday() {
    Post([this] { m_shutdown.CancelToday(); });
}

void CShutdownThread::Rearm() {
    Post([this] { m_shutdown.Arm(); });
}

ShutdownView CShutdownThread::View() const {
    std::lock_guard lock(m_viewLock);
    return m_view;
}

void CShutdownThread::Post(std::function<void()> action) {
    m_thread.Post([this, action = std::move(action)] {
        try {
            action();
        } catch (const CDbError& error) {
            Logger().Log("AutoShutdown: the setting is unreadable or not stored: %s", error.what());
            m_databaseError(error.what());
        }
        Publish();
    });
}

void CShutdownThread::OnTimer() {
    if (m_period < kShortestPeriod) StartShutdownTimer(kShortestPeriod);
    m_shutdown.OnTimer();
    Publish();
}

void CShutdownThread::StartShutdownTimer(std::chrono::milliseconds period) {
    m_period = period;
    m_thread.StartTimer(period, [this] { OnTimer(); });
}

void CShutdownThread::KillShutdownTimer() {
    m_thread.StopTimer();
}

void CShutdownThread::ShowCountdown(long secondsLeft) {
    if (View().notice != ShutdownView::Notice::kCountdown)
        Logger().Log("AutoShutdown: the machine powers off in %ld s unless cancelled", secondsLeft);
    SetNotice(ShutdownView::Notice::kCountdown, secondsLeft);
}

void CShutdownThread::ShowWaitingForBroadcast() {
    if (View().notice != ShutdownView::Notice::kWaiting)
        Logger().Log("AutoShutdown: a broadcast on the air holds the power-off back");
    SetNotice(ShutdownView::Notice::kWaiting);
}

void CShutdownThread::ShowPowerOffRefused(const std::string& reason) {
    SetNotice(ShutdownView::Notice::kRefused, 0, reason);
}

void CShutdownThread::HideNotice() {
    SetNotice(ShutdownView::Notice::kHidden);
}

void CShutdownThread::SetNotice(ShutdownView::Notice notice, long secondsLeft, const std::string& refusal) {
    std::lock_guard lock(m_viewLock);
    m_view.notice = notice;
    m_view.secondsLeft = secondsLeft;
    m_view.refusal = refusal;
    ++m_view.noticeSerial;
}

void CShutdownThread::Publish() {
    {
        std::lock_guard lock(m_viewLock);
        m_view.enabled = m_shutdown.IsEnabled();
        m_view.hour = m_shutdown.Hour();
        m_view.minute = m_shutdown.Minute();
        m_view.second = m_shutdown.Second();
        m_view.deadline = m_shutdown.Deadline();
    }
    m_changed();
}

}  // namespace lumetra
