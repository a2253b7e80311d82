// A clock for the station's threads in tests: simulated time that runs `speed` times faster than
// the wall clock. Each sleep really waits (its length divided by the speed), so the threads tick
// in order and at their own pace, and then moves the time on by the whole length. Interrupt cuts
// every sleep short, as on the wall clock.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "schedule/SimulatedClock.h"

namespace lumetra::test {

class CPacedClock : public CSimulatedClock {
public:
    CPacedClock(std::time_t start, int speed) : CSimulatedClock(start), m_speed(speed) {}

    bool SleepFor(std::chrono::milliseconds duration) override {
        return Pace(duration.count()) && CSimulatedClock::SleepFor(duration);
    }
    bool SleepToNextHalfSecond() override {
        return Pace(500 - NowMillis() % 500) && CSimulatedClock::SleepToNextHalfSecond();
    }
    void Interrupt() override {
        std::lock_guard lock(m_lock);
        m_interrupted = true;
        CSimulatedClock::Interrupt();
        m_changed.notify_all();
    }
    void ClearInterrupt() override {
        std::lock_guard lock(m_lock);
        m_interrupted = false;
        CSimulatedClock::ClearInterrupt();
    }

private:
    // Whether the real wait for `millis` of simulated time ran to its end.
    bool Pace(int64_t millis) {
        std::unique_lock lock(m_lock);
        return !m_changed.wait_for(lock, std::chrono::milliseconds(millis / m_speed),
                                   [this] { return m_interrupted; });
    }

    std::mutex m_lock;  // guards m_interrupted
    std::condition_variable m_changed;
    const int m_speed;
    bool m_interrupted = false;
};

}  // namespace lumetra::test
