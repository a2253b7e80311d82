// The media engine on real GStreamer with a silent sink that still plays in real time: an MP3, a
// WAV and an AVI fixture open, report their length, play, pause, resume, stop, seek, end and
// close; files that cannot play fail for a reason the operator can be told.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "audio/MediaEngine.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/Eventually.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using namespace std::chrono_literals;
using test::Eventually;

class GstPlaybackTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("LUMETRA_AUDIO_SINK", "fakesink", 1);
        test::KeepGstRegistryInBuildTree();
    }
    MediaOpenResult Open(const std::string& path) {
        waits = 0;
        return engine.Open(path, [this](std::chrono::milliseconds wait) {
            EXPECT_EQ(wait, CMediaEngine::kOpenRetryWait);
            ++waits;
            return keepTrying;
        });
    }
    int64_t Position() { return engine.PositionMs().value_or(-1); }

    test::TempDir dir;
    std::atomic<int> ends{0};  // told by the engine below
    CMediaEngine engine;
    int waits = 0;
    bool keepTrying = true;
};

// An MP3, a WAV and a video, an MP3 under a name to escape in the URI, a VBR MP3 without a header
// (whose length the engine would estimate seconds off: it is counted from the frames) and a WAV
// named .mp3 (the engine's length, not the last MP3's). The end of the file is told once, on a
// streaming thread, and seen by Ended(); a withdrawn notice is never called, and the end still seen.
TEST_F(GstPlaybackTest, OpensPlaysPausesStopsSeeksEndsAndCloses) {
    std::filesystem::copy_file(test::Fixture(test::kCbrMp3), dir.File("to ne%.MP3"));
    // Plays all along: its moving position shows that time passes while the file under test is paused.
    CMediaEngine reference;
    ASSERT_TRUE(reference.Open(test::Fixture(test::kLongMp3), [](auto) { return true; }).Ok());
    ASSERT_EQ(reference.Play(), "");
    for (const auto& [path, seconds, told] :
         {std::tuple{test::Fixture(test::kCbrMp3), test::kCbrSeconds, true},
          {test::Fixture(test::kWav), test::kWavSeconds, false},
          {test::Fixture(test::kAvi), test::kAviSeconds, true},
          {dir.File("to ne%.MP3"), test::kCbrSeconds, false},
          {test::Fixture(test::kVbrMpeg1), 6, true},
          {test::Fixture(test::kWavNamedMp3), 3, false}}) {
        ends = 0;
        engine.SetEndNotify([this] { ++ends; });
        if (!told) engine.SetEndNotify({});
        SCOPED_TRACE(path);
        const MediaOpenResult opened = Open(path);
        ASSERT_TRUE(opened.Ok()) << opened.detail;
        EXPECT_NEAR(opened.lengthMs, seconds * 1000, 50) << "encoders add a few frames of padding";
        EXPECT_EQ(engine.Play(), "");
        EXPECT_TRUE(Eventually([&] { return Position() >= 300; })) << "it plays";

        EXPECT_EQ(engine.Pause(), "");
        const int64_t paused = Position(), elsewhere = reference.PositionMs().value_or(0);
        ASSERT_TRUE(Eventually([&] { return reference.PositionMs().value_or(0) >= elsewhere + 200; }));
        EXPECT_NEAR(Position(), paused, 20) << "the position holds while paused";
        EXPECT_EQ(engine.Play(), "");
        EXPECT_TRUE(Eventually([&] { return Position() >= paused + 100; })) << "and moves again";

        EXPECT_EQ(engine.Stop(), "");
        EXPECT_EQ(Position(), 0) << "stopped at the start";
        EXPECT_EQ(engine.PlayFrom(1500), "");  // a seek from the slider
        EXPECT_NEAR(Position(), 1500, 50);
        EXPECT_NE(engine.PlayFrom(seconds * 1000 + 5000), "") << "beyond the end";
        ASSERT_EQ(engine.PlayFrom(opened.lengthMs - 300), "");
        EXPECT_TRUE(Eventually([&] { return engine.Ended(); }));
        EXPECT_EQ(ends.load(), told ? 1 : 0);
        engine.PlayFrom(0);
        EXPECT_FALSE(engine.Ended()) << "a seek starts it anew";

        engine.Close();
        EXPECT_FALSE(engine.IsOpen());
        EXPECT_FALSE(engine.PositionMs());
        EXPECT_NE(engine.Play(), "") << "nothing open";
    }
}

// Why a file does not open, and how often it is tried: a file the engine refuses three times,
// half a second apart unless the wait gives up; a missing file, a folder and a pipe someone holds
// open (which would never deliver its data) at once. A CD track file names its track, or fails
// for want of a CD source.
TEST_F(GstPlaybackTest, FilesThatCannotPlayFailForTheirReasonAfterTheirTries) {
    const bool cdSource = gst_uri_protocol_is_supported(GST_URI_SRC, "cdda");
    for (const auto& [name, uri] :
         {std::pair{"Track03.cda", "cdda://3"}, {"Track 12.cda", "cdda://12"}, {"Intro.cda", "cdda://1"}}) {
        MediaOpenResult failure;
        EXPECT_EQ(CMediaEngine::UriFor(std::string("/media/cdrom/") + name, failure).value_or(""),
                  cdSource ? uri : "");
        EXPECT_EQ(failure.failure, cdSource ? MediaFailure::kNone : MediaFailure::kNoCdSource);
    }
    const std::string pipe = dir.File("stalled.mp3");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const int holder = ::open(pipe.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    const struct {
        std::string path;
        bool keepTrying;
        MediaFailure failure;
        int waits;
    } cases[] = {
        {test::Fixture(test::kTextMp3), true, MediaFailure::kEngine, 2},
        {test::Fixture(test::kTextMp3), false, MediaFailure::kEngine, 1},
        {dir.File("gone.mp3"), true, MediaFailure::kMissing, 0},
        {dir.Path(), true, MediaFailure::kNotAFile, 0},
        {pipe, true, MediaFailure::kNotAFile, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        keepTrying = c.keepTrying;
        const auto start = std::chrono::steady_clock::now();
        const MediaOpenResult result = Open(c.path);
        EXPECT_EQ(result.failure, c.failure);
        EXPECT_EQ(waits, c.waits);
        EXPECT_FALSE(result.detail.empty());
        EXPECT_FALSE(engine.IsOpen());
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    }
    ::close(holder);
}

// The process's open descriptors and resident kilobytes.
std::pair<long, long> Usage() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    const auto fds = std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    return {static_cast<long>(fds), resident * (sysconf(_SC_PAGESIZE) / 1024)};
}

// A school broadcasts for weeks: a thousand open, play and close cycles of good files, and failed
// opens of bad ones, leave descriptors and memory where they were.
TEST_F(GstPlaybackTest, AThousandCyclesOfGoodAndBadFilesLeaveDescriptorsAndMemoryFlat) {
    keepTrying = false;  // one try of each bad file
    auto cycles = [&](int count) {
        for (int i = 0; i < count; ++i) {
            const MediaOpenResult opened = Open(test::Fixture(i % 2 ? test::kTextMp3 : test::kWav));
            ASSERT_EQ(opened.Ok(), i % 2 == 0) << opened.detail;
            if (opened.Ok()) engine.Play();
            engine.Close();
        }
    };
    cycles(200);  // GStreamer's own caches fill on the first ones
    const auto [descriptors, resident] = Usage();
    cycles(1000);
    EXPECT_LE(Usage().first, descriptors + 4);
    EXPECT_LT(Usage().second - resident, 1024) << "a leak of a few KiB per playback adds up to megabytes";
}

}  // namespace
}  // namespace lumetra
