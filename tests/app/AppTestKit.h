// Parts for the user-interface tests: the transmitter simulator, scripted message boxes, a fresh
// application database, task rows, and a main window on real parts.
#pragma once

#include <QtTest>
#include <QtWidgets>
#include <chrono>
#include <fstream>
#include <functional>
#include <numeric>

#include "app/MainWindow.h"
#include "app/RunningProgram.h"
#include "link/TransmitterLink.h"
#include "pages/DlgLogin.h"
#include "pages/LedPage.h"
#include "pages/PlayPage.h"
#include "pages/ReceiverPage.h"
#include "pages/SettingsPage.h"
#include "pages/TaskListPage.h"
#include "pages/UserPage.h"
#include "pages/ZoneControlPage.h"
#include "schedule/AutoShutdown.h"
#include "schedule/PowerControl.h"
#include "schedule/SimulatedClock.h"
#include "schedule/SystemClock.h"
#include "store/Database.h"
#include "store/DeliveredDatabase.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/LocalTime.h"
#include "tests/support/TaskRows.h"
#include "tests/support/TestDatabase.h"
#include "tools/txsim/SimulatorProcess.h"
#include "widgets/MessageBox.h"

namespace lumetra::test {

inline void Click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

inline QString ToQ(const std::string& text) {
    return QString::fromStdString(text);
}

// The item labelled `label`, at any depth.
inline QTreeWidgetItem* Item(const QTreeWidget* tree, const QString& label) {
    const QList<QTreeWidgetItem*> found = tree->findItems(label, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
}

// One mouse event at `at`, the left button held from the press until the release.
inline void SendMouse(QWidget* target, QEvent::Type type, QPoint at) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// The transmitter simulator's process: a link (or the program) is pointed at its device, and the
// test waits, frame by frame, for what reaches the transmitter.
class CSimulator {
public:
    CSimulator() : m_process(LUMETRA_TXSIM_PATH), m_device(QString::fromStdString(m_process.DevicePath())) {}
    const QString& Device() const { return m_device; }

    // Reads lines until a valid frame of `command` whose text contains `text` arrives, passing over
    // the frames before it (their "command: text" go to `passed`); `readAtMs` is the wall clock when
    // the test read it. False on time-out.
    bool WaitForFrame(const std::string& command, const std::string& text, int timeoutMs,
                      qint64* readAtMs = nullptr, std::vector<std::string>* passed = nullptr) {
        using namespace std::chrono;
        using txsim::JsonField;
        const auto deadline = steady_clock::now() + milliseconds(timeoutMs);
        for (;;) {
            const auto left = duration_cast<milliseconds>(deadline - steady_clock::now());
            const auto line = left.count() > 0 ? m_process.ReadLine(left) : std::nullopt;
            if (!line) return false;
            if (JsonField(*line, "event") != "frame" || JsonField(*line, "valid") != "true") continue;
            if (JsonField(*line, "command") == command &&
                JsonField(*line, "text").find(text) != std::string::npos) {
                if (readAtMs) *readAtMs = QDateTime::currentMSecsSinceEpoch();
                return true;
            }
            if (passed) passed->push_back(JsonField(*line, "command") + ": " + JsonField(*line, "text"));
        }
    }

private:
    txsim::CSimulatorProcess m_process;
    QString m_device;
};

// The configuration, data and cache of a suite in a directory of its own, never the developer's;
// GStreamer's registry stays in the build tree, not built anew in every process.
struct CPrivateHome {
    CPrivateHome() {
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
            qputenv(name, QByteArray::fromStdString(dir.Path()));
        KeepGstRegistryInBuildTree();
    }
    QString File(const QString& name) const { return QString::fromStdString(dir.Path()) + "/" + name; }
    TempDir dir;
};

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
        return std::exchange(answer, MbResult::kOk);
    }
    QStringList Texts() const {
        QStringList texts;
        for (const ShownBox& box : shown) texts << box.text;
        return texts;
    }
    MbResult answer = MbResult::kOk;
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
    return QueryRows(db, query, {field});
}

// A daily row dated 2026-01-01 as the task editor stores it, channels 1..`channels` selected,
// playing `files` (paths joined by "|").
inline void InsertTask(CDatabase& db, const std::string& name, const std::string& state,
                       const std::string& start = "08:00:00", const std::string& end = "08:10:00",
                       int channels = 0, const std::string& power = "0000", const std::string& files = "") {
    std::vector<int> selected(static_cast<size_t>(channels));
    std::iota(selected.begin(), selected.end(), 1);
    InsertTask(db, TaskRow{.name = name,
                           .date = "2026-01-01",
                           .start = start,
                           .end = end,
                           .state = state,
                           .playList = files,
                           .zones = ZoneText(selected),
                           .power = power});
}

struct CRecordingPower : IPowerControl {
    bool PowerOff(std::string* reason) override {
        ++requests;
        *reason = "refused by the test";
        return false;
    }
    int requests = 0;
};

// The wall clock moved to another day and time: it runs at the pace of the wall clock and sleeps
// for real, so the station's threads tick as in the program, on the day a test chose.
class CShiftedClock : public IClock {
public:
    explicit CShiftedClock(std::time_t now) : m_offset(now - std::time(nullptr)) {}
    std::time_t Now() override { return m_wall.Now() + m_offset; }
    int64_t SteadyMillis() override { return m_wall.SteadyMillis(); }
    bool SleepFor(std::chrono::milliseconds duration) override { return m_wall.SleepFor(duration); }
    bool SleepToNextHalfSecond() override { return m_wall.SleepToNextHalfSecond(); }
    void Interrupt() override { m_wall.Interrupt(); }
    void ClearInterrupt() override { m_wall.ClearInterrupt(); }

private:
    CSystemClock m_wall;
    const std::time_t m_offset;
};

// The program's own start path on a fresh database: the station on the wall clock moved to `now`,
// with a link to the simulator (COM1, connected at start), the main window shown (with the
// first-start notice, when there is one), and automatic shutdown with a power control that only
// records. The window's clock is simulated and stands at
// `now` until a test moves it. `prepare` runs before anything reads the tables.
struct CMainRig {
    explicit CMainRig(std::time_t now, const std::function<void()>& prepare = {},
                      const std::string& firstStartNotice = {})
        : clock(now), stationClock(now), shutdown(AppConnection(), clock, power) {
        qputenv("LUMETRA_COM1", simulator.Device().toLocal8Bit());
        if (prepare) prepare();
        program = std::make_unique<CRunningProgram>(AppConnection(), link, stationClock, clock, shutdown,
                                                    firstStartNotice);
        main = &program->Window();
    }
    ~CMainRig() { program.reset(); }
    CStation& Station() { return program->Station(); }
    // Logs in on the login page as a person does; by default as the delivered administrator.
    void LogIn(const QString& name = "admin", const QString& password = "admin") {
        main->LoginDialog()->UserEdit()->setText(name);
        main->LoginDialog()->PasswordEdit()->setText(password);
        Click(main->LoginDialog()->LoginButton());
    }
    CScriptedMessageBoxes boxes;
    CSimulator simulator;
    CAppDatabase db;
    CSimulatedClock clock;
    CShiftedClock stationClock;
    CTransmitterLink link;
    CRecordingPower power;
    CAutoShutdown shutdown;
    std::unique_ptr<CRunningProgram> program;
    CMainWindow* main = nullptr;
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
