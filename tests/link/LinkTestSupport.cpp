#include "tests/link/LinkTestSupport.h"

#include <poll.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

#include "link/TransmitterLink.h"

namespace lumetra::test {

using Clock = std::chrono::steady_clock;

void CLogRecorder::Write(const char* line, size_t length) {
    std::string text(line, length);
    const size_t marker = text.find(" - FM: ");
    if (marker != std::string::npos) text.erase(0, marker + 7);
    std::lock_guard lock(m_lock);
    m_lines.push_back({Clock::now(), std::move(text)});
}

std::vector<CLogRecorder::Line> CLogRecorder::Lines() const {
    std::lock_guard lock(m_lock);
    return m_lines;
}

size_t CLogRecorder::Count(const std::string& message) const {
    std::lock_guard lock(m_lock);
    size_t count = 0;
    for (const Line& line : m_lines) count += line.message == message;
    return count;
}

bool CLogRecorder::WaitFor(const std::string& message, std::chrono::milliseconds limit, size_t count) const {
    const auto deadline = Clock::now() + limit;
    while (Count(message) < count) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void CNotifyRecorder::PostLinkStatus() {
    const bool up = m_link && m_link->IsLinkUp();
    if (onNotify) onNotify(up);
    {
        std::lock_guard lock(m_lock);
        m_states.push_back(up);
    }
    m_changed.notify_all();
}

std::vector<bool> CNotifyRecorder::States() const {
    std::lock_guard lock(m_lock);
    return m_states;
}

bool CNotifyRecorder::WaitFor(bool up, size_t after, std::chrono::milliseconds limit) {
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, limit, [&] {
        for (size_t i = after; i < m_states.size(); ++i)
            if (m_states[i] == up) return true;
        return false;
    });
}

void CAlertRecorder::ShowPortError(const std::string& text, const std::string& caption) {
    std::unique_lock lock(m_lock);
    m_alerts.emplace_back(text, caption);
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return !m_hold; });
}

std::vector<std::pair<std::string, std::string>> CAlertRecorder::Alerts() const {
    std::lock_guard lock(m_lock);
    return m_alerts;
}

void CAlertRecorder::Hold() {
    std::lock_guard lock(m_lock);
    m_hold = true;
}

void CAlertRecorder::Release() {
    {
        std::lock_guard lock(m_lock);
        m_hold = false;
    }
    m_changed.notify_all();
}

bool CAlertRecorder::WaitShown(std::chrono::milliseconds limit) {
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, limit, [this] { return !m_alerts.empty(); });
}

CPeer::CPeer() {
    std::string error;
    if (!m_pty.Open(&error)) throw std::runtime_error(error);
}

void CPeer::Pump(SteadyTime deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return;
    pollfd p{m_pty.Fd(), POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left)) <= 0) return;
    uint8_t buffer[512];
    const ssize_t n = ::read(m_pty.Fd(), buffer, sizeof buffer);
    if (n <= 0) {
        // The link has the port closed for a moment (a reopen); look again shortly.
        ::usleep(5000);
        return;
    }
    const SteadyTime at = Clock::now();
    m_pending.insert(m_pending.end(), buffer, buffer + n);
    while (m_pending.size() >= 4 && m_pending[3] >= 4 && m_pending.size() >= m_pending[3]) {
        const size_t length = m_pending[3];
        m_frames.push_back({at, {m_pending.begin(), m_pending.begin() + static_cast<long>(length)}});
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<long>(length));
    }
}

std::vector<CPeer::Arrival> CPeer::ReadFrames(size_t count, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (m_frames.size() < count && Clock::now() < deadline) Pump(deadline);
    return m_frames;
}

void CPeer::Send(const std::vector<uint8_t>& bytes) {
    if (::write(m_pty.Fd(), bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        throw std::runtime_error("the peer could not write");
}

}  // namespace lumetra::test
