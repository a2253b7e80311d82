// The program-wide diagnostic log, used by every layer. Each call formats one line stamped with the
// local time to the millisecond:
//   "2026-3-7 9:5:3.42 - FM: open port success"
// Lines go to standard error only while LUMETRA_DEBUG is set; they are formatted either way.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <ctime>
#include <mutex>

namespace lumetra {

// Where finished lines go. Called with the logger's lock held, so lines never interleave.
class ILogSink {
public:
    virtual ~ILogSink() = default;
    virtual void Write(const char* line, size_t length) = 0;
};

class CLogger {
public:
    CLogger();
    void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Replaces the destination (nullptr restores the default); for tests and other front ends.
    void SetSink(ILogSink* sink);
    // Writes to standard error from now on, as with LUMETRA_DEBUG set: a program without a window
    // has no other way to tell what it does.
    void EchoToStandardError();

    // Builds one line into `buffer` and returns its length (cut at `size` - 1 bytes).
    static size_t FormatLine(char* buffer, size_t size, const std::tm& local, int millisecond,
                             const char* format, va_list args);

private:
    std::mutex m_lock;  // serialises formatting and writing of whole lines
    ILogSink* m_sink = nullptr;
    bool m_debugChannel;  // LUMETRA_DEBUG was set at start
};

// The process-wide logger.
CLogger& Logger();

}  // namespace lumetra
