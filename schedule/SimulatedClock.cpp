#include "schedule/SimulatedClock.h"

namespace lumetra {

bool CSimulatedClock::SleepFor(std::chrono::milliseconds duration) {
    if (m_interrupted) return false;
    m_millis += duration.count();
    m_steady += duration.count();
    return true;
}

bool CSimulatedClock::SleepToNextHalfSecond() {
    if (m_interrupted) return false;
    const int64_t now = m_millis.load();
    const int64_t next = (now / 500 + 1) * 500;
    m_millis = next;
    m_steady += next - now;
    return true;
}

}  // namespace lumetra
