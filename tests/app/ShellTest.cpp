// Start-up of the program: one instance per user, the database opened once with one message when
// it cannot be, and the autostart entry's place.
#include <unistd.h>

#include <QSignalSpy>
#include <QtTest>
#include <atomic>
#include <thread>

#include "MainRig.h"
#include "app/Application.h"
#include "app/Autostart.h"
#include "app/PortAlertBox.h"
#include "app/SingleInstance.h"
#include "pages/DlgSYS.h"
#include "store/DeliveredDatabase.h"

using namespace lumetra;
using namespace lumetra::test;

namespace {

QString UniqueName() {
    static int counter = 0;
    return QStringLiteral("lumetra-test-%1-%2").arg(getpid()).arg(++counter);
}

}  // namespace

class ShellTest : public QObject {
    Q_OBJECT

private slots:
    void secondInstanceEndsAndAsksTheFirst() {
        const QString name = UniqueName();
        CSingleInstance first(name);
        QVERIFY(first.FindRunningInstance());
        QSignalSpy raised(&first, &CSingleInstance::RaiseRequested);
        CSingleInstance second(name);
        QVERIFY(!second.FindRunningInstance());
        QTRY_COMPARE(raised.count(), 1);
        CSingleInstance third(name);
        QVERIFY(!third.FindRunningInstance());
        QTRY_COMPARE(raised.count(), 2);
    }

    void aStaleSocketDoesNotBlockTheNextStart() {
        const QString name = UniqueName();
        {
            CSingleInstance gone(name);
            QVERIFY(gone.FindRunningInstance());
        }
        // A crashed instance leaves its socket file behind; simulate one with a plain server.
        QLocalServer leftover;
        QVERIFY(leftover.listen(name));
        leftover.close();
        CSingleInstance next(name);
        QVERIFY(next.FindRunningInstance());
    }

    void secondStartRestoresTheMinimisedWindow() {
        CMainRig rig(LocalTime(2026, 3, 5, 14, 0, 0));
        const QString name = UniqueName();
        CSingleInstance first(name);
        QVERIFY(first.FindRunningInstance());
        QObject::connect(&first, &CSingleInstance::RaiseRequested, rig.main.get(), &CDlgMain::BringToFront);
        rig.main->show();
        rig.main->showMinimized();
        QVERIFY(rig.main->isMinimized());
        CSingleInstance second(name);
        QVERIFY(!second.FindRunningInstance());
        QTRY_VERIFY(!rig.main->isMinimized());
        QVERIFY(rig.main->isVisible());
    }

    void missingDatabaseIsReportedOnce() {
        TempDir dir;
        CScriptedMessageBoxes boxes;
        CSimulator simulator;
        QVERIFY(simulator.Start());
        qputenv("LUMETRA_COM1", simulator.Device().toLocal8Bit());
        QVERIFY(!OpenAppDatabase(dir.File("dbinfo.mdb")));
        QCOMPARE(boxes.Shown().size(), size_t(1));
        QVERIFY(!boxes.Shown().at(0).text.isEmpty());
        QCOMPARE(boxes.Shown().at(0).caption, QString("Lumetra"));
        {
            // The window still comes up and runs its timers, quietly, at midnight too.
            CSimulatedClock clock(LocalTime(2026, 3, 6, 0, 0, 10));
            CSystemClock wall;
            CTransmitterLink link;
            CScheduler scheduler(AppConnection(), link, wall);
            CRecordingPower power;
            CAutoShutdown shutdown(AppConnection(), clock, power);
            CDlgMain main(MainServices{clock, link, scheduler, shutdown});
            main.show();
            main.SettingsPage()->PortSelection().WaitForAutoConnect();
            main.OnHeartbeat();
            main.RefreshClock();
            QTest::qWait(200);
            QVERIFY(main.isVisible());
            QCOMPARE(boxes.Shown().size(), size_t(1));
            link.CloseLink(false);
        }
        QCOMPARE(boxes.Shown().size(), size_t(1));
    }

    void databaseInADirectoryWithSpacesAndChinese() {
        TempDir dir;
        const std::string folder = dir.Path() + "/广播 控制";
        QVERIFY(QDir().mkpath(QString::fromStdString(folder)));
        std::string error;
        QVERIFY(MakeDeliveredDatabase(folder + "/dbinfo.mdb", &error));
        CScriptedMessageBoxes boxes;
        QVERIFY(OpenAppDatabase(folder + "/dbinfo.mdb"));
        QVERIFY(boxes.Shown().empty());
        AppConnection().Close();
    }

    void portErrorFromALinkThreadWaitsForTheBox() {
        CScriptedMessageBoxes boxes;
        CPortAlertBox alert;
        std::atomic<bool> returned{false};
        std::thread writer([&] {
            alert.ShowPortError("写端口失败 5", "");
            returned = true;
        });
        // The box opens on this thread, which answers it while it handles events.
        QTRY_VERIFY(returned.load());
        writer.join();
        QCOMPARE(boxes.Texts(), QStringList{"写端口失败 5"});
        QCOMPARE(boxes.Shown().at(0).caption, QString("Lumetra"));
        QCOMPARE(boxes.Shown().at(0).icon, MbIcon::Error);
    }

    void closingTheBoxesReleasesAWaitingThread() {
        CScriptedMessageBoxes boxes;
        CPortAlertBox alert;
        std::atomic<bool> returned{false};
        std::thread writer([&] {
            alert.ShowPortError("SetCommState Error", "Error");
            returned = true;
        });
        // This thread handles no events: the box never opens, and only Close lets the writer go.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        QVERIFY(!returned.load());
        alert.Close();
        writer.join();
        QVERIFY(returned.load());
        alert.ShowPortError("after close", "");
        QCoreApplication::processEvents();  // the box asked for before Close does not open either
        QVERIFY(boxes.Shown().empty());
    }

    void autostartEntryPath_data() {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<QByteArray>("home");
        QTest::addColumn<QString>("path");
        QTest::newRow("config set") << QByteArray("/cfg") << QByteArray("/home/op")
                                    << "/cfg/autostart/Corvala.desktop";
        QTest::newRow("config empty")
            << QByteArray("") << QByteArray("/home/op") << "/home/op/.config/autostart/Corvala.desktop";
    }
    void autostartEntryPath() {
        QFETCH(QByteArray, config);
        QFETCH(QByteArray, home);
        QFETCH(QString, path);
        const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("XDG_CONFIG_HOME", config);
        qputenv("HOME", home);
        QCOMPARE(QString::fromStdString(AutostartEntryPath()), path);
        qputenv("XDG_CONFIG_HOME", oldConfig);
        qputenv("HOME", oldHome);
    }
};

QTEST_MAIN(ShellTest)
#include "ShellTest.moc"
