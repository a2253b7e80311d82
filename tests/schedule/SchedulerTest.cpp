// The scheduler over simulated days, against a real database file, a link that records the frames
// it is given and an owner that records messages and hand-overs.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "schedule/BroadcastPlan.h"
#include "schedule/Scheduler.h"
#include "schedule/SimulatedClock.h"
#include "store/CalendarTable.h"
#include "store/TaskTable.h"
#include "store/TimetableTable.h"
#include "tests/schedule/SchedulerRig.h"
#include "tests/support/OnAir.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using namespace test;
using Texts = std::vector<std::string>;

// "08:00:00" on Monday 2026-03-02; "24:00:05" is on Tuesday.
std::time_t Monday(const std::string& time) {
    return LocalTime(2026, 3, 2, time);
}

class SchedulerTest : public ::testing::Test {
protected:
    // Leaves the rows alone in the table, every outlet off, the clock at `now` and a scheduler that
    // remembers nothing; returns the last row's ID.
    std::string Only(const std::vector<TaskRow>& rows, const std::string& now) {
        database.Db().ExecuteSql("delete from tb_memo");
        std::string id;
        for (const TaskRow& row : rows) id = InsertTask(database.Db(), row);
        rec.Clear();
        clock.SetTime(Monday(now));
        scheduler.reset();
        board = std::make_unique<CSwitchBoard>(rec);  // every outlet off
        scheduler = std::make_unique<CScheduler>(database.Db(), *board, clock);
        scheduler->SetOwner(&rec);
        return id;
    }
    // Ticks as the scheduler thread does (a tick, then a sleep to the next half second) until the
    // simulated clock reaches `until`.
    void RunUntil(std::time_t until) {
        while (clock.Now() < until) {
            scheduler->Tick();
            clock.SleepToNextHalfSecond();
        }
    }
    std::string State(const std::string& id) { return StoredTaskState(database.Db(), id); }

    TestDatabase database;
    CSimulatedClock clock{Monday("07:59:40")};
    CRecorder rec{[this] { return clock.NowMillis(); }};
    std::unique_ptr<CSwitchBoard> board;
    std::unique_ptr<CScheduler> scheduler;
};

// The two ticks of each rule's second, for each repeat kind listed (weekly, daily, once), and a
// daily task's whole day: the steps in order as "seconds from the start, step, the task's stored
// state then" (I 未执行, R 正在执行, D 已执行), which places the state update among the steps too.
// "#" is the task's ID. Each rule acts on every tick of its second, twice; the receivers follow the
// outlets by half a second, at the next tick. A task still marked running after its end (the program
// was killed during it) has its receivers off at once and its outlets fifteen seconds later.
TEST_F(SchedulerTest, StepsOfEachRuleInOrder) {
    const struct {
        const char *rule, *kinds, *at;
        int seconds;  // run from `at`
        const char* state;
        std::string steps;
    } cases[] = {
        {"power-up", "w", "07:59:50", 1, sql::kStateIdle,
         "0 PowerRefresh I, 0 SendPower 05 I, 0 SendAudioCom on I, 0 ZoneRefresh I, "
         "0.5 PowerRefresh I, 0.5 SendPower 05 I, 0.5 SendAudioCom on I, 0.5 ZoneRefresh I"},
        {"a day", "do", "07:59:50", 1826, sql::kStateIdle,
         "0 PowerRefresh I, 0 SendPower 05 I, 0.5 ZoneRefresh I, 0.5 SendAudioCom on I, "
         "0.5 PowerRefresh I, 0.5 SendPower 05 I, 1 ZoneRefresh I, 1 SendAudioCom on I, "
         "10 PlayTask # a.mp3 I, 10 TasksChanged R, 10.5 PlayTask # a.mp3 R, 10.5 TasksChanged R, "
         "1810 SendAudioCom off R, 1810 StopTask # R, 1810 TasksChanged D, 1810.5 SendAudioCom off D, "
         "1810.5 StopTask # D, 1810.5 TasksChanged D, 1825 ClosePower D, 1825 PowerRefresh D, "
         "1825.5 ClosePower D, 1825.5 PowerRefresh D"},
        {"start without the power-up seen", "wdo", "08:00:00", 1, sql::kStateIdle,
         "0 PowerRefresh I, 0 SendPower 05 I, 0 PlayTask # a.mp3 I, 0 TasksChanged R, "
         "0.5 ZoneRefresh R, 0.5 SendAudioCom on R, 0.5 PlayTask # a.mp3 R, 0.5 TasksChanged R"},
        {"late start", "wdo", "08:10:00", 1, sql::kStateDone,
         "0 PowerRefresh D, 0 SendPower 05 D, 0.5 ZoneRefresh R, 0.5 SendAudioCom on R, "
         "0.5 PlayTask # a.mp3 R, 0.5 TasksChanged R"},
        {"no late start while running", "wdo", "08:10:00", 1, sql::kStateRunning, ""},
        {"stale close", "wdo", "08:45:00", 16, sql::kStateRunning,
         "0 SendAudioCom off R, 0 StopTask # R, 0 TasksChanged D, 15 ClosePower D, 15 PowerRefresh "
         "D"},
        {"stale close instead of power-down", "d", "08:30:15", 1, sql::kStateRunning,
         "0 SendAudioCom off R, 0 StopTask # R, 0 TasksChanged D, 0.5 ClosePower D, "
         "0.5 PowerRefresh D"},
    };
    std::string id;
    const std::map<std::string, std::string> letters = {
        {sql::kStateIdle, "I"}, {sql::kStateRunning, "R"}, {sql::kStateDone, "D"}};
    rec.probe = [&] { return letters.at(State(id)); };
    for (const auto& c : cases) {
        for (const char* kind = c.kinds; *kind; ++kind) {
            SCOPED_TRACE(std::string(c.rule) + " " + *kind);
            const char* code = *kind == 'w' ? kRepeatWeekly : *kind == 'd' ? kRepeatDaily : kRepeatOnce;
            id = Only({{.code = code, .weekDays = "2", .state = c.state, .playList = "a.mp3"}}, c.at);
            RunUntil(Monday(c.at) + c.seconds);
            std::string steps;
            for (const CRecorder::Event& e : rec.Events()) {
                std::string what = e.what;
                if (const size_t at = what.find(" " + id); at != std::string::npos)
                    what.replace(at + 1, id.size(), "#");
                const int64_t millis = e.millis - Monday(c.at) * 1000LL;
                steps += (steps.empty() ? "" : ", ") + std::to_string(millis / 1000) +
                         (millis % 1000 ? ".5 " : " ") + what + " " + e.state;
            }
            EXPECT_EQ(steps, c.steps);
        }
    }
}

// Passes that come 2.3 s apart (a busy machine): each pass evaluates the seconds since the last
// one, so every power-up, start and end of five tasks a second apart acts once, in order, and a
// task that ends in a skipped second still has its receivers switched off.
TEST_F(SchedulerTest, LatePassesCatchUpInOrder) {
    const std::string ending =
        Only(Rows("08:00:00-08:10:00 z1 p0100 /1.mp3; 08:00:01-08:10:01 z2 p0010 /2.mp3; "
                  "08:00:02-08:10:02 z3 p0001 /3.mp3; 08:00:03-08:10:03 z4 p1000 /4.mp3; "
                  "08:00:04-08:10:04 z5 p0100 /5.mp3; 07:30:00-07:59:51 running z20"),
             "07:59:45");
    while (clock.Now() < Monday("08:10:30")) {
        scheduler->Tick();
        clock.SleepFor(std::chrono::milliseconds(2300));
    }

    Texts said, powers, channels, plays;
    OnAir(rec.Commands(), &said);
    for (const std::string& text : said)  // "SendPower: outlets on: 2-3" as "on: 2-3"
        if (!text.starts_with("ClosePower"))
            (text.starts_with("SendPower") ? powers : channels)
                .push_back(text.substr(text.find(' ', text.find(' ') + 1) + 1));
    for (const CRecorder::Event& e : rec.Events())
        if (e.what.starts_with("PlayTask")) plays.push_back(e.what.substr(e.what.rfind(' ') + 1));
    // Each power-up second once; a task's "0" leaves on what the tasks powered up before it need,
    // and the early task's power-down at 08:00:06 keeps all four for the five on air.
    EXPECT_EQ(powers, (Texts{"on: 2", "on: 2-3", "on: 2-4", "on: all", "on: all", "on: all"}));
    std::sort(channels.begin(), channels.end());
    EXPECT_EQ(channels, (Texts{"off: 1", "off: 2", "off: 20", "off: 3", "off: 4", "off: 5", "on: 1", "on: 2",
                               "on: 3", "on: 4", "on: 5"}));
    EXPECT_EQ(plays, (Texts{"/1.mp3", "/2.mp3", "/3.mp3", "/4.mp3", "/5.mp3"}));
    EXPECT_EQ(State(ending), sql::kStateDone);
}

// Tasks that overlap never switch off what another task on air, or inside its power-up lead,
// still needs; tasks apart switch everything off as always. A task whose row goes in its tail
// still has its outlets go off (deleted on air: StationTest.PagingPausesTheTaskAndHandsThe...).
// A row saved again on air has its switches follow the new row, and a row re-timed away from the
// present ends, as does one whose start the clock skipped. After a stall, what the catch-up leaves on is
// what the tasks need then; a start whose power-up was skipped powers up itself. Outlets a task leaves as "x"
// keep the setting they had. Each case: its daily tasks, where the clock starts, and at moments of the day
// what is on, the hand-overs and stops of the last task so far, its state, or what is done then ("#" is the
// last task's ID).
TEST_F(SchedulerTest, OverlappingTasksNeverCutEachOtherOffAndChangedRowsEndOrFollow) {
    const char* cases[][4] = {
        {"apart: all off after each", "08:00:00-08:10:00 z1 p1000; 09:00:00-09:10:00 z2 p0100", "07:59:40",
         "08:05:00 on 1 | outlets 1000; 08:10:16 on | outlets 0000; 09:05:00 on 2 | outlets 0100"},
        {"disjoint zones and outlets", "08:00:00-08:10:00 z1,2 p1000; 08:05:00-08:20:00 z3 p0100", "07:59:40",
         "08:06:00 on 1 2 3 | outlets 1100; 08:10:16 on 3 | outlets 0100; 08:20:16 on | outlets 0000"},
        {"shared zones", "08:00:00-08:10:00 z1,2 p0000; 08:05:00-08:20:00 z2,3 p0000", "07:59:40",
         "08:10:01 on 2 3 | outlets 0000; 08:20:01 on | outlets 0000"},
        {"shared outlets", "08:00:00-08:10:00 z1 p1000; 08:05:00-08:20:00 z2 p1000", "07:59:40",
         "08:10:16 on 2 | outlets 1000; 08:20:16 on | outlets 0000"},
        {"the later one ends first", "08:00:00-08:30:00 z1,2 p1000; 08:10:00-08:20:00 z2,3 p0100", "07:59:40",
         "08:20:16 on 1 2 | outlets 1000; 08:30:16 on | outlets 0000"},
        {"back to back", "07:50:00-08:00:00 z1,2 p1000; 08:00:00-08:10:00 z2,3 p1000", "07:49:40",
         "08:00:01 on 2 3 | outlets 1000; 08:00:16 on 2 3 | outlets 1000"},
        {"a task's 0 never switches off another's outlet",
         "08:00:00-08:30:00 z1 p1000; 08:10:00-08:20:00 z2 p0000", "07:59:40",
         "08:10:01 on 1 2 | outlets 1000"},
        {"an end at 07:59:51 under ten starts at 08:00:00",
         "07:30:00-07:59:51 z20 p1111; z1 p1000; z2 p0100; z3 p1000; z4 p0100; z5 p1000; z6 p0100; z7 p1000; "
         "z8 p0100; z9 p1000; z10 p0100",
         "07:59:40", "08:00:07 on 1 2 3 4 5 6 7 8 9 10 | outlets 1100; 08:30:16 on | outlets 0000"},
        {"across midnight", "23:50:00-23:59:58 z1 p1000; 00:00:05-00:10:00 z1 p1000", "23:49:40",
         "23:59:59 on 1 | outlets 1000; 24:00:14 on 1 | outlets 1000; 24:10:16 on | outlets 0000"},
        {"a stale task at start-up beside one on air",
         "07:00:00-07:30:00 running z1,2 p1100; 07:59:00-08:30:00 z2,3 p0100", "07:59:30",
         "07:59:46 on 2 3 | outlets 0100"},
        {"deleted in its tail", "z1,2,5 p1010", "08:29:50",
         "08:30:05 delete from tb_memo; 08:30:16 on | outlets 0000"},
        {"saved again on air, then re-timed away", "z1,2,5 p1010", "08:04:00",
         "08:05:00 on 1 2 5 | outlets 1010; 08:05:00 update tb_memo set 目标区域='0|1|1', 外设='0011', "
         "状态='未执行'; "
         "08:05:02 on 2 3 | outlets 0011; 08:05:02 played 1, stopped 0; 08:05:02 正在执行; "
         "08:05:02 update tb_memo set 结束时间='08:04:00'; 08:05:03 on | outlets 0011; 08:05:03 played 1, "
         "stopped 1; "
         "08:05:03 已执行; 08:05:18 on | outlets 0000"},
        {"outlets a task leaves as x or names past the fourth keep their setting",
         "p1x0; 08:00:01-08:30:00 px0x100", "07:59:40",
         "07:59:40 switches 0111; 07:59:51 on 1 3 10 | outlets 1101; 07:59:52 on 1 3 10 | outlets 1001"},
        {"a clock set an hour on replays none of the seconds between", "10:00:00-10:10:00", "09:59:00",
         "09:59:02 clock 11:00:00; 11:00:05 on | outlets 0000; 11:00:05 played 0, stopped 0"},
        {"powered up, then the clock set past its whole broadcast", "z1,2,5 p1010", "07:59:49",
         "07:59:52 on 1 2 5 | outlets 1010; 07:59:52 clock 09:00:00; 09:00:16 on | outlets 0000"},
        {"a stall through a whole broadcast leaves no receiver on", "08:00:00-08:00:20 z1,2,5 p1010",
         "07:59:40",
         "07:59:45 stall 08:00:25; 08:00:26 on | outlets 1010; 08:00:26 played 1, stopped 1; "
         "08:00:36 on | outlets 0000"},
        {"a stall through the lead switches on at its end", "08:00:00-08:00:20 z1 p1000", "07:59:40",
         "07:59:45 stall 08:00:05; 08:00:06 on 1 | outlets 1000; 08:00:36 on | outlets 0000"},
        {"a start whose power-up the clock skipped after a stale close", "08:00:00-08:30:00 running z1 p1000",
         "07:59:49", "07:59:50 clock 07:59:53; 08:00:01 on 1 | outlets 1000; 08:00:10 on 1 | outlets 1000"},
    };
    for (const auto& [name, tasks, from, steps] : cases) {
        SCOPED_TRACE(name);
        const std::string id = Only(Rows(tasks), from);
        std::istringstream in(steps);
        for (std::string step; std::getline(in >> std::ws, step, ';');) {
            RunUntil(Monday(step.substr(0, 8)));
            const std::string what = step.substr(9);
            if (what.starts_with("on "))
                EXPECT_EQ(OnAir(rec.Commands()), what) << step;
            else if (what.starts_with("played "))
                EXPECT_EQ("played " + std::to_string(rec.Count("PlayTask " + id)) + ", stopped " +
                              std::to_string(rec.Count("StopTask " + id)),
                          what)
                    << step;
            else if (what.starts_with("switches ")) {  // by hand, from all off
                for (int outlet = 1; outlet <= 4; ++outlet)
                    if (what[8 + outlet] == '1') board->ToggleOutlet(outlet);
            } else if (what.starts_with("clock "))
                clock.SetTime(Monday(what.substr(6)));
            else if (what.starts_with("stall "))  // no tick, as in a stopped process
                clock.SleepFor(std::chrono::seconds(Monday(what.substr(6)) - clock.Now()));
            else if (what.starts_with("update ") || what.starts_with("delete "))
                database.Db().ExecuteSql(what + (what.starts_with("update ") ? " where ID=" + id : ""));
            else
                EXPECT_EQ(State(id), what) << step;
        }
    }
}

// The preview is the scheduler's own plan, and the plan is right. Over weeks in zones whose clocks
// change at 02:00 (Berlin), at midnight (Havana) or never (Shanghai), and across a year's end,
// tasks powered up the day before, in the repeated or skipped hour, powered down the day after,
// and on week ends, each with its own receiver and outlet; and over a Berlin week that ends with the autumn
// change, with a holiday that only a once task runs on and a make-up Saturday that runs Friday's timetable:
// the power-ups, hand-overs, stops and power-downs the scheduler carries out are exactly the planned ones,
// and over a Shanghai week across the change from the winter to the summer timetable, inside a holiday
// that only a once task runs on, with a make-up Tuesday that runs Friday's timetable of the summer:
// the power-ups, hand-overs, stops and power-downs the scheduler carries out are exactly the planned ones,
// and each task goes on air once per due day at its time of day (an hour later only when the clock skipped
// that hour), powered up 10 s before its start and down 15 s after its end.
TEST_F(SchedulerTest, ThePreviewIsWhatTheSchedulerDoesAcrossClockChanges) {
    const char* rules =
        "00:00:05-00:09:00 z1 p1000; 00:10:00-00:20:00 z2 p0100; 02:30:00-03:15:00 z3 p0010; "
        "23:59:40-23:59:50 z4 p0001; 00:00:00-00:05:00 w17 z2 p0100";
    const char* term =
        "02:30:00-02:40:00; 08:00:00-08:05:00 w6; 2026-10-21 12:00:00-12:01:00 once; "
        "23:59:50-23:59:55";
    const char* seasons =
        "08:00:00-08:05:00 t1; 08:10:00-08:15:00 t2; 09:00:00-09:05:00 w6 t2; 09:10:00-09:15:00 w6 t1; "
        "10:00:00-10:05:00; 2027-05-01 11:00:00-11:01:00 once t2";
    const struct {
        const char* zone;
        int year, month, day;  // the first of seven days
        const char* tasks;
        std::vector<int> broadcasts;  // of each task in start order
    } weeks[] = {{"Europe/Berlin", 2026, 3, 26, rules, {2, 7, 7, 7, 7}},
                 {"Europe/Berlin", 2026, 10, 22, rules, {2, 7, 7, 7, 7}},
                 {"America/Havana", 2026, 3, 5, rules, {2, 7, 7, 7, 7}},
                 {"America/Havana", 2026, 10, 29, rules, {2, 7, 7, 7, 7}},
                 {"Asia/Shanghai", 2026, 12, 28, rules, {2, 7, 7, 7, 7}},
                 {"Europe/Berlin", 2026, 10, 19, term, {6, 2, 1, 6}},
                 {"Asia/Shanghai", 2027, 4, 28, seasons, {3, 1, 1, 1, 4, 1}}};
    const auto offset = [](std::time_t moment) {
        std::tm local{};
        return localtime_r(&moment, &local)->tm_gmtoff;
    };
    for (const auto& w : weeks) {
        CZone zone(w.zone);
        SCOPED_TRACE(std::string(w.zone) + " " + std::to_string(w.month) + "-" + std::to_string(w.day));
        if (w.tasks == term) {
            CCalendarTable calendar(database.Db());
            calendar.Add({0, "2026-10-21", "2026-10-21", 0, "秋假"});
            calendar.Add({0, "2026-10-24", "2026-10-24", 6, "调休"});
        }
        if (w.tasks == seasons) {
            CCalendarTable(database.Db()).Add({0, "2027-05-01", "2027-05-03", 0, "劳动节"});
            CCalendarTable(database.Db()).Add({0, "2027-05-04", "2027-05-04", 6, "调休"});
            CTimetableTable timetables(database.Db());
            timetables.Add("冬季作息", {{0, "10-01", "04-30"}});  // 1
            timetables.Add("夏季作息", {{0, "05-01", "09-30"}});  // 2
        }
        Only(Rows(w.tasks, {.date = "2026-01-01"}), "00:00:00");
        const std::vector<TaskRecord> stored = CTaskTable(database.Db()).ReadAll();  // in start order
        const std::vector<TaskFields> fields(stored.begin(), stored.end());
        const CSchoolCalendar school = ReadSchoolCalendar(database.Db());  // the planner keeps a reference
        CBroadcastPlanner planner(fields, school);
        const std::time_t from = LocalTime(w.year, w.month, w.day, 0, 0, 0) - 60;
        const std::time_t to = LocalTime(w.year, w.month, w.day + 7, 0, 0, 0) - 60;
        const long first = CivilDayNumber(w.year, w.month, w.day);
        std::set<std::pair<std::time_t, std::string>> planned, done;
        std::vector<int> broadcasts(fields.size());
        for (const PlannedBroadcast& b : planner.PlanAll(first - 1, first + 7)) {
            const std::string& id = fields[b.task].id;
            for (const auto& [at, what] : {std::pair{b.powerUp, std::string("outlets")},
                                           {b.start, "PlayTask " + id},
                                           {b.end, "StopTask " + id},
                                           {b.powerDown, std::string("outlets")}})
                if (at >= from && at < to) planned.insert({at, what});
            if (b.start < from || b.start >= to) continue;
            ++broadcasts[b.task];
            EXPECT_EQ(std::tuple(b.start - b.powerUp, b.powerDown - b.end, b.end > b.start),
                      std::tuple(10, 15, true))
                << LocalText(b.start, "%F %T");
            std::string atDayTime = LocalText(b.start, "%T");
            const std::string& nominal = stored[b.task].startTime;
            if (offset(b.start) - offset(b.start - 7200) == 3600 && atDayTime != nominal) --atDayTime[1];
            EXPECT_EQ(atDayTime, nominal) << LocalText(b.start, "%F %T");
        }
        EXPECT_EQ(broadcasts, w.broadcasts);

        // The scheduler ticks twice a second from a second before a planned one and otherwise
        // sleeps up to 50 s, which it catches up second by second; anything it does away from
        // the plan shows at another second. An outlet frame (on or off) must come at each power-up and
        // power-down.
        clock.SetTime(from);
        while (clock.Now() < to) {
            scheduler->Tick();
            const auto next = planned.lower_bound({clock.Now() + 1, ""});
            const std::time_t ahead = next == planned.end() ? 50 : next->first - clock.Now() - 1;
            if (ahead < 1)
                clock.SleepToNextHalfSecond();
            else
                clock.SleepFor(std::chrono::seconds(std::min<std::time_t>(ahead, 50)));
        }
        for (const CRecorder::Event& e : rec.Events()) {
            std::string what =
                e.what.starts_with("PlayTask ") ? e.what.substr(0, e.what.find(' ', 9)) : e.what;
            if (what.starts_with("SendPower") || what == "ClosePower") what = "outlets";
            if (what == "outlets" || what.starts_with("PlayTask") || what.starts_with("StopTask"))
                done.insert({static_cast<std::time_t>(e.millis / 1000), what});
        }
        EXPECT_EQ(done, planned);
    }
}

}  // namespace
}  // namespace lumetra
