// MP3 information against the project's own files: header facts agree with what the encoder was
// told, tag texts with what the tag writer wrote, and bad files leave everything cleared; the genre
// list and the reading of ID3v1 genre numbers.
#include <gtest/gtest.h>
#include <id3/globals.h>

#include <filesystem>

#include "audio/Id3Genres.h"
#include "audio/Mp3Info.h"
#include "tests/audio/fixtures/AudioFixtures.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using Text = CMp3Info::Text;
using TextGetter = const Text& (CMp3Info::*)() const;

// The tag texts and the frame each comes from.
// clang-format off
const std::pair<TextGetter, const char*> kTagTexts[] = {
    {&CMp3Info::Title, "TIT2"}, {&CMp3Info::Artist, "TPE1"}, {&CMp3Info::Album, "TALB"},
    {&CMp3Info::Comment, "COMM"}, {&CMp3Info::Year, "TYER"}, {&CMp3Info::Track, "TRCK"},
    {&CMp3Info::Genre, "TCON"}, {&CMp3Info::Composer, "TCOM"}, {&CMp3Info::RightsNotice, "TCOP"},
    {&CMp3Info::EncodedBy, "TENC"}, {&CMp3Info::FirstReleasePerformer, "TOPE"}, {&CMp3Info::UserUrl, "WXXX"}};
// clang-format on

Text Opt(const char* text) {
    return text ? Text(text) : std::nullopt;
}

void ExpectCleared(const CMp3Info& info) {
    EXPECT_FALSE(info.IsValid() || info.HasLyrics() || info.HasV1Tag() || info.HasV2Tag());
    EXPECT_EQ(info.Path(), "");
    EXPECT_EQ(info.FileSize(), -1);
    for (int32_t number : {info.BitRate(), info.VbrBitRate(), info.EffectiveBitRate(), info.SampleRate(),
                           info.PlayingTime(), info.YearNumber(), info.TrackNumber()})
        EXPECT_EQ(number, 0);
    for (TextGetter get :
         {&CMp3Info::BitRateText, &CMp3Info::LayerText, &CMp3Info::VersionText, &CMp3Info::ChannelModeText})
        EXPECT_FALSE((info.*get)().has_value()) << *(info.*get)();
    for (const auto& [get, id] : kTagTexts) EXPECT_FALSE((info.*get)().has_value()) << id;
}

struct FileCase {
    const char* file;
    int kbps, rate, seconds;
    const char *version, *channelMode;
    bool v1, v2;
    const char* title;
    const char* genre;
    int year, track;
};

class Mp3InfoFileTest : public testing::TestWithParam<FileCase> {};

TEST_P(Mp3InfoFileTest, HeaderAndTagsAgreeWithHowTheFileWasMade) {
    const FileCase& c = GetParam();
    CMp3Info info;
    ASSERT_TRUE(info.Open(test::Fixture(c.file)));
    EXPECT_TRUE(info.IsValid());
    EXPECT_EQ(info.Path(), test::Fixture(c.file));
    EXPECT_EQ(info.HasV1Tag(), c.v1);
    EXPECT_EQ(info.HasV2Tag(), c.v2);
    EXPECT_FALSE(info.HasLyrics());
    EXPECT_EQ(info.FileSize(), static_cast<int32_t>(std::filesystem::file_size(test::Fixture(c.file))));
    EXPECT_EQ(info.BitRate(), c.kbps * 1000);
    EXPECT_EQ(info.VbrBitRate(), 0);
    EXPECT_EQ(info.EffectiveBitRate(), c.kbps * 1000);
    EXPECT_EQ(info.BitRateText(), std::to_string(c.kbps) + " kbit/s");
    EXPECT_EQ(info.SampleRate(), c.rate);
    EXPECT_EQ(info.PlayingTime(), c.seconds);
    EXPECT_EQ(info.LayerText(), "Layer III");
    EXPECT_EQ(info.VersionText(), c.version);
    EXPECT_EQ(info.ChannelModeText(), c.channelMode);
    EXPECT_EQ(info.Title(), Opt(c.title));
    EXPECT_EQ(info.Genre(), Opt(c.genre));
    EXPECT_EQ(info.YearNumber(), c.year);
    EXPECT_EQ(info.TrackNumber(), c.track);
    ASSERT_EQ(std::size(kTagTexts), test::kV23Frames.size());
    for (size_t i = 0; c.v2 && i < test::kV23Frames.size(); ++i) {
        const auto& [get, id] = kTagTexts[i];
        ASSERT_EQ(test::kV23Frames[i].first, id);
        EXPECT_EQ((info.*get)(), test::kV23Frames[i].second) << id;
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Fixtures, Mp3InfoFileTest, testing::Values(
    // Joint stereo is what the encoder picks at 128 kbit/s; the track "08/12" is track 8.
    FileCase{test::kCbrMp3, test::kCbrKbps, test::kCbrRate, test::kCbrSeconds, "MPEG 1", "Joint Stereo",
             false, true, "Morning Bell", "Chanson", 2019, 8},
    // Four minutes and five seconds are 245; at 32 kbit/s mono the encoder resamples to 22.05 kHz.
    FileCase{test::kLongMp3, test::kLongKbps, 22050, test::kLongSeconds, "MPEG 2", "Single Channel",
             false, false, nullptr, nullptr, 0, 0},
    // ID3v1 only: the genre is named by its number, or left as "(n)" when there is no such genre.
    FileCase{test::kV1RockMp3, test::kV1Kbps, 44100, test::kV1Seconds, "MPEG 1", "Single Channel",
             true, false, test::kV1Title, "Rock", 1998, 3},
    FileCase{test::kV1Genre200Mp3, test::kV1Kbps, 44100, test::kV1Seconds, "MPEG 1", "Single Channel",
             true, false, test::kV1Title, "(200)", 1998, 3}));
// clang-format on

TEST(Mp3Info, VariableBitRateFileReportsItsAverage) {
    CMp3Info info;
    ASSERT_TRUE(info.Open(test::Fixture(test::kVbrMp3)));
    // The encoder was asked for an average of 128 kbit/s on noise.
    EXPECT_NEAR(info.VbrBitRate(), test::kVbrTargetKbps * 1000, test::kVbrTargetKbps * 100);
    EXPECT_EQ(info.EffectiveBitRate(), info.VbrBitRate());
    EXPECT_EQ(info.BitRateText(), std::to_string(info.VbrBitRate() / 1000) + " kbit/s (VBR)");
    EXPECT_EQ(info.PlayingTime(), test::kVbrSeconds);
    EXPECT_FALSE(info.Title().has_value() || info.Genre().has_value());
}

TEST(Mp3Info, TagLargerThanTheFileIsLeftOutButTheAudioIsStillMeasured) {
    CMp3Info info;
    ASSERT_TRUE(info.Open(test::Fixture(test::kBadTagSizeMp3)));
    EXPECT_FALSE(info.HasV2Tag());
    EXPECT_FALSE(info.Title().has_value());
    EXPECT_EQ(info.BitRate(), test::kCbrKbps * 1000);
    EXPECT_EQ(info.PlayingTime(), test::kCbrSeconds);
}

TEST(Mp3Info, ClearAndFailedOpensLeaveEverythingCleared) {
    CMp3Info info;
    ExpectCleared(info);
    ASSERT_TRUE(info.Open(test::Fixture(test::kCbrMp3)));
    info.Clear();
    ExpectCleared(info);
    info.Clear();
    ExpectCleared(info);
    for (const char* bad : {test::kTruncatedMp3, test::kZerosMp3, test::kWavNamedMp3, test::kTextMp3,
                            test::kWav, test::kAvi, "no-such-file.mp3"}) {
        SCOPED_TRACE(bad);
        ASSERT_TRUE(info.Open(test::Fixture(test::kCbrMp3)));
        EXPECT_FALSE(info.Open(test::Fixture(bad)));
        ExpectCleared(info);
    }
}

// On the ID3v1 file: a title frame flagged compressed whose data does not inflate (the library
// frees an uninitialised pointer on it), and a lyrics block before the ID3v1 tag.
TEST(Mp3Info, CompressedFrameIsLeftOutAndALyricsBlockIsNoticed) {
    test::TempDir dir;
    const test::Bytes audio = test::ReadBytes(test::Fixture(test::kV1RockMp3));
    test::Bytes tagged =
        test::Id3v23Tag({{"TIT2", std::string("\0\x10\0not zlib", 11)}, {"TPE1", "Else"}}, 16);
    tagged[10 + 9] = 0x80;  // the first frame's "compressed" flag
    tagged.insert(tagged.end(), audio.begin(), audio.end());
    const std::string compressed = dir.File("100% %s %d.mp3");  // no format string
    test::WriteBytes(compressed, tagged);
    test::Bytes lyrics = audio;
    const std::string block = "LYRICSBEGIN[00:01]la la laLYRICSEND";
    lyrics.insert(lyrics.end() - 128, block.begin(), block.end());
    test::WriteBytes(dir.File("lyrics.mp3"), lyrics);

    CMp3Info info;
    ASSERT_TRUE(info.Open(test::Fixture(test::kCbrMp3)));
    ASSERT_TRUE(info.Open(compressed));
    EXPECT_EQ(info.Path(), compressed);
    EXPECT_FALSE(info.HasV2Tag());
    EXPECT_FALSE(info.Composer().has_value()) << "no text survives from the previous file";
    EXPECT_EQ(info.Artist(), test::kV1Artist) << "the whole ID3v2 tag is left out, the ID3v1 tag is read";
    EXPECT_EQ(info.Title(), test::kV1Title);
    EXPECT_EQ(info.PlayingTime(), test::kV1Seconds);
    ASSERT_TRUE(info.Open(dir.File("lyrics.mp3")));
    EXPECT_TRUE(info.HasLyrics());
    EXPECT_EQ(info.PlayingTime(), test::kV1Seconds);
}

// The library's own copy differs only where our list keeps the older spellings (67, 144) and where
// the library has a stray blank; any other difference is a typing mistake.
TEST(Id3Genres, ListHas148NamesAgreeingWithTheLibrarysCopy) {
    ASSERT_EQ(ID3_NR_OF_V1_GENRES, kId3GenreCount);
    ASSERT_EQ(kId3GenreCount, 148);
    for (int i = 0; i < kId3GenreCount; ++i) {
        std::string library = i == 67    ? "Psychadelic"
                              : i == 144 ? "Trash Metal"
                                         : ID3_v1_genre_description[i];
        while (!library.empty() && library.back() == ' ') library.pop_back();
        EXPECT_EQ(Id3GenreName(i), library) << "genre " << i;
    }
    EXPECT_EQ(Id3GenreName(148), "");
    EXPECT_EQ(Id3GenreName(-1), "");
}

TEST(Id3Genres, OnlyANumberInParenthesesBecomesItsName) {
    // clang-format off
    for (const auto& [text, genre] : {std::pair{"(17)", "Rock"}, {"(0)", "Blues"}, {"(147)", "Synthpop"},
            {"(148)", "(148)"}, {"(-1)", "(-1)"}, {"(17", "(17"}, {"17", "17"}, {"(1 7)", "(1 7)"},
            {"()", "()"}, {"(17)Rock", "(17)Rock"}, {"", ""}, {"Chanson", "Chanson"}})
        EXPECT_EQ(Id3v1GenreText(text), genre) << text;
    // clang-format on
}

}  // namespace
}  // namespace lumetra
