// The scheduler's view of time: "now" in whole seconds and interruptible sleeps. The program
// runs on the wall clock (SystemClock.h); tests and benchmarks drive the same code through
// simulated days (SimulatedClock.h).
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>

namespace lumetra {

class IClock {
public:
    virtual ~IClock() = default;
    virtual std::time_t Now() = 0;
    // Milliseconds of a clock that only moves forward, at the pace of the sleeps, and is never
    // set; comparing it with Now() tells a clock that was set or resumed from one read late.
    virtual int64_t SteadyMillis() = 0;
    // Sleeps for `duration` unless Interrupt() is called; returns false when interrupted.
    virtual bool SleepFor(std::chrono::milliseconds duration) = 0;
    // Sleeps until the next full or half second of the wall clock (at most half a second), so a
    // loop around it looks at every second near its beginning; returns false when interrupted.
    virtual bool SleepToNextHalfSecond() = 0;
    // Cuts every current and later sleep short until ClearInterrupt().
    virtual void Interrupt() = 0;
    virtual void ClearInterrupt() = 0;
};

}  // namespace lumetra
