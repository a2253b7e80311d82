// The diagnostic log: long lines cut, whole lines from concurrent threads, and which level reaches
// standard error.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "base/Logger.h"
#include "tests/support/LocalTime.h"

namespace lumetra {
namespace {

std::string Format(const std::tm& tm, int ms, const char* format, ...) {
    char buffer[256];
    va_list args;
    va_start(args, format);
    const size_t length = CLogger::FormatLine(buffer, sizeof buffer, tm, ms, format, args);
    va_end(args);
    return std::string(buffer, length);
}

constexpr auto At = test::CalendarTm;

// A long message is cut to the line's 255 bytes, not written past them. The line's layout:
// Logger.ConcurrentLinesStayWhole.
TEST(LoggerLine, LongMessagesAreCutNotOverrun) {
    EXPECT_EQ(Format(At(2026, 1, 1, 0, 0, 0), 0, "%s", std::string(1000, 'x').c_str()),
              "2026-1-1 0:0:0.0 - FM: " + std::string(255 - 23, 'x'));
}

class RecordingSink : public ILogSink {
public:
    void Write(const char* line, size_t length, LogLevel) override {
        // No lock here on purpose: the logger must serialise the calls itself.
        lines.emplace_back(line, length);
    }
    std::vector<std::string> lines;
};

TEST(Logger, ConcurrentLinesStayWhole) {
    CLogger logger;
    RecordingSink sink;
    logger.SetSink(&sink);
    constexpr int kThreads = 4, kLines = 2000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kLines; ++i) logger.Log("thread %d line %d %s", t, i, "payload");
        });
    for (auto& thread : threads) thread.join();
    logger.SetSink(nullptr);

    ASSERT_EQ(sink.lines.size(), static_cast<size_t>(kThreads * kLines));
    const std::regex shape(
        R"(\d{4}-\d{1,2}-\d{1,2} \d{1,2}:\d{1,2}:\d{1,2}\.\d{1,3} - FM: thread (\d) line (\d+) payload)");
    std::vector<int> next(kThreads, 0);
    for (const auto& line : sink.lines) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, shape)) << line;
        const int t = std::stoi(m[1]);
        EXPECT_EQ(std::stoi(m[2]), next[t]++) << "lines of one thread keep their order";
    }
}

// Without a window the log echoes to standard error what the operator's support reads, never the
// per-byte trace; with LUMETRA_DEBUG set both.
TEST(Logger, StandardErrorGetsTheTraceOnlyWithTheDebugSwitch) {
    for (const bool debugSwitch : {false, true}) {
        SCOPED_TRACE(debugSwitch ? "LUMETRA_DEBUG set" : "headless");
        debugSwitch ? setenv("LUMETRA_DEBUG", "1", 1) : unsetenv("LUMETRA_DEBUG");
        CLogger logger;
        logger.EchoToStandardError();
        std::fflush(stderr);
        FILE* captured = std::tmpfile();
        const int saved = dup(STDERR_FILENO);
        dup2(fileno(captured), STDERR_FILENO);
        logger.Debug("read byte fail %d", 0);
        logger.Log("the transmitter answers");
        dup2(saved, STDERR_FILENO);
        close(saved);
        std::rewind(captured);
        std::string text;
        for (int c; (c = std::fgetc(captured)) != EOF;) text.push_back(static_cast<char>(c));
        std::fclose(captured);
        EXPECT_EQ(text.find("read byte fail 0\n") != std::string::npos, debugSwitch) << text;
        EXPECT_NE(text.find("FM: the transmitter answers\n"), std::string::npos) << text;
    }
    unsetenv("LUMETRA_DEBUG");
}

}  // namespace
}  // namespace lumetra
