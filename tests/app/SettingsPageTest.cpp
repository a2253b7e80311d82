// The settings page's left half in the main window: the automatic shutdown group on a real
// database with a simulated clock (the power-off only records), and the start-with-the-system
// group writing its entry under a private XDG_CONFIG_HOME.
#include <climits>
#include <filesystem>
#include <thread>

#include "AppTestKit.h"
#include "audio/AudioOutput.h"
#include "link/PortDevices.h"
#include "pages/AudioOutputBox.h"
#include "pages/AutostartGroup.h"
#include "pages/DatabaseGroup.h"
#include "pages/DbErrorReport.h"
#include "pages/PortDeviceBox.h"
#include "pages/ShutdownGroup.h"
#include "pages/TaskListPage.h"
#include "store/Autostart.h"
#include "store/DatabaseBackup.h"
#include "store/HistoryTable.h"
#include "tests/support/TestSoundCard.h"
#include "widgets/ColorList.h"
#include "widgets/UserSettings.h"

using namespace lumetra;
using namespace lumetra::test;

class SettingsPageTest : public QObject {
    Q_OBJECT

    CPrivateHome m_home;  // the autostart entry goes here, never into the developer's own
    const TempDir& m_config = m_home.dir;

    // Presses "设置", lets `change` alter the group, presses "保存"; the button reads "设置" again.
    template <typename Group, typename Change>
    static void Edit(Group& group, Change change) {
        QCOMPARE(group.SetButton()->text(), QString("设置"));
        Click(group.SetButton());
        QCOMPARE(group.SetButton()->text(), QString("保存"));
        change();
        Click(group.SetButton());
        QCOMPARE(group.SetButton()->text(), QString("设置"));
    }

    // Answers the next file dialog with `path`.
    static void ChooseFile(const std::string& path) {
        QTimer::singleShot(0, [path] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY2(dialog, "no file dialog opened");
            dialog->selectFile(ToQ(path));
            static_cast<QDialog*>(dialog)->accept();
        });
    }

private slots:
    // A backup taken while a task runs restores the task and the shutdown setting, and the pages and
    // the timer follow; a file of another program is refused. Then the shutdown and autostart groups.
    void backupRestoreShutdownAndAutostartGroups() {
        CMainRig rig(LocalTime(2026, 3, 5, 8, 5, 0), [] {
            InsertTask(AppConnection(), "早操", sql::kStateRunning, "08:00:00", "08:30:00", 3);
            AppConnection().ExecuteSql("update shut_down set 启用关机= '1' ,关机时间='22:0:0'");
        });
        // The page shows the version the program prints for --version.
        QProcess program;
        program.start(LUMETRA_PROGRAM_PATH, {"--version"});
        QVERIFY(program.waitForFinished(10000));
        const QString version = QString::fromUtf8(program.readAllStandardOutput()).trimmed().section(' ', 1);
        QVERIFY(std::ranges::any_of(rig.main->SettingsPage()->findChildren<QLabel*>(),
                                    [&](const QLabel* label) { return label->text() == version; }));

        rig.LogIn();
        CDatabaseGroup& group = *rig.main->SettingsPage()->DatabaseGroup();
        CTaskListPage& tasks = *rig.main->TaskListPage();
        TempDir out;
        const std::string copy = out.File("备份.mdb");
        ChooseFile(copy);
        Click(group.BackupButton());
        QTRY_COMPARE(rig.boxes.shown.size(), size_t(1));  // from the worker, when the copy is whole
        QCOMPARE(rig.boxes.shown.back().icon, MbIcon::kInformation);
        QVERIFY(std::filesystem::exists(copy));

        AppConnection().ExecuteSql("delete from tb_memo");
        AppConnection().ExecuteSql("update shut_down set 启用关机= '0'");
        rig.Station().RearmShutdown();
        QTRY_COMPARE(rig.Station().AutoShutdownView().deadline, -1);
        tasks.LoadTasks();
        QCOMPARE(tasks.List()->RowCount(), 0);
        ChooseFile(copy);
        Click(group.RestoreButton());  // the question is answered with OK
        QTRY_COMPARE(rig.boxes.shown.size(), size_t(3));
        QCOMPARE(rig.boxes.shown.back().icon, MbIcon::kInformation);
        QCOMPARE(Column("select * from tb_memo", "状态"), std::vector<std::string>{sql::kStateRunning});
        QCOMPARE(tasks.List()->RowCount(), 1);
        QTRY_VERIFY(rig.main->SettingsPage()->ShutdownGroup()->EnableBox()->isChecked());
        QCOMPARE(rig.Station().AutoShutdownView().deadline, LocalTime(2026, 3, 5, 22, 0, 0));

        // A file of another program: refused, and the message says so.
        const std::string other = out.File("other.mdb");
        std::ofstream(other) << "not a database";
        ChooseFile(other);
        Click(group.RestoreButton());
        QTRY_COMPARE(rig.boxes.shown.size(), size_t(5));
        QCOMPARE(rig.boxes.shown.back().icon, MbIcon::kError);
        QVERIFY(rig.boxes.shown.back().text.contains("当前的数据库没有改动"));
        QCOMPARE(tasks.List()->RowCount(), 1);

        // The shutdown group has the station store what it is set to and arm it: from 08:05:00 for
        // 07:05:00 the next morning.
        CShutdownGroup& shutdown = *rig.main->SettingsPage()->ShutdownGroup();
        QCOMPARE(shutdown.TimePicker()->time(), QTime(22, 0, 0));
        Edit(shutdown, [&] { shutdown.EnableBox()->setChecked(false); });
        QTRY_COMPARE(rig.Station().AutoShutdownView().deadline, -1);
        Edit(shutdown, [&] {
            shutdown.EnableBox()->setChecked(true);
            shutdown.TimePicker()->setTime(QTime(7, 5, 0));
        });
        QTRY_COMPARE(rig.Station().AutoShutdownView().deadline, LocalTime(2026, 3, 6, 7, 5, 0));
        QCOMPARE(Column("select 启用关机 || ' ' || 关机时间 as v from shut_down", "v"),
                 std::vector<std::string>{"1 7:5:0"});
        // A refused statement stores nothing and the group shows what still holds; the station's
        // refusal opens the box its database errors share.
        AppConnection().ExecuteSql("drop table shut_down");
        Edit(shutdown, [&] { shutdown.TimePicker()->setTime(QTime(8, 0, 0)); });
        QTRY_VERIFY2(DbErrorBox().OpenText().contains("shut_down"), qPrintable(DbErrorBox().OpenText()));
        QTRY_VERIFY(shutdown.EnableBox()->isChecked() && shutdown.TimePicker()->time() == QTime(7, 5, 0));
        QCOMPARE(rig.Station().AutoShutdownView().deadline, LocalTime(2026, 3, 6, 7, 5, 0));

        // The autostart entry is written, written again, removed; refusals are reported.
        rig.boxes.shown.clear();
        CAutostartGroup& autostart = *rig.main->SettingsPage()->AutostartGroup();
        const QString written = QStringLiteral("设置程序为系统启动自运行程序操作成功");
        const QString removed = QStringLiteral("设置程序不启动自运行操作成功");
        const std::string entry = m_config.File("autostart/org.lumetra.Lumetra.desktop");
        const std::string exec =
            "Exec=" + DesktopExecValue(std::filesystem::canonical("/proc/self/exe")) + "\n";

        Edit(autostart, [&] { autostart.Box()->setChecked(true); });
        std::ifstream file(entry);
        QVERIFY(std::string(std::istreambuf_iterator<char>(file), {}).find(exec) != std::string::npos);
        Edit(autostart, [] {});  // unchanged: written again
        Edit(autostart, [&] { autostart.Box()->setChecked(false); });
        QVERIFY(!std::filesystem::exists(entry));
        Edit(autostart, [] {});  // nothing to remove: nothing to say
        QCOMPARE(rig.boxes.Texts(), (QStringList{written, written, removed}));

        // Refused: a file where the directory should be, then a directory where the entry should
        // be. Each is reported and the box shows whether an entry exists.
        rig.boxes.shown.clear();
        std::filesystem::remove_all(m_config.File("autostart"));
        std::ofstream(m_config.File("autostart")) << "in the way";
        Edit(autostart, [&] { autostart.Box()->setChecked(true); });
        QVERIFY(!autostart.Box()->isChecked() && !autostart.StartWithSystem());
        std::filesystem::remove(m_config.File("autostart"));
        std::filesystem::create_directories(entry + "/kept");
        Edit(autostart, [&] { autostart.Box()->setChecked(false); });
        QCOMPARE(rig.boxes.shown.size(), size_t(2));
        for (const ShownBox& box : rig.boxes.shown) {
            QCOMPARE(box.icon, MbIcon::kError);
            QVERIFY2(box.text.contains(ToQ(m_config.Path())), qPrintable(box.text));
        }
    }

    // The history writer remembers its next line's id. A restored file holding more lines than the
    // live one: the broadcast that follows opens a line after the restored ones, none is refused,
    // and the task list shows the restored task.
    void restoreThenBroadcastWritesFreshLines() {
        CMainRig rig(LocalTime(2026, 3, 5, 8, 0, 0));
        rig.LogIn();
        QTRY_COMPARE(CHistoryTable(AppConnection()).LastRecordId(), int64_t(1));  // the login
        TempDir out;
        const std::string copy = out.File("copy.mdb");
        std::string error;
        QVERIFY2(BackupDatabase(AppConnection(), copy, &error), error.c_str());
        {
            CDatabase restored;
            QVERIFY2(restored.Open(copy, &error), error.c_str());
            HistoryEvent line;
            line.at = rig.stationClock.Now();  // within the retention period
            for (int64_t id = 2; id <= 50; ++id) CHistoryTable(restored).Write(id, true, line);
            InsertTask(restored, "恢复的任务", sql::kStateIdle, LocalText(line.at + 6, "%T"), "23:00:00", 3);
        }
        ChooseFile(copy);
        Click(rig.main->SettingsPage()->DatabaseGroup()->RestoreButton());
        QTRY_COMPARE(rig.boxes.shown.size(), size_t(2));
        QCOMPARE(rig.boxes.shown.back().icon, MbIcon::kInformation);
        QCOMPARE(rig.main->TaskListPage()->List()->RowCount(), 1);
        QCOMPARE(rig.main->TaskListPage()->List()->CellText(0, 1), QStringLiteral("恢复的任务"));

        const auto broadcast = [] {
            for (const HistoryRecord& r : CHistoryTable(AppConnection()).Records(0, INT_MAX))
                if (r.title == "恢复的任务") return r.id;
            return int64_t(0);
        };
        QTRY_VERIFY_WITH_TIMEOUT(broadcast() != 0, 15000);
        QCOMPARE(broadcast(), int64_t(51));
        QVERIFY2(DbErrorBox().OpenText().isEmpty(), qPrintable(DbErrorBox().OpenText()));
    }

    // A failure that repeats on a station thread (a full disk) opens one box, which counts the
    // rest, and asks nothing of the window's own thread but to show it.
    void aRepeatedDatabaseErrorOpensOneBox() {
        CMainRig rig(LocalTime(2026, 3, 5, 8, 0, 0));
        std::thread station([&] {
            for (int i = 0; i < 50; ++i) rig.main->ShowDatabaseError("database or disk is full");
        });
        station.join();
        QTRY_COMPARE(DbErrorBox().OpenText(), QStringLiteral("database or disk is full（另有 49 次）"));
        const auto boxes = [] {
            int open = 0;
            for (QWidget* window : QApplication::topLevelWidgets())
                open += qobject_cast<QMessageBox*>(window) && window->isVisible() ? 1 : 0;
            return open;
        };
        QCOMPARE(boxes(), 1);
        QVERIFY2(rig.boxes.shown.empty(), "no modal box");
        for (QWidget* window : QApplication::topLevelWidgets())
            if (qobject_cast<QMessageBox*>(window)) window->close();
        QTRY_VERIFY(DbErrorBox().OpenText().isEmpty());
        rig.main->ShowDatabaseError("disk I/O error");
        QTRY_COMPARE(DbErrorBox().OpenText(), QStringLiteral("disk I/O error"));
        QCOMPARE(boxes(), 1);
    }

    void adapterAndSoundOutputChoicesAreStoredAndHandedOver() {
        TempDir dev;
        std::filesystem::create_directories(dev.File("serial/by-id"));
        std::ofstream(dev.File("ttyUSB0")).close();
        const std::string byId = dev.File("serial/by-id/usb-FTDI_FT232R_USB_UART_A1-if00-port0");
        std::filesystem::create_symlink(dev.File("ttyUSB0"), byId);
        qunsetenv("LUMETRA_COM2");
        CPortDeviceBox box(nullptr, ToQ(dev.Path()));
        box.ShowPort(2);
        QCOMPARE(box.itemText(0), QStringLiteral("默认 (/dev/ttyS1)"));
        QCOMPARE(box.itemText(1), QStringLiteral("FTDI FT232R USB UART A1 (ttyUSB0)"));
        box.setCurrentIndex(1);
        emit box.activated(1);
        QCOMPARE(ChosenPortDevice(2), byId);

        // The next start hands the stored device to the link; unplugged, the box still shows it.
        SetChosenPortDevice(2, "");
        LoadDeviceChoices();
        QCOMPARE(ChosenPortDevice(2), byId);
        std::filesystem::remove(byId);
        box.ShowPort(2);
        QCOMPARE(box.currentText(), ToQ(byId) + QStringLiteral("（未连接）"));
        qputenv("LUMETRA_COM2", "/dev/ttyACM3");
        box.ShowPort(2);
        QVERIFY(!box.isEnabled());
        QCOMPARE(box.currentData().toString(), QStringLiteral("/dev/ttyACM3"));
        qunsetenv("LUMETRA_COM2");
        SetChosenPortDevice(2, "");

        // The sound output: listed off the page's thread, the default first; the choice is kept.
        CAudioOutputBox output(OutputRole::kBroadcast, nullptr);
        QSignalSpy listed(&output, &CAudioOutputBox::Listed);
        QVERIFY(listed.wait(5000));
        QCOMPARE(output.itemText(0), QStringLiteral("默认输出"));
        output.addItem(QStringLiteral("USB 声卡"), QStringLiteral("USB 声卡"));
        emit output.activated(output.count() - 1);
        SetChosenAudioOutput("");
        LoadDeviceChoices();
        QCOMPARE(ChosenAudioOutput(), std::string("USB 声卡"));
        emit output.activated(0);
        LoadDeviceChoices();
        QCOMPARE(ChosenAudioOutput(), std::string());

        // The monitor lists every output but the broadcast's, and gives up one the broadcast takes.
        QVERIFY(RegisterTestSoundCard());
        const QString card = QString::fromUtf8(kTestCardName);
        CAudioOutputBox broadcast(OutputRole::kBroadcast, nullptr), monitor(OutputRole::kMonitor, nullptr);
        QObject::connect(&broadcast, &CAudioOutputBox::Chosen, &monitor, &CAudioOutputBox::Refill);
        QTRY_VERIFY(broadcast.findData(card) > 0 && monitor.findData(card) > 0);
        QCOMPARE(monitor.itemText(0), QStringLiteral("不监听"));
        emit monitor.activated(monitor.findData(card));
        QVERIFY(HasMonitorOutput());
        emit broadcast.activated(broadcast.findData(card));
        QVERIFY(!HasMonitorOutput());
        QCOMPARE(monitor.findData(card), -1);
        QCOMPARE(monitor.currentIndex(), 0);
        LoadDeviceChoices();
        QCOMPARE(ChosenMonitorOutput(), std::string());
        emit broadcast.activated(0);
    }

    // The transmitter hangs up and comes back answering nothing: the button reads "连  接", and the
    // operator's click on it connects again, though the port thread had connected before.
    void connectButtonAfterAHangUp() {
        using namespace std::chrono_literals;
        TempDir dir;
        const std::string stable = dir.File("transmitter");
        txsim::CSimulatorProcess transmitter(LUMETRA_TXSIM_PATH, {"--link", stable, "--down-for", "1"});
        CMainRig rig(LocalTime(2026, 3, 5, 8, 5, 0),
                     [&] { qputenv("LUMETRA_COM1", QByteArray::fromStdString(stable)); });
        rig.LogIn();
        QPushButton* button = rig.main->SettingsPage()->ConnectButton();
        const QString connectText = CPortSelection::kConnectText,
                      disconnectText = CPortSelection::kDisconnectText;
        QTRY_VERIFY_WITH_TIMEOUT(rig.link.IsLinkUp(), 10000);
        QCOMPARE(button->text(), disconnectText);
        transmitter.Command("silent");
        transmitter.Command("hangup");
        QTRY_COMPARE_WITH_TIMEOUT(button->text(), connectText, 5000);
        QVERIFY(transmitter.WaitForLine("\"event\":\"back\"", 5s));
        QCOMPARE(button->text(), connectText);  // silent: nothing has brought the link up since
        Click(button);
        transmitter.Command("normal");
        QTRY_VERIFY_WITH_TIMEOUT(rig.link.IsLinkUp(), 10000);
        QTRY_COMPARE(button->text(), disconnectText);
        QVERIFY(!rig.main->SettingsPage()->PortList()->isEnabled());
    }

    // Blanks, Chinese, the reserved characters and "%" in the program's path: quoted and escaped. In
    // the file a backslash is written twice: \\" stands for a quote, \\\\ for a backslash.
    void execValueQuotesEveryPath() {
        const std::pair<const char*, const char*> paths[] = {
            {"/home/李 雷/广播 系统/lumetra", "\"/home/李 雷/广播 系统/lumetra\""},
            {"/a\"b/$c/`d`/e\\f", "\"/a\\\\\"b/\\\\$c/\\\\`d\\\\`/e\\\\\\\\f\""},
            {"/opt/100%/lumetra", "\"/opt/100%%/lumetra\""}};
        for (const auto& [path, exec] : paths) QCOMPARE(DesktopExecValue(path), std::string(exec));
    }
};

QTEST_MAIN(SettingsPageTest)
#include "SettingsPageTest.moc"
