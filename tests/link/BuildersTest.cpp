// What each builder of the link queues, byte for byte and in order, recorded without a port. The
// short frames are the worked values of the transmitter's documentation, written out in full.
#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <tuple>

#include "link/Frames.h"
#include "tests/link/RecordingLink.h"

namespace lumetra {
namespace {

using test::CRecordingLink;
using test::HexBytes;
using Frames = std::vector<std::pair<std::string, std::vector<uint8_t>>>;  // name, bytes

ChannelFlags Flags(std::initializer_list<int> channels) {
    ChannelFlags flags{};
    for (int channel : channels) flags[static_cast<size_t>(channel - 1)] = 1;
    return flags;
}

// A long frame of `length` bytes: header, the given (offset, value) bytes, zeros, then the XOR of
// bytes 1 to length-2, computed here independently of the link.
std::vector<uint8_t> LongFrame(uint8_t length, uint8_t code, std::vector<std::pair<size_t, uint8_t>> set) {
    std::vector<uint8_t> frame(length, 0);
    frame[0] = 0x81, frame[1] = 0x40, frame[2] = 0x01, frame[3] = length, frame[4] = code;
    for (auto [offset, value] : set) frame[offset] = value;
    for (size_t i = 1; i + 1 < length; ++i) frame.back() ^= frame[i];
    return frame;
}
std::vector<uint8_t> Audio(uint8_t code, std::vector<std::pair<size_t, uint8_t>> map, uint8_t state) {
    map.emplace_back(69, state);
    return LongFrame(71, code, map);
}
std::vector<std::pair<size_t, uint8_t>> AllMap() {
    std::vector<std::pair<size_t, uint8_t>> map;
    for (size_t offset = 5; offset <= 68; ++offset) map.emplace_back(offset, 0xFF);
    return map;
}

TEST(BuildersTest, BuildersQueueTheirFrames) {
    std::string fullGbk;
    for (int i = 0; i < 64; ++i) fullGbk += "中";  // 192 bytes of UTF-8, 128 of GBK
    std::vector<uint8_t> fullLed = HexBytes("81 40 01 87 AD 01");
    for (int i = 0; i < 64; ++i) fullLed.insert(fullLed.end(), {0xD6, 0xD0});
    fullLed.push_back(0x87 ^ 0xAD ^ 0x01 ^ 0x40 ^ 0x01);  // the 64 pairs cancel out
    ChannelFlags anyNonZero{};
    anyNonZero[0] = 7, anyNonZero[127] = 0xFF;
    AudioImage callersImage = VolumeImage(Flags({128}), 9);
    callersImage[6] = 0x33;  // a caller may use the map bytes beyond channel 128

    CRecordingLink l;
    l.SendSCOM();
    l.SetPowerSwitch(0, true), l.SetPowerSwitch(5, true);  // no such outlets: ignored
    l.SendPower();
    l.SetPowerSwitch(1, true), l.SetPowerSwitch(3, true), l.SendPower();
    l.SetPowerSwitch(1, false), l.SetPowerSwitch(3, false), l.SetPowerSwitch(4, true), l.SendPower();
    l.SetPowerSwitch(1, true), l.SetPowerSwitch(2, true), l.SetPowerSwitch(3, true), l.ClosePower();
    l.SendPower();  // ClosePower left the switches as they were
    for (auto [text, index] : std::initializer_list<std::pair<std::string, int>>{
             {"abcdef", 0}, {"abc", 0}, {"", 4}, {"中", 127}, {fullGbk, 0}})
        EXPECT_TRUE(l.SendLED(text, index)) << text;
    // Refused with a clear error, and nothing queued.
    for (auto [text, index, reason] : std::initializer_list<std::tuple<std::string, int, std::string>>{
             {"bad \xC3", 0, "GBK cannot encode"},
             {fullGbk + "a", 0, "129 bytes"},
             {"abc", -1, "does not exist"},
             {"abc", 128, "does not exist"}}) {
        std::string error;
        EXPECT_FALSE(l.SendLED(text, index, &error)) << text;
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    }
    for (auto channels :
         {Flags({1}), Flags({8}), Flags({9}), Flags({128}), Flags({1, 2, 3, 17, 128}), Flags({})})
        OpenChannels(l, channels);
    CloseChannels(l, anyNonZero);
    l.SendAudioCom(AllChannelsImage(1));
    CloseAllChannels(l);
    l.SendAudioCom(VolumeImage(Flags({3}), 15));
    l.SendAudioCom(callersImage);
    EXPECT_TRUE(l.SetFrequencies(Flags({1, 2, 9}), 98.5f, 88.1f));
    const auto start = std::chrono::steady_clock::now();
    l.SendFMCom();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
    EXPECT_TRUE(l.SetFrequencies(Flags({1}), 108.0f, 108.0f));
    EXPECT_TRUE(l.SetFrequencies(Flags({1}), 98.5f, 98.5f));     // leaves no digit of 108
    EXPECT_FALSE(l.SetFrequencies(Flags({2}), 1000.0f, 98.5f));  // refused: frame unchanged
    EXPECT_FALSE(l.SetFrequencies(Flags({2}), 98.5f, 1000.0f));
    l.SendFMCom();

    const Frames expected{
        {"SendSCOM", HexBytes("81 40 01 07 AA 00 EC")},
        {"SendPower", HexBytes("81 40 01 07 AC 00 EA")},
        {"SendPower", HexBytes("81 40 01 07 AC 05 EF")},
        {"SendPower", HexBytes("81 40 01 07 AC 08 E2")},
        {"ClosePower", HexBytes("81 40 01 07 AC 80 6A")},
        {"SendPower", HexBytes("81 40 01 07 AC 0F E5")},
        {"SendLED", HexBytes("81 40 01 0D AD 01 61 62 63 64 65 66 E7")},
        {"SendLED", HexBytes("81 40 01 0A AD 01 61 62 63 87")},  // nothing left of the longer text
        {"SendLED", HexBytes("81 40 01 07 AD 05 EE")},
        {"SendLED", HexBytes("81 40 01 09 AD 80 D6 D0 63")},
        {"SendLED", fullLed},
        {"SendAudioCom", Audio(0xA4, {{68, 0x01}}, 1)},
        {"SendAudioCom", Audio(0xA4, {{68, 0x80}}, 1)},
        {"SendAudioCom", Audio(0xA4, {{67, 0x01}}, 1)},
        {"SendAudioCom", Audio(0xA4, {{53, 0x80}}, 1)},
        {"SendAudioCom", Audio(0xA4, {{68, 0x07}, {66, 0x01}, {53, 0x80}}, 1)},
        {"SendAudioCom", Audio(0xA4, {}, 1)},
        {"SendAudioCom", Audio(0xA4, {{68, 0x01}, {53, 0x80}}, 0)},
        {"SendAudioCom", Audio(0xA4, AllMap(), 1)},
        {"SendAudioCom", Audio(0xA4, AllMap(), 0)},
        {"SendAudioCom", Audio(0xA5, {{68, 0x04}}, 15)},
        {"SendAudioCom", Audio(0xA5, {{6, 0x33}, {53, 0x80}}, 9)},
        {"SendFMCom",
         LongFrame(73, 0xA6, {{6, 0x88}, {7, 0x10}, {67, 0x01}, {68, 0x03}, {70, 0x98}, {71, 0x50}})},
        {"SendFMCom", LongFrame(73, 0xA6, {{6, 0x98}, {7, 0x50}, {68, 0x01}, {70, 0x98}, {71, 0x50}})},
    };
    const auto commands = l.Commands();
    ASSERT_EQ(commands.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(std::make_pair(commands[i].name, commands[i].data), expected[i]) << "frame " << i;
    // The long frames' checksums computed above, against the documentation's worked values.
    EXPECT_EQ(Audio(0xA4, AllMap(), 1).back(), 0xA3);
    EXPECT_EQ(Audio(0xA4, AllMap(), 0).back(), 0xA2);
}

struct FrequencyCase {
    float megahertz;
    long n;
    const char* bcd;  // null: refused
};

TEST(BuildersTest, FrequencySnapsAndPacksAsBcd) {
    const FrequencyCase cases[] = {
        {98.5f, 9850, "00 98 50"},
        {88.1f, 8810, "00 88 10"},  // 88.0999984 x 100 is just below 8810
        {100.01f, 10001, "01 00 01"},
        {0.0f, 0, "00 00 00"},
        {999.99f, 99999, "09 99 99"},
        {1.0099f, 100, "00 01 00"},   // remainder about 0.99: truncated
        {1.00995f, 101, "00 01 01"},  // remainder about 0.995: snapped up
        // The float products leave 0.99000001: beyond the rule's 0.99, though equal to 0.99f.
        {0.0099f, 1, "00 00 01"},
        {-0.0099f, -1, nullptr},  // snaps below zero: refused, not sent as 00 00 00
        {1000.0f, 100000, nullptr},
        {-1.0f, -100, nullptr},
    };
    for (const FrequencyCase& c : cases) {
        EXPECT_EQ(SnapFrequency(c.megahertz), c.n) << c.megahertz;
        uint8_t bcd[3] = {0xEE, 0xEE, 0xEE};
        EXPECT_EQ(EncodeFrequency(c.megahertz, bcd), c.bcd != nullptr) << c.megahertz;
        EXPECT_EQ(std::vector<uint8_t>(bcd, bcd + 3), HexBytes(c.bcd ? c.bcd : "EE EE EE")) << c.megahertz;
    }
    for (float megahertz : {1.0e30f, std::numeric_limits<float>::quiet_NaN()}) {
        uint8_t bcd[3] = {0xEE, 0xEE, 0xEE};
        EXPECT_FALSE(EncodeFrequency(megahertz, bcd)) << megahertz;
        EXPECT_EQ(bcd[0], 0xEE);
    }
}

}  // namespace
}  // namespace lumetra
