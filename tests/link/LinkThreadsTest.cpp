// The link's queue and threads against a transmitter peer on a real pseudo-terminal: what leaves,
// in which order and how far apart; how replies, silence and corruption move the link state.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "link/TransmitterLink.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/link/RecordingLink.h"

namespace lumetra {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::Bytes;

const std::vector<uint8_t> kReply = Bytes("81 40 01 07 AA 00 EC");
const std::string kLost = "ReadFromCoomm################################";

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

// Failed reads since the reader last received a byte.
size_t EmptyReadsSinceLastByte(const std::vector<test::CLogRecorder::Line>& lines) {
    size_t count = 0;
    for (const auto& line : lines) {
        if (StartsWith(line.message, "read byte fail"))
            ++count;
        else if (StartsWith(line.message, "read byte "))
            count = 0;
    }
    return count;
}

class LinkThreadsTest : public testing::Test {
protected:
    void SetUp() override {
        notes.Attach(&link);
        ASSERT_TRUE(link.OpenPort(peer.DevicePath(), 9600, 8));
    }

    // Frames the real builders make, recorded without a port.
    template <typename Build>
    static std::vector<uint8_t> FrameOf(Build build) {
        test::CRecordingLink recorder;
        build(recorder);
        return recorder.Commands().at(0).data;
    }

    void BringUp() {
        const size_t before = notes.States().size();
        peer.Send(kReply);
        ASSERT_TRUE(notes.WaitFor(true, before, 2s));
    }

    test::CLogRecorder log;
    test::CNotifyRecorder notes;
    test::CAlertRecorder alerts;
    test::CPeer peer;
    CTransmitterLink link{&notes, &alerts};
};

TEST_F(LinkThreadsTest, FramesArriveWholeAndInOrder) {
    ChannelFlags flags{};
    flags[0] = flags[9] = 1;
    link.SetPowerSwitch(2, true);
    link.SendSCOM();
    link.SendPower();
    OpenChannels(link, flags);
    ASSERT_TRUE(link.SendLED("abc", 0));
    CloseAllChannels(link);

    const std::vector<std::vector<uint8_t>> expected{
        Bytes("81 40 01 07 AA 00 EC"),
        Bytes("81 40 01 07 AC 02 E8"),
        FrameOf([&](CTransmitterLink& l) { OpenChannels(l, flags); }),
        Bytes("81 40 01 0A AD 01 61 62 63 87"),
        FrameOf([](CTransmitterLink& l) { CloseAllChannels(l); }),
    };
    const auto frames = peer.ReadFrames(expected.size(), 3s);
    ASSERT_EQ(frames.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(frames[i].bytes, expected[i]) << "frame " << i;
    EXPECT_EQ(log.Count("SendPower write cmd success"), 1u);
}

TEST_F(LinkThreadsTest, FramesLeaveAtLeast100msApart) {
    for (int i = 0; i < 4; ++i) link.SendSCOM();
    ASSERT_EQ(peer.ReadFrames(4, 3s).size(), 4u);

    // The writer's own lines: each write starts no sooner than 100 ms after the last one ended.
    std::vector<Clock::time_point> starts;
    std::vector<Clock::time_point> ends;
    for (const auto& line : log.Lines()) {
        if (line.message == "SendSCOM cmd start write") starts.push_back(line.at);
        if (line.message == "write byte success") ends.push_back(line.at);
    }
    ASSERT_EQ(starts.size(), 4u);
    ASSERT_EQ(ends.size(), 4u);
    for (size_t i = 1; i < starts.size(); ++i) EXPECT_GE(starts[i] - ends[i - 1], 100ms) << "frame " << i;
}

TEST_F(LinkThreadsTest, EveryValidReplyNotifiesWithTheLinkUp) {
    EXPECT_FALSE(link.IsLinkUp());
    peer.Send(Bytes("00 13 7F"));  // noise before the first start byte
    BringUp();
    EXPECT_TRUE(link.IsLinkUp());
    BringUp();
    EXPECT_EQ(notes.States(), (std::vector<bool>{true, true}));
}

TEST_F(LinkThreadsTest, CorruptReplyTakesTheLinkDownAndReopens) {
    BringUp();
    const size_t before = notes.States().size();
    peer.Send(Bytes("81 40 01 07 AA 00 ED"));
    ASSERT_TRUE(notes.WaitFor(false, before, 2s));
    EXPECT_FALSE(link.IsLinkUp());
    ASSERT_TRUE(log.WaitFor(kLost, 1s));
    ASSERT_TRUE(log.WaitFor("open port success", 1s, 2));  // the first open was the test's own
    // The reopen follows the lost line: close, then open again.
    const auto lines = log.Lines();
    auto lost = std::find_if(lines.begin(), lines.end(), [](const auto& l) { return l.message == kLost; });
    std::vector<std::string> after;
    for (auto it = lost; it != lines.end(); ++it)
        if (StartsWith(it->message, "close port") || StartsWith(it->message, "open port"))
            after.push_back(it->message);
    ASSERT_GE(after.size(), 2u);
    EXPECT_EQ(after[0], "close port success");
    EXPECT_EQ(after[1], "open port success");
    // And the link comes back on the reopened port.
    BringUp();
}

TEST_F(LinkThreadsTest, ThirtiethEmptyReadInARowTakesTheLinkDown) {
    size_t emptyReadsAtDown = 0;
    notes.onNotify = [&](bool up) {
        if (!up) emptyReadsAtDown = EmptyReadsSinceLastByte(log.Lines());
    };
    BringUp();
    std::this_thread::sleep_for(1500ms);  // about a dozen empty reads
    peer.Send({0x00});                    // any byte starts the count again
    const size_t before = notes.States().size();
    ASSERT_TRUE(notes.WaitFor(false, before, 8s));
    notes.onNotify = nullptr;
    EXPECT_EQ(emptyReadsAtDown, 30u);
    EXPECT_EQ(notes.States(), (std::vector<bool>{true, false}));
    size_t emptyReadsSinceReply = 0;
    bool afterReply = false;
    for (const auto& line : log.Lines()) {
        if (line.message == "read byte ec") afterReply = true;
        if (afterReply && StartsWith(line.message, "read byte fail")) ++emptyReadsSinceReply;
        if (line.message == kLost) break;
    }
    EXPECT_GT(emptyReadsSinceReply, 30u) << "the stray byte did not reset the count";
}

TEST_F(LinkThreadsTest, StoppedLinkQueuesNothing) {
    link.CloseLink(false);
    link.SendSCOM();
    EXPECT_EQ(link.QueuedCount(), 0u);
    ASSERT_TRUE(link.OpenPort(peer.DevicePath(), 9600, 8));
    EXPECT_TRUE(peer.ReadFrames(1, 400ms).empty());
}

TEST_F(LinkThreadsTest, CloseLinkDropsWhatIsStillQueued) {
    for (int i = 0; i < 5; ++i) link.SendSCOM();
    link.CloseLink(false);
    EXPECT_EQ(link.QueuedCount(), 0u);
    ASSERT_TRUE(link.OpenPort(peer.DevicePath(), 9600, 8));
    EXPECT_LE(peer.ReadFrames(5, 600ms).size(), 1u);
}

TEST_F(LinkThreadsTest, OpenPortOnARunningLinkStopsItFirst) {
    BringUp();
    ASSERT_TRUE(link.OpenPort(peer.DevicePath(), 9600, 8));
    EXPECT_EQ(log.Count("OpenPort################################"), 1u);
    EXPECT_EQ(notes.States().back(), false);
    EXPECT_FALSE(link.IsLinkUp());
    link.SendSCOM();
    EXPECT_EQ(peer.ReadFrames(1, 1s).size(), 1u);
    BringUp();
}

TEST_F(LinkThreadsTest, RefusedLineSettingsLeaveTheLinkStoppedUntilTheNextOpen) {
    link.CloseLink(false);
    EXPECT_FALSE(link.OpenPort(peer.DevicePath(), 1234, 8));
    EXPECT_FALSE(link.IsRunning());
    ASSERT_EQ(alerts.Alerts().size(), 1u);
    EXPECT_EQ(alerts.Alerts()[0].first, "SetCommState Error");
    link.SendSCOM();
    EXPECT_EQ(link.QueuedCount(), 0u);

    ASSERT_TRUE(link.OpenPort(peer.DevicePath(), 9600, 8));
    EXPECT_EQ(log.Count("OpenPort################################"), 1u) << "the open port is closed first";
    link.SendSCOM();
    EXPECT_EQ(peer.ReadFrames(1, 1s).size(), 1u);
}

// Threads of this process, from the kernel's list.
size_t ThreadCount() {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ++count;
    return count;
}

TEST(LinkLifetimeTest, DestroyedLinkLeavesNoThreadBehind) {
    test::CPeer peer;
    test::CAlertRecorder alerts;
    const size_t before = ThreadCount();
    {
        CTransmitterLink link(nullptr, &alerts);
        ASSERT_TRUE(link.OpenPort(peer.DevicePath(), 9600, 8));
        EXPECT_EQ(ThreadCount(), before + 2);
    }
    EXPECT_EQ(ThreadCount(), before);

    // Even a writer that outlived CloseLink in the failure box is waited for.
    {
        CTransmitterLink link(nullptr, &alerts);
        test::CPeer hungUp;
        ASSERT_TRUE(link.OpenPort(hungUp.DevicePath(), 9600, 8));
        alerts.Hold();
        hungUp.HangUp();
        link.SendSCOM();
        ASSERT_TRUE(alerts.WaitShown(2s));
        link.CloseLink(false);
        EXPECT_EQ(ThreadCount(), before + 1);
        alerts.Release();
    }
    EXPECT_EQ(ThreadCount(), before);
}

TEST_F(LinkThreadsTest, CloseLinkReturnsWithinItsWaits) {
    BringUp();
    const auto start = Clock::now();
    link.CloseLink(true);
    EXPECT_LT(Clock::now() - start, 2 * CTransmitterLink::kThreadStopWait);
    EXPECT_FALSE(link.IsRunning());
    EXPECT_FALSE(link.IsLinkUp());
    EXPECT_EQ(notes.States().back(), false);
}

TEST_F(LinkThreadsTest, WriterHeldByTheFailureBoxHoldsNoLock) {
    alerts.Hold();
    peer.HangUp();
    link.SendSCOM();
    ASSERT_TRUE(alerts.WaitShown(2s));

    const auto start = Clock::now();
    link.CloseLink(true);
    EXPECT_LT(Clock::now() - start, 2 * CTransmitterLink::kThreadStopWait + 200ms);

    // The port and the queue are free while the box is still open: a new connection works.
    test::CPeer second;
    ASSERT_TRUE(link.OpenPort(second.DevicePath(), 9600, 8));
    link.SendSCOM();
    EXPECT_EQ(second.ReadFrames(1, 2s).size(), 1u);

    // Closed at last, the old writer sees that its link was stopped and leaves the port alone.
    alerts.Release();
    std::this_thread::sleep_for(200ms);  // time for the old writer to go on, were it to
    link.CloseLink(false);
    EXPECT_EQ(log.Count("SendSCOM write cmd try again"), 0u);
}

}  // namespace
}  // namespace lumetra
