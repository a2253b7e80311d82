// Figures of the instant-play page on real GStreamer, with a sink of this program's own that notes
// when the first buffer of each file is played and when each file ends (in real time, silently):
//   - adding a folder of 1,000 MP3 files to the list;
//   - from a task's hand-over of those 1,000 files to the first buffer played;
//   - from the end of one file (its last buffer has run out) to the first buffer of the next;
//   - the longest stall of the user-interface event loop while the page plays a file that cannot
//     play, which the playback tries three times, half a second apart.
#include <QApplication>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "BenchSink.h"
#include "pages/PlayPage.h"
#include "station/Playback.h"
#include "store/Database.h"
#include "store/DeliveredDatabase.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/TestDatabase.h"
#include "widgets/MessageBox.h"
#include "widgets/WindowEvent.h"

namespace {

using namespace lumetra;
using namespace bench;
using Clock = std::chrono::steady_clock;

// Runs the event loop until `done` holds or `seconds` have passed.
template <typename Done>
bool RunUntil(Done done, double seconds) {
    const auto until = Clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (Clock::now() > until) return false;
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

// The box that names a file that would not play is answered at once: nobody sits at the bench.
struct CAnsweredBoxes : IMessageBox {
    MbResult Show(QWidget*, const QString&, const QString&, MbButtons, MbIcon) override {
        return MbResult::kOk;
    }
};

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    UseBenchSink();
    QApplication app(argc, argv);

    test::TempDir dir;
    std::string error;
    CDatabase db;
    if (!MakeDeliveredDatabase(dir.File(kDatabaseFileName), &error) ||
        !db.Open(dir.File(kDatabaseFileName), &error)) {
        std::fprintf(stderr, "database: %s\n", error.c_str());
        return 1;
    }
    const std::string folder = dir.File("music");
    std::filesystem::create_directories(folder + "/more");
    std::string handedOverList;
    for (int i = 0; i < 1000; ++i) {
        const std::string path = folder + (i % 2 ? "/more/" : "/") + "song" + std::to_string(i) + ".mp3";
        std::filesystem::copy_file(test::Fixture(test::kV1RockMp3), path);
        handedOverList += (i ? "|" : "") + path;
    }

    CAnsweredBoxes boxes;
    SetMessageBoxes(&boxes);
    CPlayPage* shown = nullptr;
    CPlayback playback([&shown] {
        if (shown) PostWindowMessage(shown, WindowMessage::kPlaybackChanged);
    });
    playback.Start();
    CPlayPage page(db, playback, nullptr);
    shown = &page;
    std::vector<double> adds, starts, gaps, stalls;
    for (int run = 0; run < 5; ++run) {
        page.ClearList();
        const auto begin = Clock::now();
        page.AddFolder(QString::fromStdString(folder));
        adds.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
        if (page.List().Count() != 1000) {
            std::fprintf(stderr, "the folder gave %d files\n", page.List().Count());
            return 1;
        }
    }

    page.ChooseMode(PlayMode::kSequence);
    for (int run = 0; run < 10; ++run) {
        playback.StopPlaying();
        playback.Flush();
        g_firstBufferAt = 0;
        const int64_t handedOver = Now();
        playback.PlayTask(std::to_string(run), handedOverList);
        if (!RunUntil([] { return g_firstBufferAt != 0; }, 5)) {
            std::fprintf(stderr, "no buffer played after the hand-over\n");
            return 1;
        }
        if (run > 0)
            starts.push_back((g_firstBufferAt - handedOver) / 1000.0);  // the first loads the plugins
    }

    for (int run = 0; run < 20; ++run) {
        g_endAt = 0;
        g_firstBufferAt = 0;
        playback.Flush();
        playback.Seek(playback.State().length);  // the last moments of the file
        if (!RunUntil([] { return g_endAt != 0 && g_firstBufferAt > g_endAt; }, 5)) {
            std::fprintf(stderr, "the next file did not follow the end of the previous one\n");
            return 1;
        }
        gaps.push_back((g_firstBufferAt - g_endAt) / 1000.0);
    }

    // A file the engine refuses, played from the page: the event loop is timed between its turns.
    page.ClearList();
    page.AddFiles({QString::fromStdString(test::Fixture(test::kTextMp3))});
    for (int run = 0; run < 3; ++run) {
        playback.Play(0);
        double longest = 0;
        auto last = Clock::now();
        RunUntil(
            [&] {
                const auto now = Clock::now();
                longest = std::max(longest, std::chrono::duration<double, std::milli>(now - last).count());
                last = now;
                return false;
            },
            1.3);  // three tries and two waits of half a second
        stalls.push_back(longest);
    }
    playback.Stop();

    Print("add a folder of 1,000 MP3 files", adds, 1500);
    Print("a task's hand-over (1,000 files) to the first buffer", starts, 20);
    Print("end of one file to the first buffer of the next", gaps, 50);
    Print("longest event-loop stall while a bad file is tried", stalls, 20);
    return 0;
}
