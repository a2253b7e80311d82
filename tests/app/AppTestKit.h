// Parts for the user-interface tests: scripted message boxes, a fresh application database, task
// rows, and a main window on real parts.
#pragma once

#include <QtTest>
#include <QtWidgets>
#include <fstream>
#include <functional>

#include "Simulator.h"
#include "app/DlgMain.h"
#include "link/TransmitterLink.h"
#include "pages/DlgLED.h"
#include "pages/DlgLogin.h"
#include "pages/DlgPlay.h"
#include "pages/DlgReceiver.h"
#include "pages/DlgSYS.h"
#include "pages/DlgTaskList.h"
#include "pages/DlgUser.h"
#include "pages/DlgZoneControl.h"
#include "schedule/AutoShutdown.h"
#include "schedule/PowerControl.h"
#include "schedule/Scheduler.h"
#include "schedule/SimulatedClock.h"
#include "schedule/SystemClock.h"
#include "store/Database.h"
#include "store/DeliveredDatabase.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"
#include "tests/support/LocalTime.h"
#include "tests/support/TestDatabase.h"
#include "widgets/MessageBox.h"

namespace lumetra::test {

inline void Click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

struct ShownBox {
    QString text, caption;
    MbButtons buttons;
    MbIcon icon;
};

// Installed for its lifetime: remembers every box shown and answers the next one with `answer`,
// the others with OK.
class CScriptedMessageBoxes : public IMessageBox {
public:
    CScriptedMessageBoxes() { SetMessageBoxes(this); }
    ~CScriptedMessageBoxes() override { SetMessageBoxes(nullptr); }
    MbResult Show(QWidget*, const QString& text, const QString& caption, MbButtons buttons,
                  MbIcon icon) override {
        shown.push_back({text, caption, buttons, icon});
        return std::exchange(answer, MbResult::Ok);
    }
    QStringList Texts() const {
        QStringList texts;
        for (const ShownBox& box : shown) texts << box.text;
        return texts;
    }
    MbResult answer = MbResult::Ok;
    std::vector<ShownBox> shown;
};

// A fresh delivered database in a private directory, opened as the application connection.
struct CAppDatabase : TestDatabase {
    CAppDatabase() : TestDatabase(&AppConnection()) {}
    ~CAppDatabase() { AppConnection().Close(); }
};

// What each page test function starts from: a fresh application database, and boxes that answer
// from a script instead of waiting for a person.
struct CPageTestBed {
    CAppDatabase db;
    CScriptedMessageBoxes boxes;
};

// One field of every row of a query, in order.
inline std::vector<std::string> Column(const std::string& query, const std::string& field,
                                       CDatabase& db = AppConnection()) {
    CRecordset rows(db);
    rows.Open(query);
    std::vector<std::string> values;
    for (; !rows.IsEOF(); rows.MoveNext()) values.push_back(rows.GetFieldText(field));
    return values;
}

// A daily tb_memo row as the task editor stores it, channels 1..`channels` selected, playing
// `files` (paths joined by "|").
inline void InsertTask(CDatabase& db, const std::string& name, const std::string& state,
                       const std::string& start = "08:00:00", const std::string& end = "08:10:00",
                       int channels = 0, const std::string& power = "0000", const std::string& files = "") {
    std::string zones;
    for (int i = 0; i < 128; ++i) zones += std::string(i ? "|" : "") + (i < channels ? "1" : "0");
    db.ExecuteSql(FormatSql(sql::kInsertTask, name, "2026-01-01", start, end, "天", "本地", files, zones, "2",
                            "", state, "", power));
}

struct CRecordingPower : IPowerControl {
    bool PowerOff(std::string* reason) override {
        ++requests;
        *reason = "refused by the test";
        return false;
    }
    int requests = 0;
};

// A main window on a fresh database, a link to the simulator (COM1, connected by the settings
// page), a scheduler on the wall clock and automatic shutdown with a power control that only
// records. The window's clock is simulated. `prepare` runs before the window reads the tables.
struct CMainRig {
    explicit CMainRig(std::time_t now, const std::function<void()>& prepare = {})
        : clock(now), scheduler(AppConnection(), link, wallClock), shutdown(AppConnection(), clock, power) {
        qputenv("LUMETRA_COM1", simulator.Device().toLocal8Bit());
        if (prepare) prepare();
        main = std::make_unique<CDlgMain>(MainServices{clock, link, scheduler, shutdown, AppConnection()});
    }
    ~CMainRig() {
        main.reset();
        link.CloseLink(false);
    }
    CScriptedMessageBoxes boxes;
    CSimulator simulator;
    CAppDatabase db;
    CSimulatedClock clock;
    CSystemClock wallClock;
    CTransmitterLink link;
    CScheduler scheduler;
    CRecordingPower power;
    CAutoShutdown shutdown;
    std::unique_ptr<CDlgMain> main;
};

// The real program run from a copy in a private directory, beside a fresh delivered database (the
// program keeps its database next to itself), with the simulator on COM1. The autostart entry and
// the single-instance socket live in the directory too: a Lumetra the developer runs at the same
// time is neither found nor disturbed.
struct CProgramRig {
    CProgramRig() {
        if (!QFile::copy(QStringLiteral(LUMETRA_PROGRAM_PATH), program))
            throw std::runtime_error("cannot copy the program");
        for (const auto& [name, value] : {std::pair<QString, QString>{"QT_QPA_PLATFORM", "offscreen"},
                                          {"LUMETRA_COM1", simulator.Device()},
                                          {"LUMETRA_AUDIO_SINK", "fakesink"},
                                          {"XDG_CONFIG_HOME", QString::fromStdString(dir.Path())},
                                          {"TMPDIR", QString::fromStdString(dir.Path())}})
            environment.insert(name, value);
    }
    // "HH:mm:ss" of a moment, as the task editor stores start and end.
    static std::string TimeOfDay(std::time_t when) {
        return QDateTime::fromSecsSinceEpoch(when).toString("HH:mm:ss").toStdString();
    }
    // A task placed a few seconds ahead would cross midnight.
    static bool NearMidnight(std::time_t now) {
        std::tm local{};
        localtime_r(&now, &local);
        return local.tm_hour == 23 && local.tm_min >= 58;
    }
    TestDatabase database;
    const TempDir& dir = database.Dir();
    CDatabase& db = database.Db();
    QString program = QString::fromStdString(dir.File("lumetra"));
    CSimulator simulator;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
};

// Answers the next modal dialog: `fill` sees it, then it is accepted (or cancelled).
template <typename Dialog>
void Answer(std::function<void(Dialog&)> fill, bool accept = true) {
    QTimer::singleShot(0, [fill, accept] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        QVERIFY2(dialog, "the expected dialog did not open");
        fill(*dialog);
        accept ? dialog->accept() : dialog->reject();
    });
}

}  // namespace lumetra::test
