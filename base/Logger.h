// The program-wide diagnostic log, used by every layer. Each call formats one line stamped with the
// local time to the millisecond:
//   "2026-3-7 9:5:3.42 - FM: open port success"
// Two levels: Log for what the operator's support reads (states, failures, changes), Debug for the
// per-byte and per-frame trace of the link. With LUMETRA_DEBUG set both go to standard error; a
// program without a window echoes the first level only (EchoToStandardError). A sink gets both.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <ctime>
#include <mutex>

namespace lumetra {

enum class LogLevel { kDebug, kInfo };

// Where finished lines go. Called with the logger's lock held, so lines never interleave.
class ILogSink {
public:
    virtual ~ILogSink() = default;
    virtual void Write(const char* line, size_t length, LogLevel level) = 0;
};

class CLogger {
public:
    CLogger();
    void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // A trace line: not even formatted unless LUMETRA_DEBUG is set or a sink is installed.
    void Debug(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Replaces the destination (nullptr restores the default); for tests and other front ends.
    void SetSink(ILogSink* sink);
    // Writes Log's lines to standard error from now on: a program without a window has no other
    // way to tell what it does.
    void EchoToStandardError();

    // Builds one line into `buffer` and returns its length (cut at `size` - 1 bytes).
    static size_t FormatLine(char* buffer, size_t size, const std::tm& local, int millisecond,
                             const char* format, va_list args);

private:
    void Write(LogLevel level, const char* format, va_list args);

    std::mutex m_lock;  // serialises formatting and writing of whole lines
    ILogSink* m_sink = nullptr;
    const bool m_debugChannel;  // LUMETRA_DEBUG was set at start: both levels to standard error
    bool m_echo;                // Log's lines to standard error
};

// The process-wide logger.
CLogger& Logger();

}  // namespace lumetra
