// The simulator's understanding of frames: cutting the stream, checking, and the state it keeps.
#include <gtest/gtest.h>

#include "link/TransmitterLink.h"
#include "tests/link/RecordingLink.h"
#include "tools/txsim/FrameDecoder.h"
#include "tools/txsim/TransmitterState.h"

namespace lumetra::txsim {
namespace {

using test::Bytes;

struct DecodeCase {
    const char* name;
    const char* stream;
    std::vector<std::string> problems;  // one per frame, "" for a good one
    size_t skipped;
};

TEST(SimulatorTest, DecoderCutsAndChecksFrames) {
    const DecodeCase cases[] = {
        {"heartbeat", "81 40 01 07 AA 00 EC", {""}, 0},
        {"two frames and noise", "00 81 40 01 07 AA 00 EC 13 81 40 01 07 AC 80 6A", {"", ""}, 2},
        {"bad checksum", "81 40 01 07 AC 05 EE", {"checksum EE, should be EF"}, 0},
        {"wrong fixed bytes", "81 41 01 07 AA 00 ED", {"bytes 1 and 2 are 41 01, not 40 01"}, 0},
        {"unknown command", "81 40 01 07 B0 00 F6", {"command B0 cannot be 7 bytes long"}, 0},
        {"heartbeat of wrong length", "81 40 01 08 AA 00 00 E3", {"command AA cannot be 8 bytes long"}, 0},
        {"length byte too small", "81 40 01 03", {"length byte 3 is too small"}, 0},
        {"incomplete stays pending", "81 40 01 07 AA", {}, 0},
    };
    for (const DecodeCase& c : cases) {
        CFrameDecoder decoder;
        const std::vector<uint8_t> bytes = Bytes(c.stream);
        std::vector<std::string> problems;
        for (const DecodedFrame& f : decoder.Push(bytes.data(), bytes.size())) problems.push_back(f.problem);
        EXPECT_EQ(problems, c.problems) << c.name;
        EXPECT_EQ(decoder.SkippedBytes(), c.skipped) << c.name;
    }
}

TEST(SimulatorTest, FrameSplitAcrossReadsIsJoinedAndAStalledOneGivenUp) {
    CFrameDecoder decoder;
    const std::vector<uint8_t> bytes = Bytes("81 40 01 0A AD 01 61 62 63 87");
    for (size_t i = 0; i + 1 < bytes.size(); ++i) EXPECT_TRUE(decoder.Push(&bytes[i], 1).empty());
    const auto frames = decoder.Push(&bytes.back(), 1);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(frames[0].Valid());
    EXPECT_EQ(frames[0].bytes, bytes);

    decoder.Push(bytes.data(), 6);
    ASSERT_TRUE(decoder.HasPartial());
    EXPECT_EQ(decoder.TakePartial().problem, "incomplete: 6 bytes, then nothing");
    EXPECT_FALSE(decoder.HasPartial());
}

ChannelFlags Flags(std::initializer_list<int> channels) {
    ChannelFlags flags{};
    for (int c : channels) flags[static_cast<size_t>(c - 1)] = 1;
    return flags;
}

TEST(SimulatorTest, StateFollowsEveryBuilder) {
    test::CRecordingLink link;
    link.SendSCOM();
    link.SendAudioCom(AllChannelsImage(1));
    link.ClosePower();
    CloseAllChannels(link);
    OpenChannels(link, Flags({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 40}));
    CloseChannels(link, Flags({3}));
    link.SendAudioCom(VolumeImage(Flags({1, 2}), 7));
    link.SetPowerSwitch(1, true);
    link.SetPowerSwitch(3, true);
    link.SendPower();
    ASSERT_TRUE(link.SendLED("中文 ok", 4));
    ASSERT_TRUE(link.SetFrequencies(Flags({5}), 98.5f, 88.1f));
    link.SendFMCom();

    CTransmitterState state;
    std::vector<std::string> lines;
    for (const LinkCommand& command : link.Commands()) {
        CFrameDecoder decoder;
        for (const DecodedFrame& frame : decoder.Push(command.data.data(), command.data.size())) {
            const FrameSummary summary = state.Apply(frame);
            EXPECT_EQ(summary.command, command.name);
            lines.push_back(summary.text);
        }
    }
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "heartbeat", "channels on: all", "all outlets off", "channels off: all",
                         "channels on: 1-12, 40", "channels off: 3", "volume 7: 1-2", "outlets on: 1, 3",
                         "screen 5: \"中文 ok\"", "frequency 2 98.50 MHz, frequency 3 88.10 MHz: 5"}));
    EXPECT_FALSE(state.ReceiverOn(3));
    EXPECT_TRUE(state.ReceiverOn(40));
    EXPECT_FALSE(state.ReceiverOn(128));
    EXPECT_EQ(state.Volume(2), 7);
    EXPECT_TRUE(state.OutletOn(3));
    EXPECT_FALSE(state.OutletOn(2));
    EXPECT_EQ(state.LedTexts().at(5), "中文 ok");
    EXPECT_DOUBLE_EQ(state.Frequency2(), 98.5);
    EXPECT_DOUBLE_EQ(state.Frequency3(), 88.1);
}

}  // namespace
}  // namespace lumetra::txsim
