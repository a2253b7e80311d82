// The scheduler over simulated days, against a real database file, a link that records the frames
// it is given and an owner that records messages and hand-overs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "schedule/Scheduler.h"
#include "schedule/SimulatedClock.h"
#include "tests/schedule/SchedulerRig.h"
#include "tests/support/LocalTime.h"
#include "tests/support/TestDatabase.h"

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
    RunUntil(Monday(8, 31, 0));

    // Each rule acts on every tick of its second: twice, except where the power-up pause takes
    // the second tick's place.
    const Texts startAndEnd = {
        "07:59:50.000 WM_POWER_REFRESH", "07:59:50.000 SendPower 05",     "07:59:50.500 WM_ZONE_REFRESH",
        "07:59:50.500 SendAudioCom on",  "08:00:00.000 ClearOpenFailure", "08:00:00.000 " + kHandOver,
        "08:00:00.000 WM_PLAY_TASK",     "08:00:00.000 WM_TASKS_CHANGED", "08:00:00.500 ClearOpenFailure",
        "08:00:00.500 " + kHandOver,     "08:00:00.500 WM_PLAY_TASK",     "08:00:00.500 WM_TASKS_CHANGED",
        "08:30:00.000 SendAudioCom off", "08:30:00.000 WM_STOP_TASK",     "08:30:00.000 WM_TASKS_CHANGED",
        "08:30:00.500 SendAudioCom off", "08:30:00.500 WM_STOP_TASK",     "08:30:00.500 WM_TASKS_CHANGED",
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
    EXPECT_EQ(rec.Frames(),
              (std::vector<Frame>{power, audio(true), audio(false), audio(false), closePower, closePower}));
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

// One tick in a rule's second, for each repeat kind listed (weekly, daily, once): the steps in
// order as "milliseconds into the second, step, the task's stored state then" (I 未执行,
// R 正在执行, D 已执行), which places the state update among the steps too.
TEST_F(SchedulerTest, StepsOfEachRuleInOrder) {
    const struct {
        const char *rule, *kinds;
        int hour, minute, second;
        const char *state, *steps;
    } cases[] = {
        {"power-up", "w", 7, 59, 50, sql::kStateIdle,
         "0 WM_POWER_REFRESH I, 0 SendPower 05 I, 0 SendAudioCom on I, 0 WM_ZONE_REFRESH I"},
        {"power-up", "do", 7, 59, 50, sql::kStateIdle,
         "0 WM_POWER_REFRESH I, 0 SendPower 05 I, 500 WM_ZONE_REFRESH I, 500 SendAudioCom on I"},
        {"start", "wdo", 8, 0, 0, sql::kStateIdle,
         "0 ClearOpenFailure I, 0 SetPlayListText a.mp3 I, 0 WM_PLAY_TASK I, 0 WM_TASKS_CHANGED R"},
        {"late start", "w", 8, 10, 0, sql::kStateDone,
         "0 WM_POWER_REFRESH D, 0 SendPower 05 D, 500 SendAudioCom on D, 500 WM_ZONE_REFRESH R, "
         "500 ClearOpenFailure R, 500 SetPlayListText a.mp3 R, 500 WM_PLAY_TASK R, 500 WM_TASKS_CHANGED R"},
        {"late start", "d", 8, 10, 0, sql::kStateDone,
         "0 WM_POWER_REFRESH D, 0 SendPower 05 D, 500 WM_ZONE_REFRESH R, 500 SendAudioCom on R, "
         "500 ClearOpenFailure R, 500 SetPlayListText a.mp3 R, 500 WM_PLAY_TASK R, 500 WM_TASKS_CHANGED R"},
        {"late start", "o", 8, 10, 0, sql::kStateDone,
         "0 WM_POWER_REFRESH D, 0 SendPower 05 D, 500 WM_ZONE_REFRESH D, 500 SendAudioCom on D, "
         "500 ClearOpenFailure D, 500 SetPlayListText a.mp3 D, 500 WM_PLAY_TASK D, 500 WM_TASKS_CHANGED R"},
        {"no late start while running", "wdo", 8, 10, 0, sql::kStateRunning, ""},
        {"end", "wdo", 8, 30, 0, sql::kStateRunning,
         "0 SendAudioCom off R, 0 WM_STOP_TASK R, 0 WM_TASKS_CHANGED D"},
        {"end whatever the state", "d", 8, 30, 0, sql::kStateIdle,
         "0 SendAudioCom off I, 0 WM_STOP_TASK I, 0 WM_TASKS_CHANGED D"},
        {"stale close", "wdo", 8, 45, 0, sql::kStateRunning, "0 SendAudioCom off R, 0 WM_TASKS_CHANGED D"},
        {"stale close instead of power-down", "d", 8, 30, 15, sql::kStateRunning,
         "0 SendAudioCom off R, 0 WM_TASKS_CHANGED D"},
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
            scheduler.Tick();
            std::string steps;
            for (const CRecorder::Event& e : rec.Events())
                steps += (steps.empty() ? "" : ", ") + std::to_string(e.millis - now * 1000) + " " + e.what +
                         " " + e.state;
            EXPECT_EQ(steps, c.steps);
        }
    }
}

// Five zones starting in the same second: the power-up pauses push the pass seconds past their
// second, and the next pass evaluates the seconds it skipped. Every task gets its outlets, its
// receivers, its play list and its end in order, and a task that ends in a skipped second still
// has its receivers switched off. A clock set an hour on replays none of the seconds between.
TEST_F(SchedulerTest, BusySecondsAreCaughtUpAndAClockJumpReplaysNothing) {
    for (int k = 1; k <= 5; ++k) {
        std::string power = "0000";
        power[static_cast<size_t>(k % 4)] = '1';
        InsertTask(database.Db(), {.start = "08:00:00",
                                   .end = "08:10:00",
                                   .playList = std::to_string(k) + ".mp3",
                                   .zones = ZoneText({k}),
                                   .power = power});
    }
    const std::string ending = InsertTask(
        database.Db(),
        {.start = "07:30:00", .end = "07:59:51", .state = sql::kStateRunning, .zones = ZoneText({20})});
    clock.SetTime(Monday(7, 59, 49));
    RunUntil(Monday(8, 10, 30));

    auto channelsOf = [](const Frame& frame) {
        std::string text;
        for (int channel = 1; channel <= 128; ++channel)
            if (frame[68 - (channel - 1) / 8] & (1 << ((channel - 1) % 8))) text += std::to_string(channel);
        return (frame[69] ? "on " : "off ") + text;
    };
    // Each second is seen by the pass that catches it up and often by the next one as well.
    auto firstOfEach = [](const Texts& texts) {
        Texts firsts;
        for (const std::string& t : texts)
            if (std::find(firsts.begin(), firsts.end(), t) == firsts.end()) firsts.push_back(t);
        return firsts;
    };
    Texts powers, channels, plays;
    for (const Frame& f : rec.Frames()) {
        if (f[4] == 0xAC && f[5] != 0x80) powers.push_back(std::to_string(f[5]));
        if (f[4] == 0xA4) channels.push_back(channelsOf(f));
    }
    for (const CRecorder::Event& e : rec.Events())
        if (e.what.starts_with("SetPlayListText")) plays.push_back(e.what.substr(16));
    EXPECT_EQ(powers, (Texts{"2", "4", "8", "1", "2"})) << "each power-up second once, though it took 2.5 s";
    // "off 20": the task that ended during the busy seconds.
    EXPECT_EQ(firstOfEach(channels), (Texts{"on 1", "on 2", "on 3", "on 4", "on 5", "off 20", "off 1",
                                            "off 2", "off 3", "off 4", "off 5"}));
    EXPECT_EQ(firstOfEach(plays), (Texts{"1.mp3", "2.mp3", "3.mp3", "4.mp3", "5.mp3"}));
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
    EXPECT_EQ(rec.Texts(), (Texts{"09:00:00.000 SendAudioCom off", "09:00:00.000 WM_TASKS_CHANGED",
                                  "09:00:15.000 ClosePower", "09:00:15.000 WM_POWER_REFRESH"}));
    EXPECT_EQ(TaskState(database.Db(), id), sql::kStateDone);
}

}  // namespace
}  // namespace lumetra
