// The operator's way through the timetables, in the running program: a winter timetable entered on
// "作息表" (one that shares days with it warned about and left unsaved), two tasks moved into it in
// the editor, a summer copy with the afternoon tasks half an hour later (its collision warned
// about), the list's column and filter, the preview over the autumn changeover, and timetables
// deleted with their tasks or moving them to "全年".
#include <QSpinBox>

#include "AppTestKit.h"
#include "pages/DlgPreview.h"
#include "pages/DlgTaskEdit.h"
#include "pages/DlgTimetableCopy.h"
#include "pages/DlgTimetables.h"
#include "pages/TaskListPage.h"
#include "pages/TaskListRows.h"
#include "widgets/ColorListCtrl.h"

using namespace lumetra;
using namespace lumetra::test;

class TimetablePagesTest : public QObject {
    Q_OBJECT
private slots:
    void winterSummerCopyListPreviewAndDelete() {
        CMainRig rig(std::time(nullptr), [&] {
            InsertTask(AppConnection(), "早操", sql::kStateIdle, "08:00:00", "08:10:00", 2, "1000");
            InsertTask(AppConnection(), "午休", sql::kStateIdle, "13:00:00", "13:10:00", 2, "1000");
            InsertTask(AppConnection(), "眼保健操", sql::kStateIdle, "13:30:00", "13:35:00", 2, "1000");
        });
        rig.LogIn();
        CTaskListPage& page = *rig.main->TaskListPage();
        const auto names = [] { return Column("select 任务名称 from tb_memo order by ID", "任务名称"); };

        Answer<CDlgTimetables>([&](CDlgTimetables& dialog) {
            dialog.NameEdit()->setText("冬季作息");
            SetMonthDay(dialog.FirstEdit(), 1001);
            SetMonthDay(dialog.LastEdit(), 430);
            QVERIFY(dialog.OnAdd());
            dialog.NameEdit()->setText("春季作息");
            SetMonthDay(dialog.FirstEdit(), 420);
            SetMonthDay(dialog.LastEdit(), 510);
            rig.boxes.answer = MbResult::kCancel;  // "返回修改"
            QVERIFY(!dialog.OnAdd());
            QCOMPARE(dialog.Timetables()->topLevelItemCount(), 1);
            QCOMPARE(dialog.Timetables()->topLevelItem(0)->text(1), QString("10-01至04-30"));
        });
        Click(page.TimetablesButton());
        QVERIFY2(rig.boxes.Texts().last().contains("「冬季作息」：04-20至04-30"),
                 qPrintable(rig.boxes.Texts().last()));

        for (int row : {0, 1}) {
            Answer<CDlgTaskEdit>([&](CDlgTaskEdit& editor) {
                QCOMPARE(editor.TimetableBox()->currentText(), QString("全年"));
                editor.TimetableBox()->setCurrentIndex(editor.TimetableBox()->findText("冬季作息"));
                QVERIFY(editor.OnSave());
            });
            page.List()->SelectRow(row);
            Click(page.ModifyButton());
        }
        QStringList shown;
        for (int row = 0; row < page.List()->RowCount(); ++row)
            shown << page.List()->GetItemText(row, kColName) + ":" +
                         page.List()->GetItemText(row, kColTimetable);
        QCOMPARE(shown, QStringList({"早操:冬季作息", "午休:冬季作息", "眼保健操:全年"}));

        // The copy's 午休 at 13:30 meets 眼保健操, which runs all year on the same receivers.
        const size_t boxesBefore = rig.boxes.shown.size();
        Answer<CDlgTimetables>([&](CDlgTimetables& dialog) {
            dialog.Timetables()->setCurrentItem(dialog.Timetables()->topLevelItem(0));
            CDlgTimetableCopy copy(AppConnection(), 1, &dialog);
            QCOMPARE(copy.Tasks()->topLevelItemCount(), 2);
            copy.NameEdit()->setText("夏季作息");
            SetMonthDay(copy.FirstEdit(), 501);
            SetMonthDay(copy.LastEdit(), 930);
            copy.OffsetBox()->setValue(30);
            copy.TickAfternoon();
            rig.boxes.answer = MbResult::kCancel;
            QVERIFY(!copy.OnSave());
            QVERIFY(copy.OnSave());
            dialog.LoadTimetables();
            QCOMPARE(dialog.Timetables()->topLevelItem(1)->text(2), QString("2 个任务"));
        });
        Click(page.TimetablesButton());
        QCOMPARE(rig.boxes.shown.size(), boxesBefore + 2);
        QVERIFY2(rig.boxes.Texts().last().contains("「午休」的副本") &&
                     rig.boxes.Texts().last().contains("眼保健操"),
                 qPrintable(rig.boxes.Texts().last()));

        // Filtered to the summer timetable; deleting its 早操 leaves the winter one.
        page.TimetableFilter()->setCurrentIndex(page.TimetableFilter()->findText("夏季作息"));
        page.LoadTasks();
        QCOMPARE(page.List()->RowCount(), 2);
        QCOMPARE(page.List()->GetItemText(1, kColStart) + " " + page.List()->GetItemText(1, kColTimetable),
                 QString("13:30:00 夏季作息"));
        page.List()->SelectRow(0);
        Click(page.DeleteButton());
        QCOMPARE(names(), std::vector<std::string>({"早操", "午休", "眼保健操", "午休"}));

        // Over the autumn changeover of the coming year.
        const int year = QDate::currentDate().year() + 1;
        Answer<CDlgPreview>([&](CDlgPreview& dialog) {
            dialog.FirstEdit()->setDate(QDate(year, 9, 29));
            dialog.LastEdit()->setDate(QDate(year, 10, 2));
            dialog.Refresh();
            QTreeWidget* days = dialog.Days();
            QVERIFY2(days->topLevelItem(0)->text(0).endsWith("作息表：夏季作息"),
                     qPrintable(days->topLevelItem(0)->text(0)));
            QVERIFY(days->topLevelItem(2)->text(0).contains(
                "作息表：冬季作息（从今天起更替，前一天：夏季作息）"));
            QStringList summer;
            for (int i = 0; i < days->topLevelItem(0)->childCount(); ++i)
                summer << days->topLevelItem(0)->child(i)->text(CDlgPreview::kColName) +
                              days->topLevelItem(0)->child(i)->text(CDlgPreview::kColStart);
            summer.sort();
            QCOMPARE(summer, QStringList({"午休13:30:00", "眼保健操13:30:00"}));
            QCOMPARE(days->topLevelItem(2)->childCount(), 3);
            QVERIFY(dialog.Changeovers()->text().contains("起：冬季作息（此前：夏季作息）"));
        });
        Click(page.PreviewButton());

        // The winter timetable goes with its tasks ("取消", then "确定"), the summer one leaves its
        // task to run all year.
        Answer<CDlgTimetables>([&](CDlgTimetables& dialog) {
            dialog.Timetables()->setCurrentItem(dialog.Timetables()->topLevelItem(0));
            rig.boxes.answer = MbResult::kCancel;
            QVERIFY(dialog.OnRemove());
            dialog.Timetables()->setCurrentItem(dialog.Timetables()->topLevelItem(0)->child(0));
            QVERIFY(dialog.OnRemove());
            QCOMPARE(dialog.Timetables()->topLevelItemCount(), 0);
        });
        Click(page.TimetablesButton());
        QCOMPARE(names(), std::vector<std::string>({"眼保健操", "午休"}));
        QCOMPARE(page.List()->GetItemText(1, kColTimetable), QString("全年"));
    }
};

QTEST_MAIN(TimetablePagesTest)
#include "TimetablePagesTest.moc"
