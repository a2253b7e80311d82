// The link's queue and threads against a transmitter peer on a real pseudo-terminal: what leaves
// and what is dropped, at least 100 ms apart; how replies and silence move the link state; how long
// stopping may take. Then against the transmitter simulator running as its own process: corrupt
// replies behave as on a real line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <thread>

#include "link/TransmitterLink.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/support/RecordingLink.h"
#include "tools/txsim/SimulatorProcess.h"

namespace lumetra {
namespace {

using namespace std::chrono_literals;
using test::Clock;
using test::HexBytes;

class LinkThreadsTest : public testing::Test {
protected:
    void SetUp() override {
        notes.Attach(&link);
        ASSERT_TRUE(link.OpenPort(peer.DevicePath(), 9600, 8));
    }
    void BringUp() {
        const size_t before = notes.Items().size();
        peer.Send(HexBytes("81 40 01 07 AA 00 EC"));
        ASSERT_TRUE(notes.WaitFor(true, before, 2s));
    }

    test::CLogRecorder log;
    test::CNotifyRecorder notes;
    test::CPeer peer;
    CTransmitterLink link{&notes};
};

// Thirty empty reads of 100 ms after the last byte take the link down; any byte, reply or not,
// starts the count again.
TEST_F(LinkThreadsTest, EveryReplyNotifiesAndThreeSecondsOfSilenceAfterTheLastByteTakeTheLinkDown) {
    EXPECT_FALSE(link.IsLinkUp());
    peer.Send(HexBytes("00 13 7F"));  // noise before the first start byte
    BringUp();
    BringUp();
    log.Take();
    ASSERT_TRUE(log.WaitFor("read byte fail", 5s, 12));  // a dozen empty reads since the reply
    peer.Send({0x00});
    const auto stray = Clock::now();
    ASSERT_TRUE(notes.WaitFor(false, 2, 8s));
    EXPECT_GE(Clock::now() - stray, 2900ms)
        << "counted from the reply, the link goes down 1.8 s after the byte";
    EXPECT_EQ(notes.Items(), (std::vector<bool>{true, true, false}));
    EXPECT_FALSE(link.IsLinkUp());
}

TEST_F(LinkThreadsTest, NothingIsQueuedBeforeOpenPortOrAfterCloseLinkAndHeartbeatsDoNotPileUp) {
    CTransmitterLink unopened;
    unopened.SendSCOM();
    EXPECT_EQ(unopened.QueuedCount(), 0u);
    EXPECT_FALSE(unopened.IsRunning());

    for (int i = 0; i < 5; ++i) link.SendSCOM();  // at most the first has left when the link closes
    EXPECT_LE(link.QueuedCount(), 1u) << "heartbeats that pile up would leave in a burst";
    link.CloseLink(false);
    EXPECT_EQ(link.QueuedCount(), 0u);
    link.SendSCOM();
    EXPECT_EQ(link.QueuedCount(), 0u);
    ASSERT_TRUE(link.OpenPort(peer.DevicePath(), 9600, 8));
    EXPECT_LE(peer.ReadFrames(2, 600ms).size(), 1u) << "a frame from before the stop went out";
}

TEST_F(LinkThreadsTest, OpenPortStopsARunningLinkAndRefusedSettingsLeaveItStopped) {
    BringUp();
    EXPECT_FALSE(link.OpenPort(peer.DevicePath(), 1234, 8));
    EXPECT_EQ(notes.Items().back(), false);
    EXPECT_FALSE(link.IsLinkUp());
    EXPECT_FALSE(link.IsRunning());

    const size_t before = notes.Items().size();
    ASSERT_TRUE(link.OpenPort(peer.DevicePath(), 9600, 8));
    EXPECT_EQ(notes.Items().size(), before + 1) << "the port left open is not closed first";
    link.SendSCOM();
    EXPECT_EQ(peer.ReadFrames(1, 1s).size(), 1u);
}

// The writer's own lines: each write starts no sooner than 100 ms after the last one ended, and
// 200 ms after the frequency frame, which its caller queues without waiting.
TEST_F(LinkThreadsTest, EachWriteStartsAtLeast100msAfterTheLastEndedAndTheFrequencyFrame200ms) {
    link.SendSCOM(), link.SendPower({true, false, false, false}), link.SendFMCom(), CloseAllChannels(link);
    ASSERT_TRUE(log.WaitFor("write byte success", 2s, 4));
    std::vector<Clock::time_point> starts, ends;
    for (const auto& line : log.Items()) {
        if (line.message.ends_with(" cmd start write")) starts.push_back(line.at);
        if (line.message == "write byte success") ends.push_back(line.at);
    }
    ASSERT_EQ(starts.size(), 4u);
    ASSERT_EQ(ends.size(), 4u);
    for (size_t i = 1; i < starts.size(); ++i)
        EXPECT_GE(starts[i] - ends[i - 1], i == 3 ? 200ms : 100ms) << "frame " << i;
    EXPECT_EQ(peer.ReadFrames(4, 1s).size(), 4u);
}

// The threads of this process, from the kernel's list, once they number `expected` or 2 s passed
// (a thread that has finished may still be listed for a moment).
size_t ThreadCount(size_t expected) {
    for (const auto deadline = Clock::now() + 2s;; std::this_thread::sleep_for(10ms)) {
        const auto tasks = std::filesystem::directory_iterator("/proc/self/task");
        const auto count = static_cast<size_t>(std::distance(begin(tasks), end(tasks)));
        if (!expected || count == expected || Clock::now() >= deadline) return count;
    }
}

TEST(LinkLifetimeTest, AStuckWriterHoldsNoLockAndNoThreadOutlivesTheLink) {
    test::CAlertRecorder alerts;
    test::CPeer hungUp, second;
    const size_t before = ThreadCount(0);
    {
        CTransmitterLink link(nullptr, &alerts);
        ASSERT_TRUE(link.OpenPort(hungUp.DevicePath(), 9600, 8));
        EXPECT_EQ(ThreadCount(before + 2), before + 2);
        alerts.Hold(true);
        // Let the writer go before the link is destroyed, even when an assertion ends the test early.
        const std::unique_ptr<test::CAlertRecorder, void (*)(test::CAlertRecorder*)> release(
            &alerts, [](test::CAlertRecorder* a) { a->Hold(false); });
        hungUp.HangUp();
        link.SendSCOM();
        ASSERT_TRUE(alerts.WaitUntil(2s, [](const auto& shown) { return !shown.empty(); }));
        const auto start = Clock::now();
        link.CloseLink(true);
        EXPECT_LT(Clock::now() - start, 2 * CTransmitterLink::kThreadStopWait + 200ms);
        EXPECT_EQ(ThreadCount(before + 1), before + 1) << "only the stuck writer is left";

        // The port and the queue are free while the old writer is stuck: a new connection works.
        ASSERT_TRUE(link.OpenPort(second.DevicePath(), 9600, 8));
        link.SendSCOM();
        EXPECT_EQ(second.ReadFrames(1, 2s).size(), 1u);

        // Released at last, the old writer sees that its link was stopped and leaves the port alone.
        alerts.Hold(false);
        EXPECT_EQ(ThreadCount(before + 2), before + 2);
        EXPECT_EQ(second.ReadFrames(2, 200ms).size(), 1u) << "the old writer wrote again on the new port";
    }  // destroyed while running
    EXPECT_EQ(ThreadCount(before), before);
}

// Replies that fail their checksum never bring the link up: each takes it down and reopens the
// port, on which right replies bring it up again.
TEST(SimulatorLinkTest, CorruptRepliesKeepTheLinkDownAndReopenThePortUntilRightOnesReturn) {
    test::CLogRecorder log;
    test::CNotifyRecorder notes;
    CTransmitterLink link{&notes};
    notes.Attach(&link);
    txsim::CSimulatorProcess simulator(LUMETRA_TXSIM_PATH, {"--corrupt"});
    ASSERT_TRUE(link.OpenPort(simulator.DevicePath(), 9600, 8));
    const std::jthread heartbeat([&link](std::stop_token stop) {  // as the main window's, 10 times as often
        for (; !stop.stop_requested(); std::this_thread::sleep_for(300ms)) link.SendSCOM();
    });
    ASSERT_TRUE(notes.WaitFor(false, 0, 3s));
    EXPECT_FALSE(link.IsLinkUp());
    // The first open was the test's own. (An open closes what was open: SerialPortTest.Failures...)
    EXPECT_TRUE(log.WaitFor("open port success", 1s, 2)) << "the port was not opened again";
    EXPECT_EQ(std::ranges::count(notes.Items(), true), 0);

    simulator.Command("normal");
    ASSERT_TRUE(simulator.WaitForLine("\"event\":\"mode\"", 2s));
    EXPECT_TRUE(notes.WaitFor(true, notes.Items().size(), 3s));
}

// The operator's log of an idle link stays empty: the per-byte trace is at the debug level. A loss
// and the return are told once each, however often the line is reopened while it stays down.
TEST(SimulatorLinkTest, AnIdleLinkLogsOnlyItsLossAndItsReturn) {
    test::CLogRecorder log;
    test::CNotifyRecorder notes;
    CTransmitterLink link{&notes};
    notes.Attach(&link);
    txsim::CSimulatorProcess simulator(LUMETRA_TXSIM_PATH);
    ASSERT_TRUE(link.OpenPort(simulator.DevicePath(), 9600, 8));
    // Ten times the station's pace: twenty heartbeats stand for a minute.
    const std::jthread heartbeat([&link](std::stop_token stop) {
        for (; !stop.stop_requested(); std::this_thread::sleep_for(300ms)) link.SendSCOM();
    });
    ASSERT_TRUE(notes.WaitFor(true, 0, 3s));
    log.Take();
    const auto told = [&log] {
        std::vector<std::string> lines;
        for (const test::LogLine& line : log.Items())
            if (line.level == LogLevel::kInfo) lines.push_back(line.message.substr(0, 20));
        return lines;
    };
    ASSERT_TRUE(log.WaitFor("SendSCOM write cmd success", 10s, 20));
    EXPECT_EQ(told(), std::vector<std::string>{}) << "an idle minute";

    simulator.Command("silent");
    ASSERT_TRUE(notes.WaitFor(false, notes.Items().size(), 5s));
    ASSERT_TRUE(log.WaitFor("open port success", 10s, 2)) << "the line was not reopened while down";
    simulator.Command("normal");
    ASSERT_TRUE(notes.WaitFor(true, notes.Items().size(), 5s));
    EXPECT_EQ(told(), (std::vector<std::string>{"ReadFromCoomm#######", "the transmitter answ"}));
}

}  // namespace
}  // namespace lumetra
