// Observers for link tests: the log lines with the time each was written, the notifications with
// the link state at that moment, the port alerts, and a transmitter peer on a real
// pseudo-terminal that timestamps what arrives and can answer.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "link/LinkNotifier.h"
#include "link/Logger.h"
#include "link/PortAlert.h"
#include "tools/txsim/PseudoTerminal.h"

namespace lumetra {
class CTransmitterLink;
}

namespace lumetra::test {

using SteadyTime = std::chrono::steady_clock::time_point;

// Every log line while it is installed, with the message part only ("open port success").
class CLogRecorder : public ILogSink {
public:
    struct Line {
        SteadyTime at;
        std::string message;
    };
    CLogRecorder() { Logger().SetSink(this); }
    ~CLogRecorder() override { Logger().SetSink(nullptr); }
    void Write(const char* line, size_t length) override;
    std::vector<Line> Lines() const;
    size_t Count(const std::string& message) const;
    // Whether `count` lines with this message have been logged, waiting up to `limit` for them.
    bool WaitFor(const std::string& message, std::chrono::milliseconds limit, size_t count = 1) const;

private:
    mutable std::mutex m_lock;
    std::vector<Line> m_lines;
};

// Records the link state at every notification; `onNotify` runs on the notifying thread.
class CNotifyRecorder : public ILinkNotifier {
public:
    void Attach(const CTransmitterLink* link) { m_link = link; }
    void PostLinkStatus() override;
    std::vector<bool> States() const;
    // Waits until a notification reports `up` (after `after` earlier ones); false on time-out.
    bool WaitFor(bool up, size_t after, std::chrono::milliseconds limit);
    std::function<void(bool)> onNotify;

private:
    const CTransmitterLink* m_link = nullptr;
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<bool> m_states;
};

// Records alerts; while `Hold()` is on it blocks the caller like a box nobody has closed yet.
class CAlertRecorder : public IPortAlert {
public:
    void ShowPortError(const std::string& text, const std::string& caption) override;
    std::vector<std::pair<std::string, std::string>> Alerts() const;
    void Hold();
    void Release();
    bool WaitShown(std::chrono::milliseconds limit);

private:
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<std::pair<std::string, std::string>> m_alerts;
    bool m_hold = false;
};

// The transmitter's end of a pseudo-terminal, driven by the test.
class CPeer {
public:
    struct Arrival {
        SteadyTime at;  // when the last byte of this chunk was read
        std::vector<uint8_t> bytes;
    };
    CPeer();
    const std::string& DevicePath() const { return m_pty.DevicePath(); }
    int Fd() const { return m_pty.Fd(); }
    // Every frame so far (cut by its length byte, with the time its last byte arrived), after
    // waiting until there are `count` of them or the limit passes.
    std::vector<Arrival> ReadFrames(size_t count, std::chrono::milliseconds limit);
    void Send(const std::vector<uint8_t>& bytes);
    void HangUp() { m_pty.Close(); }

private:
    void Pump(SteadyTime deadline);  // reads what arrives before the deadline

    txsim::CPseudoTerminal m_pty;
    std::vector<uint8_t> m_pending;
    std::vector<Arrival> m_frames;
};

}  // namespace lumetra::test
