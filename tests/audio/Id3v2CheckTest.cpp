// The check that keeps malformed ID3v2 tags away from the library.
#include <gtest/gtest.h>

#include <functional>

#include "audio/Id3v2Check.h"
#include "tests/audio/fixtures/AudioFixtures.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using test::Bytes;

constexpr size_t kFrame = 10;  // the first frame's header, in a tag without an extended header

Bytes ValidTag() {
    return test::Id3v23Tag({{"TIT2", "Title"}, {"TPE1", "Artist"}}, 8);
}

Bytes With(Bytes bytes, size_t at, uint8_t value) {
    bytes[at] = value;
    return bytes;
}

// `tag` with its size set again after its body has changed, and `flags`.
Bytes Resized(Bytes tag, uint8_t flags) {
    tag[5] = flags;
    test::PutSyncsafe(&tag[6], static_cast<uint32_t>(tag.size() - 10));
    return tag;
}

// The valid tag with an extended header in front of its frames.
Bytes WithExtendedHeader(const Bytes& extended) {
    Bytes tag = ValidTag();
    tag.insert(tag.begin() + 10, extended.begin(), extended.end());
    return Resized(tag, 0x40);
}

// The valid tag as version 4: syncsafe frame sizes, and `formatFlags` on every frame.
Bytes Version4Tag(uint8_t formatFlags) {
    Bytes tag = With(ValidTag(), 3, 4);
    for (size_t at = kFrame; at + 10 <= tag.size() && tag[at] != 0;) {
        const uint32_t size = (tag[at + 4] << 24) | (tag[at + 5] << 16) | (tag[at + 6] << 8) | tag[at + 7];
        test::PutSyncsafe(&tag[at + 4], size);
        tag[at + 9] = formatFlags;
        at += 10 + size;
    }
    return tag;
}

struct CheckCase {
    const char* name;
    std::function<Bytes()> make;
    bool safe;
};

class Id3v2CheckTest : public testing::TestWithParam<CheckCase> {};

TEST_P(Id3v2CheckTest, JudgesTheTag) {
    Bytes bytes = GetParam().make();
    bytes.insert(bytes.end(), 64, 0xAA);  // stands for the audio
    const Id3v2Check check = CheckId3v2Tags(bytes, bytes.size());
    EXPECT_EQ(check.safe, GetParam().safe) << check.reason;
    EXPECT_EQ(check.reason.empty(), check.safe);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Tags, Id3v2CheckTest, testing::Values(
    CheckCase{"NoTag", [] { return Bytes{0xFF, 0xFB, 0x90, 0x64}; }, true},
    CheckCase{"Valid", ValidTag, true},
    CheckCase{"OnlyPadding", [] { return test::Id3v23Tag({}, 32); }, true},
    CheckCase{"Compressed", [] { return With(ValidTag(), kFrame + 9, 0x80); }, false},
    CheckCase{"Encrypted", [] { return With(ValidTag(), kFrame + 9, 0x40); }, false},
    CheckCase{"Grouped", [] { return With(ValidTag(), kFrame + 9, 0x20); }, true},
    CheckCase{"FrameRunsPastTag", [] { return With(ValidTag(), kFrame + 6, 0x01); }, false},
    CheckCase{"FrameIdGarbled", [] { return With(ValidTag(), kFrame + 1, 0x01); }, false},
    CheckCase{"SizeByteWithTopBit", [] { return With(ValidTag(), 9, 0x80); }, false},
    CheckCase{"TagLargerThanFile", [] { return With(ValidTag(), 7, 0x7F); }, false},
    CheckCase{"Version5", [] { return With(ValidTag(), 3, 5); }, false},
    CheckCase{"UnknownTagFlag", [] { return With(ValidTag(), 5, 0x01); }, false},
    CheckCase{"Version4", [] { return Version4Tag(0); }, true},
    CheckCase{"Version4DataLength", [] { return Version4Tag(0x01); }, false},
    CheckCase{"Version4Compressed", [] { return Version4Tag(0x08); }, false},
    CheckCase{"Version2", [] {
        return Resized({'I', 'D', '3', 2, 0, 0, 0, 0, 0, 0, 'T', 'T', '2', 0, 0, 3, 0, 'H', 'i'}, 0);
    }, true},
    CheckCase{"Version2Compressed", [] { return Bytes{'I', 'D', '3', 2, 0, 0x40, 0, 0, 0, 0}; }, false},
    // A title holding 0xFF, written as 0xFF 0x00: the frame size counts after resynchronisation.
    CheckCase{"Unsynchronised", [] {
        Bytes tag = test::Id3v23Tag({{"TIT2", "a\xFF" "b"}}, 0);
        tag.insert(tag.begin() + kFrame + 10 + 3, 0x00);
        return Resized(tag, 0x80); }, true},
    CheckCase{"ExtendedHeader", [] { return WithExtendedHeader({0, 0, 0, 6, 0, 0, 0, 0, 0, 0}); }, true},
    CheckCase{"ExtendedHeaderTooLarge", [] { return WithExtendedHeader({0, 0, 0x10, 0, 0, 0, 0, 0, 0, 0}); },
              false},
    CheckCase{"SecondTagCompressed", [] {
        Bytes tags = ValidTag(), second = With(ValidTag(), kFrame + 9, 0x80);
        tags.insert(tags.end(), second.begin(), second.end());
        return tags; }, false}),
    [](const testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });
// clang-format on

TEST(Id3v2CheckFile, ReadsTheTagFromTheFile) {
    test::TempDir dir;
    const auto write = [&](const std::string& name, const Bytes& bytes) {
        test::WriteBytes(dir.File(name), bytes);
        return dir.File(name);
    };
    Bytes good = ValidTag();
    good.insert(good.end(), 100, 0xAA);
    EXPECT_TRUE(CheckId3v2File(write("good.mp3", good)).safe);
    EXPECT_FALSE(CheckId3v2File(write("bad.mp3", With(good, kFrame + 9, 0x80))).safe);
    EXPECT_FALSE(CheckId3v2File(write("cut.mp3", Bytes(good.begin(), good.begin() + 20))).safe);
    EXPECT_TRUE(CheckId3v2File(write("empty.mp3", {})).safe);
    EXPECT_TRUE(CheckId3v2File(dir.File("missing.mp3")).safe);
}

}  // namespace
}  // namespace lumetra
