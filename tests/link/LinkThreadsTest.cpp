// The link's queue and threads against a transmitter peer on a real pseudo-terminal: what leaves
// and what is dropped, at least 100 ms apart; how replies, corrupt replies and silence move the link
// state; how long stopping may take. Then against the transmitter simulator running as its own
// process: what an idle link and a lost one tell the operator's log.
#include <gtest/gtest.h>
#include <termios.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <thread>

#include "link/TransmitterLink.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/support/Eventually.h"
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
    EXPECT_FALSE(notes.WaitFor(false, 2, 1200ms)) << "down within 1.2 s of a reply";
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

// A corrupt reply takes the link down and sets the port up anew: the line settings the test
// changed behind the link's back are its own again. Only a right reply brings the link back.
TEST_F(LinkThreadsTest, ACorruptReplyTakesTheLinkDownAndSetsThePortUpAgain) {
    BringUp();
    const auto speed = [this] {
        termios tio{};
        tcgetattr(peer.Fd(), &tio);
        return cfgetospeed(&tio);
    };
    for (int corrupt = 0; corrupt < 3; ++corrupt) {
        termios tio{};
        ASSERT_EQ(tcgetattr(peer.Fd(), &tio), 0);
        cfsetspeed(&tio, B19200);
        ASSERT_EQ(tcsetattr(peer.Fd(), TCSANOW, &tio), 0);
        const size_t before = notes.Items().size();
        peer.Send(HexBytes("81 40 01 07 AA 00 ED"));  // the heartbeat's reply, its checksum one off
        ASSERT_TRUE(notes.WaitFor(false, before, 2s));
        EXPECT_FALSE(link.IsLinkUp());
        EXPECT_TRUE(test::Eventually([&] { return speed() == B9600; })) << "the port was not set up again";
    }
    EXPECT_EQ(std::ranges::count(notes.Items(), true), 1);
    BringUp();
}

// Each write starts no sooner than 100 ms after the last one ended, and 200 ms after the frequency
// frame, which its caller queues without waiting: so they reach the transmitter, give or take the
// few milliseconds the peer may take to read a frame.
TEST_F(LinkThreadsTest, EachWriteStartsAtLeast100msAfterTheLastEndedAndTheFrequencyFrame200ms) {
    constexpr auto kReadLate = 5ms;
    link.SendSCOM(), link.SendPower({true, false, false, false}), link.SendFMCom(), CloseAllChannels(link);
    ASSERT_EQ(peer.ReadFrames(4, 2s).size(), 4u);
    const std::vector<Clock::time_point>& arrivals = peer.Arrivals();
    for (size_t i = 1; i < arrivals.size(); ++i)
        EXPECT_GE(arrivals[i] - arrivals[i - 1], (i == 3 ? 200ms : 100ms) - kReadLate) << "frame " << i;
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
        return std::ranges::count_if(log.Items(),
                                     [](const auto& line) { return line.level == LogLevel::kInfo; });
    };
    for (int heartbeat = 0; heartbeat < 20; ++heartbeat)
        ASSERT_TRUE(simulator.WaitForLine("\"command\":\"SendSCOM\"", 2s));
    EXPECT_EQ(told(), 0) << "an idle minute";

    simulator.Command("silent");
    const size_t answered = notes.Items().size();
    ASSERT_TRUE(notes.WaitFor(false, answered, 5s));
    ASSERT_TRUE(notes.WaitUntil(10s, [&](const std::vector<bool>& states) {
        return std::count(states.begin() + static_cast<long>(answered), states.end(), false) >= 2;
    })) << "the loss was not found again while the line stayed down";
    EXPECT_EQ(told(), 1) << "the loss";
    simulator.Command("normal");
    ASSERT_TRUE(notes.WaitFor(true, notes.Items().size(), 5s));
    EXPECT_EQ(told(), 2) << "and the return";
}

}  // namespace
}  // namespace lumetra
