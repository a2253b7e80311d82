// The longest stall of the user-interface thread while the operator does what used to wait on
// another thread, through the program's own start path (offscreen, silent sink, the transmitter
// simulator on COM1):
//   - Cancel on a folder scan blocked in a file, as on a hung network share: the scan's reader
//     opens each file first, and one of them is a named pipe, whose open waits for a writer (the
//     media reader itself passes over anything but regular files);
//   - closing the spoken text dialog while it renders a long text;
//   - opening the task editor on a task of 1,000 files, until every length has arrived.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "BenchSink.h"
#include "UiStallMeter.h"
#include "base/WorkerThread.h"
#include "pages/AnnouncementGroup.h"
#include "pages/DlgSpeech.h"
#include "pages/DlgTaskEdit.h"
#include "tests/app/AppTestKit.h"
#include "tests/support/Mp3Fixture.h"
#include "widgets/ColorList.h"

using namespace lumetra;
using namespace lumetra::test;
using lumetra::bench::CUiStallMeter;

namespace {

constexpr int kRuns = 5;
constexpr double kTargetMs = 20;
constexpr int kFiles = 1000;
constexpr int kTailMs = 200;  // how long the loop is watched after an action returned

// Lets the open of the named pipe at `path` return, so the scan blocked in it ends.
void UnblockPipe(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) close(fd);
}

double CancelBlockedScan(CMainRig& rig, const TempDir& folder) {
    CDlgTaskEdit editor(AppConnection(), rig.main, {}, [](const std::string& path) {
        const int fd = open(path.c_str(), O_RDONLY);
        if (fd >= 0) close(fd);
        return ReadPlayingSeconds(path);
    });
    CUiStallMeter meter;
    bool cancelled = false;
    QTimer poll;  // cancels as soon as the progress shows, the scan blocked by then
    poll.callOnTimeout([&] {
        auto* progress = editor.findChild<QProgressDialog*>();
        if (cancelled || !progress || !progress->isVisible()) return;
        meter.Start();
        progress->cancel();
        cancelled = true;
    });
    poll.start(20);
    editor.AddFolder(ToQ(folder.Path()));
    poll.stop();
    QTest::qWait(kTailMs);
    const double stall = meter.Stop();
    if (!cancelled) std::fprintf(stderr, "bench_ui_stalls: the scan ended before its progress showed\n");
    if (editor.FileList()->RowCount() != 1)
        std::fprintf(stderr, "bench_ui_stalls: the scan found more than a.mp3\n");
    return stall;
}

double CloseSpeechMidRender(CMainRig& rig, int run) {
    CAnnouncementGroup& group = *rig.main->ZoneControlPage()->Announcement();
    Click(group.SpeechButton());
    CDlgSpeech& dialog = *group.SpeechDialog();
    dialog.TextEdit()->setPlainText(
        QStringLiteral("各位同学请注意，现在进行消防疏散演练，第%1次。").arg(run).repeated(12));
    dialog.SpeedSlider()->setValue(CSpeechRenderer::kSlowest);
    Click(dialog.ListenButton());
    QTest::qWait(100);  // well into the render
    CUiStallMeter meter;
    meter.Start();
    const bool rendering = !dialog.ListenButton()->isEnabled();
    dialog.close();
    QTest::qWait(kTailMs);
    const double stall = meter.Stop();
    if (!rendering) std::fprintf(stderr, "bench_ui_stalls: the render had ended before the close\n");
    return stall;
}

double OpenEditorOnManyFiles(CMainRig& rig) {
    CTaskListPage& page = *rig.main->TaskListPage();
    page.LoadTasks();
    page.List()->SelectRow(0);
    bool allRead = false;
    QTimer close;  // ends the editor once every row shows its length
    close.callOnTimeout([&] {
        auto* editor = qobject_cast<CDlgTaskEdit*>(QApplication::activeModalWidget());
        if (!editor) return;
        for (int row = 0; row < editor->FileList()->RowCount(); ++row)
            if (editor->FileList()->CellText(row, 2) == QStringLiteral("…")) return;
        allRead = editor->FileList()->RowCount() == kFiles;
        editor->reject();
    });
    close.start(50);
    CUiStallMeter meter;
    meter.Start();
    Click(page.ModifyButton());
    const double stall = meter.Stop();
    if (!allRead) std::fprintf(stderr, "bench_ui_stalls: the editor did not list every length\n");
    return stall;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("LUMETRA_AUDIO_SINK", "fakesink");
    CPrivateHome home;
    QApplication app(argc, argv);
    TempDir files;
    WriteSilentMp3(files.File("song.mp3"), 180);
    std::vector<std::string> paths;
    for (int i = 0; i < kFiles; ++i) {
        paths.push_back(files.File("song" + std::to_string(i) + ".mp3"));
        std::filesystem::create_symlink(files.File("song.mp3"), paths.back());
    }
    std::string playList;
    for (const std::string& path : paths) playList += (playList.empty() ? "" : "|") + path;
    CMainRig rig(LocalTime(2026, 3, 2, 9, 0, 0), [&] {
        InsertTask(AppConnection(), "千首", sql::kStateIdle, "08:00:00", "08:10:00", 2, "1000", playList);
    });
    rig.LogIn();

    OpenEditorOnManyFiles(rig);  // the first opening also loads the editor's fonts and styles
    std::vector<double> scan, speech, editor;
    for (int run = 0; run < kRuns; ++run) {
        TempDir folder;
        WriteSilentMp3(folder.File("a.mp3"), 1);
        mkfifo(folder.File("b.mp3").c_str(), 0600);
        scan.push_back(CancelBlockedScan(rig, folder));
        UnblockPipe(folder.File("b.mp3"));
        speech.push_back(CloseSpeechMidRender(rig, run));
        editor.push_back(OpenEditorOnManyFiles(rig));
    }
    ::bench::Print("stall while Cancel on a scan of a folder that blocks", scan, kTargetMs);
    ::bench::Print("stall while closing the speech dialog mid-render", speech, kTargetMs);
    ::bench::Print("stall while opening the editor on a task of 1,000 files", editor, kTargetMs);
    if (const size_t left = JoinLingeringThreads(std::chrono::seconds(5)))
        std::fprintf(stderr, "bench_ui_stalls: %zu threads still blocked\n", left);
    return 0;
}
