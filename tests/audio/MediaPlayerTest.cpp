// The player's own rules against a scripted media control (extensions and devices, the exact
// command strings and their order, length arithmetic, the open retries), and how the command
// strings are read. The playback tests send every string the player uses through the real control.
#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <map>

#include "audio/MediaCommand.h"
#include "audio/MediaPlayer.h"

namespace lumetra {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

// Answers from a script (success once it runs out) and records what it was sent: the player's
// arithmetic needs answers (zero rates, failing queries) that no real file gives on demand.
class CScriptedMediaControl : public IMediaControl {
public:
    MediaResult Open(const MediaOpenRequest& request) override {
        opens.push_back(request);
        if (openResults.empty()) return {};
        const MediaResult result = openResults.front();
        openResults.pop_front();
        return result;
    }
    MediaResult Send(const std::string& command) override {
        sent.push_back(command);
        return replies.count(command) ? replies[command] : MediaResult{};
    }
    std::deque<MediaResult> openResults;
    std::map<std::string, MediaResult> replies;
    std::vector<MediaOpenRequest> opens;
    Strings sent;
};

TEST(MediaPlayer, OpenChoosesDeviceAndTimeFormatByExtension) {
    struct Case {
        const char *path, *extension, *deviceType;
        bool frames;
    };
    // clang-format off
    for (const Case& c : {Case{"/m/SONG.MP3", "mp3", "mpegvideo", false},
             {"/m/Bell.WaV", "wav", "waveaudio", false}, {"/m/clip.avi", "avi", "avivideo", true},
             {"/cd/Track03.cda", "cda", "cdaudio", false}, {"/m/film.mpeg", "mpe", "mpegvideo", true},
             {"Song", "son", "mpegvideo", true}, {"/music.d/song", "d/s", "mpegvideo", true},
             {"/m/song.", "", "mpegvideo", true}, {"/m/song.mp3.avi", "avi", "avivideo", true}}) {
        // clang-format on
        SCOPED_TRACE(c.path);
        CScriptedMediaControl control;
        CMediaPlayer player(control);
        std::string result;
        player.Open(c.path, result);
        EXPECT_EQ(player.Extension(), c.extension);
        EXPECT_EQ(player.IsFrames(), c.frames);
        EXPECT_EQ(control.opens.at(0).deviceType, c.deviceType);
    }
}

TEST(MediaPlayer, SendsTheCommandStringsAndTracksThePause) {
    CScriptedMediaControl control;
    control.replies["pause myMedia"] = {kMediaAliasNotOpen, "not open"};
    control.replies["close myMedia"] = {kMediaAliasNotOpen, "not open"};
    CMediaPlayer player(control);
    for (uint32_t from : {0u, 61000u, CMediaPlayer::kFromCurrent, 0x80000000u, 0xFFFFFFFEu})
        player.Play(from);
    player.PauseResume();
    EXPECT_TRUE(player.IsPaused()) << "flips even when the device refuses";
    player.Stop();
    EXPECT_TRUE(player.IsPaused()) << "stop keeps the pause state";
    player.PauseResume();
    EXPECT_FALSE(player.IsPaused());
    player.PauseResume();
    player.Play(0);
    EXPECT_FALSE(player.IsPaused()) << "play starts over unpaused";
    player.PauseResume();
    EXPECT_EQ(player.Close(), kMediaAliasNotOpen);
    EXPECT_EQ(control.sent,
              (Strings{"play myMedia from 0", "play myMedia from 61000", "play myMedia",
                       "play myMedia from -2147483648", "play myMedia from -2", "pause myMedia",
                       "stop myMedia", "seek myMedia to start", "resume myMedia", "pause myMedia",
                       "play myMedia from 0", "pause myMedia", "close myMedia"}));
}

TEST(MediaPlayer, LengthInSecondsTruncatesAndAsksInOrder) {
    const Strings ms{"set myMedia time format milliseconds", "status myMedia length"};
    const Strings frames{"status myMedia frame rate", "set myMedia time format frames",
                         "status myMedia length"};
    const Strings rateOnly{"status myMedia frame rate"};
    const MediaResult failed{kMediaEngineFailure, "25000"};
    struct Case {
        const char* path;
        MediaResult rate, length;
        int32_t lengthUnits, seconds;
        Strings sent;  // by GetLengthSeconds
    };
    for (const Case& c : {Case{"/m/A.MP3", {}, {0, "1999"}, 1999, 1, ms},  // 1999 ms is 1 s
                          {"/m/a.mp3", {}, failed, 0, 0, ms},              // a failing query gives 0
                          {"/m/a.mp3", {}, {0, " 3050 ms"}, 3050, 3, ms},  // a leading number
                          // Frames over whole frames per second: 29.97 counts as 29.
                          {"/m/a.avi", {0, "29970"}, {0, "299"}, 299, 10, frames},
                          // No frame rate (under 1, or a failing query) means one hour.
                          {"/m/a.avi", {0, "999"}, {0, "250"}, 250, 3600, rateOnly},
                          {"/m/a.mpeg", failed, {0, "250"}, 250, 3600, rateOnly}}) {
        SCOPED_TRACE(c.path + (" length " + c.length.text));
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
}

TEST(MediaPlayer, OpenTriesThreeTimesHalfASecondApartKeepsTheLastTextAndStopsAtTheFirstSuccess) {
    const std::pair<std::deque<MediaResult>, const char*> cases[] = {
        {{{kMediaEngineFailure, "first"}, {kMediaEngineFailure, "second"}, {kMediaEngineFailure, "third"}},
         "third"},
        {{{kMediaEngineFailure, "busy"}}, "OK"}};
    for (const auto& [results, expected] : cases) {
        CScriptedMediaControl control;
        control.openResults = results;
        CMediaPlayer player(control);
        std::string result;
        const auto start = std::chrono::steady_clock::now();
        player.Open("/m/a.mp3", result);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        const int failures = static_cast<int>(results.size());
        EXPECT_EQ(result, expected);
        EXPECT_EQ(control.opens.size(), std::min(failures + 1, 3));
        EXPECT_GE(elapsed, 500ms * failures) << "half a second after each failure";
        EXPECT_LT(elapsed, 500ms * (failures + 1));
    }
}

TEST(MediaCommand, ReadsWordsInAnyCaseAndSpacingAndRefusesOthersWithAReason) {
    MediaCommand command;
    ASSERT_EQ(ParseMediaCommand("  PLAY   myMedia FROM 61000 ", command).error, kMediaOk);
    EXPECT_TRUE(command.hasFrom);
    EXPECT_EQ(command.from, 61000);
    ASSERT_EQ(ParseMediaCommand("play myMedia", command).error, kMediaOk);
    EXPECT_FALSE(command.hasFrom) << "plays on from where it is";
    ASSERT_EQ(ParseMediaCommand("set myMedia time format ms", command).error, kMediaOk);
    EXPECT_FALSE(command.frames) << "the short name of milliseconds";
    const auto unknown = kMediaUnknownCommand, bad = kMediaBadParameter;
    // clang-format off
    for (const auto& [text, error] : {std::pair{"play", unknown}, {"rewind myMedia", unknown},
             {"play myMedia from", bad}, {"play myMedia from -2", bad}, {"play myMedia from 12x", bad},
             {"stop myMedia now", bad}, {"seek myMedia to end", bad}, {"set myMedia time format bytes", bad},
             {"set myMedia audio all off", bad}, {"status myMedia frame", bad}}) {
        // clang-format on
        const MediaResult result = ParseMediaCommand(text, command);
        EXPECT_EQ(result.error, error) << text;
        EXPECT_FALSE(result.text.empty()) << text;
    }
}

}  // namespace
}  // namespace lumetra
