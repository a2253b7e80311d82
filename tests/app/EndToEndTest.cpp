// The real program, started as an operator would start it (without a display), with the
// transmitter simulator on COM1 and a database holding a daily task that starts a few seconds
// ahead. What reaches the transmitter and what the database says are checked as the task runs.
#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QtTest>
#include <ctime>

#include "Simulator.h"
#include "TaskRows.h"
#include "store/Database.h"
#include "store/DeliveredDatabase.h"
#include "tests/support/TestDatabase.h"

using namespace lumetra;
using namespace lumetra::test;

namespace {

std::string TimeOfDay(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

std::string StateOf(CDatabase& db) {
    CRecordset rows(db);
    rows.Open("select * from tb_memo");
    return rows.IsEOF() ? std::string() : rows.GetFieldText("状态");
}

// Seconds between when a frame was read and the moment it was due (positive: late).
double Lateness(const SimFrame& frame, std::time_t due) {
    return (frame.receivedAtMs - static_cast<qint64>(due) * 1000) / 1000.0;
}

}  // namespace

class EndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void dailyTaskSwitchesPowerAndChannelsOnTime() {
        TempDir dir;
        // The program keeps its database next to itself, so it runs from a copy in the directory.
        const QString program = QString::fromStdString(dir.File("lumetra"));
        QVERIFY(QFile::copy(QStringLiteral(LUMETRA_PROGRAM_PATH), program));
        std::string error;
        QVERIFY2(MakeDeliveredDatabase(dir.File(kDatabaseFileName), &error), error.c_str());
        CDatabase db;
        QVERIFY(db.Open(dir.File(kDatabaseFileName), &error));

        // A task whose day would cross midnight cannot be placed a few seconds ahead.
        std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        if (local.tm_hour == 23 && local.tm_min >= 58) QSKIP("too close to midnight for a same-day task");

        const std::time_t start = now + 20;  // power-on 10 s before: time for a slow start
        const std::time_t end = start + 8;
        TaskRow task;
        task.name = "端到端";
        task.start = TimeOfDay(start);
        task.end = TimeOfDay(end);
        task.zones = FirstChannels(3);
        task.power = "1010";
        db.ExecuteSql(FormatSql(sql::kInsertTask, task.name, task.date, task.start, task.end, task.repeatText,
                                "本地", task.playList, task.zones, task.repeatCode, "", task.state, "",
                                task.power));

        CSimulator simulator;
        QVERIFY(simulator.Start());
        QProcess lumetra;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("LUMETRA_COM1", simulator.Device());
        environment.insert("LUMETRA_AUDIO_SINK", "fakesink");
        environment.insert("XDG_CONFIG_HOME", QString::fromStdString(dir.Path()));
        // The single-instance socket lives in the temporary directory: a Lumetra the developer
        // runs at the same time is neither found nor disturbed.
        environment.insert("TMPDIR", QString::fromStdString(dir.Path()));
        lumetra.setProcessEnvironment(environment);
        lumetra.setProcessChannelMode(QProcess::ForwardedChannels);
        lumetra.start(program, {});
        QVERIFY(lumetra.waitForStarted(5000));

        SimFrame frame;
        QVERIFY(simulator.WaitForFrame("SendSCOM", "heartbeat", 8000));  // the link is up

        // A second start finds the first, asks it to come forward and ends without a window.
        QProcess second;
        second.setProcessEnvironment(environment);
        second.start(program, {});
        QVERIFY(second.waitForFinished(5000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(lumetra.state(), QProcess::Running);
        QVERIFY(simulator.WaitForFrame("SendPower", "outlets on: 1, 3", 20000, &frame));
        QVERIFY2(qAbs(Lateness(frame, start - 10)) < 1.5,
                 qPrintable(QString::number(Lateness(frame, start - 10))));
        QVERIFY(simulator.WaitForFrame("SendAudioCom", "channels on: 1-3", 3000, &frame));
        QVERIFY(qAbs(Lateness(frame, start - 10)) < 1.5);

        while (std::time(nullptr) < start + 2) QTest::qWait(200);
        QCOMPARE(StateOf(db), std::string(sql::kStateRunning));

        QVERIFY(simulator.WaitForFrame("SendAudioCom", "channels off: 1-3", 15000, &frame));
        QVERIFY2(qAbs(Lateness(frame, end)) < 1.5, qPrintable(QString::number(Lateness(frame, end))));
        QTRY_COMPARE_WITH_TIMEOUT(StateOf(db), std::string(sql::kStateDone), 3000);
        QVERIFY(simulator.WaitForFrame("ClosePower", "all outlets off", 20000, &frame));
        QVERIFY2(qAbs(Lateness(frame, end + 15)) < 1.5,
                 qPrintable(QString::number(Lateness(frame, end + 15))));

        lumetra.terminate();
        QVERIFY(lumetra.waitForFinished(5000));
    }
};

QTEST_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
