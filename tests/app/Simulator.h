// The transmitter simulator's process, for the user-interface tests: they point a link (or the
// program) at its device and take, frame by frame, what reached the transmitter.
#pragma once

#include <QDateTime>
#include <QString>
#include <chrono>
#include <vector>

#include "tools/txsim/SimulatorProcess.h"

namespace lumetra::test {

struct SimFrame {
    QString command;  // "SendSCOM", "SendAudioCom", "SendPower", "ClosePower", ...
    QString text;     // "channels off: all", "outlets on: 1, 3", ...
    bool valid = false;
    qint64 receivedAtMs = 0;  // wall clock, ms since the epoch, when the test read the line
};

class CSimulator {
public:
    CSimulator() : m_process(LUMETRA_TXSIM_PATH), m_device(QString::fromStdString(m_process.DevicePath())) {}
    const QString& Device() const { return m_device; }

    // Waits until a valid frame of `command` whose text contains `text` arrived (also one that
    // arrived earlier and was not taken yet), takes it and the frames before it. False on time-out.
    bool WaitForFrame(const QString& command, const QString& text, int timeoutMs, SimFrame* found = nullptr) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (size_t taken = 0;; ++taken) {
            if (taken == m_pending.size() && !ReadFrame(deadline)) return false;
            const SimFrame frame = m_pending[taken];
            if (!frame.valid || frame.command != command || !frame.text.contains(text)) continue;
            if (found) *found = frame;
            m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<long>(taken) + 1);
            return true;
        }
    }

private:
    // Reads lines until the next frame is kept; false when none came in time.
    bool ReadFrame(std::chrono::steady_clock::time_point deadline) {
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            const auto line = m_process.ReadLine(left);
            if (!line) return false;
            if (txsim::JsonField(*line, "event") != "frame") continue;
            m_pending.push_back({QString::fromStdString(txsim::JsonField(*line, "command")),
                                 QString::fromStdString(txsim::JsonField(*line, "text")),
                                 txsim::JsonField(*line, "valid") == "true",
                                 QDateTime::currentMSecsSinceEpoch()});
            return true;
        }
    }

    txsim::CSimulatorProcess m_process;
    QString m_device;
    std::vector<SimFrame> m_pending;
};

}  // namespace lumetra::test
