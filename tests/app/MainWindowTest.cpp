// The main window on the program's start path: pages and buttons, keys (the keyboard alone reaches
// everything; Escape in the task editor asks before it throws edits away), the clock, the start
// reset, the link state, the shutdown notice and the exit sequence.
#include <set>

#include "AppTestKit.h"
#include "app/EmergencyControl.h"
#include "app/ShutdownNotice.h"
#include "pages/AnnouncementGroup.h"
#include "pages/DlgSpeech.h"
#include "pages/DlgTaskEdit.h"
#include "pages/TaskListRows.h"
#include "station/Playback.h"
#include "store/HistoryTable.h"
#include "tests/support/Mp3Fixture.h"
#include "widgets/ColorList.h"
#include "widgets/TransparentLabel.h"
#include "widgets/WindowEvent.h"

using namespace lumetra;
using namespace lumetra::test;

namespace {

const std::time_t kThursdayAfternoon = LocalTime(2026, 3, 5, 14, 7, 9);

// What the operator sees: the login or not, how many of the seven page buttons are enabled, the
// pages shown.
QString Seen(const CMainWindow& main) {
    using enum CMainWindow::ButtonId;
    int enabled = 0;
    for (CMainWindow::ButtonId id : {kTasks, kPlay, kReceiver, kLED, kUsers, kSettings, kLogoff})
        enabled += main.Button(id)->isEnabled();
    QStringList seen{main.LoginDialog()->isVisible() ? "login" : "-", QString::number(enabled)};
    const std::pair<QWidget*, const char*> pages[] = {
        {main.TaskListPage(), "tasks"},    {main.PlayPage(), "play"},
        {main.ReceiverPage(), "receiver"}, {main.LEDPage(), "led"},
        {main.SettingsPage(), "settings"}, {main.UserPage(), "users"},
        {main.ZoneControlPage(), "zones"}};
    for (const auto& [page, name] : pages)
        if (!page->isHidden()) seen << name;
    return seen.join(' ');
}

std::vector<std::string> States() {
    return Column("select * from tb_memo order by 任务名称", "状态");
}

// The contrast ratio of two colours, 1 to 21, by their relative luminance.
double ContrastRatio(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double first = luminance(a), second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

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

class MainWindowTest : public QObject {
    Q_OBJECT

    CPrivateHome m_home;  // also $HOME, for the autostart entry

private slots:
    void initTestCase() {
        qputenv("HOME", QByteArray::fromStdString(m_home.dir.Path()));
        qputenv("XDG_CONFIG_HOME", "");
    }

    // The login, its keys, dragging, the pages the buttons show, Enter on the lists (a task opens for
    // change, an instant-play entry plays), the user at the keyboard kept, the log-off.
    void loginKeysAndPages() {
        TempDir dir;
        const std::string song = dir.File("song.mp3");
        WriteSilentMp3(song, 3);
        CMainRig rig(kThursdayAfternoon, [] { InsertTask(AppConnection(), "早操", sql::kStateIdle); });
        CMainWindow& main = *rig.main;
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        CDlgLogin& login = *main.LoginDialog();
        QCOMPARE(Seen(main), QString("login 0"));
        QVERIFY(!main.SettingsPage()->StartWithSystemBox()->isChecked());

        // Escape neither closes the login nor asks to exit; Enter left to the main window does
        // nothing; Enter in the password field logs in.
        login.UserEdit()->setText("admin");
        login.PasswordEdit()->setText("admin");
        for (QWidget* target : std::initializer_list<QWidget*>{login.PasswordEdit(), &login, &main})
            QTest::keyClick(target, Qt::Key_Escape);
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) QTest::keyClick(&main, key);
        QVERIFY(main.isVisible());
        QCOMPARE(Seen(main), QString("login 0"));
        QTest::keyClick(login.PasswordEdit(), Qt::Key_Return);
        QCOMPARE(Seen(main), QString("- 7 tasks"));

        // The background drags the window; a page does not.
        const QPoint start = main.pos();
        SendMouse(&main, QEvent::MouseButtonPress, QPoint(600, 80));
        SendMouse(&main, QEvent::MouseMove, QPoint(650, 110));
        SendMouse(&main, QEvent::MouseButtonRelease, QPoint(650, 110));
        QCOMPARE(main.pos(), start + QPoint(50, 30));
        SendMouse(main.TaskListPage(), QEvent::MouseButtonPress, QPoint(5, 5));
        SendMouse(&main, QEvent::MouseMove, QPoint(300, 300));
        QCOMPARE(main.pos(), start + QPoint(50, 30));
        auto* tasks = main.TaskListPage()->findChild<CColorList*>();
        tasks->SelectRow(0);
        tasks->setFocus();
        QString opened;
        Answer<CDlgTaskEdit>([&](CDlgTaskEdit& editor) { opened = editor.NameEdit()->text(); }, false);
        QTest::keyClick(tasks, Qt::Key_Return);
        QCOMPARE(opened, QString("早操"));

        const std::pair<CMainWindow::ButtonId, const char*> switches[] = {
            {CMainWindow::kTasks, "tasks"},
            {CMainWindow::kPlay, "play zones"},
            {CMainWindow::kReceiver, "receiver zones"},
            {CMainWindow::kLED, "led"},
            {CMainWindow::kSettings, "settings"},
            {CMainWindow::kUsers, "users"}};
        for (const auto& [button, shown] : switches) {
            // From a page that shows the zone control page too, so every switch must hide it again.
            Click(main.Button(CMainWindow::kReceiver));
            Click(main.Button(button));
            QCOMPARE(Seen(main), QString("- 7 ") + shown);
        }
        Click(main.Button(CMainWindow::kPlay));
        main.PlayPage()->AddFiles({ToQ(song)});
        auto* entries = main.PlayPage()->findChild<QListView*>();
        entries->setFocus();
        entries->setCurrentIndex(entries->model()->index(0, 0));
        QTest::keyClick(entries, Qt::Key_Return);
        QTRY_VERIFY(main.PlayPage()->Playback().State().status == PlayStatus::kPlaying);
        Click(main.Button(CMainWindow::kUsers));
        Click(main.UserPage()->AddButton());
        QTest::keyClick(main.UserPage()->UserEdit(), Qt::Key_Return);
        QTest::keyClick(main.UserPage()->UserEdit(), Qt::Key_Escape);
        QVERIFY(!main.UserPage()->isHidden());
        QVERIFY(main.UserPage()->SaveButton()->isEnabled());

        // Logging off hides every page and its title, forgets the password half typed on the user
        // page, and opens the way back in.
        QTest::keyClicks(main.UserPage()->PasswordEdit(), "secret");
        Click(main.Button(CMainWindow::kLogoff));
        QCOMPARE(Seen(main), QString("login 0"));
        QVERIFY(main.PageTitle()->text().isEmpty() && rig.boxes.shown.empty());
        QCOMPARE(main.UserPage()->PasswordEdit()->text(), QString());
        Click(main.Button(CMainWindow::kMinimise));
        QVERIFY(main.isMinimized());  // restored by a later start, in the shell test
    }

    // At start the settings box is ticked by an autostart entry under $HOME/.config, where it lives
    // when $XDG_CONFIG_HOME is empty (no entry: the box stays clear, checked at the login). The clock
    // shows the date, the weekday and the time. The station connects the stored port (COM1) and its
    // heartbeat draws a reply; the status bar and the settings page show the link's state, each
    // state in a colour of its own that reads well on the status bar.
    void startShowsTheAutostartEntryTheClockAndTheLinkState() {
        CMainRig rig(
            kThursdayAfternoon,
            [this] {
                QVERIFY(QDir().mkpath(m_home.File(".config/autostart")));
                QFile(m_home.File(".config/autostart/org.lumetra.Lumetra.desktop"))
                    .open(QIODevice::WriteOnly);
            },
            "已新建数据库");
        CMainWindow& main = *rig.main;
        // The first-start notice is the window's own, so it stays above it without a window manager.
        auto* notice = main.findChild<QMessageBox*>();
        QVERIFY(notice && notice->isVisible() && notice->parentWidget() == &main);
        QCOMPARE(notice->text(), QString("已新建数据库"));
        notice->accept();
        const QColor down = main.LinkStatus()->TextColour();  // before the first reply
        QVERIFY(main.SettingsPage()->StartWithSystemBox()->isChecked());
        QCOMPARE(main.Clock()->text(), QString("2026年03月05日 星期四 14:07:09"));
        const std::pair<std::time_t, QString> times[] = {
            // The first and the last of the weekday names.
            {LocalTime(2026, 3, 8, 0, 0, 0), "2026年03月08日 星期日 00:00:00"},
            {LocalTime(2025, 12, 27, 23, 59, 59), "2025年12月27日 星期六 23:59:59"}};
        for (const auto& [time, text] : times) {
            rig.clock.SetTime(time);
            main.RefreshClock();
            QCOMPARE(main.Clock()->text(), text);
        }

        const QColor bar = main.grab().toImage().pixelColor(10, 649);
        QTRY_COMPARE_WITH_TIMEOUT(main.LinkStatus()->text(), QString("联机控制:联机正常"), 8000);
        const QColor up = main.LinkStatus()->TextColour();
        QVERIFY(up != down);
        for (const QColor& text : {up, down, main.Clock()->TextColour()})
            QVERIFY2(ContrastRatio(text, bar) >= 4.5, qPrintable(text.name() + " on " + bar.name()));
        rig.link.CloseLink(true);
        QTRY_COMPARE_WITH_TIMEOUT(main.LinkStatus()->text(), QString("联机控制:联机异常"), 5000);
        QCOMPARE(main.SettingsPage()->ConnectButton()->text(),
                 QString("连  接"));  // the page hears of it too
    }

    // At start executed tasks wait again and the task list shows it, though it was loaded before
    // the reset; the station arms the shutdown. A minute ahead the countdown shows and goes on every
    // second; "取消" skips today's shutdown and arms tomorrow's. Then the station's events reach
    // their pages, and the exit asks first and runs the exit sequence.
    void startShutdownNoticeEventsAndExit() {
        CMainRig rig(LocalTime(2026, 3, 5, 21, 59, 0), [] {
            InsertTask(AppConnection(), "a", sql::kStateDone);
            InsertTask(AppConnection(), "b", sql::kStateRunning, "21:00:00", "23:00:00");  // on air
            AppConnection().ExecuteSql("update shut_down  set 启用关机= '1' ,关机时间='22:0:0'");
        });
        CMainWindow& main = *rig.main;
        QCOMPARE(States(), (std::vector<std::string>{sql::kStateIdle, sql::kStateRunning}));
        QTRY_COMPARE(main.TaskListPage()->List()->CellText(0, kColState), QString(sql::kStateIdle));
        CShutdownNotice& notice = *main.ShutdownNotice();
        QTRY_VERIFY(notice.isVisible());
        // The main window runs as a window: a modal one would keep every click from the notice.
        QCOMPARE(main.windowModality(), Qt::NonModal);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(notice.Message()->text().contains(QStringLiteral("60秒")));
        rig.clock.SetTime(LocalTime(2026, 3, 5, 21, 59, 59));
        QTRY_COMPARE(notice.Message()->text(), QStringLiteral("系统将在1秒后自动关机。"));
        Click(notice.Button());
        QVERIFY(!notice.isVisible());
        QTRY_COMPARE(rig.Station().AutoShutdownView().deadline, LocalTime(2026, 3, 6, 22, 0, 0));
        QTRY_VERIFY(!notice.isVisible());
        QCOMPARE(rig.power.requests, 0);

        rig.Station().FlushPort();
        InsertTask(AppConnection(), "c", sql::kStateIdle);
        main.Notify(WindowMessage::kTasksChanged);
        QTRY_COMPARE(main.TaskListPage()->List()->RowCount(), 3);
        // Each message's event type is its own and taken from Qt: asked for again, Qt gives another.
        std::set<int> types;
        for (int message = 0; message < kWindowMessageCount; ++message) {
            const QEvent::Type type = CWindowEvent::TypeOf(static_cast<WindowMessage>(message));
            QVERIFY(types.insert(type).second);
            QVERIFY(QEvent::registerEventType(type) != type);
        }
        // A task's list reaches the play page. (Which task's end stops it: PlayPage.TaskLists...)
        CPlayback& playback = rig.Station().Playback();
        const std::string mp3 = rig.db.Dir().File("silence.mp3");
        WriteSilentMp3(mp3, 5);
        playback.PlayTask("7", mp3);
        QTRY_VERIFY(playback.State().status == PlayStatus::kPlaying);
        QTRY_COMPARE(main.PlayPage()->List().Paths(), std::vector<std::string>{mp3});

        // Exit: nothing happens unless confirmed; the question names what goes off the air.
        QSignalSpy exited(&main, &CMainWindow::Exited);
        rig.boxes.answer = MbResult::kCancel;
        QVERIFY(!main.Exit());
        QCOMPARE(rig.boxes.Texts(),
                 QStringList{"定时任务播放“silence.mp3”正在进行，退出后将停止。\n确定要退出吗？"});
        QVERIFY(main.isVisible() && playback.State().status == PlayStatus::kPlaying && exited.isEmpty());
        QVERIFY(main.Exit());
        QVERIFY(playback.State().status != PlayStatus::kPlaying && !main.isVisible());
        QCOMPARE(exited.count(), 1);
        QCOMPARE(States(), (std::vector<std::string>{sql::kStateIdle, sql::kStateDone, sql::kStateIdle}));
        QVERIFY(rig.simulator.WaitForFrame("SendAudioCom", "channels off: all", 3000));
    }

    // With the keyboard alone: F12 starts the emergency from any page, Tab reaches the page buttons
    // and leaves every control it enters.
    void keysReachEverything() {
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

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
