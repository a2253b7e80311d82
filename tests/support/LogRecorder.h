// Recorders for tests: a list that another thread adds to while the test waits on it, and every
// line of the diagnostic log with the time it was written.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "base/Logger.h"

namespace lumetra::test {

using Clock = std::chrono::steady_clock;

// A list that another thread adds to while the test reads it and waits on it.
template <typename T>
class CRecord {
public:
    void Add(T item) {
        std::lock_guard lock(m_lock);
        m_items.push_back(std::move(item));
        m_changed.notify_all();
    }
    std::vector<T> Items() const {
        std::lock_guard lock(m_lock);
        return m_items;
    }
    std::vector<T> Take() {  // the items so far, forgetting them
        std::lock_guard lock(m_lock);
        return std::exchange(m_items, {});
    }
    // Whether `done(items)` holds within `limit`.
    template <typename Done>
    bool WaitUntil(std::chrono::milliseconds limit, Done done) const {
        std::unique_lock lock(m_lock);
        return m_changed.wait_for(lock, limit, [&] { return done(m_items); });
    }

protected:
    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    std::vector<T> m_items;
};

struct LogLine {
    Clock::time_point at;
    std::string message;  // without the time: "open port success"
    LogLevel level;
};

// Every log line while it is installed.
class CLogRecorder : public ILogSink, public CRecord<LogLine> {
public:
    CLogRecorder() { Logger().SetSink(this); }
    ~CLogRecorder() override { Logger().SetSink(nullptr); }
    void Write(const char* line, size_t length, LogLevel level) override {
        std::string text(line, length);
        if (const size_t marker = text.find(" - FM: "); marker != std::string::npos)
            text.erase(0, marker + 7);
        Add({Clock::now(), std::move(text), level});
    }
    // Whether `count` lines beginning with `prefix` are logged within `limit`.
    bool WaitFor(const std::string& prefix, std::chrono::milliseconds limit, size_t count = 1) const {
        return WaitUntil(limit, [&](const std::vector<LogLine>& lines) {
            return std::ranges::count_if(lines, [&](const LogLine& l) {
                       return l.message.starts_with(prefix);
                   }) >= static_cast<std::ptrdiff_t>(count);
        });
    }
};

}  // namespace lumetra::test
