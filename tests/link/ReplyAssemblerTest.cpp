// Reply assembly from single bytes: start byte, five bytes, XOR checksum.
#include <gtest/gtest.h>

#include "link/ReplyAssembler.h"
#include "tests/link/RecordingLink.h"

namespace lumetra {
namespace {

using Result = CReplyAssembler::Result;

struct StreamCase {
    const char* name;
    const char* bytes;
    std::vector<Result> results;  // the completed replies, in order
    bool inReplyAfter;
};

TEST(ReplyAssemblerTest, StreamsGiveTheirReplies) {
    const StreamCase cases[] = {
        {"noise before the start byte", "00 11 FF 81 40 01 07 AA 00 EC", {Result::kValid}, false},
        {"wrong checksum", "81 40 01 07 AA 00 ED", {Result::kCorrupt}, false},
        {"0x81 inside a reply is data", "81 81 00 00 00 00 81", {Result::kValid}, false},
        {"corrupt then valid",
         "81 01 02 03 04 05 00 81 01 02 03 04 05 01",
         {Result::kCorrupt, Result::kValid},
         false},
        {"incomplete", "81 40 01", {}, true},
        {"start byte right after a reply", "81 00 00 00 00 00 00 81", {Result::kValid}, true},
    };
    for (const StreamCase& c : cases) {
        CReplyAssembler assembler;
        std::vector<Result> results;
        const std::vector<uint8_t> bytes = test::Bytes(c.bytes);
        for (size_t i = 0; i < bytes.size(); ++i) {
            const Result r = assembler.Push(bytes[i]);
            if (r == Result::kPending) continue;
            results.push_back(r);
            ASSERT_GE(i, 6u) << c.name;
            EXPECT_TRUE(
                std::equal(bytes.begin() + i - 6, bytes.begin() + i + 1, assembler.LastReply().begin()))
                << c.name;
        }
        EXPECT_EQ(results, c.results) << c.name;
        EXPECT_EQ(assembler.InReply(), c.inReplyAfter) << c.name;
    }
}

}  // namespace
}  // namespace lumetra
