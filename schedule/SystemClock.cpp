#include "schedule/SystemClock.h"

namespace lumetra {

using std::chrono::duration_cast;
using std::chrono::floor;
using std::chrono::microseconds;
using std::chrono::milliseconds;
using std::chrono::seconds;
using std::chrono::system_clock;

std::time_t CSystemClock::Now() {
    return static_cast<std::time_t>(floor<seconds>(system_clock::now().time_since_epoch()).count());
}

int64_t CSystemClock::SteadyMillis() {
    return duration_cast<milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool CSystemClock::SleepFor(milliseconds duration) {
    return WaitFor(duration);
}

bool CSystemClock::SleepToNextHalfSecond() {
    constexpr microseconds kHalfSecond = milliseconds(500);
    const microseconds now = duration_cast<microseconds>(system_clock::now().time_since_epoch());
    const microseconds next = (now / kHalfSecond + 1) * kHalfSecond;
    return WaitFor(next - now);
}

void CSystemClock::Interrupt() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_interrupted = true;
    }
    m_wake.notify_all();
}

void CSystemClock::ClearInterrupt() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_interrupted = false;
}

bool CSystemClock::WaitFor(std::chrono::steady_clock::duration duration) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return !m_wake.wait_for(lock, duration, [this] { return m_interrupted; });
}

}  // namespace lumetra
