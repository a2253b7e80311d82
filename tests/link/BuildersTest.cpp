// What each builder of the link queues, byte for byte and in order, recorded without a port. The
// short frames are written out in full, checksum included, so any byte a builder changes fails.
#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <optional>
#include <sstream>

#include "link/Frames.h"
#include "tests/support/RecordingLink.h"
#include "tools/txsim/FrameDecoder.h"

namespace lumetra {
namespace {

using test::Channels;
using test::HexBytes;
using Bytes = std::vector<uint8_t>;

// "name hex" as on the line, or for a long frame "name length code offset=byte ..." (SpelledFrame).
std::string Frame(const std::string& text) {
    if (text.find('=') == std::string::npos) return text;
    const size_t name = text.find(' ');
    const Bytes frame = test::SpelledFrame(text.substr(name + 1));
    return text.substr(0, name) + " " + txsim::Hex(frame.data(), frame.size());
}

TEST(BuildersTest, BuildersQueueTheirFrames) {
    std::string fullGbk;
    for (int i = 0; i < 64; ++i) fullGbk += "中";  // 192 bytes of UTF-8, 128 of GBK
    std::string fullLed = "SendLED 81 40 01 87 AD 01";
    for (int i = 0; i < 64; ++i) fullLed += " D6 D0";
    fullLed += " 6A";  // 87^AD^01^40^01: the 64 pairs cancel out
    ChannelFlags anyNonZero{};
    anyNonZero[0] = 7, anyNonZero[127] = 0xFF;
    AudioImage callersImage = VolumeImage(Channels({128}), 9);
    callersImage[6] = 0x33;  // a caller may use the map bytes beyond channel 128

    test::CRecordingLink l;
    l.SendSCOM();
    l.SendPower({});
    l.SendPower({true, false, true, false});
    l.SendPower({false, false, false, true});
    l.ClosePower();
    l.SendPower({true, true, true, true});
    EXPECT_TRUE(l.SendLED("abcdef", 0) && l.SendLED("abc", 0) && l.SendLED("", 4) && l.SendLED("中", 127) &&
                l.SendLED(fullGbk, 0));
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
    for (auto channels : {Channels({1}), Channels({8}), Channels({9}), Channels({128}),
                          Channels({1, 2, 3, 17, 128}), Channels({})})
        OpenChannels(l, channels);
    CloseChannels(l, anyNonZero);
    l.SendAudioCom(AllChannelsImage(1));
    CloseAllChannels(l);
    l.SendAudioCom(VolumeImage(Channels({3}), 15));
    l.SendAudioCom(callersImage);
    EXPECT_TRUE(l.SetFrequencies(Channels({1, 2, 9}), 98.5f, 88.1f));
    l.SendFMCom();
    EXPECT_TRUE(l.SetFrequencies(Channels({1}), 108.0f, 108.0f));
    EXPECT_TRUE(l.SetFrequencies(Channels({1}), 98.5f, 98.5f));     // leaves no digit of 108
    EXPECT_FALSE(l.SetFrequencies(Channels({2}), 1000.0f, 98.5f));  // refused: frame unchanged
    EXPECT_FALSE(l.SetFrequencies(Channels({2}), 98.5f, 1000.0f));
    l.SendFMCom();

    // The second SendLED leaves nothing of the longer text; "LED" is the full screen; 70=A3 and 70=A2
    // are the checksums of the two frames with every channel set, which differ only in byte 69.
    std::vector<std::string> expected, queued;
    std::istringstream frames(
        "SendSCOM 81 40 01 07 AA 00 EC; SendPower 81 40 01 07 AC 00 EA; "
        "SendPower 81 40 01 07 AC 05 EF; SendPower 81 40 01 07 AC 08 E2; "
        "ClosePower 81 40 01 07 AC 80 6A; SendPower 81 40 01 07 AC 0F E5; "
        "SendLED 81 40 01 0D AD 01 61 62 63 64 65 66 E7; SendLED 81 40 01 0A AD 01 61 62 63 87; "
        "SendLED 81 40 01 07 AD 05 EE; SendLED 81 40 01 09 AD 80 D6 D0 63; LED; "
        "SendAudioCom 71 A4 68=01 69=01; SendAudioCom 71 A4 68=80 69=01; "
        "SendAudioCom 71 A4 67=01 69=01; SendAudioCom 71 A4 53=80 69=01; "
        "SendAudioCom 71 A4 68=07 66=01 53=80 69=01; SendAudioCom 71 A4 69=01; "
        "SendAudioCom 71 A4 68=01 53=80 69=00; SendAudioCom 71 A4 5-68=FF 69=01 70=A3; "
        "SendAudioCom 71 A4 5-68=FF 69=00 70=A2; SendAudioCom 71 A5 68=04 69=0F; "
        "SendAudioCom 71 A5 6=33 53=80 69=09; SendFMCom 73 A6 6=88 7=10 67=01 68=03 70=98 71=50; "
        "SendFMCom 73 A6 6=98 7=50 68=01 70=98 71=50");
    for (std::string frame; std::getline(frames >> std::ws, frame, ';');)
        expected.push_back(Frame(frame == "LED" ? fullLed : frame));
    for (const LinkCommand& command : l.Commands())
        queued.push_back(command.name + " " + txsim::Hex(command.data.data(), command.data.size()));
    EXPECT_EQ(queued, expected);
}

TEST(BuildersTest, FrequencySnapsAndPacksAsBcd) {
    const struct {
        float megahertz;
        std::optional<long> n;  // none: not checked
        const char* bcd;        // null: refused
    } cases[] = {
        {98.5f, 9850, "00 98 50"},    {88.1f, 8810, "00 88 10"},  // 88.0999984 x 100 is just below 8810
        {100.01f, 10001, "01 00 01"}, {0.0f, 0, "00 00 00"},
        {999.99f, 99999, "09 99 99"}, {1.0099f, 100, "00 01 00"},  // remainder about 0.99: truncated
        {1.00995f, 101, "00 01 01"},                               // remainder about 0.995: snapped up
        {0.0099f, 1, "00 00 01"},  // the float products leave 0.99000001: beyond the rule's 0.99
        {-0.0099f, -1, nullptr},   // snaps below zero: refused, not sent as 00 00 00
        {1000.0f, 100000, nullptr},   {-1.0f, -100, nullptr},
        {1.0e30f, {}, nullptr},       {std::numeric_limits<float>::quiet_NaN(), {}, nullptr},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.n.value_or(SnapFrequency(c.megahertz)), SnapFrequency(c.megahertz)) << c.megahertz;
        uint8_t bcd[3] = {0xEE, 0xEE, 0xEE};
        EXPECT_EQ(EncodeFrequency(c.megahertz, bcd), c.bcd != nullptr) << c.megahertz;
        EXPECT_EQ(Bytes(bcd, bcd + 3), HexBytes(c.bcd ? c.bcd : "EE EE EE")) << c.megahertz;
    }
}

}  // namespace
}  // namespace lumetra
