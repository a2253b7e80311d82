// The frame layouts, checked against the worked values the transmitter's documentation gives.
#include <gtest/gtest.h>

#include <vector>

#include "link/Frames.h"
#include "tests/link/RecordingLink.h"

namespace lumetra {
namespace {

using test::Bytes;

std::vector<uint8_t> Sealed(const uint8_t* image, size_t size) {
    std::vector<uint8_t> frame(image, image + size);
    frame.push_back(0);
    SealFrame(frame.data(), frame.size());
    return frame;
}

struct PowerCase {
    std::array<bool, 4> outlets;
    const char* frame;
};

TEST(FramesTest, PowerFrameCarriesOneBitPerOutlet) {
    const PowerCase cases[] = {
        {{false, false, false, false}, "81 40 01 07 AC 00 EA"},
        {{true, false, true, false}, "81 40 01 07 AC 05 EF"},
        {{true, true, true, true}, "81 40 01 07 AC 0F E5"},
        {{false, false, false, true}, "81 40 01 07 AC 08 E2"},
    };
    for (const PowerCase& c : cases) {
        const ShortFrame frame = PowerFrame(PowerMask(c.outlets));
        EXPECT_EQ(std::vector<uint8_t>(frame.begin(), frame.end()), Bytes(c.frame)) << c.frame;
    }
}

TEST(FramesTest, PowerOffFrameDiffersFromAllOutletsOff) {
    const ShortFrame off = PowerFrame(kPowerOffMask);
    EXPECT_EQ(std::vector<uint8_t>(off.begin(), off.end()), Bytes("81 40 01 07 AC 80 6A"));
}

TEST(FramesTest, ChecksumSkipsStartByteAndItself) {
    const std::vector<uint8_t> led = Bytes("81 40 01 0A AD 01 61 62 63 87");
    EXPECT_EQ(FrameChecksum(led.data(), led.size()), 0x87);
    const std::vector<uint8_t> heartbeat = Bytes("81 40 01 07 AA 00 EC");
    EXPECT_EQ(FrameChecksum(heartbeat.data(), heartbeat.size()), 0xEC);
}

TEST(FramesTest, AllChannelsFramesHaveTheirChecksums) {
    const AudioImage on = AllChannelsImage(1);
    const AudioImage off = AllChannelsImage(0);
    EXPECT_EQ(Sealed(on.data(), on.size()).back(), 0xA3);
    EXPECT_EQ(Sealed(off.data(), off.size()).back(), 0xA2);
    for (size_t i = kChannelMapOffset; i <= kChannelMapLast; ++i) EXPECT_EQ(on[i], 0xFF) << i;
}

struct MapCase {
    std::vector<int> channels;
    std::vector<std::pair<size_t, uint8_t>> nonZero;  // offset, value; every other map byte is 0
};

TEST(FramesTest, ChannelMapPlacesEachChannelOnItsBit) {
    const MapCase cases[] = {
        {{1}, {{68, 0x01}}},
        {{10}, {{67, 0x02}}},
        {{8}, {{68, 0x80}}},
        {{9}, {{67, 0x01}}},
        {{128}, {{53, 0x80}}},
        {{1, 2, 3, 17, 128}, {{68, 0x07}, {66, 0x01}, {53, 0x80}}},
        {{}, {}},
    };
    for (const MapCase& c : cases) {
        ChannelFlags flags{};
        for (int channel : c.channels) flags[static_cast<size_t>(channel - 1)] = 1;
        const AudioImage image = ChannelImage(flags, 1);
        std::array<uint8_t, kAudioImageSize> expected{0x81, 0x40, 0x01, 0x47, 0xA4};
        for (auto [offset, value] : c.nonZero) expected[offset] = value;
        expected[kAudioStateOffset] = 1;
        EXPECT_EQ(image, expected) << "channels " << testing::PrintToString(c.channels);
    }
}

TEST(FramesTest, AnyNonZeroFlagSelectsItsChannel) {
    ChannelFlags flags{};
    flags[0] = 7;
    flags[127] = 0xFF;
    const AudioImage image = ChannelImage(flags, 0);
    EXPECT_EQ(image[68], 0x01);
    EXPECT_EQ(image[53], 0x80);
    EXPECT_EQ(image[kAudioStateOffset], 0x00);
}

TEST(FramesTest, VolumeImageUsesItsOwnCode) {
    ChannelFlags flags{};
    flags[2] = 1;
    const AudioImage image = VolumeImage(flags, 15);
    EXPECT_EQ(image[4], 0xA5);
    EXPECT_EQ(image[3], 0x47);
    EXPECT_EQ(image[68], 0x04);
    EXPECT_EQ(image[kAudioStateOffset], 15);
}

struct FrequencyCase {
    float megahertz;
    long n;
    std::array<uint8_t, 3> bcd;
};

TEST(FramesTest, FrequencySnapsAndPacksAsBcd) {
    const FrequencyCase cases[] = {
        {98.5f, 9850, {0x00, 0x98, 0x50}},
        {68.0f, 6800, {0x00, 0x68, 0x00}},
        {108.0f, 10800, {0x01, 0x08, 0x00}},
        {88.1f, 8810, {0x00, 0x88, 0x10}},  // 88.0999984 x 100 is just below 8810
        {87.6f, 8760, {0x00, 0x87, 0x60}},
        {100.01f, 10001, {0x01, 0x00, 0x01}},
        {0.0f, 0, {0x00, 0x00, 0x00}},
        {999.99f, 99999, {0x09, 0x99, 0x99}},
    };
    for (const FrequencyCase& c : cases) {
        EXPECT_EQ(SnapFrequency(c.megahertz), c.n) << c.megahertz;
        uint8_t bcd[3] = {0xEE, 0xEE, 0xEE};
        ASSERT_TRUE(EncodeFrequency(c.megahertz, bcd)) << c.megahertz;
        EXPECT_EQ(std::vector<uint8_t>(bcd, bcd + 3), std::vector<uint8_t>(c.bcd.begin(), c.bcd.end()))
            << c.megahertz;
    }
}

TEST(FramesTest, SnapRuleOnlyMovesRemaindersBeyondPointNineNine) {
    EXPECT_EQ(SnapFrequency(1.0099f), 100);   // remainder about 0.99: not beyond it, truncated
    EXPECT_EQ(SnapFrequency(1.00995f), 101);  // remainder about 0.995: snapped up
    EXPECT_EQ(SnapFrequency(-1.00995f), -101);
}

TEST(FramesTest, FrequencyOfSixDigitsOrBelowZeroIsRefused) {
    for (float megahertz : {1000.0f, 1234.5f, -1.0f, 1.0e30f, std::numeric_limits<float>::quiet_NaN()}) {
        uint8_t bcd[3] = {0xEE, 0xEE, 0xEE};
        EXPECT_FALSE(EncodeFrequency(megahertz, bcd)) << megahertz;
        EXPECT_EQ(bcd[0], 0xEE);
    }
}

}  // namespace
}  // namespace lumetra
