// A clock for the station's threads in tests: simulated time that runs `speed` times faster than
// the wall clock. Each sleep really waits (its length divided by the speed), so the threads tick
// in order and at their own pace, and then moves the time on by the whole length. Interrupt cuts
// every sleep short, as on the wall clock.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "schedule/Clock.h"

namespace lumetra::test {

class CPacedClock : public IClock {
public:
    CPacedClock(std::time_t start, int speed)
        : m_millis(static_cast<int64_t>(start) * 1000), m_speed(speed) {}

    std::time_t Now() override {
        std::lock_guard lock(m_lock);
        return static_cast<std::time_t>(m_millis / 1000);
    }
    int64_t SteadyMillis() override {
        std::lock_guard lock(m_lock);
        return m_steady;
    }
    bool SleepFor(std::chrono::milliseconds duration) override { return Advance(duration.count()); }
    bool SleepToNextHalfSecond() override {
        int64_t now;
        {
            std::lock_guard lock(m_lock);
            now = m_millis;
        }
        return Advance((now / 500 + 1) * 500 - now);
    }
    void Interrupt() override {
        std::lock_guard lock(m_lock);
        m_interrupted = true;
        m_changed.notify_all();
    }
    void ClearInterrupt() override {
        std::lock_guard lock(m_lock);
        m_interrupted = false;
    }

private:
    bool Advance(int64_t millis) {
        std::unique_lock lock(m_lock);
        if (m_changed.wait_for(lock, std::chrono::milliseconds(millis / m_speed),
                               [this] { return m_interrupted; }))
            return false;
        m_millis += millis;
        m_steady += millis;
        return true;
    }

    std::mutex m_lock;  // guards everything below
    std::condition_variable m_changed;
    int64_t m_millis;
    int64_t m_steady = 0;
    const int m_speed;
    bool m_interrupted = false;
};

}  // namespace lumetra::test
