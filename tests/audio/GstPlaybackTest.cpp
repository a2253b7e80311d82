// The player on real GStreamer with a silent sink that still plays in real time: an MP3, a WAV and
// an AVI fixture open, report their length, play in step with the wall clock, pause, resume, stop,
// seek and close; bad files fail with GStreamer's own text.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "audio/GstMediaControl.h"
#include "audio/MediaPlayer.h"
#include "base/NumberText.h"
#include "tests/audio/fixtures/AudioFixtures.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

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

    std::string Open(const std::string& path) {
        std::string result;
        player.Open(path, result);
        return result;
    }

    test::TempDir dir;
    CGstMediaControl control;
    CMediaPlayer player{control};
};

// An MP3, a WAV and a video, and an MP3 under a name to escape in the URI. The name picks the
// device and time format (the player's own tests check which); the content decides how it plays.
TEST_F(GstPlaybackTest, OpensPlaysPausesStopsSeeksAndCloses) {
    struct Case {
        const char* fixture;
        const char* name;   // a copy's name; nullptr: the fixture as it is
        int64_t perSecond;  // units of the time format in one second; sound alone counts 1000 frames
        int seconds;
        int64_t slack;  // in the length: encoders add up to a few frames of delay and padding
    };
    for (const Case& c : {Case{test::kCbrMp3, nullptr, 1000, test::kCbrSeconds, 50},
                          {test::kWav, nullptr, 1000, test::kWavSeconds, 50},
                          {test::kAvi, nullptr, test::kAviFps, test::kAviSeconds, 0},
                          {test::kCbrMp3, "to ne%.MP3", 1000, test::kCbrSeconds, 50}}) {
        std::string path = test::Fixture(c.fixture);
        if (c.name) {
            std::filesystem::copy_file(path, dir.File(c.name));
            path = dir.File(c.name);
        }
        SCOPED_TRACE(path);
        ASSERT_EQ(Open(path), "OK");
        player.Play(0);
        EXPECT_EQ(player.GetLengthSeconds(), c.seconds);
        EXPECT_NEAR(player.GetLength(), c.seconds * c.perSecond, c.slack);
        EXPECT_EQ(player.GetFrameRate(), c.perSecond);

        std::this_thread::sleep_for(100ms);
        const auto start = Clock::now();
        const int64_t first = Position();
        std::this_thread::sleep_for(400ms);
        const int64_t moved = Position() - first;
        const int64_t wall = (Clock::now() - start) / 1ms;
        EXPECT_NEAR(moved, wall * c.perSecond / 1000, c.perSecond * 12 / 100)
            << "in step with the wall clock";

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

        player.Play(static_cast<uint32_t>(c.perSecond * 3 / 2));  // a seek from the slider
        EXPECT_NEAR(Position(), c.perSecond * 3 / 2, c.perSecond / 20);

        EXPECT_EQ(player.Close(), kMediaOk);
        EXPECT_EQ(control.Send("status myMedia length").error, kMediaAliasNotOpen);
    }
}

// A withdrawn end notice is never called again; the mode still tells the end, and play starts
// again from it. (The page's tests play through the notices.)
TEST_F(GstPlaybackTest, AWithdrawnEndNoticeStaysQuietAndTheModeTellsTheEnd) {
    std::atomic<int> ends{0};
    player.SetEndNotify([&ends] { ++ends; });
    player.SetEndNotify({});
    ASSERT_EQ(Open(test::Fixture(test::kV1RockMp3)), "OK");
    player.PlayFromMilliseconds(1800);
    std::this_thread::sleep_for(600ms);
    EXPECT_EQ(player.GetMode(), "stopped");
    EXPECT_EQ(ends.load(), 0);
    player.Play(0);
    EXPECT_EQ(player.GetMode(), "playing");
    player.Close();
}

// An MP3's length comes from its frames (the engine's estimate of a VBR file without a header is
// seconds off); anything else named .mp3 gets the engine's length, not the last MP3's.
TEST_F(GstPlaybackTest, AnMp3sLengthIsCountedFromItsFramesAndOnlyAnMp3s) {
    for (const auto& [file, seconds] : {std::pair{test::kVbrMpeg1, 6}, {test::kWavNamedMp3, 3}}) {
        ASSERT_EQ(Open(test::Fixture(file)), "OK") << file;
        player.Play(0);
        EXPECT_EQ(player.GetLengthSeconds(), seconds) << file;
        player.Close();
    }
}

TEST_F(GstPlaybackTest, CdTrackNumbersComeFromTheNameOrACdSourceIsMissing) {
    const bool cdSource = gst_uri_protocol_is_supported(GST_URI_SRC, "cdda");
    for (const auto& [name, uri] :
         {std::pair{"Track03.cda", "cdda://3"}, {"Track 12.cda", "cdda://12"}, {"Intro.cda", "cdda://1"}}) {
        const MediaResult result =
            CGstMediaControl::UriFor({"cdaudio", std::string("/media/cdrom/") + name, "m"});
        EXPECT_EQ(result.error, cdSource ? kMediaOk : kMediaEngineFailure) << result.text;
        EXPECT_EQ(result.text == uri, cdSource) << result.text;
    }
}

TEST_F(GstPlaybackTest, OpenAliasesPositionsBeyondTheEndAndUnknownDevicesAreRefused) {
    const MediaOpenRequest request{"waveaudio", test::Fixture(test::kWav), "myMedia"};
    ASSERT_EQ(control.Open(request).error, kMediaOk);
    EXPECT_EQ(control.Open(request).error, kMediaAliasInUse);
    EXPECT_EQ(control.Send("play myMedia from 999999").error, kMediaBadParameter);
    EXPECT_EQ(control.Open({"sequencer", test::Fixture(test::kWav), "other"}).error, kMediaUnknownDevice);
    EXPECT_EQ(control.Send("pause other").error, kMediaAliasNotOpen);
}

// The process's open descriptors and resident pages.
size_t OpenDescriptors() {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                             std::filesystem::directory_iterator()));
}
long ResidentKilobytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// A school broadcasts for weeks: a thousand open, play and close cycles of good files, and failed
// opens of bad ones, leave descriptors and memory where they were. A bad file fails with the
// engine's text and leaves the name free for the next good one. (The open retries and their
// timing are the player's own, tested against a scripted control; a missing file fails the same
// way, in the play page's tests.)
TEST_F(GstPlaybackTest, AThousandCyclesOfGoodAndBadFilesLeaveDescriptorsAndMemoryFlat) {
    const std::string good = test::Fixture(test::kWav), bad = test::Fixture(test::kTextMp3);
    auto cycle = [&](int i) {
        if (i % 2) {
            const MediaResult result = control.Open({"mpegvideo", bad, "myMedia"});
            EXPECT_EQ(result.error, kMediaEngineFailure);
            EXPECT_FALSE(result.text.empty());
            return;
        }
        ASSERT_EQ(Open(good), "OK");
        player.Play(0);
        player.Close();
    };
    for (int i = 0; i < 200; ++i) cycle(i);  // GStreamer's own caches fill on the first ones
    const size_t descriptors = OpenDescriptors();
    const long resident = ResidentKilobytes();
    for (int i = 0; i < 1000; ++i) cycle(i);
    EXPECT_LE(OpenDescriptors(), descriptors + 4);
    EXPECT_LT(ResidentKilobytes() - resident, 1024)
        << "a leak of a few KiB per playback adds up to megabytes";
}

// A pipe that someone holds open never delivers its data: opening it must not freeze the window.
TEST_F(GstPlaybackTest, AFileThatCannotPlayFailsWithinItsThreeTries) {
    const std::string pipe = dir.File("stalled.mp3");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const int holder = ::open(pipe.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    const auto start = Clock::now();
    EXPECT_NE(Open(pipe), "OK");
    EXPECT_LT(Clock::now() - start, 2000ms);
    ::close(holder);
}

}  // namespace
}  // namespace lumetra
