// The diagnostic log: long lines cut, and whole lines from concurrent threads.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace lumetra
