// The transmitter simulator's process, for the user-interface tests: they point a link (or the
// program) at its device and wait, frame by frame, for what reaches the transmitter.
#pragma once

#include <QDateTime>
#include <QString>
#include <chrono>
#include <string>
#include <vector>

#include "tools/txsim/SimulatorProcess.h"

namespace lumetra::test {

struct SimFrame {
    qint64 receivedAtMs = 0;  // wall clock, ms since the epoch, when the test read the line
};

class CSimulator {
public:
    CSimulator() : m_process(LUMETRA_TXSIM_PATH), m_device(QString::fromStdString(m_process.DevicePath())) {}
    const QString& Device() const { return m_device; }

    // Reads lines until a valid frame of `command` whose text contains `text` arrives, passing over
    // the frames before it (their "command: text" go to `passed`). False on time-out.
    bool WaitForFrame(const std::string& command, const std::string& text, int timeoutMs,
                      SimFrame* found = nullptr, std::vector<std::string>* passed = nullptr) {
        using namespace std::chrono;
        using txsim::JsonField;
        const auto deadline = steady_clock::now() + milliseconds(timeoutMs);
        for (;;) {
            const auto left = duration_cast<milliseconds>(deadline - steady_clock::now());
            const auto line = left.count() > 0 ? m_process.ReadLine(left) : std::nullopt;
            if (!line) return false;
            if (JsonField(*line, "event") != "frame" || JsonField(*line, "valid") != "true") continue;
            if (JsonField(*line, "command") == command &&
                JsonField(*line, "text").find(text) != std::string::npos) {
                if (found) found->receivedAtMs = QDateTime::currentMSecsSinceEpoch();
                return true;
            }
            if (passed) passed->push_back(JsonField(*line, "command") + ": " + JsonField(*line, "text"));
        }
    }

private:
    txsim::CSimulatorProcess m_process;
    QString m_device;
};

}  // namespace lumetra::test
