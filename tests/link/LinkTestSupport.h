// Observers for link tests: notifications with the link state at that moment, port alerts, and a
// transmitter peer on a real pseudo-terminal.
#pragma once

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "link/LinkNotifier.h"
#include "link/PortAlert.h"
#include "link/TransmitterLink.h"
#include "tests/support/LogRecorder.h"
#include "tools/txsim/FrameDecoder.h"
#include "tools/txsim/PseudoTerminal.h"

namespace lumetra::test {

// Records the link state at every notification.
class CNotifyRecorder : public ILinkNotifier, public CRecord<bool> {
public:
    void Attach(const CTransmitterLink* link) { m_link = link; }
    void PostLinkStatus() override { Add(m_link && m_link->IsLinkUp()); }
    // Whether a notification after the first `after` reports `up` within `limit`.
    bool WaitFor(bool up, size_t after, std::chrono::milliseconds limit) const {
        return WaitUntil(limit, [&](const std::vector<bool>& states) {
            return states.size() > after &&
                   std::find(states.begin() + after, states.end(), up) != states.end();
        });
    }

private:
    const CTransmitterLink* m_link = nullptr;
};

using Alert = std::pair<std::string, std::string>;  // text, caption

// Records alerts; while held, an alert blocks the thread that raised it, like a box nobody closes.
class CAlertRecorder : public IPortAlert, public CRecord<Alert> {
public:
    void ShowPortError(const std::string& text, const std::string& caption) override {
        Add({text, caption});
        std::unique_lock lock(m_lock);
        m_changed.wait(lock, [this] { return !m_held; });
    }
    void Hold(bool held) {
        std::lock_guard lock(m_lock);
        m_held = held;
        m_changed.notify_all();
    }

private:
    bool m_held = false;
};

// The transmitter's end of a pseudo-terminal, driven by the test.
class CPeer {
public:
    CPeer() {
        if (std::string error; !m_pty.Open(&error)) throw std::runtime_error(error);
    }
    const std::string& DevicePath() const { return m_pty.DevicePath(); }
    int Fd() const { return m_pty.Fd(); }
    // Every frame so far (cut by its length byte, whether valid or not), after waiting until there are
    // `count` of them or the limit passes. Arrivals() holds when each was read whole.
    std::vector<std::vector<uint8_t>> ReadFrames(size_t count, std::chrono::milliseconds limit) {
        for (const auto deadline = Clock::now() + limit;
             m_frames.size() < count && Clock::now() < deadline;) {
            pollfd p{m_pty.Fd(), POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            uint8_t buffer[512];
            const ssize_t n = ::read(m_pty.Fd(), buffer, sizeof buffer);
            if (n <= 0) {
                ::usleep(5000);  // the link has the port closed for a moment (a reopen)
                continue;
            }
            for (txsim::DecodedFrame& frame : m_decoder.Push(buffer, static_cast<size_t>(n))) {
                m_frames.push_back(std::move(frame.bytes));
                m_arrivals.push_back(Clock::now());
            }
        }
        return m_frames;
    }
    const std::vector<Clock::time_point>& Arrivals() const { return m_arrivals; }
    void Send(const std::vector<uint8_t>& bytes) {
        if (::write(m_pty.Fd(), bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            throw std::runtime_error("the peer could not write");
    }
    void HangUp() { m_pty.Close(); }

private:
    txsim::CPseudoTerminal m_pty;
    txsim::CFrameDecoder m_decoder;
    std::vector<std::vector<uint8_t>> m_frames;
    std::vector<Clock::time_point> m_arrivals;
};

}  // namespace lumetra::test
