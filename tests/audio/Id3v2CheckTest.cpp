// The check that keeps malformed ID3v2 tags away from the library.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "audio/Id3v2Check.h"
#include "tests/audio/fixtures/Id3Writer.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using test::Bytes;

// Frames of a small, valid version 3 tag.
std::vector<test::Id3Frame> TwoFrames() {
    return {{"TIT2", test::TextFrameBody("Title")}, {"TPE1", test::TextFrameBody("Artist")}};
}

Bytes ValidTag() {
    return test::Id3v23Tag(TwoFrames(), 8);
}

// Offset of the first frame's header in a tag without an extended header.
constexpr size_t kFirstFrame = 10;

// A version 4 tag: syncsafe frame sizes.
Bytes Version4Tag(uint8_t formatFlags) {
    Bytes tag = ValidTag();
    tag[3] = 4;
    for (size_t at = kFirstFrame; at + 10 <= tag.size() && tag[at] != 0;) {
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

Bytes WithByte(Bytes bytes, size_t at, uint8_t value) {
    bytes[at] = value;
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Tags, Id3v2CheckTest,
    testing::Values(
        CheckCase{"NoTag",
                  [] {
                      return Bytes{0xFF, 0xFB, 0x90, 0x64};
                  },
                  true},
        CheckCase{"Valid", ValidTag, true},
        CheckCase{"OnlyPadding", [] { return test::Id3v23Tag({}, 32); }, true},
        CheckCase{"Compressed", [] { return WithByte(ValidTag(), kFirstFrame + 9, 0x80); }, false},
        CheckCase{"Encrypted", [] { return WithByte(ValidTag(), kFirstFrame + 9, 0x40); }, false},
        CheckCase{"Grouped", [] { return WithByte(ValidTag(), kFirstFrame + 9, 0x20); }, true},
        CheckCase{"FrameRunsPastTag", [] { return WithByte(ValidTag(), kFirstFrame + 6, 0x01); }, false},
        CheckCase{"FrameIdGarbled", [] { return WithByte(ValidTag(), kFirstFrame + 1, 0x01); }, false},
        CheckCase{"SizeByteWithTopBit", [] { return WithByte(ValidTag(), 9, 0x80); }, false},
        CheckCase{"TagLargerThanFile", [] { return WithByte(ValidTag(), 7, 0x7F); }, false},
        CheckCase{"Version5", [] { return WithByte(ValidTag(), 3, 5); }, false},
        CheckCase{"UnknownTagFlag", [] { return WithByte(ValidTag(), 5, 0x01); }, false},
        CheckCase{"Version4", [] { return Version4Tag(0); }, true},
        CheckCase{"Version4DataLength", [] { return Version4Tag(0x01); }, false},
        CheckCase{"Version4Compressed", [] { return Version4Tag(0x08); }, false},
        CheckCase{"Version2",
                  [] {
                      Bytes tag{'I', 'D', '3', 2, 0, 0, 0, 0, 0, 0, 'T', 'T', '2', 0, 0, 3, 0, 'H', 'i'};
                      tag[9] = static_cast<uint8_t>(tag.size() - 10);
                      return tag;
                  },
                  true},
        CheckCase{"Version2Compressed", [] { return Bytes{'I', 'D', '3', 2, 0, 0x40, 0, 0, 0, 0}; }, false},
        CheckCase{"UnsynchronisedSizesCountAfterResync",
                  [] {
                      // A title holding 0xFF: written as 0xFF 0x00, the tag grows by one byte.
                      Bytes tag = test::Id3v23Tag({{"TIT2", Bytes{0, 'a', 0xFF, 'b'}}}, 0);
                      tag.insert(tag.begin() + kFirstFrame + 10 + 3, 0x00);
                      tag[5] = 0x80;
                      test::PutSyncsafe(&tag[6], static_cast<uint32_t>(tag.size() - 10));
                      return tag;
                  },
                  true},
        CheckCase{"ExtendedHeader",
                  [] {
                      Bytes tag = ValidTag();
                      const Bytes extended{0, 0, 0, 6, 0, 0, 0, 0, 0, 0};
                      tag.insert(tag.begin() + 10, extended.begin(), extended.end());
                      tag[5] = 0x40;
                      test::PutSyncsafe(&tag[6], static_cast<uint32_t>(tag.size() - 10));
                      return tag;
                  },
                  true},
        CheckCase{"ExtendedHeaderTooLarge",
                  [] {
                      Bytes tag = ValidTag();
                      const Bytes extended{0, 0, 0x10, 0, 0, 0, 0, 0, 0, 0};
                      tag.insert(tag.begin() + 10, extended.begin(), extended.end());
                      tag[5] = 0x40;
                      test::PutSyncsafe(&tag[6], static_cast<uint32_t>(tag.size() - 10));
                      return tag;
                  },
                  false},
        CheckCase{"SecondTagCompressed",
                  [] {
                      Bytes tags = ValidTag();
                      const Bytes second = WithByte(ValidTag(), kFirstFrame + 9, 0x80);
                      tags.insert(tags.end(), second.begin(), second.end());
                      return tags;
                  },
                  false}),
    [](const testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

TEST(Id3v2CheckFile, ReadsTheTagFromTheFile) {
    test::TempDir dir;
    const auto write = [&](const std::string& name, const Bytes& bytes) {
        const std::string path = dir.File(name);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path;
    };
    Bytes good = ValidTag();
    good.insert(good.end(), 100, 0xAA);
    EXPECT_TRUE(CheckId3v2File(write("good.mp3", good)).safe);
    EXPECT_FALSE(CheckId3v2File(write("bad.mp3", WithByte(good, kFirstFrame + 9, 0x80))).safe);
    EXPECT_FALSE(CheckId3v2File(write("cut.mp3", Bytes(good.begin(), good.begin() + 20))).safe);
    EXPECT_TRUE(CheckId3v2File(write("empty.mp3", {})).safe);
    EXPECT_TRUE(CheckId3v2File(dir.File("missing.mp3")).safe);
}

}  // namespace
}  // namespace lumetra
