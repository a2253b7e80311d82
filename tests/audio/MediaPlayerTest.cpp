// The player's own rules, against a scripted media control: extensions and devices, the exact
// command strings and their order, length arithmetic, and the open retries.
#include <gtest/gtest.h>

#include <chrono>

#include "audio/MediaPlayer.h"
#include "tests/audio/ScriptedMediaControl.h"

namespace lumetra {
namespace {

using test::CScriptedMediaControl;
using Strings = std::vector<std::string>;

struct ExtensionCase {
    const char* path;
    const char* extension;
    const char* deviceType;
    bool frames;
};

class PlayerExtensionTest : public testing::TestWithParam<ExtensionCase> {};

TEST_P(PlayerExtensionTest, OpenChoosesDeviceAndTimeFormat) {
    const ExtensionCase& c = GetParam();
    CScriptedMediaControl control;
    CMediaPlayer player(control);
    std::string result;
    player.Open(c.path, result);
    EXPECT_EQ(result, "OK");
    EXPECT_EQ(player.Extension(), c.extension);
    EXPECT_EQ(player.IsFrames(), c.frames);
    EXPECT_EQ(player.File(), c.path);
    ASSERT_EQ(control.opens.size(), 1u);
    EXPECT_EQ(control.opens[0].deviceType, c.deviceType);
    EXPECT_EQ(control.opens[0].element, c.path);
    EXPECT_EQ(control.opens[0].alias, "myMedia");
    EXPECT_TRUE(control.sent.empty()) << "open sends nothing through the command strings";
}

INSTANTIATE_TEST_SUITE_P(Paths, PlayerExtensionTest,
                         testing::Values(ExtensionCase{"/music/song.mp3", "mp3", "mpegvideo", false},
                                         ExtensionCase{"/music/SONG.MP3", "mp3", "mpegvideo", false},
                                         ExtensionCase{"/music/bell.wav", "wav", "waveaudio", false},
                                         ExtensionCase{"/music/bell.wave", "wav", "waveaudio", false},
                                         ExtensionCase{"/music/Bell.WaV", "wav", "waveaudio", false},
                                         ExtensionCase{"/music/clip.avi", "avi", "avivideo", true},
                                         ExtensionCase{"/cd/Track03.cda", "cda", "cdaudio", false},
                                         ExtensionCase{"/music/film.mpeg", "mpe", "mpegvideo", true},
                                         ExtensionCase{"/music/song.ogg", "ogg", "mpegvideo", true},
                                         ExtensionCase{"/music/song", "/mu", "mpegvideo", true},
                                         ExtensionCase{"Song", "son", "mpegvideo", true},
                                         ExtensionCase{"/music.d/song", "d/s", "mpegvideo", true},
                                         ExtensionCase{"/music/song.", "", "mpegvideo", true},
                                         ExtensionCase{"/music/song.mp3.avi", "avi", "avivideo", true}));

TEST(MediaPlayer, PlayFormatsThePositionAsASignedNumberAndOnlyTheDefaultOmitsIt) {
    CScriptedMediaControl control;
    CMediaPlayer player(control);
    player.Play(0);
    player.Play(61000);
    player.Play();
    player.Play(0x80000000u);
    player.Play(0xFFFFFFFEu);
    EXPECT_EQ(control.sent, (Strings{"play myMedia from 0", "play myMedia from 61000", "play myMedia",
                                     "play myMedia from -2147483648", "play myMedia from -2"}));
}

TEST(MediaPlayer, PauseResumeAlternatesAndPlayStartsOverWithPause) {
    CScriptedMediaControl control;
    CMediaPlayer player(control);
    player.PauseResume();
    EXPECT_TRUE(player.IsPaused());
    player.PauseResume();
    EXPECT_FALSE(player.IsPaused());
    player.PauseResume();
    player.Play(0);
    EXPECT_FALSE(player.IsPaused());
    player.PauseResume();
    EXPECT_EQ(control.sent, (Strings{"pause myMedia", "resume myMedia", "pause myMedia",
                                     "play myMedia from 0", "pause myMedia"}));
}

TEST(MediaPlayer, PauseResumeFlipsEvenWhenTheDeviceRefuses) {
    CScriptedMediaControl control;
    control.replies["pause myMedia"] = {kMediaAliasNotOpen, "not open"};
    CMediaPlayer player(control);
    player.PauseResume();
    EXPECT_TRUE(player.IsPaused());
}

TEST(MediaPlayer, StopSeeksToTheStartAndKeepsThePauseState) {
    CScriptedMediaControl control;
    CMediaPlayer player(control);
    player.PauseResume();
    player.Stop();
    EXPECT_TRUE(player.IsPaused());
    EXPECT_EQ(control.sent, (Strings{"pause myMedia", "stop myMedia", "seek myMedia to start"}));
}

TEST(MediaPlayer, CloseSendsCloseAndReturnsTheError) {
    CScriptedMediaControl control;
    control.replies["close myMedia"] = {kMediaAliasNotOpen, "not open"};
    CMediaPlayer player(control);
    EXPECT_EQ(player.Close(), kMediaAliasNotOpen);
    EXPECT_EQ(control.sent, (Strings{"close myMedia"}));
}

struct LengthCase {
    const char* path;
    MediaResult rate;
    MediaResult length;
    int32_t lengthUnits;
    int32_t seconds;
    Strings sent;  // for GetLengthSeconds
};

class PlayerLengthTest : public testing::TestWithParam<LengthCase> {};

TEST_P(PlayerLengthTest, LengthInSecondsTruncatesAndAsksInOrder) {
    const LengthCase& c = GetParam();
    CScriptedMediaControl control;
    control.replies["status myMedia frame rate"] = c.rate;
    control.replies["status myMedia length"] = c.length;
    CMediaPlayer player(control);
    std::string result;
    player.Open(c.path, result);
    EXPECT_EQ(player.GetLengthSeconds(), c.seconds);
    EXPECT_EQ(control.sent, c.sent);
    EXPECT_EQ(player.GetLength(), c.lengthUnits);
}

const Strings kMillisecondQueries{"set myMedia time format milliseconds", "status myMedia length"};
const Strings kFrameQueries{"status myMedia frame rate", "set myMedia time format frames",
                            "status myMedia length"};

INSTANTIATE_TEST_SUITE_P(
    Lengths, PlayerLengthTest,
    testing::Values(
        // Milliseconds: 1999 ms is 1 s.
        LengthCase{"/m/A.MP3", {}, {0, "1999"}, 1999, 1, kMillisecondQueries},
        LengthCase{"/m/a.wav", {}, {0, "245000"}, 245000, 245, kMillisecondQueries},
        // A failing length query gives 0.
        LengthCase{"/m/a.mp3", {}, {kMediaEngineFailure, "no length"}, 0, 0, kMillisecondQueries},
        // Frames over whole frames per second; 29.97 counts as 29.
        LengthCase{"/m/a.mpeg", {0, "25000"}, {0, "250"}, 250, 10, kFrameQueries},
        LengthCase{"/m/a.avi", {0, "29970"}, {0, "299"}, 299, 10, kFrameQueries},
        // No frame rate (0, or a failing query) means one hour.
        LengthCase{"/m/a.avi", {0, "0"}, {0, "250"}, 250, 3600, Strings{"status myMedia frame rate"}},
        LengthCase{"/m/a.avi", {0, "999"}, {0, "250"}, 250, 3600, Strings{"status myMedia frame rate"}},
        LengthCase{"/m/a.avi",
                   {kMediaEngineFailure, "25000"},
                   {0, "250"},
                   250,
                   3600,
                   Strings{"status myMedia frame rate"}},
        // Text is read like a leading decimal number.
        LengthCase{"/m/a.mp3", {}, {0, " 3050 ms"}, 3050, 3, kMillisecondQueries}));

TEST(MediaPlayer, FailedOpenIsTriedThreeTimesHalfASecondApartAndKeepsTheLastText) {
    CScriptedMediaControl control;
    control.openResults = {
        {kMediaEngineFailure, "first"}, {kMediaEngineFailure, "second"}, {kMediaEngineFailure, "third"}};
    CMediaPlayer player(control);
    std::string result;
    const auto start = std::chrono::steady_clock::now();
    player.Open("/m/missing.mp3", result);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(result, "third");
    EXPECT_EQ(control.opens.size(), 3u);
    EXPECT_GE(elapsed, std::chrono::milliseconds(1500));
    EXPECT_LT(elapsed, std::chrono::milliseconds(2500));
}

TEST(MediaPlayer, OpenStopsRetryingAtTheFirstSuccess) {
    CScriptedMediaControl control;
    control.openResults = {{kMediaEngineFailure, "busy"}};
    CMediaPlayer player(control);
    std::string result;
    const auto start = std::chrono::steady_clock::now();
    player.Open("/m/a.mp3", result);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(result, "OK");
    EXPECT_EQ(control.opens.size(), 2u);
    EXPECT_GE(elapsed, std::chrono::milliseconds(500));
    EXPECT_LT(elapsed, std::chrono::milliseconds(1000));
}

}  // namespace
}  // namespace lumetra
