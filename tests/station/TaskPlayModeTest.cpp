// A task's list plays in the task's own mode, on real GStreamer with a silent sink: six one-second
// files under each mode, all five playbacks at once; a task without a mode plays in the operator's,
// which comes back when the task stops.
#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "station/Playback.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/Mp3Fixture.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

// One playback and the entries it started, in order, as digits: each start is the playing flag
// going from off to on.
struct Watched {
    std::optional<PlayMode> taskMode;
    std::string expected;  // the start of what plays, and "." when it must stop after it
    std::mutex lock{};
    std::condition_variable changed{};
    std::string starts{};
    bool playing = false;
    std::unique_ptr<CPlayback> playback{};
};

TEST(TaskPlayMode, SixFilesUnderEachMode) {
    setenv("LUMETRA_AUDIO_SINK", "fakesink", 1);
    test::KeepGstRegistryInBuildTree();
    test::TempDir dir;
    std::string list;
    for (int i = 0; i < 6; ++i) {
        const std::string path = dir.File("entry" + std::to_string(i) + ".mp3");
        test::WriteSilentMp3(path, 1);
        list += (i ? "|" : "") + path;
    }
    // The last has no mode of its own: the operator's, 单曲循环 on a fresh database.
    Watched cases[] = {{PlayMode::kSequence, "012345."},
                       {PlayMode::kLoop, "0123450"},
                       {PlayMode::kRepeatOne, "000"},
                       {PlayMode::kRandom, "0"},
                       {std::nullopt, "000"}};
    for (Watched& w : cases) {
        w.playback = std::make_unique<CPlayback>([&w] {
            const PlaybackState state = w.playback->State();
            std::lock_guard guard(w.lock);
            const bool playing = state.status == PlayStatus::kPlaying;
            if (playing && !w.playing) w.starts += static_cast<char>('0' + state.current);
            w.playing = playing;
            w.changed.notify_all();
        });
        w.playback->Start();
        w.playback->SetMode(PlayMode::kRepeatOne);
        w.playback->PlayTask("7", list, w.taskMode);
    }
    for (Watched& w : cases) {
        const bool stops = w.expected.back() == '.';
        const size_t starts = stops ? w.expected.size() - 1 : std::max<size_t>(w.expected.size(), 4);
        std::unique_lock guard(w.lock);
        EXPECT_TRUE(w.changed.wait_for(guard, std::chrono::seconds(30),
                                       [&] { return w.starts.size() >= starts && (!stops || !w.playing); }))
            << "mode " << (w.taskMode ? static_cast<int>(*w.taskMode) : 0) << " played " << w.starts;
        EXPECT_EQ(w.starts.substr(0, stops ? starts : w.expected.size()) + (stops ? "." : ""), w.expected);
        if (w.taskMode == PlayMode::kRandom) {
            EXPECT_EQ(w.starts.find_first_not_of("012345"), std::string::npos) << w.starts;
        }
    }
    for (Watched& w : cases) {
        EXPECT_EQ(w.playback->State().mode, w.taskMode.value_or(PlayMode::kRepeatOne));
        w.playback->StopTask("7");
        w.playback->Flush();
        EXPECT_EQ(w.playback->State().mode, PlayMode::kRepeatOne) << "the operator's mode comes back";
        w.playback->Stop();
    }
}

}  // namespace
}  // namespace lumetra
