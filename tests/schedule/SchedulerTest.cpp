// The scheduler over simulated days, against a real database file, a link that records the frames
// it is given and an owner that records messages and hand-overs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "schedule/Scheduler.h"
#include "schedule/SimulatedClock.h"
#include "tests/support/LocalTime.h"
#include "tests/schedule/TaskRows.h"
#include "tests/schedule/TaskTimeline.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using test::CRecordingLink;
using test::CRecordingOwner;
using test::CTaskTimeline;
using test::InsertTask;
using test::LocalTime;
using test::TaskRow;
using test::TaskState;
using Texts = std::vector<std::string>;

const std::string kPlayList = TaskRow().playList;
const std::string kHandOver = "SetPlayListText " + kPlayList;

class SchedulerTest : public ::testing::Test {
protected:
    // 2026-03-02 is a Monday.
    static std::time_t Monday(int hour, int minute, int second) {
        return LocalTime(2026, 3, 2, hour, minute, second);
    }

    void SetUp() override { scheduler.SetOwner(&owner); }

    // Ticks as the scheduler thread does (a tick, then a sleep to the next half second) until the
    // simulated clock reaches `until`.
    void RunUntil(std::time_t until) {
        while (clock.Now() < until) {
            scheduler.Tick();
            clock.SleepToNextHalfSecond();
        }
    }

    // The timeline of the recorders, restricted to moments in [from, to).
    Texts Between(std::time_t from, std::time_t to) const {
        Texts texts;
        for (const CTaskTimeline::Event& e : timeline.Events())
            if (e.millis >= from * 1000LL && e.millis < to * 1000LL) texts.push_back(e.text);
        return texts;
    }

    test::TestDatabase database;
    CSimulatedClock clock{Monday(7, 59, 40)};
    CTaskTimeline timeline{[this] { return clock.NowMillis(); }};
    CRecordingLink link{timeline};
    CRecordingOwner owner{timeline};
    CScheduler scheduler{database.Db(), link, clock};
};

TEST_F(SchedulerTest, DailyTaskThroughItsDay) {
    const std::string id = InsertTask(database.Db(), TaskRow{});
    RunUntil(Monday(7, 59, 51));
    EXPECT_TRUE(link.PowerSwitch(1));
    EXPECT_FALSE(link.PowerSwitch(2));
    EXPECT_TRUE(link.PowerSwitch(3));
    EXPECT_FALSE(link.PowerSwitch(4));
    RunUntil(Monday(8, 0, 1));
    EXPECT_EQ(TaskState(database.Db(), id), sql::kStateRunning);
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
    EXPECT_EQ(timeline.Texts(), startAndEnd);
    EXPECT_EQ(TaskState(database.Db(), id), sql::kStateDone);
    for (int number = 1; number <= 4; ++number) EXPECT_FALSE(link.PowerSwitch(number)) << number;

    // The bytes of every frame: outlets 1 and 3, channels 1, 3 and 10.
    const std::vector<std::vector<uint8_t>> frames = link.Frames();
    ASSERT_EQ(frames.size(), 6u);
    EXPECT_EQ(frames[0], (std::vector<uint8_t>{0x81, 0x40, 0x01, 0x07, 0xAC, 0x05, 0xEF}));
    for (int i : {1, 2, 3}) {
        SCOPED_TRACE(i);
        const std::vector<uint8_t>& f = frames[i];
        ASSERT_EQ(f.size(), 71u);
        EXPECT_EQ(std::vector<uint8_t>(f.begin(), f.begin() + 5),
                  (std::vector<uint8_t>{0x81, 0x40, 0x01, 0x47, 0xA4}));
        for (int offset = 5; offset <= 66; ++offset) EXPECT_EQ(f[offset], 0) << offset;
        EXPECT_EQ(f[67], 0x02);  // channel 10
        EXPECT_EQ(f[68], 0x05);  // channels 1 and 3
        EXPECT_EQ(f[69], i == 1 ? 0x01 : 0x00);
        uint8_t checksum = 0;
        for (int offset = 1; offset <= 69; ++offset) checksum ^= f[offset];
        EXPECT_EQ(f[70], checksum);
    }
    const std::vector<uint8_t> closePower = {0x81, 0x40, 0x01, 0x07, 0xAC, 0x80, 0x6A};
    EXPECT_EQ(frames[4], closePower);
    EXPECT_EQ(frames[5], closePower);
}

TEST_F(SchedulerTest, OutletsTheTaskDoesNotNameKeepTheirSetting) {
    TaskRow row;
    row.power = "1x0";  // outlet 2 untouched, outlet 4 missing
    InsertTask(database.Db(), row);
    link.SetPowerSwitch(2, true);
    link.SetPowerSwitch(3, true);
    link.SetPowerSwitch(4, true);
    RunUntil(Monday(7, 59, 51));
    EXPECT_TRUE(link.PowerSwitch(1));
    EXPECT_TRUE(link.PowerSwitch(2));
    EXPECT_FALSE(link.PowerSwitch(3));
    EXPECT_TRUE(link.PowerSwitch(4));
    EXPECT_EQ(link.Frames().front()[5], 0x0B);
}

struct StepCase {
    const char* label;
    const char* code;
    int hour, minute, second;
    const char* state;
    Texts expected;
};

// The steps of each rule, in order, for the three repeat kinds. The bracket shows the task's
// stored state at each step, so the state update's place among the steps is checked too.
TEST_F(SchedulerTest, StepsOfEachRuleInOrder) {
    const std::string idle = sql::kStateIdle, running = sql::kStateRunning, done = sql::kStateDone;
    auto at = [](const char* time, const std::string& what, const std::string& state) {
        return std::string(time) + " " + what + " [" + state + "]";
    };
    auto startSteps = [&](const char* time, const std::string& before) {
        return Texts{at(time, "ClearOpenFailure", before), at(time, kHandOver, before),
                     at(time, "WM_PLAY_TASK", before), at(time, "WM_TASKS_CHANGED", running)};
    };
    const Texts start = startSteps("08:00:00.000", idle);
    const Texts end = {at("08:30:00.000", "SendAudioCom off", running),
                       at("08:30:00.000", "WM_STOP_TASK", running),
                       at("08:30:00.000", "WM_TASKS_CHANGED", done)};
    const Texts powerDown = {at("08:30:15.000", "ClosePower", done),
                             at("08:30:15.000", "WM_POWER_REFRESH", done)};
    const Texts stale = {at("08:45:00.000", "WM_TASKS_CHANGED", done)};
    const Texts weeklyPowerUp = {
        at("07:59:50.000", "WM_POWER_REFRESH", idle), at("07:59:50.000", "SendPower 05", idle),
        at("07:59:50.000", "SendAudioCom on", idle), at("07:59:50.000", "WM_ZONE_REFRESH", idle)};
    const Texts pausedPowerUp = {
        at("07:59:50.000", "WM_POWER_REFRESH", idle), at("07:59:50.000", "SendPower 05", idle),
        at("07:59:50.500", "WM_ZONE_REFRESH", idle), at("07:59:50.500", "SendAudioCom on", idle)};
    const Texts latePower = {at("08:10:00.000", "WM_POWER_REFRESH", done),
                             at("08:10:00.000", "SendPower 05", done)};
    auto late = [&](Texts middle, const Texts& tail) {
        Texts all = latePower;
        all.insert(all.end(), middle.begin(), middle.end());
        all.insert(all.end(), tail.begin(), tail.end());
        return all;
    };
    const Texts lateHandOver = {
        at("08:10:00.500", "ClearOpenFailure", running), at("08:10:00.500", kHandOver, running),
        at("08:10:00.500", "WM_PLAY_TASK", running), at("08:10:00.500", "WM_TASKS_CHANGED", running)};
    const StepCase cases[] = {
        {"R1 weekly", kRepeatWeekly, 7, 59, 50, sql::kStateIdle, weeklyPowerUp},
        {"R1 daily", kRepeatDaily, 7, 59, 50, sql::kStateIdle, pausedPowerUp},
        {"R1 once", kRepeatOnce, 7, 59, 50, sql::kStateIdle, pausedPowerUp},
        {"R2 weekly", kRepeatWeekly, 8, 0, 0, sql::kStateIdle, start},
        {"R2 daily", kRepeatDaily, 8, 0, 0, sql::kStateIdle, start},
        {"R2 once", kRepeatOnce, 8, 0, 0, sql::kStateIdle, start},
        {"R3 weekly", kRepeatWeekly, 8, 10, 0, sql::kStateDone,
         late({at("08:10:00.500", "SendAudioCom on", done), at("08:10:00.500", "WM_ZONE_REFRESH", running)},
              lateHandOver)},
        {"R3 daily", kRepeatDaily, 8, 10, 0, sql::kStateDone,
         late(
             {at("08:10:00.500", "WM_ZONE_REFRESH", running), at("08:10:00.500", "SendAudioCom on", running)},
             lateHandOver)},
        {"R3 once", kRepeatOnce, 8, 10, 0, sql::kStateDone,
         late({at("08:10:00.500", "WM_ZONE_REFRESH", done), at("08:10:00.500", "SendAudioCom on", done)},
              {at("08:10:00.500", "ClearOpenFailure", done), at("08:10:00.500", kHandOver, done),
               at("08:10:00.500", "WM_PLAY_TASK", done), at("08:10:00.500", "WM_TASKS_CHANGED", running)})},
        {"R3 not while running", kRepeatDaily, 8, 10, 0, sql::kStateRunning, {}},
        {"R4 weekly", kRepeatWeekly, 8, 30, 0, sql::kStateRunning, end},
        {"R4 daily", kRepeatDaily, 8, 30, 0, sql::kStateRunning, end},
        {"R4 once", kRepeatOnce, 8, 30, 0, sql::kStateRunning, end},
        {"R4 whatever the state",
         kRepeatDaily,
         8,
         30,
         0,
         sql::kStateIdle,
         {at("08:30:00.000", "SendAudioCom off", idle), at("08:30:00.000", "WM_STOP_TASK", idle),
          at("08:30:00.000", "WM_TASKS_CHANGED", done)}},
        {"R5 weekly", kRepeatWeekly, 8, 45, 0, sql::kStateRunning, stale},
        {"R5 daily", kRepeatDaily, 8, 45, 0, sql::kStateRunning, stale},
        {"R5 once", kRepeatOnce, 8, 45, 0, sql::kStateRunning, stale},
        {"R5 instead of R6",
         kRepeatDaily,
         8,
         30,
         15,
         sql::kStateRunning,
         {at("08:30:15.000", "WM_TASKS_CHANGED", done)}},
        {"R6 weekly", kRepeatWeekly, 8, 30, 15, sql::kStateDone, powerDown},
        {"R6 daily", kRepeatDaily, 8, 30, 15, sql::kStateDone, powerDown},
        {"R6 once", kRepeatOnce, 8, 30, 15, sql::kStateDone, powerDown},
        {"between the rules", kRepeatDaily, 8, 30, 14, sql::kStateDone, {}},
        {"before power-up", kRepeatDaily, 7, 59, 49, sql::kStateIdle, {}},
        {"between power-up and start", kRepeatDaily, 7, 59, 55, sql::kStateIdle, {}},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(c.label);
        database.Db().ExecuteSql("delete from tb_memo");
        TaskRow row;
        row.code = c.code;
        row.weekDays = "2";  // Monday
        row.state = c.state;
        const std::string id = InsertTask(database.Db(), row);
        timeline.SetStateProbe([&] { return TaskState(database.Db(), id); });
        timeline.Clear();
        clock.SetTime(Monday(c.hour, c.minute, c.second));
        scheduler.Tick();
        EXPECT_EQ(timeline.Texts(), c.expected);
    }
}

TEST_F(SchedulerTest, LateStartHappensOnceWhateverTheStateBesidesRunning) {
    for (const char* state : {sql::kStateIdle, sql::kStateDone}) {
        SCOPED_TRACE(state);
        database.Db().ExecuteSql("delete from tb_memo");
        TaskRow row;
        row.state = state;
        const std::string id = InsertTask(database.Db(), row);
        timeline.Clear();
        clock.SetTime(Monday(8, 10, 0));
        RunUntil(Monday(8, 29, 0));
        EXPECT_EQ(timeline.Count("WM_PLAY_TASK"), 1);
        EXPECT_EQ(timeline.Count("SendPower 05"), 1);
        EXPECT_EQ(timeline.Count("SendAudioCom on"), 1);
        EXPECT_EQ(TaskState(database.Db(), id), sql::kStateRunning);
    }
}

TEST_F(SchedulerTest, StaleRunningTaskIsClosedWithoutFramesOrStop) {
    TaskRow row;
    row.state = sql::kStateRunning;
    const std::string id = InsertTask(database.Db(), row);
    clock.SetTime(Monday(8, 45, 0));
    RunUntil(Monday(8, 46, 0));
    EXPECT_EQ(timeline.Texts(), (Texts{"08:45:00.000 WM_TASKS_CHANGED"}));
    EXPECT_TRUE(link.Frames().empty());
    EXPECT_EQ(TaskState(database.Db(), id), sql::kStateDone);
}

struct CalendarCase {
    const char* label;
    const char* code;
    const char* weekDays;
    const char* date;
    int year, month, day;  // the day of the tick
    int starts;            // hand-overs expected in the one tick at the start second
};

TEST_F(SchedulerTest, CalendarDecidesWhichDaysRunAndHowOften) {
    const CalendarCase cases[] = {
        {"weekly 17 on a Saturday", kRepeatWeekly, "17", "2026-03-01", 2026, 3, 7, 1},
        {"weekly 17 on a Sunday", kRepeatWeekly, "17", "2026-03-01", 2026, 3, 8, 1},
        {"weekly 17 on a Monday", kRepeatWeekly, "17", "2026-03-01", 2026, 3, 2, 0},
        {"weekly 17 on a Saturday before its date", kRepeatWeekly, "17", "2026-03-08", 2026, 3, 7, 0},
        {"weekly 2 on a Monday", kRepeatWeekly, "2", "2026-03-01", 2026, 3, 2, 1},
        {"weekly 2 on a Tuesday", kRepeatWeekly, "2", "2026-03-01", 2026, 3, 3, 0},
        {"weekly 2 on a Monday before its date", kRepeatWeekly, "2", "2026-03-03", 2026, 3, 2, 0},
        {"weekly 2 on the next Monday", kRepeatWeekly, "2", "2026-03-03", 2026, 3, 9, 1},
        {"weekly day digit given twice", kRepeatWeekly, "22", "2026-03-01", 2026, 3, 2, 2},
        {"weekly without days", kRepeatWeekly, "", "2026-03-01", 2026, 3, 2, 0},
        {"once on its date", kRepeatOnce, "", "2026-03-02", 2026, 3, 2, 1},
        {"once the day after", kRepeatOnce, "", "2026-03-01", 2026, 3, 2, 0},
        {"once the day before", kRepeatOnce, "", "2026-03-03", 2026, 3, 2, 0},
        {"once ignores week days", kRepeatOnce, "1", "2026-03-02", 2026, 3, 2, 1},
        {"daily from long ago", kRepeatDaily, "", "2025-01-01", 2026, 3, 2, 1},
        {"daily with a future date", kRepeatDaily, "", "2026-03-03", 2026, 3, 2, 0},
        {"unknown code 3", "3", "2", "2026-03-01", 2026, 3, 2, 0},
        {"empty code", "", "2", "2026-03-01", 2026, 3, 2, 0},
        {"code with a blank", "2 ", "", "2026-03-01", 2026, 3, 2, 0},
    };
    for (const CalendarCase& c : cases) {
        SCOPED_TRACE(c.label);
        database.Db().ExecuteSql("delete from tb_memo");
        TaskRow row;
        row.code = c.code;
        row.weekDays = c.weekDays;
        row.date = c.date;
        InsertTask(database.Db(), row);
        timeline.Clear();
        clock.SetTime(LocalTime(c.year, c.month, c.day, 8, 0, 0));
        scheduler.Tick();
        EXPECT_EQ(timeline.Count("WM_PLAY_TASK"), c.starts);
        EXPECT_EQ(timeline.Count(kHandOver), c.starts);
    }
}

TEST_F(SchedulerTest, DayDigitGivenTwiceComparesTheStateReadBeforeEither) {
    TaskRow row;
    row.code = kRepeatWeekly;
    row.weekDays = "22";
    row.state = sql::kStateDone;
    InsertTask(database.Db(), row);
    clock.SetTime(Monday(8, 10, 0));
    scheduler.Tick();
    // Both evaluations see "已执行", so the late start runs twice in the one tick.
    EXPECT_EQ(timeline.Count("WM_PLAY_TASK"), 2);
    EXPECT_EQ(timeline.Count("SendAudioCom on"), 2);
}

TEST_F(SchedulerTest, RowsAreTakenInStartTimeOrderAndEachReadsTheClockAfresh) {
    // Inserted last to first; each powers a different outlet.
    const struct {
        const char* start;
        const char* power;
    } rows[] = {{"08:00:11", "0010"}, {"08:00:10", "0100"}, {"08:00:10", "1000"}};
    for (const auto& r : rows) {
        TaskRow row;
        row.start = r.start;
        row.power = r.power;
        InsertTask(database.Db(), row);
    }
    clock.SetTime(Monday(8, 0, 0));
    scheduler.Tick();
    // The two pauses of the 08:00:10 tasks carry the clock into 08:00:01, which is the power-up
    // second of the 08:00:11 task.
    Texts powers;
    for (const CTaskTimeline::Event& e : timeline.Events())
        if (e.what.rfind("SendPower", 0) == 0) powers.push_back(e.text);
    EXPECT_EQ(powers,
              (Texts{"08:00:00.000 SendPower 02", "08:00:00.500 SendPower 01", "08:00:01.000 SendPower 04"}));
}

TEST_F(SchedulerTest, UpdateTaskStateChangesOnlyTheGivenRow) {
    const std::string first = InsertTask(database.Db(), TaskRow{});
    const std::string second = InsertTask(database.Db(), TaskRow{});
    scheduler.UpdateTaskState(second + "abc", sql::kStateRunning);  // the ID read by its digits
    EXPECT_EQ(TaskState(database.Db(), first), sql::kStateIdle);
    EXPECT_EQ(TaskState(database.Db(), second), sql::kStateRunning);
}

TEST_F(SchedulerTest, DatabaseErrorLeavesTheTick) {
    database.Db().ExecuteSql("drop table tb_memo");
    clock.SetTime(Monday(8, 0, 0));
    EXPECT_THROW(scheduler.Tick(), CDbError);
    EXPECT_TRUE(timeline.Events().empty());
}

// Days on which the clocks change, in a zone that changes them: 2026-03-29 has no 02:00 to
// 03:00, 2026-10-25 has 02:00 to 03:00 twice.
class SchedulerDaylightSavingTest : public SchedulerTest {
protected:
    // Wall-clock milliseconds of the hand-overs and stops.
    std::vector<int64_t> Moments(const std::string& what) const {
        std::vector<int64_t> moments;
        for (const CTaskTimeline::Event& e : timeline.Events())
            if (e.what == what) moments.push_back(e.millis);
        return moments;
    }

    test::CZone zone{"Europe/Berlin"};
};

TEST_F(SchedulerDaylightSavingTest, DailyTaskKeepsItsLocalTimesAcrossTheChange) {
    TaskRow row;
    row.date = "2026-03-01";
    InsertTask(database.Db(), row);
    for (int day : {28, 29, 30}) {
        SCOPED_TRACE(day);
        timeline.Clear();
        clock.SetTime(LocalTime(2026, 3, day, 7, 59, 0));
        RunUntil(LocalTime(2026, 3, day, 8, 31, 0));
        const std::vector<int64_t> starts = Moments("WM_PLAY_TASK");
        ASSERT_EQ(starts.size(), 2u);
        EXPECT_EQ(test::ClockText(starts[0]), "08:00:00.000");
        const std::vector<int64_t> stops = Moments("WM_STOP_TASK");
        ASSERT_EQ(stops.size(), 2u);
        EXPECT_EQ(stops[0] - starts[0], 30 * 60 * 1000);
        EXPECT_EQ(timeline.Count("ClosePower"), 2);
    }
}

TEST_F(SchedulerDaylightSavingTest, TaskInTheMissingHourRunsOnceForItsDuration) {
    TaskRow row;
    row.date = "2026-03-01";
    row.start = "02:30:00";
    row.end = "02:45:00";
    InsertTask(database.Db(), row);
    clock.SetTime(LocalTime(2026, 3, 29, 1, 59, 0));
    RunUntil(LocalTime(2026, 3, 29, 4, 0, 0));
    const std::vector<int64_t> starts = Moments("WM_PLAY_TASK");
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[1] - starts[0], 500);
    const std::vector<int64_t> stops = Moments("WM_STOP_TASK");
    ASSERT_EQ(stops.size(), 2u);
    EXPECT_EQ(stops[0] - starts[0], 15 * 60 * 1000);
    EXPECT_EQ(timeline.Count("ClosePower"), 2);
}

TEST_F(SchedulerDaylightSavingTest, TaskInTheRepeatedHourRunsOnce) {
    TaskRow row;
    row.date = "2026-03-01";
    row.start = "02:30:00";
    row.end = "02:45:00";
    const std::string id = InsertTask(database.Db(), row);
    clock.SetTime(LocalTime(2026, 10, 25, 1, 59, 0));
    RunUntil(LocalTime(2026, 10, 25, 4, 0, 0));  // three hours of wall time
    const std::vector<int64_t> starts = Moments("WM_PLAY_TASK");
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[1] - starts[0], 500);
    EXPECT_EQ(timeline.Count("WM_STOP_TASK"), 2);
    EXPECT_EQ(timeline.Count("SendPower 05"), 1);
    EXPECT_EQ(TaskState(database.Db(), id), sql::kStateDone);
}

TEST_F(SchedulerDaylightSavingTest, OnceTaskBelongsToItsOwnCalendarDay) {
    TaskRow shortDay;
    shortDay.code = kRepeatOnce;
    shortDay.date = "2026-03-29";
    shortDay.start = "00:10:00";
    shortDay.end = "00:20:00";
    InsertTask(database.Db(), shortDay);
    // Less than 24 hours after the start of a 23-hour day, but already the next date.
    clock.SetTime(LocalTime(2026, 3, 30, 0, 5, 0));
    RunUntil(LocalTime(2026, 3, 30, 0, 25, 0));
    EXPECT_TRUE(timeline.Events().empty());

    database.Db().ExecuteSql("delete from tb_memo");
    TaskRow longDay;
    longDay.code = kRepeatOnce;
    longDay.date = "2026-10-25";
    longDay.start = "23:30:00";
    longDay.end = "23:40:00";
    InsertTask(database.Db(), longDay);
    // More than 24 hours after the start of a 25-hour day, still the same date.
    clock.SetTime(LocalTime(2026, 10, 25, 23, 29, 0));
    RunUntil(LocalTime(2026, 10, 25, 23, 41, 0));
    EXPECT_EQ(timeline.Count("WM_PLAY_TASK"), 2);
    EXPECT_EQ(timeline.Count("WM_STOP_TASK"), 2);
}

// A link that is not running drops the frames; the pages are told all the same.
TEST(SchedulerOnAStoppedLink, RefreshMessagesArePostedWhileFramesAreDropped) {
    test::TestDatabase database;
    CSimulatedClock clock(LocalTime(2026, 3, 2, 7, 59, 50));
    CTaskTimeline timeline([&] { return clock.NowMillis(); });
    CRecordingOwner owner(timeline);
    CTransmitterLink link;
    CScheduler scheduler(database.Db(), link, clock);
    scheduler.SetOwner(&owner);
    InsertTask(database.Db(), TaskRow{});
    scheduler.Tick();
    EXPECT_EQ(timeline.Texts(), (Texts{"07:59:50.000 WM_POWER_REFRESH", "07:59:50.500 WM_ZONE_REFRESH"}));
    EXPECT_EQ(link.QueuedCount(), 0u);
    EXPECT_TRUE(link.PowerSwitch(1));
}

}  // namespace
}  // namespace lumetra
