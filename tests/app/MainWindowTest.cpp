// The main window on real parts: pages and buttons, keys, the clock and the midnight reset, the
// link state, the shutdown timer, dragging and the exit sequence.
#include "AppTestKit.h"
#include "app/ShutdownNotice.h"
#include "pages/TaskListRows.h"
#include "tests/support/Mp3Fixture.h"
#include "widgets/ColorListCtrl.h"
#include "widgets/StaticEx.h"

using namespace lumetra;
using namespace lumetra::test;

namespace {

const std::time_t kThursdayAfternoon = LocalTime(2026, 3, 5, 14, 7, 9);

const CDlgMain::ButtonId kPageButtons[] = {CDlgMain::kTasks, CDlgMain::kPlay,  CDlgMain::kReceiver,
                                           CDlgMain::kLED,   CDlgMain::kUsers, CDlgMain::kSettings,
                                           CDlgMain::kLogoff};

bool PageButtonsEnabled(const CDlgMain& main, bool enabled) {
    for (CDlgMain::ButtonId id : kPageButtons)
        if (main.Button(id)->isEnabled() != enabled) return false;
    return true;
}

QStringList ShownPages(const CDlgMain& main) {
    const std::pair<QWidget*, const char*> pages[] = {
        {main.TaskListPage(), "tasks"},    {main.PlayPage(), "play"},
        {main.ReceiverPage(), "receiver"}, {main.LEDPage(), "led"},
        {main.SettingsPage(), "settings"}, {main.UserPage(), "users"},
        {main.ZoneControlPage(), "zones"}};
    QStringList shown;
    for (const auto& [page, name] : pages)
        if (!page->isHidden()) shown << name;
    return shown;
}

std::vector<std::string> States() {
    return Column("select * from tb_memo order by 任务名称", "状态");
}

void SendMouse(QWidget* target, QEvent::Type type, QPoint local, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(local), QPointF(target->mapToGlobal(local)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    TempDir m_config;  // the autostart check reads this directory, not the developer's

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_config.Path())); }

    void loginKeysDraggingAndPages() {
        CMainRig rig(kThursdayAfternoon);
        CDlgMain& main = *rig.main;
        main.show();
        CDlgLogin& login = *main.LoginPage();
        QVERIFY(login.isVisible());
        QVERIFY(PageButtonsEnabled(main, false));
        for (CDlgMain::ButtonId id : {CDlgMain::kLogin, CDlgMain::kMinimise, CDlgMain::kExit})
            QVERIFY(main.Button(id)->isEnabled());
        QCOMPARE(ShownPages(main), QStringList());

        // Enter and Escape neither log in, nor close the login, nor ask to exit.
        login.UserEdit()->setText("admin");
        login.PasswordEdit()->setText("admin");
        for (QWidget* target : std::initializer_list<QWidget*>{login.PasswordEdit(), &login, &main})
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) QTest::keyClick(target, key);
        QVERIFY(login.isVisible() && main.isVisible());
        QVERIFY(PageButtonsEnabled(main, false));

        Click(login.LoginButton());  // the name and password typed above
        QVERIFY(PageButtonsEnabled(main, true));
        QVERIFY(!login.isVisible());
        QCOMPARE(ShownPages(main), QStringList{"tasks"});

        // The background drags the window; a page does not.
        const QPoint start = main.pos();
        SendMouse(&main, QEvent::MouseButtonPress, QPoint(600, 80), Qt::LeftButton);
        SendMouse(&main, QEvent::MouseMove, QPoint(650, 110), Qt::LeftButton);
        SendMouse(&main, QEvent::MouseButtonRelease, QPoint(650, 110), Qt::NoButton);
        QCOMPARE(main.pos(), start + QPoint(50, 30));
        SendMouse(main.TaskListPage(), QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
        SendMouse(&main, QEvent::MouseMove, QPoint(300, 300), Qt::LeftButton);
        QCOMPARE(main.pos(), start + QPoint(50, 30));

        const std::pair<CDlgMain::ButtonId, QStringList> switches[] = {
            {CDlgMain::kTasks, {"tasks"}},
            {CDlgMain::kPlay, {"play", "zones"}},
            {CDlgMain::kReceiver, {"receiver", "zones"}},
            {CDlgMain::kLED, {"led"}},
            {CDlgMain::kSettings, {"settings"}},
            {CDlgMain::kUsers, {"users"}}};
        for (const auto& [button, shown] : switches) {
            // From a page that shows the zone control page too, so every switch must hide it again.
            Click(main.Button(CDlgMain::kReceiver));
            Click(main.Button(button));
            QCOMPARE(ShownPages(main), shown);
        }
        Click(main.UserPage()->AddButton());
        QTest::keyClick(main.UserPage()->UserEdit(), Qt::Key_Return);
        QTest::keyClick(main.UserPage()->UserEdit(), Qt::Key_Escape);
        QVERIFY(!main.UserPage()->isHidden());
        QVERIFY(main.UserPage()->SaveButton()->isEnabled());

        Click(main.Button(CDlgMain::kLogoff));
        QVERIFY(PageButtonsEnabled(main, false));
        QCOMPARE(ShownPages(main), QStringList());
        QVERIFY(rig.boxes.shown.empty());
        Click(main.Button(CDlgMain::kMinimise));
        QVERIFY(main.isMinimized());  // restored by a later start, in the shell test
    }

    void clockStaticShowsDateWeekdayAndTime() {
        CMainRig rig(kThursdayAfternoon);
        QCOMPARE(rig.main->Clock()->text(), QString("2026年03月05日 星期四 14:07:09"));
        const std::pair<std::time_t, QString> times[] = {
            // The first and the last of the weekday names.
            {LocalTime(2026, 3, 8, 0, 0, 0), "2026年03月08日 星期日 00:00:00"},
            {LocalTime(2025, 12, 27, 23, 59, 59), "2025年12月27日 星期六 23:59:59"}};
        for (const auto& [time, text] : times) {
            rig.clock.SetTime(time);
            rig.main->RefreshClock();
            QCOMPARE(rig.main->Clock()->text(), text);
        }
    }

    void midnightResetsExecutedTasks() {
        const std::tuple<int, int, int, bool> ticks[] = {
            {0, 0, 59, true}, {0, 1, 0, false}, {23, 59, 59, false}};
        for (const auto& [hour, minute, second, reset] : ticks) {
            CMainRig rig(LocalTime(2026, 3, 5, 23, 0, 0));
            InsertTask(AppConnection(), "a", sql::kStateDone);
            InsertTask(AppConnection(), "b", sql::kStateRunning);
            InsertTask(AppConnection(), "c", sql::kStateIdle);
            rig.main->TaskListPage()->LoadTasks();
            rig.clock.SetTime(LocalTime(2026, 3, 6, hour, minute, second));
            rig.main->OnHeartbeat();
            const std::string first = reset ? sql::kStateIdle : sql::kStateDone;
            QCOMPARE(States(), (std::vector<std::string>{first, sql::kStateRunning, sql::kStateIdle}));
            // The task list shows what is stored now.
            QCOMPARE(rig.main->TaskListPage()->List()->GetItemText(0, kColState),
                     QString::fromStdString(first));
        }
    }

    void startResetsExecutedTasksAndArmsTheShutdownTimer() {
        CMainRig rig(LocalTime(2026, 3, 5, 21, 59, 0), [] {
            InsertTask(AppConnection(), "a", sql::kStateDone);
            InsertTask(AppConnection(), "b", sql::kStateRunning);
            AppConnection().ExecuteSql("update shut_down  set 启用关机= '1' ,关机时间='22:1:0'");
        });
        QCOMPARE(States(), (std::vector<std::string>{sql::kStateIdle, sql::kStateRunning}));
        QVERIFY(rig.main->ShutdownTimer().isActive());
        QCOMPARE(rig.main->ShutdownTimer().interval(), 60000);
        // When it fires, a minute ahead, the countdown shows and goes on every second; "取消"
        // skips today's shutdown and arms tomorrow's.
        rig.main->StartShutdownTimer(std::chrono::milliseconds(0));
        CShutdownNotice& notice = *rig.main->ShutdownNotice();
        QTRY_VERIFY(notice.isVisible());
        QVERIFY(notice.Message()->text().contains(QStringLiteral("120秒")));
        QCOMPARE(rig.main->ShutdownTimer().interval(), 1000);
        rig.clock.SetTime(LocalTime(2026, 3, 5, 22, 0, 59));
        QTRY_COMPARE(notice.Message()->text(), QStringLiteral("系统将在1秒后自动关机。"));
        Click(notice.Button());
        QVERIFY(!notice.isVisible());
        QCOMPARE(rig.main->ShutdownTimer().interval(), (86400 + 1 - 60) * 1000);
        QCOMPARE(rig.power.requests, 0);
    }

    void linkStatusFollowsTheLink() {
        CMainRig rig(kThursdayAfternoon);
        CDlgMain& main = *rig.main;
        CDlgSYS& settings = *main.SettingsPage();
        // The settings page connected the stored port (COM1) by itself, on a worker thread.
        settings.PortSelection().WaitForAutoConnect();
        QVERIFY(rig.link.IsRunning());
        main.OnHeartbeat();  // draws a reply
        QTRY_COMPARE_WITH_TIMEOUT(main.LinkStatus()->text(), QString("联机控制:联机正常"), 5000);

        rig.link.CloseLink(true);
        QTRY_COMPARE_WITH_TIMEOUT(main.LinkStatus()->text(), QString("联机控制:联机异常"), 5000);
        QCOMPARE(settings.ConnectButton()->text(), QString("连  接"));  // the page hears of it too
    }

    void autostartEntryTicksTheSettingsBox() {
        // No entry, then one under $HOME/.config: where it lives when $XDG_CONFIG_HOME is empty.
        const QByteArray oldHome = qgetenv("HOME");
        const QString home = QString::fromStdString(m_config.Path());
        qputenv("XDG_CONFIG_HOME", "");
        qputenv("HOME", home.toLocal8Bit());
        QFile file(home + "/.config/autostart/Corvala.desktop");
        for (const bool entry : {false, true}) {
            if (entry) {
                QVERIFY(QDir().mkpath(home + "/.config/autostart") && file.open(QIODevice::WriteOnly));
                file.close();
            }
            CMainRig rig(kThursdayAfternoon);
            QCOMPARE(rig.main->SettingsPage()->StartWithSystemBox()->isChecked(), entry);
        }
        QVERIFY(file.remove());
        qputenv("HOME", oldHome);
        qputenv("XDG_CONFIG_HOME", home.toLocal8Bit());
    }

    void schedulerMessagesReachTheirPagesThenExit() {
        CMainRig rig(kThursdayAfternoon);
        CDlgMain& main = *rig.main;
        main.show();
        main.SettingsPage()->PortSelection().WaitForAutoConnect();
        InsertTask(AppConnection(), "a", sql::kStateRunning);
        InsertTask(AppConnection(), "b", sql::kStateIdle);
        main.PostMessage(WM_TASKS_CHANGED);
        QTRY_COMPARE(main.TaskListPage()->List()->GetItemCount(), 2);

        const std::string mp3 = rig.db.Dir().File("silence.mp3");
        WriteSilentMp3(mp3, 5);
        main.SetPlayListText(mp3);
        for (WindowMessage message : {WM_PLAY_TASK, WM_STOP_TASK, WM_PLAY_TASK}) {
            main.PostMessage(message);
            QTRY_COMPARE(main.PlayPage()->Session().IsPlaying(), message == WM_PLAY_TASK);
        }

        // Exit: nothing happens unless confirmed.
        rig.boxes.answer = MbResult::Cancel;
        QVERIFY(!main.Exit());
        QCOMPARE(rig.boxes.Texts(), QStringList{"确定要退出吗？"});
        QVERIFY(main.isVisible() && rig.scheduler.IsRunning() && main.PlayPage()->IsMediaOpen());

        QVERIFY(main.Exit());
        QVERIFY(!main.PlayPage()->IsMediaOpen());
        QVERIFY(!main.isVisible());
        QVERIFY(!rig.scheduler.IsRunning());
        QCOMPARE(States(), (std::vector<std::string>{sql::kStateDone, sql::kStateIdle}));
        // The process ends right after: whatever the writer has not sent by now is lost.
        rig.link.CloseLink(false);
        QVERIFY(rig.simulator.WaitForFrame("SendAudioCom", "channels off: all", 3000));
        QCOMPARE(main.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
