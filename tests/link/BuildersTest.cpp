// What each builder of the link queues, byte for byte and in order, recorded without a port.
#include <gtest/gtest.h>

#include <chrono>

#include "link/TransmitterLink.h"
#include "tests/link/RecordingLink.h"

namespace lumetra {
namespace {

using test::Bytes;
using test::CRecordingLink;

ChannelFlags Flags(std::initializer_list<int> channels) {
    ChannelFlags flags{};
    for (int channel : channels) flags[static_cast<size_t>(channel - 1)] = 1;
    return flags;
}

TEST(BuildersTest, HeartbeatIsTheSameFrameEveryTime) {
    CRecordingLink link;
    link.SendSCOM();
    link.SendSCOM();
    const auto commands = link.Commands();
    ASSERT_EQ(commands.size(), 2u);
    for (const LinkCommand& c : commands) {
        EXPECT_EQ(c.data, Bytes("81 40 01 07 AA 00 EC"));
        EXPECT_EQ(c.name, "SendSCOM");
    }
}

TEST(BuildersTest, SendPowerSendsTheFourSwitches) {
    CRecordingLink link;
    link.SendPower();
    link.SetPowerSwitch(1, true);
    link.SetPowerSwitch(3, true);
    link.SendPower();
    link.ClosePower();
    const auto commands = link.Commands();
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].data, Bytes("81 40 01 07 AC 00 EA"));
    EXPECT_EQ(commands[1].data, Bytes("81 40 01 07 AC 05 EF"));
    EXPECT_EQ(commands[2].data, Bytes("81 40 01 07 AC 80 6A"));
    EXPECT_EQ(link.Names(), (std::vector<std::string>{"SendPower", "SendPower", "ClosePower"}));
    // ClosePower leaves the switches as they were.
    EXPECT_TRUE(link.PowerSwitch(1));
    EXPECT_FALSE(link.PowerSwitch(2));
    EXPECT_TRUE(link.PowerSwitch(3));
}

TEST(BuildersTest, PowerSwitchNumbersOutsideOneToFourAreIgnored) {
    CRecordingLink link;
    link.SetPowerSwitch(0, true);
    link.SetPowerSwitch(5, true);
    EXPECT_FALSE(link.PowerSwitch(0));
    EXPECT_FALSE(link.PowerSwitch(5));
    link.SendPower();
    EXPECT_EQ(link.Commands().at(0).data, Bytes("81 40 01 07 AC 00 EA"));
}

struct LedCase {
    const char* text;
    int index;
    const char* frame;
};

TEST(BuildersTest, LedFramesCarryGbkBytes) {
    const LedCase cases[] = {
        {"abc", 0, "81 40 01 0A AD 01 61 62 63 87"},
        {"", 0, "81 40 01 07 AD 01 EA"},
        {"", 4, "81 40 01 07 AD 05 EE"},
        // 中 is D6 D0 in GBK: two bytes count as two.
        {"中", 127, "81 40 01 09 AD 80 D6 D0 63"},
    };
    for (const LedCase& c : cases) {
        CRecordingLink link;
        std::string error;
        ASSERT_TRUE(link.SendLED(c.text, c.index, &error)) << error;
        ASSERT_EQ(link.Commands().size(), 1u);
        EXPECT_EQ(link.Commands()[0].data, Bytes(c.frame)) << c.text;
        EXPECT_EQ(link.Commands()[0].name, "SendLED");
    }
}

TEST(BuildersTest, LedTextLimitCountsGbkBytes) {
    CRecordingLink link;
    std::string error;
    std::string full;
    for (int i = 0; i < 64; ++i) full += "中";  // 192 bytes of UTF-8, 128 of GBK
    ASSERT_TRUE(link.SendLED(full, 0, &error)) << error;
    EXPECT_EQ(link.Commands().at(0).data.size(), 135u);
    EXPECT_EQ(link.Commands()[0].data[3], 135);

    EXPECT_FALSE(link.SendLED(full + "a", 0, &error));
    EXPECT_NE(error.find("129 bytes"), std::string::npos) << error;
    EXPECT_EQ(link.Commands().size(), 1u);
}

TEST(BuildersTest, LedTextOutsideGbkIsRefusedAndNothingQueued) {
    struct Refused {
        std::string text;
        int index;
        const char* reason;
    };
    const Refused cases[] = {
        {"smile \xF0\x9F\x98\x80", 0, "GBK cannot encode"},
        {"bad \xC3", 0, "GBK cannot encode"},
        {"abc", 128, "does not exist"},
        {"abc", -1, "does not exist"},
    };
    for (const Refused& c : cases) {
        CRecordingLink link;
        std::string error;
        EXPECT_FALSE(link.SendLED(c.text, c.index, &error)) << c.text;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_TRUE(link.Commands().empty());
    }
}

TEST(BuildersTest, ShorterLedTextLeavesNothingOfTheLongerOne) {
    CRecordingLink link;
    ASSERT_TRUE(link.SendLED("abcdef", 0));
    ASSERT_TRUE(link.SendLED("abc", 0));
    EXPECT_EQ(link.Commands().at(1).data, Bytes("81 40 01 0A AD 01 61 62 63 87"));
}

TEST(BuildersTest, ChannelFunctionsSendThroughSendAudioCom) {
    CRecordingLink link;
    OpenChannels(link, Flags({1, 10}));
    CloseChannels(link, Flags({1, 10}));
    CloseAllChannels(link);
    const auto commands = link.Commands();
    ASSERT_EQ(commands.size(), 3u);
    for (const LinkCommand& c : commands) {
        EXPECT_EQ(c.name, "SendAudioCom");
        ASSERT_EQ(c.data.size(), 71u);
        EXPECT_EQ(std::vector<uint8_t>(c.data.begin(), c.data.begin() + 5), Bytes("81 40 01 47 A4"));
        EXPECT_EQ(c.data[70], FrameChecksum(c.data.data(), c.data.size()));
    }
    EXPECT_EQ(commands[0].data[68], 0x01);
    EXPECT_EQ(commands[0].data[67], 0x02);
    EXPECT_EQ(commands[0].data[69], 0x01);
    EXPECT_EQ(commands[1].data[69], 0x00);
    EXPECT_EQ(commands[2].data[5], 0xFF);
    EXPECT_EQ(commands[2].data[69], 0x00);
    EXPECT_EQ(commands[2].data[70], 0xA2);
}

TEST(BuildersTest, SendAudioComKeepsTheCallersImage) {
    CRecordingLink link;
    AudioImage image = VolumeImage(Flags({128}), 9);
    image[6] = 0x33;  // a caller may use the map bytes beyond channel 128
    link.SendAudioCom(image);
    const auto commands = link.Commands();
    const auto& data = commands.at(0).data;
    EXPECT_TRUE(std::equal(image.begin(), image.end(), data.begin()));
    EXPECT_EQ(data[70], FrameChecksum(data.data(), data.size()));
}

TEST(BuildersTest, FrequencyFrameCarriesBothFieldsAndTheMap) {
    CRecordingLink link;
    ASSERT_TRUE(link.SetFrequencies(Flags({1, 2, 9}), 98.5f, 88.1f));
    const auto start = std::chrono::steady_clock::now();
    link.SendFMCom();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));

    std::vector<uint8_t> expected(73, 0);
    const std::vector<uint8_t> head = Bytes("81 40 01 49 A6 00 88 10");
    std::copy(head.begin(), head.end(), expected.begin());
    expected[67] = 0x01;
    expected[68] = 0x03;
    expected[69] = 0x00;
    expected[70] = 0x98;
    expected[71] = 0x50;
    expected[72] = FrameChecksum(expected.data(), expected.size());
    ASSERT_EQ(link.Commands().size(), 1u);
    EXPECT_EQ(link.Commands()[0].data, expected);
    EXPECT_EQ(link.Commands()[0].name, "SendFMCom");
}

TEST(BuildersTest, SecondFrequencyLeavesNoDigitOfTheFirst) {
    CRecordingLink link;
    ASSERT_TRUE(link.SetFrequencies(Flags({1}), 108.0f, 108.0f));
    ASSERT_TRUE(link.SetFrequencies(Flags({1}), 98.5f, 98.5f));
    const FrequencyFrame frame = link.FrequencyBuffer();
    EXPECT_EQ(std::vector<uint8_t>(frame.begin() + 69, frame.begin() + 72), Bytes("00 98 50"));
    EXPECT_EQ(std::vector<uint8_t>(frame.begin() + 5, frame.begin() + 8), Bytes("00 98 50"));
}

TEST(BuildersTest, RefusedFrequencyLeavesTheFrameAlone) {
    CRecordingLink link;
    ASSERT_TRUE(link.SetFrequencies(Flags({1}), 98.5f, 98.5f));
    const FrequencyFrame before = link.FrequencyBuffer();
    EXPECT_FALSE(link.SetFrequencies(Flags({2}), 1000.0f, 98.5f));
    EXPECT_FALSE(link.SetFrequencies(Flags({2}), 98.5f, 1000.0f));
    EXPECT_EQ(link.FrequencyBuffer(), before);
    EXPECT_TRUE(link.Commands().empty());
}

TEST(BuildersTest, StoppedLinkDropsEveryFrame) {
    CTransmitterLink link;
    link.SendSCOM();
    link.SendPower();
    OpenChannels(link, Flags({1}));
    EXPECT_TRUE(link.SendLED("abc", 0));
    EXPECT_EQ(link.QueuedCount(), 0u);
    EXPECT_FALSE(link.IsRunning());
    EXPECT_FALSE(link.IsLinkUp());
}

}  // namespace
}  // namespace lumetra
