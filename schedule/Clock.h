// The scheduler's view of time: "now" in whole seconds and an interruptible sleep. The program
// runs on the wall clock; tests drive the same code through simulated days.
#pragma once

#include <chrono>
#include <ctime>

namespace lumetra {

class IClock {
public:
    virtual ~IClock() = default;
    virtual std::time_t Now() = 0;
    // Sleeps for `duration` unless Interrupt() is called; returns false when interrupted.
    virtual bool SleepFor(std::chrono::milliseconds duration) = 0;
    virtual void Interrupt() = 0;
    virtual void ClearInterrupt() = 0;
};

}  // namespace lumetra
