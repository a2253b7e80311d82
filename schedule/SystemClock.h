// The wall clock of the machine, with sleeps that Interrupt() cuts short at once.
#pragma once

#include <condition_variable>
#include <mutex>

#include "schedule/Clock.h"

namespace lumetra {

class CSystemClock : public IClock {
public:
    // Read from the precise real-time clock: the coarse one behind time() may still show the
    // previous second for a few milliseconds after a second has begun.
    std::time_t Now() override;
    int64_t SteadyMillis() override;
    bool SleepFor(std::chrono::milliseconds duration) override;
    bool SleepToNextHalfSecond() override;
    void Interrupt() override;
    void ClearInterrupt() override;

private:
    // Waits on the steady clock, so a change of the wall clock cannot stretch a sleep.
    bool WaitFor(std::chrono::steady_clock::duration duration);

    std::mutex m_mutex;  // guards m_interrupted
    std::condition_variable m_wake;
    bool m_interrupted = false;
};

}  // namespace lumetra
