// Start-up of the program: one instance per user, the database opened once with one message when
// it cannot be, and port errors from the link threads.
#include <unistd.h>

#include <atomic>
#include <thread>

#include "AppTestKit.h"
#include "app/Application.h"
#include "app/PortAlertBox.h"
#include "app/SingleInstance.h"

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
    void laterStartsEndAndRestoreTheFirstWindow() {
        CMainRig rig(LocalTime(2026, 3, 5, 14, 0, 0));
        const QString name = UniqueName();
        CSingleInstance first(name);
        QVERIFY(first.FindRunningInstance());
        QSignalSpy raised(&first, &CSingleInstance::RaiseRequested);
        QObject::connect(&first, &CSingleInstance::RaiseRequested, rig.main.get(), &CDlgMain::BringToFront);
        rig.main->show();
        for (int start = 1; start <= 2; ++start) {
            rig.main->showMinimized();
            QVERIFY(rig.main->isMinimized());
            CSingleInstance later(name);
            QVERIFY(!later.FindRunningInstance());
            QTRY_COMPARE(raised.count(), start);
            QTRY_VERIFY(!rig.main->isMinimized());
            QVERIFY(rig.main->isVisible());
        }
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

    void missingDatabaseIsReportedOnceAndAnyFolderWorks() {
        TempDir dir;
        // Started on a database that cannot be opened: one message, and the window still comes up
        // and runs its timers quietly, at midnight too.
        CMainRig rig(LocalTime(2026, 3, 6, 0, 0, 10), [&] {
            AppConnection().Close();
            QVERIFY(!OpenAppDatabase(dir.File("dbinfo.mdb")));
        });
        QVERIFY(!AppConnection().IsOpen());
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
        QVERIFY(!rig.boxes.shown.at(0).text.isEmpty());
        QCOMPARE(rig.boxes.shown.at(0).caption, QString("Lumetra"));
        rig.main->show();
        rig.main->SettingsPage()->PortSelection().WaitForAutoConnect();
        rig.main->OnHeartbeat();
        rig.main->RefreshClock();
        QTest::qWait(200);
        QVERIFY(rig.main->isVisible());
        QCOMPARE(rig.boxes.shown.size(), size_t(1));

        // A database in a folder with a space and Chinese characters opens without a word.
        const std::string folder = dir.Path() + "/广播 控制";
        std::string error;
        QVERIFY(QDir().mkpath(QString::fromStdString(folder)));
        QVERIFY(MakeDeliveredDatabase(folder + "/dbinfo.mdb", &error));
        QVERIFY(OpenAppDatabase(folder + "/dbinfo.mdb"));
        QCOMPARE(rig.boxes.shown.size(), size_t(1));
    }

    void portErrorFromALinkThreadWaitsForTheBoxUntilClosed() {
        CScriptedMessageBoxes boxes;
        CPortAlertBox alert;
        std::atomic<bool> returned{false};
        const auto ask = [&](const char* text) {
            returned = false;
            return std::thread([&alert, &returned, text] {
                alert.ShowPortError(text, "");
                returned = true;
            });
        };
        std::thread writer = ask("写端口失败 5");
        // The box opens on this thread, which answers it while it handles events.
        QTRY_VERIFY(returned.load());
        writer.join();
        QCOMPARE(boxes.Texts(), QStringList{"写端口失败 5"});
        QCOMPARE(boxes.shown.at(0).caption, QString("Lumetra"));
        QCOMPARE(boxes.shown.at(0).icon, MbIcon::Error);

        // This thread handles no events now: the box never opens, and only Close lets the writer go.
        writer = ask("SetCommState Error");
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        QVERIFY(!returned.load());
        alert.Close();
        writer.join();
        alert.ShowPortError("after close", "");
        QCoreApplication::processEvents();  // the box asked for before Close does not open either
        QCOMPARE(boxes.shown.size(), size_t(1));
    }
};

QTEST_MAIN(ShellTest)
#include "ShellTest.moc"
