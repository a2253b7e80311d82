// The link against the transmitter simulator running as its own process: frames arrive as built,
// the replies bring the link up, and faults switched on while running behave as on a real line.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <condition_variable>
#include <memory>
#include <thread>

#include "link/TransmitterLink.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/link/RecordingLink.h"
#include "tests/support/TestDatabase.h"
#include "tools/txsim/FrameDecoder.h"
#include "tools/txsim/SimulatorProcess.h"

namespace lumetra {
namespace {

using namespace std::chrono_literals;

// Sends the heartbeat every 300 ms, as the main window does every 3 s, until destroyed.
class CHeartbeat {
public:
    explicit CHeartbeat(CTransmitterLink& link)
        : m_thread([&link, this](std::stop_token stop) {
              std::unique_lock lock(m_lock);
              do link.SendSCOM();
              while (!m_wake.wait_for(lock, stop, 300ms, [] { return false; }) && !stop.stop_requested());
          }) {}

private:
    std::mutex m_lock;
    std::condition_variable_any m_wake;
    std::jthread m_thread;
};

class SimulatorLinkTest : public testing::Test {
protected:
    void SetUp() override { notes.Attach(&link); }
    void TearDown() override { link.CloseLink(false); }

    test::CLogRecorder log;
    test::CNotifyRecorder notes;
    CTransmitterLink link{&notes};
};

TEST_F(SimulatorLinkTest, FramesArriveAsBuiltAndRepliesBringTheLinkUp) {
    txsim::CSimulatorProcess simulator(LUMETRA_TXSIM_PATH);
    ASSERT_TRUE(link.OpenPort(simulator.DevicePath(), 9600, 8));

    ChannelFlags flags{};
    flags[0] = flags[39] = flags[127] = 1;
    test::CRecordingLink expected;
    for (CTransmitterLink* l : {&link, static_cast<CTransmitterLink*>(&expected)}) {
        l->SendSCOM();
        OpenChannels(*l, flags);
        ASSERT_TRUE(l->SendLED("中文 LED", 2));
        ASSERT_TRUE(l->SetFrequencies(flags, 98.5f, 88.1f));
        l->SendFMCom();
    }
    for (const LinkCommand& command : expected.Commands()) {
        const auto line = simulator.WaitForLine("\"event\":\"frame\"", 3s);
        ASSERT_TRUE(line) << command.name << " never arrived";
        EXPECT_EQ(txsim::JsonField(*line, "command"), command.name);
        EXPECT_EQ(txsim::JsonField(*line, "valid"), "true") << *line;
        EXPECT_EQ(txsim::JsonField(*line, "hex"), txsim::Hex(command.data.data(), command.data.size()));
    }
    EXPECT_TRUE(notes.WaitFor(true, 0, 2s));
    EXPECT_TRUE(link.IsLinkUp());
}

TEST_F(SimulatorLinkTest, CorruptRepliesTakeTheLinkDownUntilTheyAreRightAgain) {
    txsim::CSimulatorProcess simulator(LUMETRA_TXSIM_PATH, {"--corrupt"});
    ASSERT_TRUE(link.OpenPort(simulator.DevicePath(), 9600, 8));
    link.SendSCOM();
    ASSERT_TRUE(notes.WaitFor(false, 0, 2s));
    EXPECT_TRUE(log.WaitFor("ReadFromCoomm################################", 1s));

    simulator.Command("normal");
    ASSERT_TRUE(simulator.WaitForLine("\"event\":\"mode\"", 2s));
    const size_t before = notes.States().size();
    CHeartbeat heartbeat(link);
    EXPECT_TRUE(notes.WaitFor(true, before, 3s));
}

TEST_F(SimulatorLinkTest, SilentTransmitterLeavesTheLinkDown) {
    txsim::CSimulatorProcess simulator(LUMETRA_TXSIM_PATH, {"--silent"});
    ASSERT_TRUE(link.OpenPort(simulator.DevicePath(), 9600, 8));
    link.SendSCOM();
    const auto line = simulator.WaitForLine("\"event\":\"frame\"", 2s);
    ASSERT_TRUE(line);
    EXPECT_EQ(txsim::JsonField(*line, "reply"), "");
    EXPECT_FALSE(notes.WaitFor(true, 0, 300ms));

    simulator.Command("normal");
    CHeartbeat heartbeat(link);
    EXPECT_TRUE(notes.WaitFor(true, 0, 3s));
}

TEST_F(SimulatorLinkTest, HangUpAndReturnBringsTheLinkBackWithoutARestart) {
    test::TempDir dir;
    const std::string stable = dir.File("transmitter");
    txsim::CSimulatorProcess simulator(LUMETRA_TXSIM_PATH, {"--link", stable, "--down-for", "1"});
    setenv("LUMETRA_COM4", stable.c_str(), 1);
    const std::unique_ptr<const char, void (*)(const char*)> unset("LUMETRA_COM4",
                                                                   [](const char* name) { unsetenv(name); });
    ASSERT_TRUE(link.OpenPort("com4", 9600, 8));

    CHeartbeat heartbeat(link);
    ASSERT_TRUE(notes.WaitFor(true, 0, 3s));
    const size_t upBefore = notes.States().size();
    simulator.Command("hangup");
    const auto back = simulator.WaitForLine("\"event\":\"back\"", 5s);
    ASSERT_TRUE(back);
    ASSERT_TRUE(notes.WaitFor(false, upBefore, 8s));
    const size_t downAt = notes.States().size();
    EXPECT_TRUE(notes.WaitFor(true, downAt, 10s)) << "the link did not come back on the new device";
    EXPECT_TRUE(link.IsRunning());
}

}  // namespace
}  // namespace lumetra
