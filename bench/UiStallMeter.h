// The longest stall of the user-interface thread's event loop while an action runs: a timer on
// that thread fires every millisecond and notes how late each firing comes.
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <vector>

namespace lumetra::bench {

class CUiStallMeter {
public:
    CUiStallMeter() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(kPeriodMs);
        m_timer.callOnTimeout([this] { Note(); });
    }
    void Start() {
        m_longest = 0;
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    // The longest lateness since Start, in milliseconds.
    double Stop() {
        Note();
        m_timer.stop();
        return m_longest;
    }

private:
    static constexpr int kPeriodMs = 1;
    void Note() {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, static_cast<double>(now - m_last) / 1e6 - kPeriodMs);
        m_last = now;
    }
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    double m_longest = 0;
};

}  // namespace lumetra::bench
