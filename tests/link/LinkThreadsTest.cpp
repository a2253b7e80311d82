// The link's queue and threads against a transmitter peer on a real pseudo-terminal: what leaves,
// in which order and how far apart; how replies, silence and corruption move the link state.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "link/TransmitterLink.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/link/RecordingLink.h"

namespace lumetra {
namespace {

using namespace std::chrono_literals;
using test::Clock;
using test::HexBytes;

const std::string kReopen = "OpenPort################################";

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

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
        EXPECT_TRUE(link.IsLinkUp());
    }

    test::CLogRecorder log;
    test::CNotifyRecorder notes;
    test::CAlertRecorder alerts;
    test::CPeer peer;
    CTransmitterLink link{&notes, &alerts};
};

TEST_F(LinkThreadsTest, EveryValidReplyNotifiesAndTheThirtiethEmptyReadInARowTakesTheLinkDown) {
    EXPECT_FALSE(link.IsLinkUp());
    peer.Send(HexBytes("00 13 7F"));  // noise before the first start byte
    BringUp();
    BringUp();
    std::this_thread::sleep_for(1500ms);  // about a dozen empty reads
    peer.Send({0x00});                    // any byte starts the count again
    ASSERT_TRUE(notes.WaitFor(false, 2, 8s));
    EXPECT_EQ(notes.Items(), (std::vector<bool>{true, true, false}));
    EXPECT_FALSE(link.IsLinkUp());
    // The failed reads since the last byte received, and since the last reply, up to the line
    // that reports the link lost.
    size_t sinceByte = 0, sinceReply = 0;
    for (const auto& line : log.Items()) {
        if (line.message == "ReadFromCoomm################################") break;
        if (StartsWith(line.message, "read byte fail")) {
            ++sinceByte, ++sinceReply;
        } else if (StartsWith(line.message, "read byte ")) {
            sinceByte = 0;
            if (line.message == "read byte ec") sinceReply = 0;
        }
    }
    EXPECT_EQ(sinceByte, 30u);
    EXPECT_GT(sinceReply, 30u) << "the stray byte did not restart the count";
}

TEST_F(LinkThreadsTest, NothingIsQueuedBeforeOpenPortOrAfterCloseLink) {
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
    EXPECT_LE(peer.ReadFrames(2, 600ms).size(), 1u);
}

TEST_F(LinkThreadsTest, OpenPortStopsARunningLinkAndRefusedSettingsLeaveItStopped) {
    BringUp();
    EXPECT_FALSE(link.OpenPort(peer.DevicePath(), 1234, 8));
    EXPECT_EQ(log.Count(kReopen), 1u);
    EXPECT_EQ(notes.Items().back(), false);
    EXPECT_FALSE(link.IsLinkUp());
    EXPECT_FALSE(link.IsRunning());

    ASSERT_TRUE(link.OpenPort(peer.DevicePath(), 9600, 8));
    EXPECT_EQ(log.Count(kReopen), 2u) << "the port left open is closed first";
    link.SendSCOM();
    EXPECT_EQ(peer.ReadFrames(1, 1s).size(), 1u);
    BringUp();

    const auto start = Clock::now();
    link.CloseLink(true);
    EXPECT_LT(Clock::now() - start, 2 * CTransmitterLink::kThreadStopWait) << "CloseLink outlasted its waits";
    EXPECT_FALSE(link.IsRunning());
    EXPECT_FALSE(link.IsLinkUp());
    EXPECT_EQ(notes.Items().back(), false);
}

// The threads of this process, from the kernel's list; given `expected`, once they number that or
// 2 s passed (a thread that has finished may still be listed for a moment).
size_t ThreadCount(size_t expected = 0) {
    for (const auto deadline = Clock::now() + 2s;; std::this_thread::sleep_for(10ms)) {
        size_t count = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
            ++count;
        if (!expected || count == expected || Clock::now() >= deadline) return count;
    }
}

TEST(LinkLifetimeTest, WriterHeldByTheFailureBoxHoldsNoLockAndNoThreadOutlivesTheLink) {
    test::CLogRecorder log;
    test::CAlertRecorder alerts;
    test::CPeer hungUp, second;
    const size_t before = ThreadCount();
    {
        CTransmitterLink link(nullptr, &alerts);
        ASSERT_TRUE(link.OpenPort(hungUp.DevicePath(), 9600, 8));
        EXPECT_EQ(ThreadCount(before + 2), before + 2);
        alerts.Hold(true);
        // Let the box go before the link is destroyed, even when an assertion ends the test early.
        const std::unique_ptr<test::CAlertRecorder, void (*)(test::CAlertRecorder*)> release(
            &alerts, [](test::CAlertRecorder* a) { a->Hold(false); });
        hungUp.HangUp();
        link.SendSCOM();
        ASSERT_TRUE(alerts.WaitUntil(2s, [](const auto& shown) { return !shown.empty(); }));
        const auto start = Clock::now();
        link.CloseLink(true);
        EXPECT_LT(Clock::now() - start, 2 * CTransmitterLink::kThreadStopWait + 200ms);
        EXPECT_EQ(ThreadCount(before + 1), before + 1) << "only the writer in the box is left";

        // The port and the queue are free while the box is still open: a new connection works.
        ASSERT_TRUE(link.OpenPort(second.DevicePath(), 9600, 8));
        link.SendSCOM();
        EXPECT_EQ(second.ReadFrames(1, 2s).size(), 1u);

        // Closed at last, the old writer sees that its link was stopped and leaves the port alone.
        alerts.Hold(false);
        EXPECT_EQ(ThreadCount(before + 2), before + 2);
        EXPECT_EQ(log.Count("SendSCOM write cmd try again"), 0u);
    }  // destroyed while running
    EXPECT_EQ(ThreadCount(before), before);
}

}  // namespace
}  // namespace lumetra
