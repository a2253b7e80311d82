// The main window with the keyboard alone, through the program's own start path: F12 starts the
// emergency from any page, Tab reaches the page buttons and leaves every control it enters, and
// Escape in the task editor asks before it throws edits away.
#include "AppTestKit.h"
#include "app/EmergencyControl.h"
#include "pages/AnnouncementGroup.h"
#include "pages/DlgSpeech.h"
#include "pages/DlgTaskEdit.h"
#include "store/HistoryTable.h"
#include "widgets/ColorListCtrl.h"

using namespace lumetra;
using namespace lumetra::test;

namespace {

const CMainWindow::ButtonId kPages[] = {CMainWindow::kTasks,  CMainWindow::kPlay,  CMainWindow::kReceiver,
                                        CMainWindow::kLED,    CMainWindow::kUsers, CMainWindow::kSettings,
                                        CMainWindow::kHistory};

// Each visible control of `window` that keeps the focus when Tab is pressed in it (a date or time
// box leaves after its last part).
QStringList KeepTheFocus(QWidget* window) {
    QStringList kept;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisible() || !widget->isEnabled() || widget->window() != window ||
            !(widget->focusPolicy() & Qt::TabFocus) || widget->focusProxy())
            continue;
        widget->setFocus(Qt::TabFocusReason);
        if (QApplication::focusWidget() != widget) continue;  // a part that hands the focus on
        for (int press = 0; press < 3 && QApplication::focusWidget() == widget; ++press)
            QTest::keyClick(widget, Qt::Key_Tab);
        if (QApplication::focusWidget() == widget) kept << widget->metaObject()->className();
    }
    return kept;
}

}  // namespace

class KeyboardTest : public QObject {
    Q_OBJECT

private slots:
    void keysReachEverything() {
        CPrivateHome home;
        // Rows in the lists, so that a list that took Tab would have somewhere to move it.
        const std::time_t now = std::time(nullptr);
        CMainRig rig(now, [&] {
            for (const char* name : {"早操", "午休"}) InsertTask(AppConnection(), name, sql::kStateIdle);
            HistoryEvent event{.at = now - 60, .kind = HistoryKind::kStart, .taskId = "1", .title = "早操"};
            CHistoryTable(AppConnection()).Write(1, true, event);
        });
        rig.LogIn();
        rig.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(rig.main));

        // F12 asks for the emergency from any page; the button and its tip name the key.
        QPushButton* emergency = rig.main->Emergency()->Button();
        QVERIFY(emergency->text().contains("F12") && emergency->toolTip().contains("F12"));
        rig.boxes.answer = MbResult::kCancel;
        QTest::keyClick(rig.main->TaskListPage()->List(), Qt::Key_F12);
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
        QVERIFY(rig.boxes.shown[0].text.contains("紧急广播"));
        QVERIFY(!rig.Station().InEmergency());

        // Tab from the task list reaches the emergency button and every page button.
        QSet<QWidget*> reached;
        rig.main->TaskListPage()->List()->setFocus(Qt::TabFocusReason);
        for (int press = 0; press < 60; ++press) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            reached << QApplication::focusWidget();
        }
        QVERIFY(reached.contains(emergency));
        for (CMainWindow::ButtonId page : kPages) QVERIFY(reached.contains(rig.main->Button(page)));

        // Tab leaves every control of every page, and the speech text box.
        QStringList kept;
        for (CMainWindow::ButtonId page : kPages) {
            Click(rig.main->Button(page));
            kept << KeepTheFocus(rig.main);
        }
        Click(rig.main->Button(CMainWindow::kPlay));
        CAnnouncementGroup& announcement = *rig.main->ZoneControlPage()->Announcement();
        Click(announcement.SpeechButton());
        QTRY_VERIFY(announcement.SpeechDialog() && announcement.SpeechDialog()->isVisible());
        announcement.SpeechDialog()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(announcement.SpeechDialog()));
        kept << KeepTheFocus(announcement.SpeechDialog());
        QVERIFY(!announcement.SpeechDialog()->TextEdit()->toPlainText().contains('\t'));
        announcement.SpeechDialog()->close();
        QVERIFY2(kept.isEmpty(), qPrintable(kept.join(", ")));
    }

    // Escape in the task editor: unchanged it closes; changed it asks, and "取消" keeps the edits.
    void escapeAsksBeforeEditsAreLost() {
        CPrivateHome home;
        CMainRig rig(std::time(nullptr));
        rig.LogIn();
        const struct {
            QString typed;
            std::vector<MbResult> answers;  // to "放弃修改？", in turn
            int asked;
        } cases[] = {{"", {}, 0}, {"a", {MbResult::kOk}, 1}, {"a", {MbResult::kCancel, MbResult::kOk}, 2}};
        for (const auto& c : cases) {
            rig.boxes.shown.clear();
            QTimer::singleShot(0, [&] {
                auto* editor = qobject_cast<CDlgTaskEdit*>(QApplication::activeModalWidget());
                QVERIFY2(editor, "the task editor did not open");
                QTest::keyClicks(editor->NameEdit(), c.typed);
                for (MbResult answer : c.answers) {
                    QVERIFY(editor->isVisible());
                    rig.boxes.answer = answer;
                    QTest::keyClick(editor->NameEdit(), Qt::Key_Escape);
                }
                if (c.answers.empty()) QTest::keyClick(editor->NameEdit(), Qt::Key_Escape);
                QVERIFY(!editor->isVisible());
            });
            Click(rig.main->TaskListPage()->AddButton());
            QCOMPARE(int(rig.boxes.shown.size()), c.asked);
            for (const ShownBox& box : rig.boxes.shown) QCOMPARE(box.text, QString("放弃修改？"));
        }
    }
};

QTEST_MAIN(KeyboardTest)
#include "KeyboardTest.moc"
