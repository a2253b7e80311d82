// The scheduler over simulated days, against a real database file, a link that records the frames
// it is given and an owner that records messages and hand-overs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "schedule/BroadcastPlan.h"
#include "schedule/Scheduler.h"
#include "schedule/SimulatedClock.h"
#include "store/CalendarTable.h"
#include "store/TaskTable.h"
#include "tests/schedule/SchedulerRig.h"
#include "tests/support/LocalTime.h"
#include "tests/support/TestDatabase.h"
#include "tools/txsim/FrameDecoder.h"
#include "tools/txsim/TransmitterState.h"

namespace lumetra {
namespace {

using namespace test;
using Texts = std::vector<std::string>;
using Frame = std::vector<uint8_t>;

const std::string kHandOver = "SetPlayListText " + TaskRow().playList;

// 2026-03-02 is a Monday.
std::time_t Monday(int hour, int minute, int second) {
    return LocalTime(2026, 3, 2, hour, minute, second);
}

class SchedulerTest : public ::testing::Test {
protected:
    void SetUp() override { scheduler.SetOwner(&rec); }

    // Ticks as the scheduler thread does (a tick, then a sleep to the next half second) until the
    // simulated clock reaches `until`.
    void RunUntil(std::time_t until) {
        while (clock.Now() < until) {
            scheduler.Tick();
            clock.SleepToNextHalfSecond();
        }
    }
    // Leaves `row` alone in the table, the timeline empty and the clock at `now`; returns the ID.
    std::string Only(const TaskRow& row, std::time_t now) {
        database.Db().ExecuteSql("delete from tb_memo");
        const std::string id = InsertTask(database.Db(), row);
        rec.Clear();
        clock.SetTime(now);
        return id;
    }
    // The four outlets as "1"/"0".
    std::string Outlets() const {
        std::string text;
        for (int number = 1; number <= 4; ++number) text += rec.PowerSwitch(number) ? '1' : '0';
        return text;
    }

    TestDatabase database;
    CSimulatedClock clock{Monday(7, 59, 40)};
    CRecorder rec{[this] { return clock.NowMillis(); }};
    CScheduler scheduler{database.Db(), rec, clock};
};

TEST_F(SchedulerTest, DailyTaskThroughItsDay) {
    const std::string id = InsertTask(database.Db(), TaskRow{});
    const std::string play = "PlayTask " + id + " " + TaskRow().playList;
    RunUntil(Monday(8, 31, 0));

    // Each rule acts on every tick of its second, twice; the receivers follow the outlets by half
    // a second, at the next tick, which no pause holds up.
    const Texts startAndEnd = {
        "07:59:50.000 WM_POWER_REFRESH", "07:59:50.000 SendPower 05",     "07:59:50.500 WM_ZONE_REFRESH",
        "07:59:50.500 SendAudioCom on",  "07:59:50.500 WM_POWER_REFRESH", "07:59:50.500 SendPower 05",
        "07:59:51.000 WM_ZONE_REFRESH",  "07:59:51.000 SendAudioCom on",  "08:00:00.000 " + play,
        "08:00:00.000 WM_TASKS_CHANGED", "08:00:00.500 " + play,          "08:00:00.500 WM_TASKS_CHANGED",
        "08:30:00.000 SendAudioCom off", "08:30:00.000 StopTask " + id,   "08:30:00.000 WM_TASKS_CHANGED",
        "08:30:00.500 SendAudioCom off", "08:30:00.500 StopTask " + id,   "08:30:00.500 WM_TASKS_CHANGED",
        "08:30:15.000 ClosePower",       "08:30:15.000 WM_POWER_REFRESH", "08:30:15.500 ClosePower",
        "08:30:15.500 WM_POWER_REFRESH",
    };
    EXPECT_EQ(rec.Texts(), startAndEnd);
    EXPECT_EQ(TaskState(database.Db(), id), sql::kStateDone);
    EXPECT_EQ(Outlets(), "0000");

    // The bytes of every frame: outlets 1 and 3; channels 10 (byte 67), 1 and 3 (byte 68).
    auto audio = [](bool on) {
        Frame frame(71, 0);
        frame[0] = 0x81, frame[1] = 0x40, frame[2] = 0x01, frame[3] = 0x47, frame[4] = 0xA4;
        frame[67] = 0x02, frame[68] = 0x05, frame[69] = on, frame[70] = on ? 0xA4 : 0xA5;
        return frame;
    };
    const Frame power = {0x81, 0x40, 0x01, 0x07, 0xAC, 0x05, 0xEF};
    const Frame closePower = {0x81, 0x40, 0x01, 0x07, 0xAC, 0x80, 0x6A};
    EXPECT_EQ(rec.Frames(), (std::vector<Frame>{power, audio(true), power, audio(true), audio(false),
                                                audio(false), closePower, closePower}));
}

TEST_F(SchedulerTest, OutletsTheTaskDoesNotNameKeepTheirSetting) {
    InsertTask(database.Db(), {.power = "1x0"});  // outlet 2 untouched, outlet 4 missing
    InsertTask(database.Db(), {.start = "08:00:01", .power = "x0x100"});  // past the fourth: ignored
    for (int number : {2, 3, 4}) rec.SetPowerSwitch(number, true);
    RunUntil(Monday(7, 59, 51));
    EXPECT_EQ(Outlets(), "1101");
    EXPECT_EQ(rec.Frames().front()[5], 0x0B);
    RunUntil(Monday(7, 59, 52));
    EXPECT_EQ(Outlets(), "1001");
}

// The two ticks of a rule's second, for each repeat kind listed (weekly, daily, once): the steps
// in order as "milliseconds into the second, step, the task's stored state then" (I 未执行,
// R 正在执行, D 已执行), which places the state update among the steps too. "#" is the task's ID.
TEST_F(SchedulerTest, StepsOfEachRuleInOrder) {
    const std::string on = "WM_POWER_REFRESH I, 0 SendPower 05 I";
    const struct {
        const char *rule, *kinds;
        int hour, minute, second;
        const char* state;
        std::string steps;
    } cases[] = {
        {"power-up", "w", 7, 59, 50, sql::kStateIdle,
         "0 WM_POWER_REFRESH I, 0 SendPower 05 I, 0 SendAudioCom on I, 0 WM_ZONE_REFRESH I, "
         "500 WM_POWER_REFRESH I, 500 SendPower 05 I, 500 SendAudioCom on I, 500 WM_ZONE_REFRESH I"},
        {"power-up", "do", 7, 59, 50, sql::kStateIdle,
         "0 WM_POWER_REFRESH I, 0 SendPower 05 I, 500 WM_ZONE_REFRESH I, 500 SendAudioCom on I, "
         "500 WM_POWER_REFRESH I, 500 SendPower 05 I"},
        {"start without the power-up seen", "wdo", 8, 0, 0, sql::kStateIdle,
         "0 WM_POWER_REFRESH I, 0 SendPower 05 I, 0 PlayTask # a.mp3 I, 0 WM_TASKS_CHANGED R, "
         "500 WM_ZONE_REFRESH R, 500 SendAudioCom on R, 500 PlayTask # a.mp3 R, 500 WM_TASKS_CHANGED R"},
        {"late start", "wdo", 8, 10, 0, sql::kStateDone,
         "0 WM_POWER_REFRESH D, 0 SendPower 05 D, 500 WM_ZONE_REFRESH R, 500 SendAudioCom on R, "
         "500 PlayTask # a.mp3 R, 500 WM_TASKS_CHANGED R"},
        {"no late start while running", "wdo", 8, 10, 0, sql::kStateRunning, ""},
        {"end", "wdo", 8, 30, 0, sql::kStateRunning,
         "0 SendAudioCom off R, 0 StopTask # R, 0 WM_TASKS_CHANGED D, "
         "500 SendAudioCom off D, 500 StopTask # D, 500 WM_TASKS_CHANGED D"},
        {"stale close", "wdo", 8, 45, 0, sql::kStateRunning,
         "0 SendAudioCom off R, 0 StopTask # R, 0 WM_TASKS_CHANGED D"},
        {"stale close instead of power-down", "d", 8, 30, 15, sql::kStateRunning,
         "0 SendAudioCom off R, 0 StopTask # R, 0 WM_TASKS_CHANGED D, 500 ClosePower D, 500 WM_POWER_REFRESH "
         "D"},
    };
    std::string id;
    rec.probe = [&] {
        const std::string state = TaskState(database.Db(), id);
        return state == sql::kStateIdle      ? "I"
               : state == sql::kStateRunning ? "R"
               : state == sql::kStateDone    ? "D"
                                             : state;
    };
    for (const auto& c : cases) {
        for (const char* kind = c.kinds; *kind; ++kind) {
            SCOPED_TRACE(std::string(c.rule) + " " + *kind);
            const char* code = *kind == 'w' ? kRepeatWeekly : *kind == 'd' ? kRepeatDaily : kRepeatOnce;
            const std::time_t now = Monday(c.hour, c.minute, c.second);
            id = Only({.code = code, .weekDays = "2", .state = c.state, .playList = "a.mp3"}, now);
            CScheduler fresh(database.Db(), rec, clock);  // remembers nothing of the case before
            fresh.SetOwner(&rec);
            fresh.Tick();
            clock.SleepToNextHalfSecond();
            fresh.Tick();
            std::string steps;
            for (const CRecorder::Event& e : rec.Events()) {
                std::string what = e.what;
                if (const size_t at = what.find(" " + id); at != std::string::npos)
                    what.replace(at + 1, id.size(), "#");
                steps += (steps.empty() ? "" : ", ") + std::to_string(e.millis - now * 1000) + " " + what +
                         " " + e.state;
            }
            EXPECT_EQ(steps, c.steps);
        }
    }
}

// Passes that come 2.3 s apart (a busy machine): each pass evaluates the seconds since the last
// one, so every power-up, start and end of five tasks a second apart acts once, in order, and a
// task that ends in a skipped second still has its receivers switched off. A clock set an hour on
// replays none of the seconds between.
TEST_F(SchedulerTest, LatePassesCatchUpAndAClockJumpReplaysNothing) {
    for (int k = 1; k <= 5; ++k) {
        std::string power = "0000";
        power[static_cast<size_t>(k % 4)] = '1';
        InsertTask(database.Db(), {.start = "08:00:0" + std::to_string(k - 1),
                                   .end = "08:10:0" + std::to_string(k - 1),
                                   .playList = std::to_string(k) + ".mp3",
                                   .zones = ZoneText({k}),
                                   .power = power});
    }
    const std::string ending = InsertTask(
        database.Db(),
        {.start = "07:30:00", .end = "07:59:51", .state = sql::kStateRunning, .zones = ZoneText({20})});
    clock.SetTime(Monday(7, 59, 45));
    while (clock.Now() < Monday(8, 10, 30)) {
        scheduler.Tick();
        clock.SleepFor(std::chrono::milliseconds(2300));
    }

    Texts powers, channels, plays;
    for (const Frame& f : rec.Frames()) {
        if (f[4] == 0xAC && f[5] != 0x80) powers.push_back(std::to_string(f[5]));
        if (f[4] == 0xA4) {
            std::string text = f[69] ? "on" : "off";
            for (int channel = 1; channel <= 128; ++channel)
                if (f[68 - (channel - 1) / 8] & (1 << ((channel - 1) % 8)))
                    text += " " + std::to_string(channel);
            channels.push_back(text);
        }
    }
    for (const CRecorder::Event& e : rec.Events())
        if (e.what.starts_with("PlayTask")) plays.push_back(e.what.substr(e.what.rfind(' ') + 1));
    // Each power-up second once; a task's "0" leaves on what the tasks powered up before it need,
    // and the early task's power-down at 08:00:06 keeps all four for the five on air.
    EXPECT_EQ(powers, (Texts{"2", "6", "14", "15", "15", "15"}));
    std::sort(channels.begin(), channels.end());
    EXPECT_EQ(channels, (Texts{"off 1", "off 2", "off 20", "off 3", "off 4", "off 5", "on 1", "on 2", "on 3",
                               "on 4", "on 5"}));
    EXPECT_EQ(plays, (Texts{"1.mp3", "2.mp3", "3.mp3", "4.mp3", "5.mp3"}));
    EXPECT_EQ(TaskState(database.Db(), ending), sql::kStateDone);

    // Set from before the power-up to after the end: nothing of the hour between happens.
    Only({.start = "10:00:00", .end = "10:10:00"}, Monday(9, 59, 0));
    RunUntil(Monday(9, 59, 2));
    clock.SetTime(Monday(11, 0, 0));
    RunUntil(Monday(11, 0, 5));
    EXPECT_EQ(rec.Texts(), Texts{});
}

// A task still marked running after its end (the program was killed during it): receivers off at
// once, outlets off fifteen seconds later, as after an end.
TEST_F(SchedulerTest, StaleTaskGetsItsReceiversAndThenItsOutletsSwitchedOff) {
    const std::string id = Only({.state = sql::kStateRunning}, Monday(9, 0, 0));
    RunUntil(Monday(9, 0, 16));
    EXPECT_EQ(rec.Texts(), (Texts{"09:00:00.000 SendAudioCom off", "09:00:00.000 StopTask " + id,
                                  "09:00:00.000 WM_TASKS_CHANGED", "09:00:15.000 ClosePower",
                                  "09:00:15.000 WM_POWER_REFRESH"}));
    EXPECT_EQ(TaskState(database.Db(), id), sql::kStateDone);
}

// What the receivers and outlets are after every frame so far, as the transmitter keeps them:
// "on 2 3 | outlets 0100".
std::string OnAir(const std::vector<Frame>& frames) {
    txsim::CTransmitterState transmitter;
    txsim::CFrameDecoder decoder;
    for (const Frame& frame : frames)
        for (const txsim::DecodedFrame& decoded : decoder.Push(frame.data(), frame.size()))
            transmitter.Apply(decoded);
    std::string text = "on";
    for (int channel = 1; channel <= 128; ++channel)
        if (transmitter.ReceiverOn(channel)) text += " " + std::to_string(channel);
    text += " | outlets ";
    for (int outlet = 1; outlet <= 4; ++outlet) text += transmitter.OutletOn(outlet) ? '1' : '0';
    return text;
}

// Tasks that overlap never switch off what another task on air, or inside its power-up lead,
// still needs; tasks apart switch everything off as always. Each case: its tasks (daily, Monday),
// where the clock starts, and what is on at moments of the day.
TEST_F(SchedulerTest, OverlappingTasksNeverCutEachOtherOff) {
    struct Check {
        int hour, minute, second;
        const char* onAir;
    };
    const struct {
        const char* name;
        std::vector<TaskRow> tasks;
        int startHour, startMinute, startSecond;
        std::vector<Check> checks;
    } cases[] = {
        {"apart: all off after each",
         {{.start = "08:00:00", .end = "08:10:00", .zones = ZoneText({1}), .power = "1000"},
          {.start = "09:00:00", .end = "09:10:00", .zones = ZoneText({2}), .power = "0100"}},
         7,
         59,
         40,
         {{8, 5, 0, "on 1 | outlets 1000"},
          {8, 10, 16, "on | outlets 0000"},
          {9, 5, 0, "on 2 | outlets 0100"}}},
        {"disjoint zones and outlets",
         {{.start = "08:00:00", .end = "08:10:00", .zones = ZoneText({1, 2}), .power = "1000"},
          {.start = "08:05:00", .end = "08:20:00", .zones = ZoneText({3}), .power = "0100"}},
         7,
         59,
         40,
         {{8, 6, 0, "on 1 2 3 | outlets 1100"},
          {8, 10, 16, "on 3 | outlets 0100"},
          {8, 20, 16, "on | outlets 0000"}}},
        {"shared zones",
         {{.start = "08:00:00", .end = "08:10:00", .zones = ZoneText({1, 2}), .power = "0000"},
          {.start = "08:05:00", .end = "08:20:00", .zones = ZoneText({2, 3}), .power = "0000"}},
         7,
         59,
         40,
         {{8, 10, 1, "on 2 3 | outlets 0000"}, {8, 20, 1, "on | outlets 0000"}}},
        {"shared outlets",
         {{.start = "08:00:00", .end = "08:10:00", .zones = ZoneText({1}), .power = "1000"},
          {.start = "08:05:00", .end = "08:20:00", .zones = ZoneText({2}), .power = "1000"}},
         7,
         59,
         40,
         {{8, 10, 16, "on 2 | outlets 1000"}, {8, 20, 16, "on | outlets 0000"}}},
        {"the later one ends first",
         {{.start = "08:00:00", .end = "08:30:00", .zones = ZoneText({1, 2}), .power = "1000"},
          {.start = "08:10:00", .end = "08:20:00", .zones = ZoneText({2, 3}), .power = "0100"}},
         7,
         59,
         40,
         {{8, 20, 16, "on 1 2 | outlets 1000"}, {8, 30, 16, "on | outlets 0000"}}},
        {"back to back",
         {{.start = "07:50:00", .end = "08:00:00", .zones = ZoneText({1, 2}), .power = "1000"},
          {.start = "08:00:00", .end = "08:10:00", .zones = ZoneText({2, 3}), .power = "1000"}},
         7,
         49,
         40,
         {{8, 0, 1, "on 2 3 | outlets 1000"}, {8, 0, 16, "on 2 3 | outlets 1000"}}},
        {"a task's 0 never switches off another's outlet",
         {{.start = "08:00:00", .end = "08:30:00", .zones = ZoneText({1}), .power = "1000"},
          {.start = "08:10:00", .end = "08:20:00", .zones = ZoneText({2}), .power = "0000"}},
         7,
         59,
         40,
         {{8, 10, 1, "on 1 2 | outlets 1000"}}},
        {"an end at 07:59:51 under ten starts at 08:00:00",
         {{.start = "07:30:00", .end = "07:59:51", .zones = ZoneText({20}), .power = "1111"},
          {.zones = ZoneText({1}), .power = "1000"},
          {.zones = ZoneText({2}), .power = "0100"},
          {.zones = ZoneText({3}), .power = "1000"},
          {.zones = ZoneText({4}), .power = "0100"},
          {.zones = ZoneText({5}), .power = "1000"},
          {.zones = ZoneText({6}), .power = "0100"},
          {.zones = ZoneText({7}), .power = "1000"},
          {.zones = ZoneText({8}), .power = "0100"},
          {.zones = ZoneText({9}), .power = "1000"},
          {.zones = ZoneText({10}), .power = "0100"}},
         7,
         59,
         40,
         {{8, 0, 7, "on 1 2 3 4 5 6 7 8 9 10 | outlets 1100"}, {8, 30, 16, "on | outlets 0000"}}},
        {"across midnight",
         {{.start = "23:50:00", .end = "23:59:58", .zones = ZoneText({1}), .power = "1000"},
          {.start = "00:00:05", .end = "00:10:00", .zones = ZoneText({1}), .power = "1000"}},
         23,
         49,
         40,
         {{23, 59, 59, "on 1 | outlets 1000"},
          {24, 0, 14, "on 1 | outlets 1000"},
          {24, 10, 16, "on | outlets 0000"}}},
        {"a stale task at start-up beside one on air",
         {{.start = "07:00:00",
           .end = "07:30:00",
           .state = sql::kStateRunning,
           .zones = ZoneText({1, 2}),
           .power = "1100"},
          {.start = "07:59:00", .end = "08:30:00", .zones = ZoneText({2, 3}), .power = "0100"}},
         7,
         59,
         30,
         {{7, 59, 46, "on 2 3 | outlets 0100"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        database.Db().ExecuteSql("delete from tb_memo");
        for (const TaskRow& row : c.tasks) InsertTask(database.Db(), row);
        rec.Clear();
        for (int number = 1; number <= 4; ++number) rec.SetPowerSwitch(number, false);
        clock.SetTime(Monday(c.startHour, c.startMinute, c.startSecond));
        CScheduler fresh(database.Db(), rec, clock);
        fresh.SetOwner(&rec);
        for (const Check& check : c.checks) {
            while (clock.Now() < Monday(check.hour, check.minute, check.second)) {
                fresh.Tick();
                clock.SleepToNextHalfSecond();
            }
            EXPECT_EQ(OnAir(rec.Frames()), check.onAir)
                << check.hour << ":" << check.minute << ":" << check.second;
        }
    }
}

// A task whose row goes while it is switched on (deleted on the task list page, or by anyone
// else) is ended at the next tick: receivers off, its playback stopped, outlets off 15 s later;
// in its tail, its outlets still go off. A row saved again on air has its switches follow the new
// row, and a row re-timed away from the present ends, as does one whose start the clock skipped.
TEST_F(SchedulerTest, ARowDeletedOrChangedOnAirEndsOrFollows) {
    const TaskRow row{.zones = ZoneText({1, 2, 5}), .power = "1010"};
    const auto runTo = [this](int h, int m, int s) { RunUntil(Monday(h, m, s)); };
    const auto update = [this](const std::string& set, const std::string& id) {
        database.Db().ExecuteSql("update tb_memo set " + set + " where ID=" + id);
    };

    std::string id = Only(row, Monday(7, 59, 40));
    runTo(8, 5, 0);
    database.Db().ExecuteSql("delete from tb_memo");
    runTo(8, 5, 1);
    EXPECT_EQ(OnAir(rec.Frames()), "on | outlets 1010");
    EXPECT_EQ(rec.Count("StopTask " + id), 1);
    runTo(8, 5, 16);
    EXPECT_EQ(OnAir(rec.Frames()), "on | outlets 0000");

    id = Only(row, Monday(8, 29, 50));
    runTo(8, 30, 5);
    database.Db().ExecuteSql("delete from tb_memo");
    runTo(8, 30, 16);
    EXPECT_EQ(OnAir(rec.Frames()), "on | outlets 0000") << "deleted in its tail";

    id = Only(row, Monday(8, 4, 0));  // a late start
    runTo(8, 5, 0);
    EXPECT_EQ(OnAir(rec.Frames()), "on 1 2 5 | outlets 1010");
    update("目标区域='" + ZoneText({2, 3}) + "', 外设='0011', 状态='未执行'", id);
    runTo(8, 5, 2);
    EXPECT_EQ(OnAir(rec.Frames()), "on 2 3 | outlets 0011");
    EXPECT_EQ(rec.Count("StopTask " + id), 0) << "saved again, it plays on";
    EXPECT_EQ(rec.Count("PlayTask " + id + " " + row.playList), 1) << "and is not started again";
    EXPECT_EQ(TaskState(database.Db(), id), sql::kStateRunning);
    update("结束时间='08:04:00'", id);
    runTo(8, 5, 3);
    EXPECT_EQ(OnAir(rec.Frames()), "on | outlets 0011");
    EXPECT_EQ(rec.Count("StopTask " + id), 1);
    EXPECT_EQ(TaskState(database.Db(), id), sql::kStateDone);
    runTo(8, 5, 18);
    EXPECT_EQ(OnAir(rec.Frames()), "on | outlets 0000");

    // Powered up, then the clock set past its whole broadcast: no rule is left to switch it off.
    id = Only(row, Monday(7, 59, 49));
    runTo(7, 59, 52);
    EXPECT_EQ(OnAir(rec.Frames()), "on 1 2 5 | outlets 1010");
    clock.SetTime(Monday(9, 0, 0));
    runTo(9, 0, 16);
    EXPECT_EQ(OnAir(rec.Frames()), "on | outlets 0000");
}

// A week with a holiday range and a make-up Sunday that runs Monday's timetable: the power-up and
// the hand-over of each task go out on its run days only; a once task keeps its date on a holiday.
TEST_F(SchedulerTest, HolidaysAndMakeUpDaysDecideWhichDaysGoOnAir) {
    CCalendarTable calendar(database.Db());
    calendar.Add({0, "2026-09-30", "2026-10-02", 0, "国庆节"});
    calendar.Add({0, "2026-09-27", "2026-09-27", 2, "调休"});
    const std::string daily = InsertTask(database.Db(), {.date = "2026-09-01"});
    const std::string monday = InsertTask(database.Db(), {.date = "2026-09-01",
                                                          .start = "09:00:00",
                                                          .end = "09:10:00",
                                                          .code = kRepeatWeekly,
                                                          .weekDays = "2"});
    const std::string once = InsertTask(
        database.Db(), {.date = "2026-10-01", .start = "10:00:00", .end = "10:05:00", .code = kRepeatOnce});
    const struct {
        int month, day;
        const char* onAir;  // the tasks handed over that day: D daily, M Mondays, O once
    } days[] = {{9, 26, "D"}, {9, 27, "DM"}, {9, 28, "DM"}, {9, 29, "D"},
                {9, 30, ""},  {10, 1, "O"},  {10, 2, ""}};
    for (const auto& d : days) {
        rec.Clear();
        std::string onAir;
        for (int hour : {8, 9, 10}) {
            clock.SetTime(LocalTime(2026, d.month, d.day, hour - 1, 59, 45));
            RunUntil(LocalTime(2026, d.month, d.day, hour, 0, 2));
        }
        for (const auto& [id, letter] : {std::pair{daily, 'D'}, {monday, 'M'}, {once, 'O'}})
            if (rec.Count("PlayTask " + id + " " + TaskRow().playList) > 0) onAir += letter;
        EXPECT_EQ(onAir, d.onAir) << d.month << "-" << d.day;
        // Power-up frames only for what goes on air: each task switches its outlets on once a tick.
        EXPECT_EQ(rec.Count("SendPower 05") > 0, *d.onAir != 0) << d.month << "-" << d.day;
    }
}

// The preview is the scheduler's own plan: over a week in Berlin that ends with the autumn clock
// change (02:00-03:00 comes twice on 10-25), with a holiday and a make-up Saturday, the power-ups,
// hand-overs, stops and power-downs the scheduler carries out are exactly the planned ones.
TEST_F(SchedulerTest, ThePreviewIsWhatTheSchedulerDoesAcrossAClockChange) {
    CZone zone("Europe/Berlin");
    CCalendarTable calendar(database.Db());
    calendar.Add({0, "2026-10-21", "2026-10-21", 0, "秋假"});
    calendar.Add({0, "2026-10-24", "2026-10-24", 6, "调休"});
    database.Db().ExecuteSql("delete from tb_memo");
    InsertTask(database.Db(), {.date = "2026-10-01", .start = "02:30:00", .end = "02:40:00"});
    InsertTask(database.Db(), {.date = "2026-10-01",
                               .start = "08:00:00",
                               .end = "08:05:00",
                               .code = kRepeatWeekly,
                               .weekDays = "6"});
    InsertTask(database.Db(),
               {.date = "2026-10-21", .start = "12:00:00", .end = "12:01:00", .code = kRepeatOnce});
    InsertTask(database.Db(), {.date = "2026-10-01", .start = "23:59:50", .end = "23:59:55"});

    std::vector<TaskFields> fields;
    for (const TaskRecord& task : CTaskTable(database.Db()).ReadAll()) fields.emplace_back(task);
    const CSchoolCalendar school = ReadSchoolCalendar(database.Db());
    CBroadcastPlanner planner(fields, school);
    const std::vector<PlannedBroadcast> plan =
        planner.PlanAll(CivilDayNumber(2026, 10, 19), CivilDayNumber(2026, 10, 25));
    EXPECT_EQ(plan.size(), 6u + 2u + 1u + 6u) << "daily twice over six working days, Fridays twice, once";
    std::set<std::pair<std::time_t, std::string>> planned;
    for (const PlannedBroadcast& b : plan) {
        const std::string& id = fields[b.task].id;
        planned.insert({b.powerUp, "SendPower 05"});
        planned.insert({b.start, "PlayTask " + id});
        planned.insert({b.end, "StopTask " + id});
        planned.insert({b.powerDown, "ClosePower"});
    }

    // The scheduler ticks twice a second near a planned second and every 50 s elsewhere, which it
    // catches up second by second; anything it does away from the plan shows at a later time.
    clock.SetTime(LocalTime(2026, 10, 19, 0, 0, 30));
    rec.Clear();
    const std::time_t end = LocalTime(2026, 10, 26, 0, 1, 0);
    while (clock.Now() < end) {
        scheduler.Tick();
        const auto next = planned.lower_bound({clock.Now(), ""});
        if (next != planned.end() && next->first - clock.Now() < 60)
            clock.SleepToNextHalfSecond();
        else
            clock.SleepFor(std::chrono::seconds(50));
    }
    std::set<std::pair<std::time_t, std::string>> done;
    for (const CRecorder::Event& e : rec.Events()) {
        std::string what = e.what;
        if (what.starts_with("PlayTask ")) what = what.substr(0, what.find(' ', 9));
        if (what.starts_with("SendPower") || what.starts_with("PlayTask") || what.starts_with("StopTask") ||
            what == "ClosePower")
            done.insert({static_cast<std::time_t>(e.millis / 1000), what});
    }
    EXPECT_EQ(done, planned);
}

}  // namespace
}  // namespace lumetra
