// MP3 information against the project's own files: header facts agree with what the encoder was
// told, tag texts with what the tag writer wrote, and bad files leave everything cleared.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "audio/Mp3Info.h"
#include "tests/audio/fixtures/AudioFixtures.h"
#include "tests/audio/fixtures/Id3Writer.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

namespace fs = std::filesystem;

void ExpectCleared(const CMp3Info& info) {
    EXPECT_FALSE(info.IsValid());
    EXPECT_EQ(info.Path(), "");
    EXPECT_FALSE(info.HasLyrics());
    EXPECT_FALSE(info.HasV1Tag());
    EXPECT_FALSE(info.HasV2Tag());
    EXPECT_EQ(info.FileSize(), -1);
    EXPECT_EQ(info.BitRate(), 0);
    EXPECT_EQ(info.VbrBitRate(), 0);
    EXPECT_EQ(info.EffectiveBitRate(), 0);
    EXPECT_EQ(info.SampleRate(), 0);
    EXPECT_EQ(info.PlayingTime(), 0);
    EXPECT_EQ(info.YearNumber(), 0);
    EXPECT_EQ(info.TrackNumber(), 0);
    for (const CMp3Info::Text* text :
         {&info.BitRateText(), &info.LayerText(), &info.VersionText(), &info.ChannelModeText(), &info.Title(),
          &info.Artist(), &info.Album(), &info.Comment(), &info.Year(), &info.Track(), &info.Genre(),
          &info.Composer(), &info.RightsNotice(), &info.EncodedBy(), &info.FirstReleasePerformer(),
          &info.UserUrl()}) {
        EXPECT_FALSE(text->has_value()) << **text;
    }
}

TEST(Mp3Info, ConstantBitRateFileWithId3v23Tag) {
    CMp3Info info;
    ASSERT_TRUE(info.Open(test::Fixture(test::kCbrMp3)));
    EXPECT_TRUE(info.IsValid());
    EXPECT_TRUE(info.HasV2Tag());
    EXPECT_FALSE(info.HasV1Tag());
    EXPECT_FALSE(info.HasLyrics());
    EXPECT_EQ(info.FileSize(), static_cast<int32_t>(fs::file_size(test::Fixture(test::kCbrMp3))));
    EXPECT_EQ(info.BitRate(), test::kCbrKbps * 1000);
    EXPECT_EQ(info.VbrBitRate(), 0);
    EXPECT_EQ(info.EffectiveBitRate(), test::kCbrKbps * 1000);
    EXPECT_EQ(info.BitRateText(), std::to_string(test::kCbrKbps) + " kbit/s");
    EXPECT_EQ(info.SampleRate(), test::kCbrRate);
    EXPECT_EQ(info.PlayingTime(), test::kCbrSeconds);
    EXPECT_EQ(info.LayerText(), "Layer III");
    EXPECT_EQ(info.VersionText(), "MPEG 1");
    EXPECT_EQ(info.ChannelModeText(), "Joint Stereo");  // what the encoder picks for stereo at 128 kbit/s

    EXPECT_EQ(info.Title(), test::kTagTitle);
    EXPECT_EQ(info.Artist(), test::kTagArtist);
    EXPECT_EQ(info.Album(), test::kTagAlbum);
    EXPECT_EQ(info.Comment(), test::kTagComment);
    EXPECT_EQ(info.Year(), test::kTagYear);
    EXPECT_EQ(info.Track(), test::kTagTrack);
    EXPECT_EQ(info.Genre(), test::kTagGenre);
    EXPECT_EQ(info.Composer(), test::kTagComposer);
    EXPECT_EQ(info.RightsNotice(), test::kTagCopyright);
    EXPECT_EQ(info.EncodedBy(), test::kTagEncodedBy);
    EXPECT_EQ(info.FirstReleasePerformer(), test::kTagOriginalArtist);
    EXPECT_EQ(info.UserUrl(), test::kTagUrl);
    EXPECT_EQ(info.YearNumber(), 2019);
    EXPECT_EQ(info.TrackNumber(), 8) << "\"08/12\" is track 8";
}

TEST(Mp3Info, VariableBitRateFileReportsItsAverage) {
    CMp3Info info;
    ASSERT_TRUE(info.Open(test::Fixture(test::kVbrMp3)));
    // The encoder was asked for an average of 128 kbit/s on noise.
    EXPECT_NEAR(info.VbrBitRate(), test::kVbrTargetKbps * 1000, test::kVbrTargetKbps * 100);
    EXPECT_EQ(info.EffectiveBitRate(), info.VbrBitRate());
    EXPECT_EQ(info.BitRateText(), std::to_string(info.VbrBitRate() / 1000) + " kbit/s (VBR)");
    EXPECT_EQ(info.PlayingTime(), test::kVbrSeconds);
    EXPECT_FALSE(info.Title().has_value());
    EXPECT_FALSE(info.Genre().has_value());
}

TEST(Mp3Info, FourMinutesFiveSecondsIs245) {
    CMp3Info info;
    ASSERT_TRUE(info.Open(test::Fixture(test::kLongMp3)));
    EXPECT_EQ(info.PlayingTime(), test::kLongSeconds);
    EXPECT_EQ(info.BitRate(), test::kLongKbps * 1000);
    EXPECT_EQ(info.BitRateText(), "32 kbit/s");
    EXPECT_EQ(info.ChannelModeText(), "Single Channel");
}

struct V1GenreCase {
    const char* file;
    const char* genre;
};

class Mp3InfoV1Test : public testing::TestWithParam<V1GenreCase> {};

TEST_P(Mp3InfoV1Test, Id3v1OnlyFileNamesItsGenreByNumber) {
    CMp3Info info;
    ASSERT_TRUE(info.Open(test::Fixture(GetParam().file)));
    EXPECT_TRUE(info.HasV1Tag());
    EXPECT_FALSE(info.HasV2Tag());
    EXPECT_EQ(info.Genre(), GetParam().genre);
    EXPECT_EQ(info.Title(), test::kV1Title);
    EXPECT_EQ(info.YearNumber(), 1998);
    EXPECT_EQ(info.TrackNumber(), 3);
    EXPECT_EQ(info.BitRate(), test::kV1Kbps * 1000);
    EXPECT_EQ(info.PlayingTime(), test::kV1Seconds);
    EXPECT_EQ(info.ChannelModeText(), "Single Channel");
}

INSTANTIATE_TEST_SUITE_P(Genres, Mp3InfoV1Test,
                         testing::Values(V1GenreCase{test::kV1RockMp3, "Rock"},
                                         V1GenreCase{test::kV1Genre200Mp3, "(200)"}));

TEST(Mp3Info, PathWithPercentSignIsKeptAsItIs) {
    test::TempDir dir;
    const std::string path = dir.File("100% %s %d.mp3");
    fs::copy_file(test::Fixture(test::kCbrMp3), path);
    CMp3Info info;
    ASSERT_TRUE(info.Open(path));
    EXPECT_EQ(info.Path(), path);
}

class Mp3InfoRefusedTest : public testing::TestWithParam<const char*> {};

TEST_P(Mp3InfoRefusedTest, FileWithoutMpegAudioLeavesEverythingCleared) {
    CMp3Info info;
    ASSERT_TRUE(info.Open(test::Fixture(test::kCbrMp3)));
    EXPECT_FALSE(info.Open(test::Fixture(GetParam())));
    ExpectCleared(info);
}

INSTANTIATE_TEST_SUITE_P(BadFiles, Mp3InfoRefusedTest,
                         testing::Values(test::kTruncatedMp3, test::kZerosMp3, test::kWavNamedMp3,
                                         test::kTextMp3, test::kWav, test::kAvi, "no-such-file.mp3"));

TEST(Mp3Info, TagLargerThanTheFileIsLeftOutButTheAudioIsStillMeasured) {
    CMp3Info info;
    ASSERT_TRUE(info.Open(test::Fixture(test::kBadTagSizeMp3)));
    EXPECT_FALSE(info.HasV2Tag());
    EXPECT_FALSE(info.Title().has_value());
    EXPECT_EQ(info.BitRate(), test::kCbrKbps * 1000);
    EXPECT_EQ(info.PlayingTime(), test::kCbrSeconds);
}

// A tag whose title frame claims to be compressed but holds no valid compressed data: the
// library frees an uninitialised pointer on it.
TEST(Mp3Info, CompressedFrameThatDoesNotInflateIsNoCrash) {
    test::TempDir dir;
    test::Bytes title = {0, 0, 0x10, 0, 'n', 'o', 't', ' ', 'z', 'l', 'i', 'b'};
    test::Bytes tag = test::Id3v23Tag({{"TIT2", title}, {"TPE1", test::TextFrameBody("Someone")}}, 16);
    tag[10 + 9] = 0x80;  // the first frame's "compressed" flag
    std::ifstream audio(test::Fixture(test::kV1RockMp3), std::ios::binary);
    test::Bytes bytes = tag;
    bytes.insert(bytes.end(), std::istreambuf_iterator<char>(audio), {});
    const std::string path = dir.File("compressed.mp3");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());

    CMp3Info info;
    ASSERT_TRUE(info.Open(path));
    EXPECT_FALSE(info.HasV2Tag());
    EXPECT_EQ(info.Artist(), test::kV1Artist) << "the whole ID3v2 tag is left out, the ID3v1 tag is read";
    EXPECT_EQ(info.Title(), test::kV1Title);
    EXPECT_EQ(info.PlayingTime(), test::kV1Seconds);
}

TEST(Mp3Info, LyricsBlockBeforeTheId3v1TagIsNoticed) {
    test::TempDir dir;
    std::ifstream in(test::Fixture(test::kV1RockMp3), std::ios::binary);
    test::Bytes bytes(std::istreambuf_iterator<char>(in), {});
    const test::Bytes lyrics = test::Lyrics3Block("[00:01]la la la");
    bytes.insert(bytes.end() - 128, lyrics.begin(), lyrics.end());
    const std::string path = dir.File("lyrics.mp3");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());

    CMp3Info info;
    ASSERT_TRUE(info.Open(path));
    EXPECT_TRUE(info.HasLyrics());
    EXPECT_EQ(info.PlayingTime(), test::kV1Seconds);
}

TEST(Mp3Info, ClearReleasesEverythingAndReopenStartsFresh) {
    CMp3Info info;
    ExpectCleared(info);
    ASSERT_TRUE(info.Open(test::Fixture(test::kCbrMp3)));
    info.Clear();
    ExpectCleared(info);
    info.Clear();
    ExpectCleared(info);

    ASSERT_TRUE(info.Open(test::Fixture(test::kCbrMp3)));
    ASSERT_TRUE(info.Open(test::Fixture(test::kV1RockMp3)));
    EXPECT_FALSE(info.Composer().has_value()) << "no text survives from the previous file";
    EXPECT_FALSE(info.HasV2Tag());
    EXPECT_EQ(info.Title(), test::kV1Title);
}

}  // namespace
}  // namespace lumetra
