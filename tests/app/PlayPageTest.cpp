// The instant-play page on real parts: the station's playback on a fresh database, GStreamer with a
// silent sink that plays in real time, and short generated audio files.
#include <array>
#include <filesystem>
#include <set>

#include "AppTestKit.h"
#include "station/PlayOrder.h"
#include "station/Playback.h"
#include "store/StoredPath.h"
#include "tests/support/AudioFixtures.h"
#include "widgets/WindowEvent.h"

using namespace lumetra;
using namespace lumetra::test;

namespace {

constexpr int kStops = -1;  // in the mode table: no next entry, playback stops

std::string StoredMode() {
    const std::vector<std::string> values =
        Column("select DictValue from Dict where DictItem='PlayCircle'", "DictValue");
    return values.size() == 1 ? values.front() : "rows: " + std::to_string(values.size());
}

QString TickedMode(CPlayPage& page) {
    QString ticked;
    for (QAction* action : page.findChildren<QAction*>())
        if (action->isChecked()) ticked += action->text();
    return ticked;
}

}  // namespace

class PlayPageTest : public QObject {
    Q_OBJECT

    // A page on a fresh database whose Dict table holds `storedMode` ("" for no row), told of the
    // playback as the main window tells it.
    struct Rig : CPageTestBed {
        explicit Rig(const char* storedMode = "") {
            if (*storedMode)
                AppConnection().ExecuteSql(FormatSql(
                    "insert into Dict (DictItem, DictValue) values ('PlayCircle', '%s')", storedMode));
            playback.Start();
            page = std::make_unique<CPlayPage>(AppConnection(), playback, nullptr);
        }
        ~Rig() { playback.Stop(); }
        PlaybackState State() {
            playback.Flush();
            return playback.State();
        }
        CPlayback playback{[this] { PostWindowMessage(page.get(), WindowMessage::kPlaybackChanged); }};
        std::unique_ptr<CPlayPage> page;
    };

private slots:
    void initTestCase() {
        qputenv("LUMETRA_AUDIO_SINK", "fakesink");
        KeepGstRegistryInBuildTree();
    }

    // Previous from each entry of three in each mode (next, as a task's list goes on, is checked by
    // TaskPlayMode.SixFilesUnderEachMode). Random draws, seeded once, differ as chance says and reach
    // every entry.
    void playModesPickThePreviousAndRandomEntries() {
        const std::pair<PlayMode, std::array<int, 3>> rows[] = {{PlayMode::kRepeatOne, {0, 1, 2}},
                                                                {PlayMode::kSequence, {0, 0, 1}},
                                                                {PlayMode::kLoop, {2, 0, 1}}};
        std::mt19937 random(std::random_device{}());
        for (const auto& [mode, previous] : rows)
            for (int from = 0; from < 3; ++from)
                QCOMPARE(PreviousEntry(mode, from, 3, random).value_or(kStops), previous[from]);
        std::set<int> seen;
        int repeats = 0;
        for (int i = 0, current = 0; i < 200; ++i) {
            const int drawn = NextEntry(PlayMode::kRandom, current, 5, random).value();
            repeats += drawn == std::exchange(current, drawn);
            seen.insert(PreviousEntry(PlayMode::kRandom, drawn, 5, random).value());
        }
        QCOMPARE(seen, (std::set<int>{0, 1, 2, 3, 4}));
        QVERIFY2(repeats < 80, qPrintable(QString::number(repeats)));  // about 40 expected
        QVERIFY(!NextEntry(PlayMode::kRandom, 0, 0, random) && !PreviousEntry(PlayMode::kLoop, 0, 0, random));
    }

    void storedModeIsReadTickedAndWritten() {
        const std::tuple<const char*, const char*, const char*> cases[] = {
            {"", "单曲循环", "1"}, {"3", "随机播放", "3"}, {"0", "单曲循环", "1"}, {"x", "单曲循环", "1"}};
        for (auto [stored, ticked, storedAfter] : cases) {
            Rig rig(stored);
            QCOMPARE(TickedMode(*rig.page), QString(ticked));
            QCOMPARE(StoredMode(), std::string(storedAfter));
            if (stored == std::string("3")) {
                QAction* loop = rig.page->findChild<QMenu*>()->actions().at(3);
                loop->trigger();
                QCOMPARE(TickedMode(*rig.page), QString("列表循环"));
                QCOMPARE(StoredMode(), std::string("4"));
                QCOMPARE(rig.State().mode, PlayMode::kLoop);
            }
        }
    }

    void addDeleteAndClearFollowTheListRules() {
        Rig rig;
        CPlayPage& page = *rig.page;
        page.AddFiles({"/m/a.mp3", "/m/b.wav"});
        page.AddFiles({"/m/b.wav", "/m/A.mp3", "/m/c.cda", "/m/c.cda"});
        QCOMPARE(page.List().Paths(),
                 (std::vector<std::string>{"/m/a.mp3", "/m/b.wav", "/m/A.mp3", "/m/c.cda"}));

        TempDir tree;
        namespace fs = std::filesystem;
        for (const char* name :
             {"b.MP3", "a.mp3", "c.Mp3", "note.wav", "mp3", ".hidden.mp3", ".dots/x.mp3", "sub/e.mp3",
              "sub/deeper/f.mp3", "sub/deeper/g.mp3.txt", "folder.mp3/h.mp3"}) {
            fs::create_directories(fs::path(tree.File(name)).parent_path());
            WriteBytes(tree.File(name), {});
        }
        fs::create_directory_symlink(tree.Path(), tree.File("sub/loop"));  // entered once
        page.ClearList();
        page.AddFiles({ToQ(tree.File("c.Mp3"))});
        page.AddFolder(ToQ(tree.Path()));
        QCOMPARE(page.List().Paths(),
                 (std::vector<std::string>{tree.File("c.Mp3"), tree.File("a.mp3"), tree.File("b.MP3"),
                                           tree.File("folder.mp3/h.mp3"), tree.File("sub/deeper/f.mp3"),
                                           tree.File("sub/e.mp3")}));
        page.AddFolder(ToQ(tree.Path()));
        QCOMPARE(page.List().Count(), 6);

        page.AddFolder(ToQ(tree.File("missing")));
        page.DeleteSelected();
        page.Playback().Play(1);  // a.mp3 holds no audio: the file and the reason, in Chinese, once
        QTRY_COMPARE(rig.boxes.Texts().size(), 3);
        QCOMPARE(page.SelectedRow(), 1);
        QTest::keyClick(page.findChild<QListView*>(), Qt::Key_Delete);
        QCOMPARE(page.List().Count(), 5);
        QCOMPARE(page.List().Path(1), tree.File("b.MP3"));
        page.ClearList();
        page.Playback().Play(-1);
        QTRY_COMPARE(rig.boxes.Texts().size(), 4);
        QCOMPARE(rig.boxes.Texts().mid(0, 2), (QStringList{"不能得到所选的文件夹！", "请选择歌曲！"}));
        QVERIFY(rig.boxes.Texts().at(2).startsWith("无法播放“" + ToQ(tree.File("a.mp3")) + "”"));
        QCOMPARE(rig.boxes.Texts().at(3), QString("请添加歌曲！"));
        QVERIFY(rig.State().status != PlayStatus::kPlaying);
    }

    // Positions in seconds on the slider and as text, whatever the file counts in. A click on the
    // groove seeks to the clicked place, not one page step towards it.
    void pauseResumeStopAndSeekKeepTheirPositions() {
        Rig rig;
        CPlayPage& page = *rig.page;
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        CPlayback& playback = page.Playback();
        auto* slider = page.findChild<QSlider*>();
        page.AddFiles({ToQ(Fixture(kCbrMp3)), ToQ(Fixture(kAvi)), ToQ(Fixture(kLongMp3))});
        playback.Play(-1);
        QVERIFY(rig.State().status == PlayStatus::kPlaying);
        QCOMPARE(rig.State().length, kCbrSeconds);
        playback.Seek(2);
        QCOMPARE(rig.State().position, 2);
        QTRY_COMPARE(slider->value(), 2);
        QCOMPARE(page.findChild<QLabel*>()->text(), QString("00:02 / 00:03"));
        playback.PauseResume();
        QVERIFY(rig.State().status == PlayStatus::kPaused);
        playback.PauseResume();
        QVERIFY(rig.State().status == PlayStatus::kPlaying);
        playback.StopPlaying();
        QVERIFY(rig.State().status == PlayStatus::kStopped);
        QTRY_COMPARE(slider->value(), 0);
        slider->setSliderPosition(1);  // a drag let go at one second
        emit slider->sliderReleased();
        QVERIFY(rig.State().status == PlayStatus::kPlaying);
        QCOMPARE(rig.State().position, 1);

        playback.Play(1);  // a video: seconds all the same
        QCOMPARE(rig.State().length, kAviSeconds);
        QCOMPARE(rig.State().current, 1);
        playback.Play(2);
        QTRY_COMPARE(slider->maximum(), kLongSeconds);  // the page has been told the length
        QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() * 3 / 4, slider->height() / 2));
        QVERIFY2(qAbs(slider->value() - kLongSeconds * 3 / 4) < 15,
                 qPrintable(QString::number(slider->value())));
        QTRY_VERIFY(qAbs(rig.State().position - slider->value()) <= 1);
        QVERIFY(rig.boxes.shown.empty());
    }

    // A task's list replaces the page's, marks a file that does not exist and skips it; in sequence mode it
    // stops after the last file's end; the same task handed over again while it plays goes on; a
    // task's end stops only its own list.
    void taskListsSkipBadFilesAndStopAtTheirOwnEnd() {
        Rig rig("2");
        TempDir dir;
        // Two-second files; the last is stored with "$" for its apostrophe.
        const std::vector<std::string> files = {dir.File("1.mp3"), dir.File("2.mp3"), dir.File("it's.mp3")};
        for (const std::string& file : files) std::filesystem::copy_file(Fixture(kV1RockMp3), file);
        CPlayPage& page = *rig.page;
        CPlayback& playback = page.Playback();
        const std::string missing = dir.File("missing.mp3");
        playback.PlayTask("1", files[0] + "|" + missing + "|" + StoredPath(files[2]));
        QTRY_VERIFY(rig.State().status == PlayStatus::kPlaying);
        QCOMPARE(rig.State().current, 0);
        QTRY_COMPARE(rig.State().position, 1);
        playback.PlayTask("1",
                          files[0] + "|" + missing + "|" + StoredPath(files[2]));  // the same start second
        QVERIFY(rig.State().position >= 1 && rig.State().current == 0);            // not started again
        QTRY_COMPARE_WITH_TIMEOUT(rig.State().current, 2, 6000);
        QTRY_COMPARE(page.List().Count(), 3);
        const CPlayListModel& list = page.List();
        QCOMPARE(list.index(0).data().toString() + "|" + list.index(1).data().toString(),
                 ToQ(files[0] + "|" + missing) + "（文件不存在）");
        playback.Seek(rig.State().length);  // the end of the last file
        QTRY_VERIFY_WITH_TIMEOUT(rig.State().status != PlayStatus::kPlaying, 3000);
        QTRY_COMPARE(page.SelectedRow(), 2);

        playback.PlayTask("2", missing + "|" + files[1]);
        QTRY_VERIFY_WITH_TIMEOUT(rig.State().status == PlayStatus::kPlaying && rig.State().current == 1,
                                 3000);
        playback.StopTask("1");
        QVERIFY2(rig.State().status == PlayStatus::kPlaying, "an earlier task's end leaves this one alone");
        playback.StopTask("2");
        QVERIFY(rig.State().status != PlayStatus::kPlaying);
        QTRY_COMPARE(page.List().Paths(), (std::vector<std::string>{missing, files[1]}));
        QVERIFY(rig.boxes.shown.empty());
    }
};

QTEST_MAIN(PlayPageTest)
#include "PlayPageTest.moc"
