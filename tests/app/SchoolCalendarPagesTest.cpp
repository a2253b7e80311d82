// The operator's way through the school calendar and the timetables, in the running program.
#include <QSpinBox>

#include "AppTestKit.h"
#include "pages/DlgCalendar.h"
#include "pages/DlgPreview.h"
#include "pages/DlgTaskEdit.h"
#include "pages/DlgTimetableCopy.h"
#include "pages/DlgTimetables.h"
#include "pages/TaskListPage.h"
#include "pages/TaskListRows.h"
#include "store/ZoneCatalog.h"
#include "tests/support/Mp3Fixture.h"
#include "widgets/CheckTree.h"
#include "widgets/ColorList.h"

using namespace lumetra;
using namespace lumetra::test;

// Counts the paint events a widget receives.
class CPaintCounter : public QObject {
public:
    explicit CPaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::Paint;
        return false;
    }
};

class SchoolCalendarPagesTest : public QObject {
    Q_OBJECT
private slots:
    // An autumn holiday and a make-up Sunday entered on "节假日与调休", the week seen in "播放预览",
    // a colliding task warned about on save ("返回修改" keeps the editor open, "仍然保存" stores it
    // with its own play mode).
    void holidayPreviewAndConflict() {
        TempDir dir;
        const std::string mp3 = dir.File("bell.mp3");
        WriteSilentMp3(mp3, 2);
        CMainRig rig(std::time(nullptr), [&] {
            InsertTask(AppConnection(), "早操", sql::kStateIdle, "08:00:00", "08:30:00", 3, "1000", mp3);
            InsertTask(AppConnection(), "眼操", sql::kStateIdle, "10:00:00", "10:05:00", 2, "0000", mp3);
            CZoneCatalog zones(AppConnection());
            zones.AddZone(1, "一楼");
            for (int channel : {1, 2}) zones.MoveChannelToZone(channel, "001FH(一楼)");
        });
        rig.LogIn();
        CTaskListPage& page = *rig.main->TaskListPage();
        // The Sunday a week or more ahead runs Monday's timetable; Monday to Wednesday are off.
        QDate sunday = QDate::currentDate().addDays(7);
        while (sunday.dayOfWeek() != Qt::Sunday) sunday = sunday.addDays(1);

        Answer<CDlgCalendar>([&](CDlgCalendar& dialog) {
            dialog.NameEdit()->setText("秋假");
            dialog.FirstEdit()->setDate(sunday.addDays(3));
            dialog.LastEdit()->setDate(sunday.addDays(1));
            QVERIFY(!dialog.OnAdd());  // ends before it starts
            dialog.FirstEdit()->setDate(sunday.addDays(1));
            dialog.LastEdit()->setDate(sunday.addDays(3));
            QVERIFY(dialog.OnAdd());
            dialog.NameEdit()->setText("调休");
            dialog.FirstEdit()->setDate(sunday);
            dialog.LastEdit()->setDate(sunday.addDays(1));
            dialog.KindBox()->setCurrentIndex(2);  // Monday's timetable
            QVERIFY(!dialog.OnAdd());              // a make-up day is one day
            dialog.LastEdit()->setDate(sunday);
            QVERIFY(dialog.OnAdd());
            // A holiday over the make-up day is a contradiction: asked first, and "取消" keeps it out.
            dialog.NameEdit()->setText("运动会");
            dialog.FirstEdit()->setDate(sunday.addDays(-1));
            dialog.KindBox()->setCurrentIndex(0);
            rig.boxes.answer = MbResult::kCancel;
            QVERIFY(!dialog.OnAdd());
            QCOMPARE(dialog.Entries()->topLevelItemCount(), 2);
        });
        Click(page.CalendarButton());
        QCOMPARE(rig.boxes.Texts().mid(0, 2),
                 QStringList({"结束日期不能早于开始日期",
                              "调休只能是单独的一天：请把开始日期和结束日期设为同一天。"}));
        QVERIFY2(rig.boxes.Texts().size() == 3 && rig.boxes.shown.back().buttons == MbButtons::kOkCancel &&
                     rig.boxes.shown.back().text.contains("节假日“运动会”") &&
                     rig.boxes.shown.back().text.contains("调休“调休”"),
                 qPrintable(rig.boxes.Texts().join('|')));

        Answer<CDlgPreview>([&](CDlgPreview& dialog) {
            dialog.FirstEdit()->setDate(sunday);
            dialog.LastEdit()->setDate(sunday.addDays(6));
            dialog.Refresh();
            QTreeWidget* days = dialog.Days();
            QCOMPARE(days->topLevelItemCount(), 7);
            QVERIFY(days->topLevelItem(0)->text(0).contains("调休：调休，按星期一的安排"));
            QCOMPARE(days->topLevelItem(0)->child(0)->text(CDlgPreview::kColName), QString("早操"));
            for (int day = 1; day <= 3; ++day) {
                QVERIFY2(days->topLevelItem(day)->text(0).contains("节假日：秋假"),
                         qPrintable(QString::number(day)));
                QCOMPARE(days->topLevelItem(day)->child(0)->text(0), QString("（无广播）"));
            }
            // Zones by name where all their receivers play, the numbers in the tooltip; a task
            // without outlets switches none.
            const struct {
                QStringList shown;
                QString receivers;
            } thursday[] = {
                {{"一楼、3", "1号", "bell.mp3",
                  "07:59:50 外设上电、开接收机\n08:00:00 播放\n08:30:00 关接收机、停止播放\n"
                  "08:30:15 外设断电"},
                 "接收机 1、2、3"},
                {{"一楼", "", "bell.mp3",
                  "09:59:50 外设电源（无）、开接收机\n10:00:00 播放\n10:05:00 关接收机、停止播放\n"
                  "10:05:15 外设电源（无）"},
                 "接收机 1、2"}};
            for (int row = 0; row < 2; ++row) {
                const QTreeWidgetItem* item = days->topLevelItem(4)->child(row);
                QCOMPARE(
                    QStringList({item->text(CDlgPreview::kColZones), item->text(CDlgPreview::kColOutlets),
                                 item->text(CDlgPreview::kColFiles), item->text(CDlgPreview::kColActions)}),
                    thursday[row].shown);
                QCOMPARE(item->toolTip(CDlgPreview::kColZones), thursday[row].receivers);
            }
            // At the dialog's own size every column, the device actions last, is seen whole.
            const QHeaderView* header = days->header();
            QVERIFY(dialog.isVisible());
            QVERIFY2(header->sectionViewportPosition(CDlgPreview::kColActions) +
                             header->sectionSize(CDlgPreview::kColActions) <=
                         days->viewport()->width(),
                     qPrintable(QString::number(header->length()) + " > " +
                                QString::number(days->viewport()->width())));
        });
        Click(page.PreviewButton());

        bool firstSave = true, secondSave = false;
        Answer<CDlgTaskEdit>(
            [&](CDlgTaskEdit& editor) {
                QCOMPARE(editor.ModeBox()->currentText(), QString("列表循环"));  // a new task's default
                editor.NameEdit()->setText("升旗");
                editor.StartEdit()->setTime({8, 30, 20});
                editor.EndEdit()->setTime({8, 40, 0});
                editor.RepeatButton(2)->setChecked(true);
                editor.PowerBox(1)->setChecked(true);
                editor.ZoneTree()->Toggle(Item(editor.ZoneTree(), "003CH"));
                editor.AddFiles({QString::fromStdString(mp3)});
                editor.ModeBox()->setCurrentIndex(editor.ModeBox()->findText("顺序播放"));
                rig.boxes.answer = MbResult::kCancel;  // "返回修改"
                firstSave = editor.OnSave();
                secondSave = editor.OnSave();  // "仍然保存"
            },
            false);
        Click(page.AddButton());
        QVERIFY(!firstSave && secondSave);
        const ShownBox& warning = rig.boxes.shown.back();
        QCOMPARE(warning.buttons, MbButtons::kSaveAnywayOrReturn);
        QVERIFY2(warning.text.contains("“早操”") && warning.text.contains("08:00:00–08:30:00") &&
                     warning.text.contains("本任务 08:30:20–08:40:00") &&
                     warning.text.contains("共用接收机 3"),
                 qPrintable(warning.text));
        QCOMPARE(rig.boxes.shown.size(), size_t{5});  // one warning for each save

        page.LoadTasks();
        QCOMPARE(page.List()->CellText(0, kColMode) + "|" + page.List()->CellText(1, kColMode),
                 QString("跟随即时播放|顺序播放"));
    }

    // After 添加 and 删除 the screen shows the stored entries: a deleted row does not stay, an added
    // one is not missing. The window's image on the screen, once the list has painted and nothing is
    // left to do, is compared with a fresh drawing.
    void listOnScreenAfterAddAndDelete() {
        CMainRig rig(std::time(nullptr));
        rig.LogIn();
        Answer<CDlgCalendar>([&](CDlgCalendar& dialog) {
            QTreeWidget* list = dialog.Entries();
            CPaintCounter painted(list->viewport());
            const auto press = [&](const char* text) {
                painted.count = 0;
                for (QPushButton* button : dialog.findChildren<QPushButton*>())
                    if (button->text() == QString::fromUtf8(text)) Click(button);
                QTRY_VERIFY(painted.count > 0);
                for (int round = 0; round < 3; ++round) QCoreApplication::processEvents();
                const QRect area(list->viewport()->mapTo(&dialog, QPoint()), list->viewport()->size());
                const QImage shown = dialog.screen()->grabWindow(dialog.winId()).toImage().copy(area);
                QCOMPARE(shown.convertToFormat(QImage::Format_RGB32),
                         list->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32));
            };
            for (const char* name : {"元旦", "春节", "清明", "劳动节"}) {
                dialog.NameEdit()->setText(QString::fromUtf8(name));  // typed through an input method
                press("添加");
            }
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->topLevelItem(1)).center());
            QCOMPARE(list->currentItem()->text(0), QString("春节"));
            press("删除");
            QCOMPARE(list->topLevelItemCount(), 3);
        });
        Click(rig.main->TaskListPage()->CalendarButton());
    }

    // A winter timetable entered on "作息表" (one that shares days with it warned about and left
    // unsaved), two tasks moved into it in the editor, a summer copy with the afternoon tasks half an
    // hour later (its collision warned about), the list's column and filter, the preview over the
    // autumn changeover, and timetables deleted with their tasks or moving them to "全年".
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
            shown << page.List()->CellText(row, kColName) + ":" + page.List()->CellText(row, kColTimetable);
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
        QCOMPARE(page.List()->CellText(1, kColStart) + " " + page.List()->CellText(1, kColTimetable),
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
        QCOMPARE(page.List()->CellText(1, kColTimetable), QString("全年"));
    }
};

QTEST_MAIN(SchoolCalendarPagesTest)
#include "SchoolCalendarPagesTest.moc"
