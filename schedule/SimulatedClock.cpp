#include "schedule/SimulatedClock.h"

namespace lumetra {

bool CSimulatedClock::SleepFor(std::chrono::milliseconds duration) {
    if (m_interrupted) return false;
    m_millis += duration.count();
    return true;
}

bool CSimulatedClock::SleepToNextHalfSecond() {
    if (m_interrupted) return false;
    const int64_t now = m_millis.load();
    m_millis = (now / 500 + 1) * 500;
    return true;
}

}  // namespace lumetra
