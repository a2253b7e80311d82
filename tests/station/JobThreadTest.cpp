// The job thread hands what a job throws to the one who waits for it with Run, logs what a posted
// job throws, and goes on with the next job; a timer started while it waits idle fires.
#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>

#include "station/JobThread.h"
#include "tests/support/LogRecorder.h"

namespace lumetra {
namespace {

using namespace std::chrono_literals;

TEST(JobThreadTest, RunPassesOnAJobsExceptionPostedFailuresAreLoggedAndTheThreadGoesOn) {
    test::CLogRecorder log;
    CJobThread thread("worker");
    thread.Start();
    EXPECT_THROW(thread.Run([] { throw std::runtime_error("disk full"); }), std::runtime_error);
    thread.Post([] { throw std::runtime_error("port gone"); });
    EXPECT_TRUE(log.WaitFor("worker thread: a job failed: port gone", 2s));
    int ran = 0;
    EXPECT_TRUE(thread.Run([&] { ++ran; }));
    EXPECT_EQ(ran, 1);

    test::CRecord<int> beats;
    thread.StartTimer(20ms, [&] { beats.Add(1); });
    EXPECT_TRUE(beats.WaitUntil(2s, [](const auto& items) { return items.size() >= 2; }));
    thread.Stop();
    EXPECT_FALSE(thread.Run([] {})) << "a stopped thread runs nothing";
}

}  // namespace
}  // namespace lumetra
