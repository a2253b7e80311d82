// Saves a picture of the main window with one page shown, for the README (scripts/screenshot
// --page). It runs like the program, from a directory holding a fresh "dbinfo.mdb", with the
// transmitter simulator behind COM1 and an operator logged in; its automatic shutdown only ever
// refuses, so nothing here can switch the machine off.
// Files named after "play" go into the play page's list, and the first one plays. "emergency" shows
// the play page while an emergency broadcast is on air.
#include <QAbstractButton>
#include <QApplication>
#include <QDate>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "app/RunningProgram.h"
#include "link/TransmitterLink.h"
#include "pages/DlgLogin.h"
#include "pages/DlgPreview.h"
#include "pages/DlgTimetables.h"
#include "pages/HistoryPage.h"
#include "pages/PlayPage.h"
#include "schedule/AutoShutdown.h"
#include "schedule/PowerControl.h"
#include "schedule/SystemClock.h"
#include "station/Playback.h"
#include "store/CalendarTable.h"
#include "store/Database.h"
#include "store/HistoryTable.h"
#include "store/Statements.h"
#include "store/TaskTable.h"
#include "store/TimetableTable.h"
#include "store/ZoneCatalog.h"
#include "widgets/UserSettings.h"

using namespace lumetra;

namespace {

struct PageButton {
    const char* name;
    CMainWindow::ButtonId id;
};

constexpr PageButton kPages[] = {{"tasks", CMainWindow::kTasks},       {"play", CMainWindow::kPlay},
                                 {"receiver", CMainWindow::kReceiver}, {"led", CMainWindow::kLED},
                                 {"users", CMainWindow::kUsers},       {"settings", CMainWindow::kSettings},
                                 {"preview", CMainWindow::kTasks},     {"emergency", CMainWindow::kPlay},
                                 {"history", CMainWindow::kHistory},   {"timetables", CMainWindow::kTasks}};

class CNeverPowerOff : public IPowerControl {
public:
    bool PowerOff(std::string* reason) override {
        *reason = "the screenshot tool never powers off";
        return false;
    }
};

// A few tasks, so the task page shows its colours and repeat texts.
void AddSampleTasks(CDatabase& db) {
    const struct {
        const char *name, *start, *end, *repeatText, *code, *weekDays, *state;
    } tasks[] = {{"早操广播", "07:30:00", "07:45:00", "周", "1", "23456", sql::kStateIdle},
                 {"眼保健操", "10:00:00", "10:05:00", "天", "2", "", sql::kStateIdle},
                 {"午间新闻", "12:00:00", "12:20:00", "天", "2", "", sql::kStateRunning},
                 {"周末值班提醒", "08:00:00", "08:02:00", "周", "1", "17", sql::kStateIdle},
                 {"放学通知", "16:30:00", "16:35:00", "次", "0", "", sql::kStateIdle}};
    CTaskTable table(db);
    for (const auto& t : tasks) {
        TaskRecord task;
        task.name = t.name;
        task.date = "2026-03-02";
        task.startTime = t.start;
        task.endTime = t.end;
        task.repeatText = t.repeatText;
        task.repeatCode = t.code;
        task.weekDays = t.weekDays;
        task.state = t.state;
        task.source = task.fm = "1";
        task.power = "1000";
        table.Insert(task);
    }
}

// Today's history: three broadcasts, one of them with a missing file, an operator's switch and a
// short loss of the link.
void AddSampleHistory(CDatabase& db, std::time_t now) {
    std::tm local{};
    localtime_r(&now, &local);
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    const std::time_t midnight = std::mktime(&local);
    const auto at = [midnight](int hour, int minute, int second) {
        return midnight + hour * 3600 + minute * 60 + second;
    };
    CHistoryTable table(db);
    int64_t id = 0;
    const auto event = [&](bool opens, HistoryKind kind, std::time_t when, const std::string& detail = {},
                           bool failed = false) {
        HistoryEvent e;
        e.kind = kind;
        e.at = when;
        e.detail = detail;
        e.failed = failed;
        e.linkUp = kind != HistoryKind::kLinkDown;
        if (opens) {
            static const char* const kTitles[] = {"早操广播", "眼保健操", "午间新闻"};
            e.title = id <= 3 ? kTitles[id - 1] : HistoryKindText(kind);
            e.zones = kind == HistoryKind::kChannelsOn ? "1-3" : kind == HistoryKind::kLinkDown ? "" : "1-9";
            e.operatorName = kind == HistoryKind::kChannelsOn ? "admin" : "";
        }
        table.Write(id, opens, e);
    };
    const struct {
        int hour, minute, seconds;
        const char* file;
        bool missing;
    } broadcasts[] = {{7, 30, 900, "/srv/广播/运动员进行曲.mp3", false},
                      {10, 0, 300, "/srv/广播/眼保健操.mp3", false},
                      {12, 0, 1200, "/srv/广播/午间新闻.mp3", true}};
    for (const auto& b : broadcasts) {
        ++id;
        const std::time_t start = at(b.hour, b.minute, 0);
        event(true, HistoryKind::kPowerUp, start - 10);
        event(false, HistoryKind::kStart, start);
        if (b.missing)
            event(false, HistoryKind::kFileFailed, start,
                  std::string("无法播放“") + b.file + "”：文件不存在。", true);
        else
            event(false, HistoryKind::kFileStart, start, b.file);
        event(false, HistoryKind::kEnd, start + b.seconds);
        event(false, HistoryKind::kPowerDown, start + b.seconds + 15);
    }
    ++id;
    event(true, HistoryKind::kChannelsOn, at(12, 5, 12), "1-3");
    ++id;
    event(true, HistoryKind::kLinkDown, at(13, 10, 4));
}

// A few zones with their receivers, so the zone trees show more than the default zone.
void AddSampleZones(CDatabase& db) {
    CZoneCatalog catalog(db);
    const char* const names[] = {"教学楼", "操场", "办公楼"};
    for (int zone = 1; zone <= 3; ++zone) catalog.AddZone(zone, names[zone - 1]);
    const std::vector<std::string> labels = catalog.ZoneLabels();
    for (int channel = 1; channel <= 9; ++channel)
        catalog.MoveChannelToZone(channel, labels[(channel - 1) / 3]);
    catalog.SetSpeakerName(4, "主席台");
}

// A summer and a winter timetable: the winter one holds 眼保健操, the summer one its copy half an
// hour later.
void AddSampleTimetables(CDatabase& db) {
    CTimetableTable timetables(db);
    const TaskRecord winter = CTaskTable(db).FindByNameAndStart("眼保健操", "10:00:00").at(0);
    TaskRecord summer = winter;
    summer.startTime = "10:30:00";
    summer.endTime = "10:35:00";
    timetables.AddCopy("夏季作息", {{0, "05-01", "09-30"}}, {{CTaskTable::InsertStatement(summer), {}}});
    timetables.Add("冬季作息", {{0, "10-01", "04-30"}});
    for (const std::string& statement : timetables.TaskStatements(winter.id, 2)) db.ExecuteSql(statement);
}

// A holiday on the third and fourth day from today and a make-up Sunday in the week after, so the
// preview shows both.
void AddSampleCalendar(CDatabase& db) {
    const QDate today = QDate::currentDate();
    QDate sunday = today.addDays(5);
    while (sunday.dayOfWeek() != Qt::Sunday) sunday = sunday.addDays(1);
    auto text = [](const QDate& date) { return date.toString(QStringLiteral("yyyy-MM-dd")).toStdString(); };
    CCalendarTable calendar(db);
    calendar.Add({0, text(today.addDays(2)), text(today.addDays(3)), 0, "秋假"});
    calendar.Add({0, text(sunday), text(sunday), 2, "秋假调休"});
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const PageButton* page = nullptr;
    for (const PageButton& candidate : kPages)
        if (argc >= 3 && std::strcmp(argv[1], candidate.name) == 0) page = &candidate;
    if (!page || (argc > 3 && page->id != CMainWindow::kPlay)) {
        std::fprintf(
            stderr,
            "usage: lumetra-pageshot "
            "tasks|play|receiver|led|users|settings|preview|emergency|history|timetables OUTPUT.png\n"
            "       lumetra-pageshot play OUTPUT.png FILE...\n");
        return 2;
    }
    std::string error;
    if (!AppConnection().Open(DefaultDatabasePath(), &error)) {
        std::fprintf(stderr, "cannot open %s: %s\n", DefaultDatabasePath().c_str(), error.c_str());
        return 1;
    }
    const bool preview = std::strcmp(page->name, "preview") == 0;
    const bool timetables = std::strcmp(page->name, "timetables") == 0;
    if (std::strcmp(page->name, "tasks") == 0 || preview || timetables) {
        AddSampleTasks(AppConnection());
        AddSampleTimetables(AppConnection());
    }
    if (std::strcmp(page->name, "history") == 0) AddSampleHistory(AppConnection(), std::time(nullptr));
    if (preview) AddSampleCalendar(AppConnection());
    const bool emergency = std::strcmp(page->name, "emergency") == 0;
    if (std::strcmp(page->name, "receiver") == 0 || std::strcmp(page->name, "settings") == 0 || emergency)
        AddSampleZones(AppConnection());
    CSystemClock clock;
    CNeverPowerOff power;
    CAutoShutdown shutdown(AppConnection(), clock, power);
    bool saved = false;
    {
        CRunningProgram program(AppConnection(), TransmitterLink(), clock, clock, shutdown);
        CMainWindow& main = program.Window();
        QObject::connect(&main, &CMainWindow::Exited, &app, &QCoreApplication::quit, Qt::QueuedConnection);
        emit main.LoginDialog()->LoggedIn(QStringLiteral("admin"), UserRole::kAdministrator);
        main.Button(page->id)->click();
        if (page->id == CMainWindow::kHistory) main.HistoryPage()->ShowLatestFailure();
        if (emergency) program.Station().StartEmergency(CUserSettings().AlarmFile());
        if (argc > 3) {
            QStringList files;
            for (int i = 3; i < argc; ++i) files << QString::fromLocal8Bit(argv[i]);
            main.PlayPage()->AddFiles(files);
            main.PlayPage()->Playback().Play(0);
        }
        CDlgPreview previewDialog(AppConnection(), &main);
        CDlgTimetables timetablesDialog(AppConnection(), &main);
        if (preview) previewDialog.show();
        if (timetables) timetablesDialog.show();
        // The link comes up with the first heartbeat, three seconds after start.
        QTimer::singleShot(4000, &main, [&] {
            QWidget& shown = preview      ? static_cast<QWidget&>(previewDialog)
                             : timetables ? static_cast<QWidget&>(timetablesDialog)
                                          : main;
            saved = shown.grab().save(QString::fromLocal8Bit(argv[2]));
            main.RunExitSequence();
        });
        app.exec();
    }
    AppConnection().Close();
    if (!saved) std::fprintf(stderr, "cannot save %s\n", argv[2]);
    return saved ? 0 : 1;
}
