#include "station/JobThread.h"

#include <exception>
#include <future>

#include "base/Logger.h"

namespace lumetra {

CJobThread::~CJobThread() {
    Stop();
}

void CJobThread::Start() {
    std::lock_guard lock(m_lock);
    if (m_running) return;
    m_running = true;
    m_stopping = false;
    m_thread = std::thread([this] { Loop(); });
}

void CJobThread::Stop() {
    {
        std::lock_guard lock(m_lock);
        if (!m_running) return;
        m_stopping = true;
        m_changed.notify_all();
    }
    m_thread.join();
    std::lock_guard lock(m_lock);
    m_running = false;
    m_jobs.clear();
    m_onTimer = nullptr;
}

void CJobThread::Post(Job job) {
    std::lock_guard lock(m_lock);
    if (!m_running || m_stopping) return;
    m_jobs.push_back(std::move(job));
    m_changed.notify_all();
}

bool CJobThread::Run(Job job) {
    std::packaged_task<void()> task(std::move(job));
    std::future<void> finished = task.get_future();
    {
        std::lock_guard lock(m_lock);
        if (!m_running || m_stopping) return false;
        m_jobs.push_back([&task] { task(); });
        m_changed.notify_all();
    }
    finished.get();  // rethrows what the job threw
    return true;
}

void CJobThread::StartTimer(std::chrono::milliseconds period, Job onTimer) {
    std::lock_guard lock(m_lock);
    m_period = period;
    m_onTimer = std::move(onTimer);
    m_nextTimer = std::chrono::steady_clock::now() + period;
    m_changed.notify_all();
}

void CJobThread::StopTimer() {
    std::lock_guard lock(m_lock);
    m_onTimer = nullptr;
}

bool CJobThread::WaitUnlessBusy(std::chrono::milliseconds duration) {
    std::unique_lock lock(m_lock);
    return !m_changed.wait_for(lock, duration, [this] { return m_stopping || !m_jobs.empty(); });
}

void CJobThread::Loop() {
    std::unique_lock lock(m_lock);
    for (;;) {
        const auto ready = [this] {
            return m_stopping || !m_jobs.empty() ||
                   (m_onTimer && std::chrono::steady_clock::now() >= m_nextTimer);
        };
        if (m_onTimer)
            m_changed.wait_until(lock, m_nextTimer, ready);
        else  // a timer started meanwhile is waited for on the next round
            m_changed.wait(lock, [&] { return ready() || m_onTimer; });
        Job job;
        if (!m_jobs.empty()) {
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        } else if (m_stopping) {
            return;
        } else if (m_onTimer && std::chrono::steady_clock::now() >= m_nextTimer) {
            // The next beat keeps its rhythm, unless the thread was held up past it.
            m_nextTimer = std::max(m_nextTimer + m_period, std::chrono::steady_clock::now());
            job = m_onTimer;
        } else {
            continue;
        }
        lock.unlock();
        try {
            job();
        } catch (const std::exception& e) {
            Logger().Log("%s thread: a job failed: %s", m_name.c_str(), e.what());
        } catch (...) {
            Logger().Log("%s thread: a job failed", m_name.c_str());
        }
        lock.lock();
    }
}

}  // namespace lumetra
