// The task list page on a real database file.
#include "AppTestKit.h"
#include "pages/DlgTaskEdit.h"
#include "pages/TaskListRows.h"
#include "store/HistoryTable.h"
#include "widgets/ColorListCtrl.h"

using namespace lumetra;
using namespace lumetra::test;

namespace {

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

class TaskListTest : public QObject {
    Q_OBJECT
private slots:
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
            for (int column = 0; column < 7; ++column) cells << shown.page.List()->GetItemText(row, column);
            QCOMPARE(cells.join(' '), rows[row].first);
            QCOMPARE(shown.page.List()->GetItemColor(row), rows[row].second);
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
        const CColorListCtrl& list = *rig.main->TaskListPage()->List();
        QTRY_COMPARE(list.GetItemText(0, kColState), QString(sql::kStateIdle));
        QCOMPARE((QStringList{list.GetItemText(0, kColLastPlayed), list.GetItemText(1, kColLastPlayed)}),
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
};

QTEST_MAIN(TaskListTest)
#include "TaskListTest.moc"
