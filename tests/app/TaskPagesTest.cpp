// The task editor on a real database file: what it stores for each repeat kind, what it shows
// when the task is opened again, apostrophes and "$" in names and paths, the refusals, and the
// folder scan over generated MP3 files. Then the task list page: its rows, deleting, modifying.
#include "AppTestKit.h"
#include "audio/FolderScan.h"
#include "base/NumberText.h"
#include "base/WorkerThread.h"
#include "pages/DlgTaskEdit.h"
#include "pages/TaskListRows.h"
#include "store/HistoryTable.h"
#include "store/TaskTable.h"
#include "store/ZoneCatalog.h"
#include "tests/support/Mp3Fixture.h"
#include "widgets/CheckTree.h"
#include "widgets/ColorList.h"
#include "widgets/TimeEdit.h"

using namespace lumetra;
using namespace lumetra::test;

namespace {

QTreeWidgetItem* Channel(CDlgTaskEdit& editor, int zone, int index) {
    return editor.ZoneTree()->topLevelItem(zone)->child(index);
}

TaskRecord TaskNamed(const std::string& name) {
    for (const TaskRecord& task : CTaskTable(AppConnection()).ReadAll())
        if (task.name == name) return task;
    return {};
}

QStringList FileColumn(CDlgTaskEdit& editor, int column) {
    QStringList cells;
    for (int row = 0; row < editor.FileList()->RowCount(); ++row)
        cells << editor.FileList()->CellText(row, column);
    return cells;
}

// A media reader whose reads, from a chosen one on, wait until the test releases them (or ten
// seconds have passed, so a wait the editor should not have made ends the test with a failure).
class CBlockedReads {
public:
    void BlockFrom(int read) { m_blockFrom = read; }
    bool IsBlocked() const { return m_blocked; }
    void Release() {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_releasedChanged.notify_all();
    }
    DurationReader Reader() {
        return [this](const std::string& path) {
            if (++m_reads >= m_blockFrom) {
                std::unique_lock lock(m_mutex);
                m_blocked = true;
                m_releasedChanged.wait_for(lock, std::chrono::seconds(10), [this] { return m_released; });
                m_blocked = false;
            }
            return ReadPlayingSeconds(path);
        };
    }
    int Reads() const { return m_reads; }

private:
    std::atomic<int> m_reads = 0;
    std::atomic<int> m_blockFrom = std::numeric_limits<int>::max();
    std::atomic<bool> m_blocked = false;
    std::mutex m_mutex;
    std::condition_variable m_releasedChanged;
    bool m_released = false;
};

// The stored task opened for change; `exists` tells which files are there (all, when empty).
std::unique_ptr<CDlgTaskEdit> Reopen(const TaskRecord& task, const FileExists& exists = {}) {
    return std::make_unique<CDlgTaskEdit>(AppConnection(), nullptr,
                                          EditedTask{LeadingInt(task.id), DraftFromRecord(task, exists)});
}

// Clicks a radio button or check box on its indicator: a box stretched by its layout takes
// clicks on its indicator and text only.
void Press(QAbstractButton* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

void Insert(const std::string& name, const std::string& date, const std::string& start,
            const char* repeatText = "天", const char* weekDays = "", const char* state = "未执行") {
    AppConnection().ExecuteSql(FormatSql(sql::kInsertTask, name, date, start, "23:59:59", repeatText, "1", "",
                                         "", "1", weekDays, state, "1", "0000"));
}

// A page on the tasks inserted so far, shown, with empty space below the rows.
struct Shown {
    Shown() {
        page.resize(790, 470);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        page.LoadTasks();
    }
    CTaskListPage page{AppConnection(), nullptr};
};

}  // namespace

class TaskPagesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        WriteSilentMp3(m_dir.File("a.mp3"), 3);
        WriteSilentMp3(m_dir.File("b.mp3"), 65);
    }

    // Each repeat kind typed into the widgets, stored, opened again, changed and stored again.
    void eachRepeatKindIsStoredOpenedAndChanged_data() {
        QTest::addColumn<int>("repeat");
        QTest::addColumn<QString>("insert");
        QTest::addColumn<int>("changedTo");
        QTest::addColumn<QString>("weekDaysAfter");
        const QString values =
            "values ('早操','2026-03-05' ,'08:00:00','08:10:30','%1','1','%2','%3','%4','%5',"
            "'未执行','1','1001')";
        QTest::newRow("once") << 0 << "\t\t\t" + values.arg("次", "%1", "%2", "0", "") << 0 << "";
        QTest::newRow("weekly, changed to daily keeps its days")
            << 1 << "\t\t\t\t" + values.arg("周", "%1", "%2", "1", "246") << 2 << "246";
        QTest::newRow("daily, changed to weekly on Sunday")
            << 2 << "\t\t\t" + values.arg("天", "%1", "%2", "2", "") << 1 << "1";
    }
    void eachRepeatKindIsStoredOpenedAndChanged() {
        QFETCH(int, repeat);
        QFETCH(QString, insert);
        QFETCH(int, changedTo);
        QFETCH(QString, weekDaysAfter);
        CAppDatabase db;
        // Zone 001FH(楼) holds channels 1 to 3; the others stay in the default zone.
        CZoneCatalog(AppConnection()).AddZone(1, "楼");
        AppConnection().ExecuteSql("update Room set AreaID='1' where RoomID<=3");
        InsertTask(AppConnection(), "其他", sql::kStateDone, "09:00:00", "09:10:00");  // must stay as it is
        const std::string other = CTaskTable::InsertStatement(TaskNamed("其他"));
        const QStringList files = {ToQ(m_dir.File("a.mp3")), ToQ(m_dir.File("b.mp3"))};
        {
            CDlgTaskEdit editor(AppConnection(), nullptr);
            editor.show();
            QVERIFY(QTest::qWaitForWindowExposed(&editor));
            editor.NameEdit()->setText("早操");
            editor.DateEdit()->setDate({2026, 3, 5});
            editor.StartEdit()->setTime({8, 0, 0});
            editor.EndEdit()->setTime({8, 10, 30});
            Press(editor.RepeatButton(repeat));
            for (QAbstractButton* box : {editor.WeekDayBox(1), editor.WeekDayBox(3), editor.WeekDayBox(5),
                                         editor.PowerBox(0), editor.PowerBox(3)})
                Press(box);  // the days are ignored unless weekly
            for (auto [zone, index] : {std::pair{0, 0}, {0, 2}, {1, 124}})  // channels 1, 3 and 128
                editor.ZoneTree()->Toggle(Channel(editor, zone, index));
            editor.AddFiles(files);
            QTRY_COMPARE(FileColumn(editor, 2), QStringList({"0:03", "1:05"}));
            Click(editor.Button(CDlgTaskEdit::kSave));
        }
        const TaskRecord stored = TaskNamed("早操");
        QCOMPARE(stored.zones, ZoneEntries({1, 3, 128}));
        QCOMPARE(ToQ(CTaskTable::InsertStatement(stored)),
                 "insert into tb_memo (任务名称,日期,开始时间,结束时间,重复周期,音源,节目内容,目标区域,"
                 "提醒次数,一周时间,状态,FM,外设) " +
                     insert.arg(files.join('|'), ToQ(stored.zones)));

        // Opened again and saved unchanged, it is stored as it was: nothing it showed was lost.
        QVERIFY(Reopen(stored)->OnSave());
        QCOMPARE(CTaskTable::InsertStatement(TaskNamed("早操")), CTaskTable::InsertStatement(stored));
        QCOMPARE(CCheckTree::State(Reopen(stored)->ZoneTree()->topLevelItem(0)), CheckState::kPartial);
        const auto editor = Reopen(stored);
        editor->show();
        editor->EndEdit()->setTime({8, 20, 0});
        Press(editor->RepeatButton(changedTo));
        for (int day = 0; day < 7; ++day) editor->WeekDayBox(day)->setChecked(day == 0);
        QVERIFY(editor->OnSave());

        QCOMPARE(CTaskTable(AppConnection()).ReadAll().size(), size_t(2));
        const TaskRecord changed = TaskNamed("早操");
        QCOMPARE(changed.id + changed.endTime + changed.repeatCode + "/" + changed.weekDays,
                 stored.id + "08:20:00" + std::to_string(changedTo) + "/" + weekDaysAfter.toStdString());
        QCOMPARE(CTaskTable::InsertStatement(TaskNamed("其他")), other);
    }

    // Refused input and a database that refuses the statement leave the dialog open as it was;
    // so does Enter in a field.
    void refusedInputLeavesTheEditorOpenAsItWas() {
        const struct {
            const char *name, *repeatCode, *sabotage, *message;
            int endAfterStart;
        } cases[] = {{"", "0", "", "任务名称不能为空！", 60},
                     {"早操", "0", "", "开始时间不能大于或等于结束时间", 0},
                     {"早操", "7", "", "请选择重复周期！", 60},  // a stored code outside 0 to 2
                     {"早操", "1", "drop table tb_memo", "no such table: tb_memo", 60},
                     {"早操", "2", "", "要修改的任务已不存在", 60}};  // no row has its ID
        for (const auto& c : cases) {
            CAppDatabase db;
            CScriptedMessageBoxes boxes;
            TaskRecord task;
            task.id = "7", task.name = c.name, task.startTime = task.endTime = "08:00:00";
            task.repeatCode = c.repeatCode, task.power = "1000", task.playList = m_dir.File("a.mp3");
            task.zones = ZoneEntries({1});
            const auto opened = Reopen(task);
            CDlgTaskEdit& editor = *opened;
            editor.EndEdit()->setTime(QTime(8, 0).addSecs(c.endAfterStart));
            editor.show();
            if (*c.sabotage) AppConnection().ExecuteSql(c.sabotage);
            QTest::keyClick(editor.NameEdit(), Qt::Key_Return);
            Click(editor.Button(CDlgTaskEdit::kSave));
            QCOMPARE(boxes.shown.size(), size_t(1));
            QVERIFY2(boxes.shown[0].text.contains(c.message), qPrintable(boxes.shown[0].text));
            QVERIFY(editor.isVisible() && editor.NameEdit()->text() == c.name);
            QCOMPARE(editor.EndEdit()->time(), QTime(8, 0).addSecs(c.endAfterStart));
        }
    }

    // The lengths the scan read are shown; a second scan adds nothing; a deletion reads no file
    // again. A slow scan shows its progress; cancelled while a read is blocked, it returns at once
    // with what was found before, and the blocked scan ends later on its own, its file dropped.
    // Which files a scan finds (the play page shares the scan) is checked there.
    void folderScanShowsLengthsAndCancelReturnsAtOnce() {
        CAppDatabase db;
        TempDir root, many;
        QDir().mkpath(ToQ(root.File("sub")));
        WriteSilentMp3(root.File("a.mp3"), 2);
        WriteSilentMp3(root.File("sub/b.mp3"), 1);
        for (int i = 0; i < 20; ++i) WriteSilentMp3(many.File(std::to_string(i) + ".mp3"), 1);
        CBlockedReads blocked;
        CDlgTaskEdit editor(AppConnection(), nullptr, {}, blocked.Reader());
        for (int scan = 0; scan < 2; ++scan) editor.AddFolder(ToQ(root.Path()));
        QCOMPARE(FileColumn(editor, 1), QStringList({ToQ(root.File("a.mp3")), ToQ(root.File("sub/b.mp3"))}));
        QCOMPARE(FileColumn(editor, 2), QStringList({"0:02", "0:01"}));
        const int readsBefore = blocked.Reads();
        editor.FileList()->SelectRow(1);
        Click(editor.Button(CDlgTaskEdit::kDeleteFile));
        QCOMPARE(editor.FileList()->RowCount(), 1);
        QCOMPARE(blocked.Reads(), readsBefore);

        blocked.BlockFrom(readsBefore + 5);
        QTimer poll;  // cancels as soon as the progress shows
        connect(&poll, &QTimer::timeout, [&] {
            auto* progress = editor.findChild<QProgressDialog*>();
            if (progress && progress->isVisible()) progress->cancel();
        });
        poll.start(20);
        editor.AddFolder(ToQ(many.Path()));
        QVERIFY2(blocked.IsBlocked(), "the editor waited for the blocked read");
        QCOMPARE(editor.FileList()->RowCount() - 1, 4);
        blocked.Release();
        QCOMPARE(JoinLingeringThreads(std::chrono::seconds(5)), size_t(0));
        QCOMPARE(editor.FileList()->RowCount() - 1, 4);
    }

    // A stored task opens before its files' lengths are read: the rows show "…" until their length
    // arrives, a save meanwhile stores the same list, and closing the editor while a read is blocked
    // returns at once.
    void lengthsFillInAfterTheEditorOpens() {
        CAppDatabase db;
        CScriptedMessageBoxes boxes;
        const std::string a = m_dir.File("a.mp3"), b = m_dir.File("b.mp3"), gone = m_dir.File("gone.mp3");
        InsertTask(AppConnection(), "早操", sql::kStateIdle, "08:00:00", "08:10:00", 2, "1000",
                   a + "|" + gone + "|" + b + "|" + a);
        const TaskRecord stored = TaskNamed("早操");
        CBlockedReads blocked;
        blocked.BlockFrom(2);  // the read of b
        auto editor = std::make_unique<CDlgTaskEdit>(
            AppConnection(), nullptr, EditedTask{LeadingInt(stored.id), DraftFromRecord(stored, {})},
            blocked.Reader());
        editor->show();
        QTRY_COMPARE(FileColumn(*editor, 2), (QStringList{"0:03", "文件不存在", "…", "0:03"}));
        QTRY_VERIFY(blocked.IsBlocked());
        QCOMPARE(editor->FileList()->RowBackground(1), QColor(255, 200, 200));
        QVERIFY(editor->OnSave());
        QCOMPARE(TaskNamed("早操").playList, stored.playList);

        editor = std::make_unique<CDlgTaskEdit>(
            AppConnection(), nullptr, EditedTask{LeadingInt(stored.id), DraftFromRecord(stored, {})},
            blocked.Reader());
        QCOMPARE(FileColumn(*editor, 2), (QStringList{"…", "…", "…", "…"}));
        editor.reset();
        blocked.Release();
        QCOMPARE(JoinLingeringThreads(std::chrono::seconds(5)), size_t(0));
    }

    // Typed over the whole text, or into one section after a click, a time is taken as typed; ":"
    // is typed with Shift held, as on a real keyboard.
    void typedTimesAreTakenAsTyped() {
        const struct {
            int section;  // clicked into; -1: the whole text selected with Ctrl+A
            const char* keys;
            QTime taken;
        } cases[] = {{-1, "07:45:00", {7, 45, 0}}, {-1, "7:5:3", {7, 5, 3}}, {-1, "8:5:30", {8, 5, 30}},
                     {0, "9", {9, 10, 20}},        {0, "1:", {1, 10, 20}},   {1, "07", {6, 7, 20}},
                     {2, "5", {6, 10, 5}}};
        for (const auto& c : cases) {
            CTimeEdit edit(nullptr);
            edit.setTime({6, 10, 20});
            edit.show();
            QVERIFY(QTest::qWaitForWindowExposed(&edit));
            auto* field = edit.findChild<QLineEdit*>();
            if (c.section < 0) {
                QTest::mouseClick(field, Qt::LeftButton);
                QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
            } else {
                const int x = field->fontMetrics().horizontalAdvance(field->text().left(3 * c.section));
                QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(x + 4, field->height() / 2));
            }
            for (const char* key = c.keys; *key; ++key) {
                if (*key != ':') {
                    QTest::keyClick(&edit, *key);
                    continue;
                }
                QTest::keyPress(&edit, Qt::Key_Shift);
                QTest::keyClick(&edit, Qt::Key_Colon, Qt::ShiftModifier);
                QTest::keyRelease(&edit, Qt::Key_Shift, Qt::ShiftModifier);
            }
            QCOMPARE(edit.time(), c.taken);
        }
    }

    // One apostrophe in a path is stored as "$"; a second one, and one in the name, are escaped. A
    // "$" that is part of an existing file's name stays a "$" when the task is opened again; a file
    // the list plays twice stays twice, and a missing file is marked. A task opened while the zones
    // cannot be read is not saved: it would lose its receivers.
    void pathsAndReceiversSurviveOpeningAgain() {
        CAppDatabase db;
        CScriptedMessageBoxes boxes;  // the first plays to no receiver: saved all the same
        const QStringList paths = {ToQ(m_dir.File("it's.mp3")), ToQ(m_dir.File("a'b'c.mp3")),
                                   ToQ(m_dir.File("cost$5.mp3")), ToQ(m_dir.File("歌曲.mp3"))};
        for (const QString& path : paths) WriteSilentMp3(path.toStdString(), 1);
        {
            CDlgTaskEdit editor(AppConnection(), nullptr);
            editor.NameEdit()->setText("O'Neil's 早操");
            editor.EndEdit()->setTime(editor.StartEdit()->time().addSecs(60));
            editor.AddFiles(paths + QStringList{paths[0]});  // the repeated path is skipped
            QVERIFY(editor.OnSave());
        }
        const TaskRecord named = TaskNamed("O'Neil's 早操");
        QCOMPARE(named.playList, m_dir.File("it$s.mp3") + "|" + m_dir.File("a$b'c.mp3") + "|" +
                                     m_dir.File("cost$5.mp3") + "|" + m_dir.File("歌曲.mp3"));
        const auto exists = [](const std::string& path) { return QFileInfo::exists(ToQ(path)); };
        QCOMPARE(FileColumn(*Reopen(named, exists), 1), paths);
        boxes.shown.clear();
        const std::string a = m_dir.File("a.mp3"), gone = m_dir.File("gone.mp3");
        InsertTask(AppConnection(), "早操", sql::kStateIdle, "08:00:00", "08:10:00", 2, "1000",
                   a + "|" + a + "|" + gone);
        const TaskRecord stored = TaskNamed("早操");
        AppConnection().ExecuteSql("alter table Room rename to Room_away");
        auto editor = Reopen(stored);
        QCOMPARE(boxes.shown.size(), size_t(1));  // the read failure
        QVERIFY(!editor->OnSave());
        QVERIFY(boxes.shown.back().text.startsWith("分区和接收机没有读出，任务不能保存"));
        QCOMPARE(CTaskTable::InsertStatement(TaskNamed("早操")), CTaskTable::InsertStatement(stored));

        AppConnection().ExecuteSql("alter table Room_away rename to Room");
        editor = Reopen(stored);
        QTRY_COMPARE(FileColumn(*editor, 2), (QStringList{"0:03", "0:03", "文件不存在"}));
        QVERIFY(editor->OnSave());
        const TaskRecord saved = TaskNamed("早操");
        QCOMPARE(saved.playList, stored.playList);
        QCOMPARE(saved.zones, ZoneEntries({1, 2}));
    }

    // Saving a task that plays nothing, reaches no receiver or switches no outlet asks once, naming
    // what is missing; so does one on air while another is, whatever receivers each reaches.
    // "返回修改" leaves the dialog open with nothing stored; "仍然保存" stores it.
    void incompleteOrOverlappingTaskAsksFirst() {
        const struct {
            bool file, receiver, outlet, overlap;
            QString question;  // its start, for an overlap
        } cases[] = {{false, false, false, false, "此任务没有选择播放文件、接收机、外设电源。\n仍然保存吗？"},
                     {true, false, true, false, "此任务没有选择接收机。\n仍然保存吗？"},
                     {true, true, false, false, "此任务没有选择外设电源。\n仍然保存吗？"},
                     {true, true, true, false, ""},
                     {true, true, true, true, "同一时间只能播放一个节目：\n\n“眼保健操”"}};
        for (const auto& c : cases) {
            CAppDatabase db;
            CScriptedMessageBoxes boxes;
            if (c.overlap)
                InsertTask(AppConnection(), "眼保健操", sql::kStateIdle, "08:00:00", "08:10:00", 2, "1000");
            const size_t others = c.overlap ? 1 : 0;
            CDlgTaskEdit editor(AppConnection(), nullptr);
            editor.show();
            editor.NameEdit()->setText("早操");
            editor.StartEdit()->setTime({8, 9, 0});
            editor.EndEdit()->setTime({8, 20, 0});
            if (c.file) editor.AddFiles({ToQ(m_dir.File("a.mp3"))});
            if (c.receiver) editor.ZoneTree()->Toggle(Channel(editor, 0, 5));  // not one the other reaches
            editor.PowerBox(2)->setChecked(c.outlet);
            if (!c.question.isEmpty()) {
                boxes.answer = MbResult::kCancel;
                QVERIFY(!editor.OnSave());
                QCOMPARE(boxes.shown.size(), size_t(1));
                const QString asked = boxes.Texts()[0];
                QVERIFY2(c.overlap ? asked.startsWith(c.question) && !asked.contains("间隔不足")
                                   : asked == c.question,
                         qPrintable(asked));
                QCOMPARE(boxes.shown[0].buttons, MbButtons::kSaveAnywayOrReturn);
                QVERIFY(editor.isVisible() && CTaskTable(AppConnection()).ReadAll().size() == others);
            }
            QVERIFY(editor.OnSave());
            QCOMPARE(CTaskTable(AppConnection()).ReadAll().size(), others + 1);
        }
    }

    // The task list page.
    // Start-time order whatever the date, the repeat texts, the colours of the states.
    void rowsFollowStartTimeWithRepeatTextsAndStateColours() {
        CAppDatabase db;
        Insert("b", "2026-01-01", "08:00:00", "周", "246", "未执行");
        Insert("a", "2027-06-30", "07:30:00", "周", "17x", "已执行");
        Insert("c", "2025-12-31", "12:00:00", "天", "", "正在执行");
        Insert("d", "2026-02-02", "13:00:00", "次", "", "暂停");
        Insert("e", "2026-02-02", "14:00:00", "月", "", "未执行");
        Shown shown;
        const std::pair<QString, QColor> rows[] = {
            {"1 a 2027-06-30 07:30:00 23:59:59 周日、六、 已执行", {245, 245, 245}},
            {"2 b 2026-01-01 08:00:00 23:59:59 周一、三、五 未执行", {160, 160, 160}},
            {"3 c 2025-12-31 12:00:00 23:59:59 每天 正在执行", {0, 245, 0}},
            {"4 d 2026-02-02 13:00:00 23:59:59 仅一次 暂停", {}},
            {"5 e 2026-02-02 14:00:00 23:59:59  未执行", {160, 160, 160}}};
        QCOMPARE(shown.page.List()->RowCount(), 5);
        for (int row = 0; row < 5; ++row) {
            QStringList cells;
            for (int column = 0; column < 7; ++column) cells << shown.page.List()->CellText(row, column);
            QCOMPARE(cells.join(' '), rows[row].first);
            QCOMPARE(shown.page.List()->RowBackground(row), rows[row].second);
        }
    }

    // After a restart the tasks that ran wait again ("未执行"), and 上次播放 still says when each one
    // last went out, from the history; a task that never played shows a dash.
    void lastPlayedComesFromTheHistoryAfterARestart() {
        CMainRig rig(LocalTime(2026, 3, 5, 9, 0, 0), [] {
            InsertTask(AppConnection(), "早操", sql::kStateDone, "08:00:00", "08:10:00");
            InsertTask(AppConnection(), "午休", sql::kStateIdle, "12:00:00", "12:30:00");
            const std::string id = Column("select ID from tb_memo where 任务名称='早操'", "ID").at(0);
            int64_t record = 0;
            for (const std::time_t at : {LocalTime(2026, 3, 4, 8, 0, 0), LocalTime(2026, 3, 5, 8, 0, 1)}) {
                HistoryEvent event;
                event.at = at, event.kind = HistoryKind::kStart, event.taskId = id, event.title = "早操";
                CHistoryTable(AppConnection()).Write(++record, true, event);
            }
        });
        rig.LogIn();
        const CColorList& list = *rig.main->TaskListPage()->List();
        QTRY_COMPARE(list.CellText(0, kColState), QString(sql::kStateIdle));
        QCOMPARE((QStringList{list.CellText(0, kColLastPlayed), list.CellText(1, kColLastPlayed)}),
                 (QStringList{"03-05 08:00", "—"}));
    }

    // Deleting asks first, and takes every task that shares the row's name and start time. (A task
    // deleted on air goes off the air: StationTest.PagingPausesTheTask...ThenTheTaskIsDeletedOnAir.)
    void deletingAsksFirstAndTakesEveryTaskOfTheSameNameAndStart() {
        CAppDatabase db;
        CScriptedMessageBoxes boxes;
        for (const char* date : {"2026-01-01", "2026-05-05"}) Insert("早操", date, "08:00:00");
        Insert("午休", "2026-01-01", "12:00:00");
        Shown shown;
        CTaskListPage& page = shown.page;
        Click(page.DeleteButton());
        QCOMPARE(boxes.Texts(), QStringList({"请选择要删除的项目！"}));
        page.List()->SelectRow(1);
        boxes.answer = MbResult::kCancel;
        Click(page.DeleteButton());
        QCOMPARE(page.List()->RowCount(), 3);
        page.List()->SelectRow(1);
        page.List()->setFocus();
        QTest::keyClick(page.List(), Qt::Key_Delete);
        QCOMPARE(boxes.shown.back().text, QString("确定要删除任务“早操”吗？"));
        QCOMPARE(Column("select * from tb_memo", "任务名称"), std::vector<std::string>{"午休"});
        QCOMPARE(page.List()->RowCount(), 1);
    }

    // Modify opens the row selected last; a double click on empty space opens nothing; a row
    // that vanished meanwhile is reported and the list reloaded.
    void modifyOpensTheLastSelectedRowAndReloadsAVanishedOne() {
        CAppDatabase db;
        CScriptedMessageBoxes boxes;
        for (const char* name : {"a", "b", "c"}) Insert(name, "2026-01-01", "08:00:00");
        Shown shown;
        CTaskListPage& page = shown.page;
        QStringList opened;
        QTimer guard;  // closes, and so reveals, any editor that opens
        connect(&guard, &QTimer::timeout, [&] {
            if (auto* editor = qobject_cast<CDlgTaskEdit*>(QApplication::activeModalWidget()))
                opened << editor->NameEdit()->text(), editor->reject();
        });
        guard.start(5);
        page.List()->SelectRow(0);
        page.List()->SelectRow(2, true);
        Click(page.ModifyButton());
        QTest::mouseDClick(page.List()->viewport(), Qt::LeftButton, {},
                           {20, page.List()->viewport()->height() - 5});
        bool handled = false;  // queued behind whatever the double click set going
        QTimer::singleShot(0, [&] { handled = true; });
        QTRY_VERIFY(handled);
        QCOMPARE(opened, QStringList{"c"});

        page.List()->SelectRow(1);
        AppConnection().ExecuteSql("delete from tb_memo where 任务名称='b'");
        Click(page.ModifyButton());
        QCOMPARE(boxes.Texts(), QStringList({"该任务已被删除或修改，任务列表将重新载入。"}));
        QCOMPARE(page.List()->RowCount(), 2);
        QCOMPARE(opened, QStringList{"c"});
    }

private:
    TempDir m_dir;
};

QTEST_MAIN(TaskPagesTest)
#include "TaskPagesTest.moc"
