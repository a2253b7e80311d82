// Start-up of the program: one instance per user, a database that cannot be used ending the start
// with one message, and port errors from the link threads.
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QRandomGenerator>
#include <condition_variable>
#include <optional>
#include <thread>

#include "AppTestKit.h"
#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/PortAlertBox.h"
#include "app/QtTranslations.h"
#include "app/SingleInstance.h"
#include "tools/txsim/SimulatorProcess.h"

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
    void commandLineOptionsAreTakenOrRefused() {
        struct Row {
            std::vector<const char*> arguments;
            std::string database;
            std::optional<int> exitCode;
        };
        // clang-format off
        const Row rows[] = {
            {{"--database", "/srv/a.mdb"}, "/srv/a.mdb", {}},
            {{"-platform", "offscreen", "--database=b.mdb"}, "b.mdb", {}},  // Qt's options pass
            {{"--database"}, "", 2}, {{"--database="}, "", 2}, {{"--databse", "x"}, "", 2},
            {{"--help", "--nope"}, "", 0}};
        // clang-format on
        for (const Row& row : rows) {
            std::vector<const char*> argv{"lumetra"};
            argv.insert(argv.end(), row.arguments.begin(), row.arguments.end());
            const CommandLine line = ParseCommandLine(static_cast<int>(argv.size()), argv.data());
            QCOMPARE(line.database, row.database);
            QCOMPARE(line.exitCode, row.exitCode);
            QCOMPARE(line.output.empty(), !row.exitCode);
        }
    }

    // Without a locale Qt's own texts read in Chinese.
    void qtTextsAreChineseWithoutALocale() {
        QCOMPARE(QtTextLocale(QLocale::c()), QLocale(QLocale::Chinese, QLocale::China));
        const QLocale german(QLocale::German, QLocale::Germany);
        QCOMPARE(QtTextLocale(german), german);
        QVERIFY(InstallQtTranslations(QtTextLocale(QLocale::c())));
        QMessageBox box(QMessageBox::Question, "", "", QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Ok)->text(), QString("确定"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QString("取消"));
    }

    // A crashed instance leaves its socket file behind, nobody listening on it: the next start is the
    // first all the same, and every later start ends and brings the window forward.
    void laterStartsRestoreTheWindowOfTheFirst() {
        CMainRig rig(LocalTime(2026, 3, 6, 0, 0, 10));
        const QString name = UniqueName();
        const QByteArray socketFile = QFile::encodeName(QDir::tempPath() + "/" + name);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, socketFile.constData(), size_t(socketFile.size()));
        const int crashed = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(::bind(crashed, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
        ::close(crashed);
        QVERIFY(QFile::exists(socketFile));
        CSingleInstance first(name);
        QVERIFY(first.FindRunningInstance());
        QSignalSpy raised(&first, &CSingleInstance::RaiseRequested);
        QObject::connect(&first, &CSingleInstance::RaiseRequested, rig.main, &CMainWindow::BringToFront);
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

    // A database file that is random bytes, empty, unreadable or without a table the program needs,
    // with and without a window: one message on standard error names the file, what is wrong and
    // what to do, and the program ends with a non-zero status; the window's box closes on a
    // termination signal, and the program ends within 3 s of it.
    void anUnusableDatabaseEndsTheStart() {
        TempDir dir;
        {
            TestDatabase delivered;
            delivered.Db().ExecuteSql("drop table shut_down");
            delivered.Db().Close();
            QVERIFY(QFile::copy(ToQ(delivered.Path()), ToQ(dir.File("without-table.mdb"))));
        }
        QFile random(ToQ(dir.File("random.mdb")));
        QVERIFY(random.open(QIODevice::WriteOnly));
        for (int i = 0; i < 4096; ++i) random.putChar(char(QRandomGenerator::global()->bounded(256)));
        random.close();
        QVERIFY(QFile(ToQ(dir.File("empty.mdb"))).open(QIODevice::WriteOnly));
        QVERIFY(QFile::copy(ToQ(dir.File("without-table.mdb")), ToQ(dir.File("unreadable.mdb"))));
        QVERIFY(QFile::setPermissions(ToQ(dir.File("unreadable.mdb")), {}));

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "TMPDIR"})
            environment.insert(name, ToQ(dir.Path()));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("LUMETRA_COM1", ToQ(dir.File("no-transmitter")));
        const std::pair<const char*, const char*> rows[] = {{"random.mdb", "不是可用的数据库"},
                                                            {"empty.mdb", "是空文件"},
                                                            {"unreadable.mdb", "无法读写"},
                                                            {"without-table.mdb", "缺少表 shut_down"}};
        for (const auto& [file, wrong] : rows) {
            for (const bool headless : {false, true}) {
                const QString path = ToQ(dir.File(file));
                const QString context = QString("%1%2").arg(file, headless ? " --headless" : "");
                QProcess lumetra;
                lumetra.setProcessEnvironment(environment);
                // Even as root the unreadable file stays unreadable to the program.
                lumetra.setChildProcessModifier([] {
                    ::prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0);
                    ::prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0);
                });
                QStringList arguments{"--database", path};
                if (headless) arguments << "--headless";
                lumetra.start(LUMETRA_PROGRAM_PATH, arguments);
                QVERIFY2(lumetra.waitForStarted(5000), qPrintable(context));
                QString message;
                const auto read = [&] {
                    return message += QString::fromUtf8(lumetra.readAllStandardError());
                };
                QElapsedTimer signalled;
                if (!headless) {
                    QTRY_VERIFY2_WITH_TIMEOUT(read().contains("现在退出"), qPrintable(context), 10000);
                    QVERIFY2(lumetra.state() == QProcess::Running, qPrintable(context));  // the box is open
                    signalled.start();
                    ::kill(static_cast<pid_t>(lumetra.processId()), SIGTERM);
                }
                QVERIFY2(lumetra.waitForFinished(10000), qPrintable(context));
                if (!headless) QVERIFY2(signalled.elapsed() < 3000, qPrintable(context));
                read();
                QCOMPARE(lumetra.exitStatus(), QProcess::NormalExit);
                QVERIFY2(lumetra.exitCode() != 0, qPrintable(context));
                QVERIFY2(message.count("数据库无法使用") == 1, qPrintable(context + ": " + message));
                for (const QString& part :
                     {path, QString(wrong), QString("lumetra-initdb " + path), QString("--database")})
                    QVERIFY2(message.contains(part), qPrintable(context + ": " + message));
            }
        }
    }

    // Two starts back to back, or the second once the first runs, again and again: exactly one
    // of them says it is the first and stays; the other says so and ends.
    void twoStartsAFewMillisecondsApartLeaveExactlyOne() {
        TempDir dir;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TMPDIR", QString::fromStdString(dir.Path()));  // the lock and the socket
        for (int round = 0; round < 50; ++round) {
            const QString name = UniqueName();
            QProcess starts[2];
            for (QProcess& start : starts) {
                start.setProcessEnvironment(environment);
                start.start(QStringLiteral(LUMETRA_PROBE_PATH), {name});
                if (round % 2) QVERIFY(start.waitForStarted(5000));
            }
            QStringList verdicts;
            for (QProcess& start : starts) {
                while (!start.canReadLine() && start.waitForReadyRead(5000)) {
                }
                verdicts << QString::fromLatin1(start.readLine()).trimmed();
            }
            const QString context = QString("round %1: %2").arg(round).arg(verdicts.join(' '));
            QVERIFY2(verdicts.count("first") == 1 && verdicts.count("later") == 1, qPrintable(context));
            QProcess& later = starts[verdicts[0] == "first" ? 1 : 0];
            QProcess& first = starts[verdicts[0] == "first" ? 0 : 1];
            QVERIFY2(later.waitForFinished(5000) && first.state() == QProcess::Running, qPrintable(context));
            first.kill();
            first.waitForFinished(2000);
        }
    }

    // The transmitter is unplugged for a second while frames go out, and nobody is at the PC: one
    // box opens and waits, the link writes on without it, frames are answered again soon after the
    // transmitter is back, and the box then closes itself.
    void portBoxesNeverHoldTheLinkAndCloseWhenItIsBack() {
        using namespace std::chrono_literals;
        TempDir dir;
        const std::string stable = dir.File("transmitter");
        txsim::CSimulatorProcess simulator(LUMETRA_TXSIM_PATH, {"--link", stable, "--down-for", "1"});
        qputenv("LUMETRA_COM4", QByteArray::fromStdString(stable));
        CPortAlertBox alert;
        CTransmitterLink link(nullptr, &alert);
        QVERIFY(link.OpenPort("com4", 9600, 8));
        std::jthread heartbeat([&link](std::stop_token stop) {
            std::mutex mutex;
            std::condition_variable_any paced;
            for (std::unique_lock lock(mutex); !stop.stop_requested();) {
                link.SendSCOM();
                paced.wait_for(lock, stop, 300ms, [] { return false; });  // cut short by the stop
            }
        });
        QTRY_VERIFY_WITH_TIMEOUT(link.IsLinkUp(), 3000);
        simulator.Command("hangup");
        QTRY_COMPARE_WITH_TIMEOUT(alert.OpenTexts().size(), qsizetype(1), 3000);
        QVERIFY(alert.OpenTexts().at(0).startsWith("写端口失败"));
        // From here this thread handles no events: the box stays open, nobody closes it.
        const auto back = simulator.WaitForLine("\"event\":\"back\"", 5s);
        QVERIFY(back);
        const long long backAt = std::stoll(txsim::JsonField(*back, "t_us"));
        std::optional<std::string> answered;
        while ((answered = simulator.WaitForLine("\"event\":\"frame\"", 5s)) &&
               txsim::JsonField(*answered, "reply").empty()) {
        }
        QVERIFY2(answered, "no frame was answered after the transmitter came back");
        const long long waited = std::stoll(txsim::JsonField(*answered, "t_us")) - backAt;
        QVERIFY2(waited < 4000000, qPrintable(QString("%1 ms to the first answer").arg(waited / 1000)));
        QTRY_VERIFY_WITH_TIMEOUT(link.IsLinkUp(), 3000);
        QTRY_VERIFY(alert.OpenTexts().isEmpty());

        // Closed with the window: no box stays and none opens afterwards.
        alert.ShowPortError("写端口失败 5", "");
        QTRY_COMPARE(alert.OpenTexts().size(), qsizetype(1));
        alert.Close();
        alert.ShowPortError("写端口失败 5", "");
        QCoreApplication::processEvents();
        QVERIFY(alert.OpenTexts().isEmpty());
        heartbeat = {};
        link.CloseLink(false);
        qunsetenv("LUMETRA_COM4");
    }
};

QTEST_MAIN(ShellTest)
#include "ShellTest.moc"
