// MP3 information against the project's own files: the playing time of every kind of MPEG stream;
// the texts of every kind of tag; the header facts and texts of a fully tagged file; bad files
// leave everything cleared; frame headers; ID3v1 genre numbers; thousands of mutated files.
#include <glib.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <filesystem>
#include <random>

#include "audio/Id3Genres.h"
#include "audio/Mp3Info.h"
#include "audio/MpegFrames.h"
#include "base/Gbk.h"
#include "tests/support/AudioFixtures.h"
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

// One row per way of finding the length: the audio's size (at each version), the VBR header (at
// the offsets of MPEG 1 stereo and MPEG 2 mono, and in a file cut short), counted frames past junk.
TEST(Mp3Info, GivesTheLengthAndBitRateOfEveryKindOfStream) {
    struct Case {
        const char* file;
        const char* version;
        bool vbr;
        double seconds;  // of the audio it holds
    };
    // clang-format off
    for (const Case& c : {Case{test::kCbrMp3, "MPEG 1", false, 3.03}, {test::kLongMp3, "MPEG 2", false, 245},
             {test::kCbrMpeg25, "MPEG 2.5", false, 6}, {test::kVbrMp3, "MPEG 1", true, 5},
             {test::kVbrXingMpeg2, "MPEG 2", true, 6}, {test::kVbrXingHalf, "MPEG 1", true, 2.5},
             {test::kLeadingJunk, "MPEG 2", true, 6}, {test::kJunkInside, "MPEG 1", true, 6},
             {test::kBadTagSizeMp3, "MPEG 1", false, 3.03}}) {
        // clang-format on
        SCOPED_TRACE(c.file);
        const std::string path = test::Fixture(c.file);
        CMp3Info info;
        ASSERT_TRUE(info.Open(path));
        EXPECT_NEAR(info.PlayingTime(), c.seconds, 1.0);
        EXPECT_EQ(info.VersionText(), c.version);
        EXPECT_EQ(info.LayerText(), "Layer III");
        EXPECT_EQ(info.BitRateText()->ends_with(" kbit/s (VBR)"), c.vbr) << *info.BitRateText();
        // The average over the audio, which is nearly all of the file.
        const double average = std::filesystem::file_size(path) * 8 / c.seconds;
        EXPECT_NEAR(info.EffectiveBitRate(), c.vbr ? average : info.BitRate(), average * 0.1);
    }
}

// A file of the mono fixture's audio, without its own ID3v1 tag, between `front` and `back`.
std::string Tagged(const test::TempDir& dir, const std::string& name, const test::Bytes& front,
                   const std::vector<test::Bytes>& back) {
    const test::Bytes audio = test::ReadBytes(test::Fixture(test::kV1RockMp3));
    test::Bytes bytes = front;
    bytes.insert(bytes.end(), audio.begin(), audio.end() - 128);
    for (const test::Bytes& part : back) bytes.insert(bytes.end(), part.begin(), part.end());
    test::WriteBytes(dir.File(name), bytes);
    return dir.File(name);
}

// UTF-16 little-endian with its byte order mark, from ASCII and CJK characters.
std::string Utf16(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return bytes;
}

// Each kind of tag and text encoding around the same audio, under a name that is not a format.
TEST(Mp3Info, TagTextsComeOutAsUtf8AndTheAudioKeepsItsLength) {
    struct TagCase {
        const char* name;
        test::Bytes front;              // before the audio
        std::vector<test::Bytes> back;  // after it, in turn
        Text title, artist, genre;
        int year;
        bool v1, v2, lyrics;
    };
    const std::string lyrics1 = "LYRICSBEGIN[00:01]la la laLYRICSEND";
    // Fifteen characters after the "A" are 31 bytes: the field keeps 30, half of the last character.
    const std::string longGbkArtist = "A校园广播每日早间新闻节目播出安排表";
    // clang-format off
    const TagCase cases[] = {
        {"Id3v1Gbk", {}, {test::Bytes(lyrics1.begin(), lyrics1.end()),
                          test::Id3v1Tag(*Utf8ToGbk("新闻联播"), *Utf8ToGbk(longGbkArtist), 17, "2008")},
         "新闻联播", "A校园广播每日早间新闻节目播出", "Rock", 2008, true, false, true},
        {"Id3v23Latin1HoldingGbk",
         test::Id3v2Tag({{"TIT2", *Utf8ToGbk("新闻联播")}, {"TPE1", *Utf8ToGbk("广播站")}, {"TCON", "(17)"},
                         {"TYER", "2010"}}, 0), {},
         "新闻联播", "广播站", "Rock", 2010, false, true, false},
        {"Id3v23Latin1", test::Id3v2Tag({{"TIT2", "Caf\xE9 M\xFCller"}, {"TPE1", "Ana"},
                                         {"TCON", "Chanson"}}, 16), {},
         "Café Müller", "Ana", "Chanson", 0, false, true, false},
        {"Id3v23Utf16", test::Id3v2Tag({{"TIT2", Utf16(u"早操音乐")}, {"TPE1", Utf16(u"Plain ASCII")},
                                        {"TYER", Utf16(u"2012")}}, 0, 1), {},
         "早操音乐", "Plain ASCII", std::nullopt, 2012, false, true, false},
        {"Id3v24Utf8", test::Id3v2Tag({{"TIT2", "晨间广播"}, {"TPE1", "Ünïcode"}, {"TCON", "17"},
                                       {"TDRC", "2021-09-01"}}, 8, 3, 4), {},
         "晨间广播", "Ünïcode", "Rock", 2021, false, true, false},
        {"Ape", {}, {test::ApeTag({{"Title", "校歌"}, {"Artist", "合唱团"}, {"Year", "2015"}, {"Genre", "Choral"}})},
         "校歌", "合唱团", "Choral", 2015, false, false, false},
        {"Lyrics3v2BeforeId3v1", {}, {test::Lyrics3v2Block("[00:01]la la la"),
                                      test::Id3v1Tag(test::kV1Title, test::kV1Artist, 200)},
         test::kV1Title, test::kV1Artist, "(200)", 1998, true, false, true}};
    // clang-format on
    test::TempDir dir;
    for (const TagCase& c : cases) {
        SCOPED_TRACE(c.name);
        CMp3Info info;
        ASSERT_TRUE(info.Open(Tagged(dir, std::string("100% %s ") + c.name + ".mp3", c.front, c.back)));
        EXPECT_EQ(info.Title(), c.title);
        EXPECT_EQ(info.Artist(), c.artist);
        EXPECT_EQ(info.Genre(), c.genre);
        EXPECT_EQ(info.YearNumber(), c.year);
        EXPECT_EQ(info.HasV1Tag(), c.v1);
        EXPECT_EQ(info.HasV2Tag(), c.v2);
        EXPECT_EQ(info.HasLyrics(), c.lyrics);
        EXPECT_EQ(info.PlayingTime(), test::kV1Seconds);
    }
    // The ID3v1 year is shown as stored; its number reads the leading digits (LeadingInt's cases).
    for (const auto& [stored, year, number] :
         {std::tuple<std::string, Text, int>{"08", "08", 8}, {"20xx", "20xx", 20}, {"", std::nullopt, 0}}) {
        CMp3Info info;
        ASSERT_TRUE(info.Open(Tagged(dir, "year.mp3", {}, {test::Id3v1Tag("t", "a", 17, stored)}))) << stored;
        EXPECT_EQ(info.Year(), year) << stored;
        EXPECT_EQ(info.YearNumber(), number) << stored;
    }
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

// The fully tagged file gives every frame and its header facts. Every open clears first, so a
// failed one after it leaves everything cleared, which also checks Clear().
TEST(Mp3Info, FullyTaggedFileGivesEverythingAndAFailedOpenAfterItNothing) {
    const std::string path = test::Fixture(test::kCbrMp3);
    CMp3Info info;
    ExpectCleared(info);
    ASSERT_TRUE(info.Open(path));
    EXPECT_EQ(info.FileSize(), static_cast<int32_t>(std::filesystem::file_size(path)));
    EXPECT_EQ(info.BitRate(), test::kCbrKbps * 1000);
    EXPECT_EQ(info.VbrBitRate(), 0);
    EXPECT_EQ(info.BitRateText(), std::to_string(test::kCbrKbps) + " kbit/s");
    EXPECT_EQ(info.SampleRate(), test::kCbrRate);
    EXPECT_EQ(info.ChannelModeText(), "Joint Stereo");  // what the encoder picks at 128 kbit/s
    for (size_t i = 0; i < std::size(kTagTexts); ++i)
        EXPECT_EQ((info.*kTagTexts[i].first)(), test::kV23Frames[i].second) << kTagTexts[i].second;
    EXPECT_EQ(info.TrackNumber(), 8) << "the track \"08/12\" is track 8";
    test::TempDir dir;
    ASSERT_EQ(mkfifo(dir.File("pipe.mp3").c_str(), 0600), 0);
    // Cut inside its tag, no audio but false frame syncs (in the video), no bytes at all, no file;
    // a named pipe with no writer and a directory, refused without waiting.
    for (const std::string& bad :
         {test::Fixture(test::kTruncatedMp3), test::Fixture(test::kAvi), test::Fixture(test::kEmptyMp3),
          dir.File("none.mp3"), dir.File("pipe.mp3"), dir.Path()}) {
        SCOPED_TRACE(bad);
        ASSERT_TRUE(info.Open(path));
        EXPECT_FALSE(info.Open(bad));
        ExpectCleared(info);
    }
}

// Every layer and version the fixtures cannot make, with sizes worked out by hand.
TEST(MpegFrames, HeaderGivesRatesAndFrameLengthOrIsRefused) {
    using Header = std::array<uint8_t, 4>;
    struct Case {
        Header bytes;
        int version, layer, channelMode, kbps, rate, samples, length;
    };
    // clang-format off
    for (const Case& c : {Case{{0xFF, 0xFD, 0xA4, 0x00}, 3, 2, 0, 192, 48000, 1152, 576},  // 144 * 192 / 48
                          {{0xFF, 0xFF, 0xC2, 0xC0}, 3, 3, 3, 384, 44100, 384, 420},     // (12 * 384 / 44.1 + 1) * 4
                          {{0xFF, 0xF7, 0xE8, 0x00}, 2, 3, 0, 256, 16000, 384, 768},     // 12 * 256 / 16 * 4
                          {{0xFF, 0xF3, 0x10, 0x40}, 2, 1, 1, 8, 22050, 576, 26},        // 72 * 8 / 22.05
                          {{0xFF, 0xE3, 0xEA, 0x80}, 0, 1, 2, 160, 8000, 576, 1441}}) {  // 72 * 160 / 8 + 1
        // clang-format on
        const std::optional<MpegFrameHeader> h = ParseFrameHeader(c.bytes.data());
        ASSERT_TRUE(h) << c.length;
        EXPECT_EQ(std::tuple(h->version, h->layer, h->channelMode, h->bitRate, h->sampleRate,
                             h->samplesPerFrame, h->length),
                  std::tuple(c.version, c.layer, c.channelMode, c.kbps * 1000, c.rate, c.samples, c.length));
    }
    // Bit rate 15, sample rate 3, the reserved version and layer, a free-format bit rate, no sync.
    for (const Header& bytes :
         {Header{0xFF, 0xFB, 0xF0, 0x00}, Header{0xFF, 0xFB, 0x9C, 0x00}, Header{0xFF, 0xEB, 0x90, 0x00},
          Header{0xFF, 0xF9, 0x90, 0x00}, Header{0xFF, 0xFB, 0x00, 0x00}, Header{0xFE, 0xFB, 0x90, 0x00}})
        EXPECT_FALSE(ParseFrameHeader(bytes.data())) << int(bytes[1]) << " " << int(bytes[2]);
}

TEST(Id3Genres, OnlyANumberInParenthesesBecomesItsName) {
    // clang-format off
    for (const auto& [text, genre] : {std::pair{"(0)", "Blues"}, {"(147)", "Synthpop"}, {"(148)", "(148)"},
            {"(-1)", "(-1)"}, {"(17", "(17"}, {"17", "17"}, {"(1 7)", "(1 7)"}, {"()", "()"},
            {"(17)Rock", "(17)Rock"}, {"", ""}})
        EXPECT_EQ(Id3v1GenreText(text), genre) << text;
    // clang-format on
}

// Thousands of mutated MP3 files (cut short, garbled tag sizes and flags, zero blocks, false frame
// syncs, stray ID3v1 tags; seeds with ID3v2.3, ID3v2.4 in UTF-16 and UTF-8, APE, Lyrics3, ID3v1
// and a VBR header) through CMp3Info::Open: a text that is not UTF-8 fails the test naming the
// case; a crash, or a case still reading after three seconds (ended by SIGALRM), ends the test's
// process and leaves the case's bytes as case-N.mp3 in its temporary folder. LUMETRA_FUZZ_CASES
// sets the number of cases (default 4000), LUMETRA_FUZZ_SEED the series.
using test::Bytes;

// The `index`-th mutation of one of the seeds; the same arguments always give the same bytes.
Bytes MutatedCase(const std::vector<Bytes>& seeds, uint64_t index, uint32_t seed) {
    std::mt19937 random(static_cast<uint32_t>(seed * 2654435761u + index));
    Bytes bytes = seeds[index % seeds.size()];
    // Offsets near the start matter most: that is where the ID3v2 tag and the first frames are.
    const auto head = [&] { return random() % std::min<size_t>(bytes.size(), 1024); };
    const uint64_t kind = (index / seeds.size()) % 9;
    switch (kind) {
        case 0:  // a few garbled bytes in the tag area
            for (int n = 1 + random() % 16; n > 0; --n) bytes[head()] = random();
            break;
        case 1:  // cut short anywhere
            bytes.resize(random() % bytes.size());
            break;
        case 2:  // the ID3v2 tag size, including bytes a valid size never holds, or (3) its version,
        case 3:  // revision and flags
            for (size_t i = kind == 2 ? 6 : 3; i < std::min<size_t>(kind == 2 ? 10 : 6, bytes.size()); ++i)
                bytes[i] = random();
            break;
        case 4: {  // a frame size somewhere in the tag, often huge
            const uint32_t size = random() % 2 ? random() : random() % 0x1000;
            for (size_t at = head(), i = 0; i < 4 && at + i < bytes.size(); ++i)
                bytes[at + i] = static_cast<uint8_t>(size >> (24 - 8 * i));
            break;
        }
        case 5: {  // a block of zero bytes
            const size_t at = head();
            std::fill_n(bytes.begin() + at, std::min<size_t>(random() % 256, bytes.size() - at), 0);
            break;
        }
        case 6:  // a garbled ID3v1 tag at the end
            bytes.insert(bytes.end(), {'T', 'A', 'G'});
            for (int i = 0; i < 125; ++i) bytes.push_back(static_cast<uint8_t>(random()));
            break;
        case 7: {  // random bytes inserted
            const size_t at = head();
            for (int n = random() % 64; n > 0; --n)
                bytes.insert(bytes.begin() + at, static_cast<uint8_t>(random()));
            break;
        }
        default:  // false frame syncs in the audio
            for (int n = 1 + random() % 8; n > 0; --n) {
                const size_t at = random() % bytes.size();
                bytes[at] = 0xFF;
                if (at + 1 < bytes.size()) bytes[at + 1] = 0xE0 | (random() & 0x1F);
            }
    }
    return bytes;
}

// LUMETRA_FUZZ_CASES or LUMETRA_FUZZ_SEED when set to a positive number, else `fallback`.
uint64_t FromEnvironment(const char* name, uint64_t fallback) {
    const char* text = std::getenv(name);
    return text && std::atoll(text) > 0 ? std::strtoull(text, nullptr, 10) : fallback;
}

Bytes Head(const char* fixture, size_t limit) {
    Bytes bytes = test::ReadBytes(test::Fixture(fixture));
    bytes.resize(std::min(bytes.size(), limit));
    return bytes;
}

TEST(Mp3InfoFuzz, MutatedFilesNeitherCrashNorHang) {
    // Every kind of tag around a little audio, so that mutations reach every parser: ID3v2.4 with
    // UTF-16 and UTF-8 frames and one flagged compressed that does not inflate, then APE, Lyrics3
    // and an ID3v1 tag holding GBK bytes.
    Bytes tagged = test::Id3v2Tag(
        {{"TIT2", "\xFF\xFE\x2D\x4E\x87\x65"}, {"TPE1", std::string("\0\x10\0x", 4)}}, 4, 1, 4);
    tagged[10 + 10 + 7 + 9] = 0x08;  // the second frame's "compressed" flag, behind a 7-byte first
    const Bytes audio = Head(test::kV1RockMp3, 3000);
    tagged.insert(tagged.end(), audio.begin(), audio.end());
    for (const Bytes& tail : {test::ApeTag({{"Title", "校歌"}}), test::Lyrics3v2Block("la"),
                              test::Id3v1Tag("\xD0\xC2\xCE\xC5", "x", 17)})
        tagged.insert(tagged.end(), tail.begin(), tail.end());
    const std::vector<Bytes> seeds{Head(test::kCbrMp3, 8000), Head(test::kV1RockMp3, 1 << 20),
                                   Head(test::kVbrMp3, 6000), tagged};
    for (const Bytes& seed : seeds) ASSERT_GT(seed.size(), 500u) << "fixtures missing?";
    const uint64_t cases = FromEnvironment("LUMETRA_FUZZ_CASES", 4000);
    const auto seed = static_cast<uint32_t>(FromEnvironment("LUMETRA_FUZZ_SEED", 1));
    test::TempDir dir;
    std::signal(SIGALRM, SIG_DFL);
    size_t changed = 0;
    for (uint64_t i = 0; i < cases; ++i) {
        const Bytes bytes = MutatedCase(seeds, i, seed);
        changed += bytes != seeds[i % seeds.size()];
        const std::string path = dir.File("case-" + std::to_string(i) + ".mp3");
        test::WriteBytes(path, bytes);
        alarm(3);
        CMp3Info info;
        info.Open(path);
        alarm(0);
        for (const auto& text : {info.Title(), info.Artist(), info.Album(), info.Comment(), info.Genre(),
                                 info.UserUrl(), info.Year()})
            if (text && !g_utf8_validate(text->data(), static_cast<gssize>(text->size()), nullptr))
                ADD_FAILURE() << "case " << i << " of series " << seed << " gives text that is not UTF-8";
        std::filesystem::remove(path);
    }
    EXPECT_GT(changed, cases * 9 / 10) << "the mutations change the seeds";
}

}  // namespace
}  // namespace lumetra
