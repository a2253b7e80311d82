// A clock whose time moves only when the code sleeps: each sleep advances it by exactly the time
// asked for and returns at once. SetTime moves the wall clock alone, as a clock set by hand. Tests and
// benchmarks run whole days of schedule through it in moments, tick by tick, with the same code that runs on
// the wall clock.
#pragma once

#include <atomic>
#include <cstdint>

#include "schedule/Clock.h"

namespace lumetra {

class CSimulatedClock : public IClock {
public:
    explicit CSimulatedClock(std::time_t start) : m_millis(static_cast<int64_t>(start) * 1000) {}

    std::time_t Now() override { return static_cast<std::time_t>(NowMillis() / 1000); }
    int64_t SteadyMillis() override { return m_steady.load(); }
    bool SleepFor(std::chrono::milliseconds duration) override;
    bool SleepToNextHalfSecond() override;
    void Interrupt() override { m_interrupted = true; }
    void ClearInterrupt() override { m_interrupted = false; }

    // Simulated time in milliseconds since the epoch (never negative here).
    int64_t NowMillis() const { return m_millis.load(); }
    void SetTime(std::time_t now) { m_millis = static_cast<int64_t>(now) * 1000; }

private:
    std::atomic<int64_t> m_millis;
    std::atomic<int64_t> m_steady{0};  // the sleeps so far
    std::atomic<bool> m_interrupted{false};
};

}  // namespace lumetra
