#include "base/Logger.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace lumetra {
namespace {

// Long enough for every message the link writes; longer ones are cut, never allocated.
constexpr size_t kLineCapacity = 1024;

}  // namespace

CLogger::CLogger() : m_debugChannel(std::getenv("LUMETRA_DEBUG") != nullptr), m_echo(m_debugChannel) {}

void CLogger::SetSink(ILogSink* sink) {
    std::lock_guard lock(m_lock);
    m_sink = sink;
}

void CLogger::EchoToStandardError() {
    std::lock_guard lock(m_lock);
    m_echo = true;
}

size_t CLogger::FormatLine(char* buffer, size_t size, const std::tm& local, int millisecond,
                           const char* format, va_list args) {
    int prefix =
        std::snprintf(buffer, size, "%d-%d-%d %d:%d:%d.%d - FM: ", local.tm_year + 1900, local.tm_mon + 1,
                      local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, millisecond);
    if (prefix < 0) return 0;
    size_t used = static_cast<size_t>(prefix) < size ? static_cast<size_t>(prefix) : size - 1;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    int message = std::vsnprintf(buffer + used, size - used, format, args);
#pragma GCC diagnostic pop
    if (message > 0)
        used += static_cast<size_t>(message) < size - used ? static_cast<size_t>(message) : size - used - 1;
    return used;
}

void CLogger::Log(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Write(LogLevel::kInfo, format, args);
    va_end(args);
}

void CLogger::Debug(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Write(LogLevel::kDebug, format, args);
    va_end(args);
}

void CLogger::Write(LogLevel level, const char* format, va_list args) {
    std::lock_guard lock(m_lock);
    const bool toStandardError = level == LogLevel::kDebug ? m_debugChannel : m_echo;
    if (!m_sink && !toStandardError) return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    localtime_r(&now.tv_sec, &local);

    // One extra byte for the newline that separates entries on the stream.
    char line[kLineCapacity + 1];
    size_t length =
        FormatLine(line, kLineCapacity, local, static_cast<int>(now.tv_nsec / 1000000), format, args);
    if (m_sink) {
        m_sink->Write(line, length, level);
    } else {
        // A debug viewer shows every entry as its own line; on a stream the newline does that.
        line[length] = '\n';
        ssize_t ignored = ::write(STDERR_FILENO, line, length + 1);
        (void)ignored;
    }
}

CLogger& Logger() {
    static CLogger logger;
    return logger;
}

}  // namespace lumetra
