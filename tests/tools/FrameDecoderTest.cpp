// The transmitter simulator's understanding of frames: cutting the stream and checking each frame.
#include <gtest/gtest.h>

#include "tests/support/RecordingLink.h"
#include "tools/txsim/FrameDecoder.h"

namespace lumetra::txsim {
namespace {

using test::HexBytes;

struct DecodeCase {
    const char* name;
    const char* stream;
    std::vector<std::string> problems;  // one per frame, "" for a good one
    size_t skipped;
};

TEST(SimulatorTest, DecoderCutsAndChecksFrames) {
    const DecodeCase cases[] = {
        {"two frames and noise", "00 81 40 01 07 AA 00 EC 13 81 40 01 07 AC 80 6A", {"", ""}, 2},
        {"bad checksum", "81 40 01 07 AC 05 EE", {"checksum EE, should be EF"}, 0},
        {"wrong fixed bytes", "81 41 01 07 AA 00 ED", {"bytes 1 and 2 are 41 01, not 40 01"}, 0},
        {"heartbeat of wrong length", "81 40 01 08 AA 00 00 E3", {"command AA cannot be 8 bytes long"}, 0},
        {"length byte too small", "81 40 01 03", {"length byte 3 is too small"}, 0},
        {"incomplete stays pending", "81 40 01 07 AA", {}, 0},
    };
    for (const DecodeCase& c : cases) {
        CFrameDecoder decoder;
        const std::vector<uint8_t> bytes = HexBytes(c.stream);
        std::vector<std::string> problems;
        for (const DecodedFrame& f : decoder.Push(bytes.data(), bytes.size())) problems.push_back(f.problem);
        EXPECT_EQ(problems, c.problems) << c.name;
        EXPECT_EQ(decoder.SkippedBytes(), c.skipped) << c.name;
    }
}

TEST(SimulatorTest, FrameSplitAcrossReadsIsJoinedAndAStalledOneGivenUp) {
    CFrameDecoder decoder;
    const std::vector<uint8_t> bytes = HexBytes("81 40 01 0A AD 01 61 62 63 87");
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

}  // namespace
}  // namespace lumetra::txsim
