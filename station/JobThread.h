// A thread that runs posted jobs one at a time, in the order they came, and a repeating timer
// between them. The station gives each kind of work that may wait (playback, the serial port) a
// thread of its own, so that nothing it does ever holds the user-interface thread or the schedule.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace lumetra {

class CJobThread {
public:
    using Job = std::function<void()>;

    explicit CJobThread(std::string name) : m_name(std::move(name)) {}
    // Stops and joins.
    ~CJobThread();
    CJobThread(const CJobThread&) = delete;
    CJobThread& operator=(const CJobThread&) = delete;

    void Start();
    // Runs the jobs posted before the call, then ends the thread and joins it. Later posts are
    // dropped. Safe to call more than once.
    void Stop();
    // Queues `job`; dropped when the thread is not running.
    void Post(Job job);
    // Runs `job` on the thread and waits for it (for tests and the exit sequence only; never from
    // the thread itself). False when the thread is not running; what the job throws is thrown here.
    bool Run(Job job);

    // Calls `onTimer` on the thread every `period` from now, between jobs, until StopTimer.
    void StartTimer(std::chrono::milliseconds period, Job onTimer);
    void StopTimer();

    // For a job that must wait: waits up to `duration`, and returns false at once when another job
    // is queued or a stop is asked for, so that a long wait always gives way to what came next.
    bool WaitUnlessBusy(std::chrono::milliseconds duration);

private:
    void Loop();

    const std::string m_name;
    std::mutex m_lock;  // guards everything below but the thread object
    std::condition_variable m_changed;
    std::deque<Job> m_jobs;
    bool m_running = false;
    bool m_stopping = false;
    Job m_onTimer;
    std::chrono::milliseconds m_period{0};
    std::chrono::steady_clock::time_point m_nextTimer;
    std::thread m_thread;
};

}  // namespace lumetra
