// The real program, started as an operator would start it (without a display), with the
// transmitter simulator on COM1 and a database holding a daily task that starts a few seconds
// ahead. What reaches the transmitter and what the database says are checked as the task runs.
#include <signal.h>

#include <climits>

#include "AppTestKit.h"
#include "store/HistoryTable.h"

using namespace lumetra;
using namespace lumetra::test;

namespace {

// Waits for the frame and checks it was read within 1.5 s of the moment it was due.
void ExpectFrameAt(CSimulator& simulator, const char* command, const char* text, std::time_t due,
                   int timeoutMs) {
    qint64 readAtMs = 0;
    QVERIFY2(simulator.WaitForFrame(command, text, timeoutMs, &readAtMs), text);
    const double late = (readAtMs - static_cast<qint64>(due) * 1000) / 1000.0;
    QVERIFY2(qAbs(late) < 1.5, qPrintable(QString("%1: %2 s late").arg(text).arg(late)));
}

// "HH:mm:ss" of a moment, as the task editor stores start and end.
std::string TimeOfDay(std::time_t when) {
    return LocalText(when, "%T");
}

}  // namespace

class EndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void dailyTaskSwitchesPowerAndChannelsOnTime() {
        const std::time_t start = std::time(nullptr) + 20;  // power-on 10 s before: time for a slow start
        const std::time_t end = start + 8;
        if (TimeOfDay(end + 60) < TimeOfDay(start)) QSKIP("too close to midnight for a same-day task");
        // A copy of the program beside its database, with the simulator on COM1; the autostart entry
        // and the single-instance socket in the same private directory.
        TestDatabase database;
        CDatabase& db = database.Db();
        InsertTask(db, "端到端", sql::kStateIdle, TimeOfDay(start), TimeOfDay(end), 3, "1010");
        CSimulator simulator;
        const QString dir = ToQ(database.Dir().Path()), program = dir + "/lumetra";
        QVERIFY(QFile::copy(LUMETRA_PROGRAM_PATH, program));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const auto& [name, value] : {std::pair<QString, QString>{"QT_QPA_PLATFORM", "offscreen"},
                                          {"LUMETRA_COM1", simulator.Device()},
                                          {"LUMETRA_AUDIO_SINK", "fakesink"},
                                          {"XDG_CONFIG_HOME", dir},
                                          {"TMPDIR", dir}})
            environment.insert(name, value);
        QProcess lumetra, second;
        lumetra.setProcessEnvironment(environment);
        lumetra.setProcessChannelMode(QProcess::ForwardedChannels);
        lumetra.start(program, {});
        QVERIFY(lumetra.waitForStarted(5000));
        QVERIFY(simulator.WaitForFrame("SendSCOM", "heartbeat", 8000));  // the link is up

        // A second start finds the first, asks it to come forward and ends without a window.
        second.setProcessEnvironment(environment);
        second.start(program, {});
        QVERIFY(second.waitForFinished(5000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(lumetra.state(), QProcess::Running);

        ExpectFrameAt(simulator, "SendPower", "outlets on: 1, 3", start - 10, 20000);
        ExpectFrameAt(simulator, "SendAudioCom", "channels on: 1-3", start - 10, 3000);
        if (QTest::currentTestFailed()) return;
        QTRY_VERIFY_WITH_TIMEOUT(std::time(nullptr) >= start + 2, 15000);
        QCOMPARE(Column("select * from tb_memo", "状态", db), std::vector<std::string>{sql::kStateRunning});
        // Killed during the broadcast and started again after its end: the task left marked running
        // gets its receivers switched off at once and its outlets fifteen seconds later.
        lumetra.kill();
        QVERIFY(lumetra.waitForFinished(5000));
        QTRY_VERIFY_WITH_TIMEOUT(std::time(nullptr) > end, 15000);
        lumetra.start(program, {});
        QVERIFY(lumetra.waitForStarted(5000));
        qint64 offAtMs = 0;
        QVERIFY(simulator.WaitForFrame("SendAudioCom", "channels off: 1-3", 10000, &offAtMs));
        QTRY_COMPARE_WITH_TIMEOUT(Column("select * from tb_memo", "状态", db),
                                  std::vector<std::string>{sql::kStateDone}, 3000);
        ExpectFrameAt(simulator, "ClosePower", "all outlets off",
                      static_cast<std::time_t>(offAtMs / 1000) + 15, 20000);
        // The history kept every step up to the kill; the stale close and the power-down after the
        // restart join the same line.
        auto kinds = [&db] {
            CHistoryTable history(db);
            std::vector<HistoryRecord> lines = history.Records(0, INT_MAX);
            std::erase_if(lines, [](const HistoryRecord& line) { return line.kind == RecordKind::kLink; });
            std::vector<int> found;
            for (const HistoryRecord& line : lines)
                for (const HistoryEventRow& event : history.Events(line.id))
                    found.push_back(static_cast<int>(event.kind) + 100 * static_cast<int>(lines.size() - 1));
            return found;
        };
        using enum HistoryKind;
        QTRY_COMPARE_WITH_TIMEOUT(
            kinds(), (std::vector<int>{int(kPowerUp), int(kStart), int(kStaleClose), int(kPowerDown)}), 3000);
    }

    // The run script without a display runs the station alone, which runs the schedule. Stopped as
    // a terminal stops it (Ctrl+C reaches the whole process group), the receivers go off, the frame
    // reaches the simulator, then all ends.
    void headlessRunRunsTheScheduleAndEndsWithTheReceiversOff() {
        const std::time_t start = std::time(nullptr) + 14;
        if (TimeOfDay(start + 60) < TimeOfDay(start)) QSKIP("too close to midnight for a same-day task");
        TestDatabase database;
        InsertTask(database.Db(), "无窗口", sql::kStateIdle, TimeOfDay(start), TimeOfDay(start + 60), 2,
                   "1000");
        database.Db().Close();  // the task leaves the write-ahead log for the file, which is copied alone
        const QString dir = ToQ(database.Dir().Path()), bin = dir + "/bin";
        QVERIFY(QDir().mkpath(bin) && QFile::copy(ToQ(database.Path()), bin + "/dbinfo.mdb"));
        for (const char* program : {LUMETRA_PROGRAM_PATH, LUMETRA_TXSIM_PATH, LUMETRA_INITDB_PATH})
            QVERIFY(QFile::copy(program, bin + "/" + QFileInfo(program).fileName()));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LUMETRA_COM1",
                                 "LUMETRA_COM2", "LUMETRA_COM3", "LUMETRA_COM4"})
            environment.remove(name);
        for (const char* name : {"LUMETRA_BUILD_DIR", "XDG_CONFIG_HOME", "TMPDIR"})
            environment.insert(name, dir);
        environment.insert("LUMETRA_SKIP_BUILD", "1");
        environment.insert("LUMETRA_AUDIO_SINK", "fakesink");
        QProcess run;
        run.setProcessEnvironment(environment);
        run.setProcessChannelMode(QProcess::MergedChannels);
        // A process group of its own, as a terminal gives the command it runs.
        run.start("setsid", {QStringLiteral(LUMETRA_SOURCE_DIR "/scripts/run")});
        QVERIFY(run.waitForStarted(5000));
        auto logText = [&] {
            QFile file(dir + "/txsim.log");
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        };
        QTRY_VERIFY_WITH_TIMEOUT(logText().contains("outlets on: 1"), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(logText().contains("channels on: 1-2"), 3000);
        QElapsedTimer elapsed;
        elapsed.start();
        ::kill(-static_cast<pid_t>(run.processId()), SIGINT);
        QVERIFY(run.waitForFinished(10000));
        QVERIFY2(elapsed.elapsed() < 3000, qPrintable(QString("%1 ms").arg(elapsed.elapsed())));
        QVERIFY2(logText().contains("channels off: all"), qPrintable(logText().right(400)));
        QCOMPARE(run.exitCode(), 0);  // the program ended on its own, cleanly
    }
};

QTEST_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
