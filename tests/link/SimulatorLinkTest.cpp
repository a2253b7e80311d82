// The link against the transmitter simulator running as its own process: frames arrive as built,
// at least 100 ms apart, and corrupt replies behave as on a real line.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "link/TransmitterLink.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/support/RecordingLink.h"
#include "tools/txsim/SimulatorProcess.h"

namespace lumetra {
namespace {

using namespace std::chrono_literals;

class SimulatorLinkTest : public testing::Test {
protected:
    void SetUp() override { notes.Attach(&link); }
    void TearDown() override { link.CloseLink(false); }

    test::CLogRecorder log;
    test::CNotifyRecorder notes;
    CTransmitterLink link{&notes};
};

TEST_F(SimulatorLinkTest, FramesArriveAsBuiltInOrderAtLeast100msApart) {
    txsim::CSimulatorProcess simulator(LUMETRA_TXSIM_PATH);
    ASSERT_TRUE(link.OpenPort(simulator.DevicePath(), 9600, 8));
    ChannelFlags flags{};
    flags[0] = flags[39] = flags[127] = 1;
    test::CRecordingLink expected;
    for (CTransmitterLink* l : {&link, static_cast<CTransmitterLink*>(&expected)}) {
        l->SendSCOM();
        l->SendPower();
        ASSERT_TRUE(l->SendLED("中文 LED", 2));
        ASSERT_TRUE(l->SetFrequencies(flags, 98.5f, 88.1f));
        l->SendFMCom();
        CloseAllChannels(*l);
    }
    for (const LinkCommand& command : expected.Commands()) {
        const auto line = simulator.WaitForLine("\"event\":\"frame\"", 3s);
        ASSERT_TRUE(line) << command.name << " never arrived";
        EXPECT_EQ(txsim::JsonField(*line, "command"), command.name);
        EXPECT_EQ(txsim::JsonField(*line, "valid"), "true") << *line;
        EXPECT_EQ(txsim::JsonField(*line, "hex"), txsim::Hex(command.data.data(), command.data.size()));
    }

    // The writer's own lines: each write starts no sooner than 100 ms after the last one ended.
    // The last frame may reach the simulator before its writer has logged the end of the write.
    ASSERT_TRUE(log.WaitFor("write byte success", 1s, expected.Commands().size()));
    std::vector<test::Clock::time_point> starts, ends;
    for (const auto& line : log.Items()) {
        if (line.message.ends_with(" cmd start write")) starts.push_back(line.at);
        if (line.message == "write byte success") ends.push_back(line.at);
    }
    ASSERT_EQ(starts.size(), expected.Commands().size());
    ASSERT_EQ(ends.size(), starts.size());
    for (size_t i = 1; i < starts.size(); ++i) EXPECT_GE(starts[i] - ends[i - 1], 100ms) << "frame " << i;
}

// Replies that fail their checksum never bring the link up: each takes it down and reopens the
// port, on which right replies bring it up again.
TEST_F(SimulatorLinkTest, CorruptRepliesKeepTheLinkDownAndReopenThePortUntilRightOnesReturn) {
    txsim::CSimulatorProcess simulator(LUMETRA_TXSIM_PATH, {"--corrupt"});
    ASSERT_TRUE(link.OpenPort(simulator.DevicePath(), 9600, 8));
    const std::jthread heartbeat([this](std::stop_token stop) {  // as the main window's, 10 times as often
        for (; !stop.stop_requested(); std::this_thread::sleep_for(300ms)) link.SendSCOM();
    });
    ASSERT_TRUE(notes.WaitFor(false, 0, 3s));
    EXPECT_FALSE(link.IsLinkUp());
    ASSERT_TRUE(log.WaitFor("open port success", 1s, 2));  // the first open was the test's own
    std::string afterLoss;                                 // the port's lines once the link was lost
    bool lost = false;
    for (const auto& l : log.Items()) {
        lost = lost || l.message.starts_with("ReadFromCoomm");
        if (lost && (l.message.starts_with("close port") || l.message.starts_with("open port")))
            afterLoss += l.message + "; ";
    }
    EXPECT_TRUE(afterLoss.starts_with("close port success; open port success; ")) << afterLoss;
    EXPECT_EQ(std::ranges::count(notes.Items(), true), 0);

    simulator.Command("normal");
    ASSERT_TRUE(simulator.WaitForLine("\"event\":\"mode\"", 2s));
    EXPECT_TRUE(notes.WaitFor(true, notes.Items().size(), 3s));
}

}  // namespace
}  // namespace lumetra
