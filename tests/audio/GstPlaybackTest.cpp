// The player on real GStreamer with a silent sink that still plays in real time: every fixture
// opens, reports its length, plays, pauses, resumes, stops, seeks and closes; the extension
// rules meet real files; bad files fail with GStreamer's own text.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "audio/GstMediaControl.h"
#include "audio/MediaPlayer.h"
#include "store/Recordset.h"
#include "tests/audio/fixtures/AudioFixtures.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Counts open requests on their way to the real control.
class CCountingControl : public IMediaControl {
public:
    explicit CCountingControl(IMediaControl& inner) : m_inner(inner) {}
    MediaResult Open(const MediaOpenRequest& request) override {
        ++opens;
        return m_inner.Open(request);
    }
    MediaResult Send(const std::string& command) override { return m_inner.Send(command); }
    int opens = 0;

private:
    IMediaControl& m_inner;
};

class GstPlaybackTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("LUMETRA_AUDIO_SINK", "fakesink", 1);
        test::KeepGstRegistryInBuildTree();
    }

    // Position in the current time format.
    int64_t Position() {
        const MediaResult result = control.Send("status myMedia position");
        EXPECT_EQ(result.error, kMediaOk) << result.text;
        return LeadingInt(result.text);
    }

    std::string OpenWithPlayer(const std::string& path) {
        std::string result;
        player.Open(path, result);
        return result;
    }

    // A copy of a fixture under another name in the test's own directory.
    std::string CopyAs(const char* fixture, const std::string& name) {
        const std::string target = dir.File(name);
        fs::copy_file(test::Fixture(fixture), target);
        return target;
    }

    test::TempDir dir;
    CGstMediaControl control;
    CMediaPlayer player{control};
};

struct FixtureCase {
    const char* name;
    int seconds;
    bool frames;
    int64_t perSecond;  // units of the time format in one second
};

// "tone-cbr128.mp3" -> "tone_cbr128_mp3", a name a test may carry.
std::string FixtureName(const char* file) {
    std::string name = file;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

class GstFixturePlaybackTest : public GstPlaybackTest, public testing::WithParamInterface<FixtureCase> {};

TEST_P(GstFixturePlaybackTest, OpensPlaysPausesStopsSeeksAndCloses) {
    const FixtureCase& c = GetParam();
    ASSERT_EQ(OpenWithPlayer(test::Fixture(c.name)), "OK");
    EXPECT_EQ(player.IsFrames(), c.frames);
    player.Play(0);
    EXPECT_EQ(player.GetLengthSeconds(), c.seconds);
    // Encoders add up to a few frames of delay and padding.
    EXPECT_NEAR(player.GetLength(), c.seconds * c.perSecond, c.perSecond / 10);
    if (c.frames) {
        EXPECT_EQ(player.GetFrameRate(), c.perSecond);
    }

    std::this_thread::sleep_for(300ms);
    const int64_t playing = Position();
    EXPECT_GE(playing, c.perSecond * 15 / 100) << "position advances while playing";

    player.PauseResume();
    const int64_t paused = Position();
    std::this_thread::sleep_for(250ms);
    EXPECT_NEAR(Position(), paused, c.perSecond / 50) << "position holds while paused";
    player.PauseResume();
    std::this_thread::sleep_for(250ms);
    EXPECT_GE(Position(), paused + c.perSecond / 10) << "position moves again after resume";

    player.Stop();
    EXPECT_EQ(Position(), 0);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(Position(), 0) << "stopped at the start";

    player.Play(static_cast<uint32_t>(c.perSecond));  // one second in
    const int64_t seeked = Position();
    EXPECT_GE(seeked, c.perSecond);
    EXPECT_LT(seeked, c.perSecond + c.perSecond / 2);

    EXPECT_EQ(player.Close(), kMediaOk);
    EXPECT_EQ(control.Send("status myMedia length").error, kMediaAliasNotOpen);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, GstFixturePlaybackTest,
                         testing::Values(FixtureCase{test::kCbrMp3, test::kCbrSeconds, false, 1000},
                                         FixtureCase{test::kVbrMp3, test::kVbrSeconds, false, 1000},
                                         FixtureCase{test::kV1RockMp3, test::kV1Seconds, false, 1000},
                                         FixtureCase{test::kWav, test::kWavSeconds, false, 1000},
                                         FixtureCase{test::kAvi, test::kAviSeconds, true, test::kAviFps}),
                         [](const testing::TestParamInfo<FixtureCase>& info) {
                             return FixtureName(info.param.name);
                         });

TEST_F(GstPlaybackTest, PositionFollowsTheWallClock) {
    ASSERT_EQ(OpenWithPlayer(test::Fixture(test::kWav)), "OK");
    player.Play(0);
    std::this_thread::sleep_for(100ms);
    const auto start = std::chrono::steady_clock::now();
    const int64_t first = Position();
    std::this_thread::sleep_for(800ms);
    const int64_t second = Position();
    const auto wall =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_NEAR(second - first, wall.count(), 120);
}

TEST_F(GstPlaybackTest, MissingFileIsTriedThreeTimesForAboutOneAndAHalfSeconds) {
    CCountingControl counting(control);
    CMediaPlayer countedPlayer(counting);
    std::string result;
    const auto start = std::chrono::steady_clock::now();
    countedPlayer.Open(dir.File("missing.mp3"), result);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(counting.opens, 3);
    EXPECT_NE(result, "OK");
    EXPECT_FALSE(result.empty());
    EXPECT_GE(elapsed, 1500ms);
    EXPECT_LT(elapsed, 3000ms);
}

TEST_F(GstPlaybackTest, FilesThatAreNotMediaFailWithTheEnginesText) {
    for (const char* name : {test::kTextMp3, test::kZerosMp3, test::kTruncatedMp3}) {
        const MediaResult result = control.Open({"mpegvideo", test::Fixture(name), "myMedia"});
        EXPECT_EQ(result.error, kMediaEngineFailure) << name;
        EXPECT_FALSE(result.text.empty()) << name;
        EXPECT_EQ(control.Send("play myMedia").error, kMediaAliasNotOpen)
            << "nothing stays open for " << name;
    }
}

TEST_F(GstPlaybackTest, ContentDecidesNotTheName) {
    ASSERT_EQ(OpenWithPlayer(test::Fixture(test::kWavNamedMp3)), "OK");
    EXPECT_EQ(player.GetLengthSeconds(), test::kWavSeconds);
}

TEST_F(GstPlaybackTest, Mp3InCapitalsCountsInMilliseconds) {
    ASSERT_EQ(OpenWithPlayer(CopyAs(test::kCbrMp3, "TONE.MP3")), "OK");
    EXPECT_EQ(player.Extension(), "mp3");
    EXPECT_FALSE(player.IsFrames());
    EXPECT_NEAR(player.GetLength(), test::kCbrSeconds * 1000, 50);
    EXPECT_EQ(player.GetLengthSeconds(), test::kCbrSeconds);
}

TEST_F(GstPlaybackTest, MpegExtensionCountsVideoFramesOverWholeFramesPerSecond) {
    ASSERT_EQ(OpenWithPlayer(CopyAs(test::kAvi, "clip.mpeg")), "OK");
    EXPECT_EQ(player.Extension(), "mpe");
    EXPECT_TRUE(player.IsFrames());
    EXPECT_EQ(player.GetFrameRate(), test::kAviFps);
    EXPECT_EQ(player.GetLength(), test::kAviSeconds * test::kAviFps);
    EXPECT_EQ(player.GetLengthSeconds(), test::kAviSeconds);
}

TEST_F(GstPlaybackTest, FramesOfSoundWithoutVideoAreMilliseconds) {
    ASSERT_EQ(OpenWithPlayer(CopyAs(test::kCbrMp3, "tone.mpeg")), "OK");
    EXPECT_TRUE(player.IsFrames());
    EXPECT_EQ(player.GetFrameRate(), 1000);
    EXPECT_EQ(player.GetLengthSeconds(), test::kCbrSeconds);
    player.Play(1500);  // a seek from the slider gives seconds x 1000
    EXPECT_NEAR(Position(), 1500, 50);
}

TEST_F(GstPlaybackTest, WaveExtensionOpensAsWaveAudio) {
    ASSERT_EQ(OpenWithPlayer(CopyAs(test::kWav, "bell.wave")), "OK");
    EXPECT_EQ(player.Extension(), "wav");
    EXPECT_FALSE(player.IsFrames());
    EXPECT_EQ(player.GetLengthSeconds(), test::kWavSeconds);
}

TEST_F(GstPlaybackTest, PathWithoutDotTakesItsFirstThreeCharacters) {
    if (dir.Path().find('.') != std::string::npos) GTEST_SKIP() << "the temporary directory has a dot";
    const std::string path = CopyAs(test::kCbrMp3, "tonefile");
    ASSERT_EQ(OpenWithPlayer(path), "OK");
    EXPECT_EQ(player.Extension(), path.substr(0, 3));
    EXPECT_TRUE(player.IsFrames());
    EXPECT_EQ(player.GetLengthSeconds(), test::kCbrSeconds);
}

TEST_F(GstPlaybackTest, CdTrackWithoutADiscFailsWithAText) {
    const std::string track = dir.File("Track03.cda");
    std::ofstream(track) << "";
    const MediaResult result = control.Open({"cdaudio", track, "myMedia"});
    EXPECT_NE(result.error, kMediaOk);
    EXPECT_FALSE(result.text.empty());
}

struct UriCase {
    const char* deviceType;
    const char* element;
    MediaError error;
    const char* uri;  // when it opens
};

class GstUriTest : public GstPlaybackTest, public testing::WithParamInterface<UriCase> {};

TEST_P(GstUriTest, DeviceTypeAndElementGiveTheUri) {
    const UriCase& c = GetParam();
    const MediaResult result = CGstMediaControl::UriFor({c.deviceType, c.element, "myMedia"});
    if (std::string(c.deviceType) == "cdaudio" && !gst_uri_protocol_is_supported(GST_URI_SRC, "cdda")) {
        EXPECT_EQ(result.error, kMediaEngineFailure) << "no CD source installed: a clear refusal";
        return;
    }
    EXPECT_EQ(result.error, c.error) << result.text;
    if (c.error == kMediaOk) {
        EXPECT_EQ(result.text, c.uri);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Devices, GstUriTest,
    testing::Values(UriCase{"mpegvideo", "/music/a b%.mp3", kMediaOk, "file:///music/a%20b%25.mp3"},
                    UriCase{"waveaudio", "/music/bell.wav", kMediaOk, "file:///music/bell.wav"},
                    UriCase{"avivideo", "/music/clip.avi", kMediaOk, "file:///music/clip.avi"},
                    UriCase{"cdaudio", "/media/cdrom/Track03.cda", kMediaOk, "cdda://3"},
                    UriCase{"cdaudio", "/media/cdrom/Track 12.cda", kMediaOk, "cdda://12"},
                    UriCase{"cdaudio", "/media/cdrom/Intro.cda", kMediaOk, "cdda://1"},
                    UriCase{"sequencer", "/music/a.mid", kMediaUnknownDevice, ""}));

TEST_F(GstPlaybackTest, PlayerBuiltWithoutAControlUsesTheProcessWideOne) {
    CMediaPlayer processPlayer;
    std::string result;
    processPlayer.Open(test::Fixture(test::kWav), result);
    ASSERT_EQ(result, "OK");
    EXPECT_EQ(processPlayer.GetLengthSeconds(), test::kWavSeconds);
    EXPECT_EQ(ProcessMediaControl().Send("status myMedia length").text,
              std::to_string(processPlayer.GetLength()));
    EXPECT_EQ(processPlayer.Close(), kMediaOk);
}

TEST_F(GstPlaybackTest, PlayingPastTheEndAndStartingAgain) {
    ASSERT_EQ(OpenWithPlayer(test::Fixture(test::kV1RockMp3)), "OK");
    player.Play(test::kV1Seconds * 1000 - 300);
    std::this_thread::sleep_for(700ms);
    EXPECT_NEAR(Position(), test::kV1Seconds * 1000, 100) << "stays at the end";
    player.Play(0);
    std::this_thread::sleep_for(200ms);
    EXPECT_LT(Position(), 600);
}

TEST_F(GstPlaybackTest, AnOpenAliasIsRefusedUntilClosed) {
    const MediaOpenRequest request{"waveaudio", test::Fixture(test::kWav), "myMedia"};
    ASSERT_EQ(control.Open(request).error, kMediaOk);
    EXPECT_EQ(control.Open(request).error, kMediaAliasInUse);
    EXPECT_EQ(control.Send("close myMedia").error, kMediaOk);
    EXPECT_EQ(control.Open(request).error, kMediaOk);
}

TEST_F(GstPlaybackTest, PositionsBeyondTheEndAndUnknownDevicesAreRefused) {
    ASSERT_EQ(control.Open({"waveaudio", test::Fixture(test::kWav), "myMedia"}).error, kMediaOk);
    EXPECT_EQ(control.Send("play myMedia from 999999").error, kMediaBadParameter);
    EXPECT_EQ(control.Open({"sequencer", test::Fixture(test::kWav), "other"}).error, kMediaUnknownDevice);
    EXPECT_EQ(control.Send("pause other").error, kMediaAliasNotOpen);
}

}  // namespace
}  // namespace lumetra
