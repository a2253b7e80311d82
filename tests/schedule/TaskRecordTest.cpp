// The calendar rules of a task: which days it is due, and the seconds that matter on such a day.
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "schedule/TaskRecord.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"
#include "tests/support/LocalTime.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using test::CZone;
constexpr auto Local = test::LocalTime;
TaskRecord Task(const char* code, const char* date, const char* weekDays = "", const char* start = "08:00:00",
                const char* end = "08:30:00") {
    TaskRecord t;
    t.repeatCode = code;
    t.date = date;
    t.weekDays = weekDays;
    t.startTime = start;
    t.endTime = end;
    return t;
}

// 2026-03-01 is a Sunday.
TEST(IsDueToday, RepeatKindsOverAWeek) {
    CZone tz("Asia/Shanghai");
    const struct {
        TaskRecord task;
        const char* dueOnDays;  // one character per day, 2026-02-28 (Sat) to 2026-03-08 (Sun)
    } cases[] = {
        {Task("0", "2026-03-03"), "...X....."},       {Task("2", "2026-03-03"), "...XXXXXX"},
        {Task("2", "2026-02-01"), "XXXXXXXXX"},       {Task("1", "2026-02-01", "17"), "XX.....XX"},
        {Task("1", "2026-03-02", "17"), ".......XX"}, {Task("1", "2026-02-01", "2"), "..X......"},
        {Task("1", "2026-03-03", "2"), "........."},  {Task("1", "2026-02-01", "246"), "..X.X.X.."},
        {Task("1", "2026-02-01", ""), "........."},   {Task("1", "2026-02-01", "089x"), "........."},
        {Task("3", "2026-02-01"), "........."},       {Task("", "2026-02-01"), "........."},
        {Task("02", "2026-02-01"), "........."},
    };
    for (const auto& c : cases) {
        std::string due;
        for (int day = 0; day < 9; ++day)
            due += IsDueToday(c.task, Local(2026, 2, 28 + day, 12, 0, 0)) ? 'X' : '.';
        EXPECT_EQ(due, c.dueOnDays) << "code " << c.task.repeatCode << " date " << c.task.date << " days "
                                    << c.task.weekDays;
    }
}

TEST(DueCountToday, AWeekDayGivenTwiceCountsTwice) {
    CZone tz("Asia/Shanghai");
    const std::time_t monday = Local(2026, 3, 2, 9, 0, 0);
    EXPECT_EQ(DueCountToday(Task("1", "2026-01-01", "22"), monday), 2);
    EXPECT_EQ(DueCountToday(Task("1", "2026-01-01", "2722"), monday), 3);
    EXPECT_EQ(DueCountToday(Task("1", "2026-01-01", "17"), monday), 0);
    EXPECT_EQ(DueCountToday(Task("2", "2026-01-01", "22"), monday), 1)
        << "week days count only for weekly tasks";
}

TEST(TaskTimes, DayOffsetAroundMidnight) {
    CZone tz("Asia/Shanghai");
    const TaskRecord yesterday = Task("2", "2026-03-04");
    EXPECT_EQ(TaskTimes(yesterday, Local(2026, 3, 5, 0, 0, 5)).dayOffset, 1);
    EXPECT_EQ(TaskTimes(yesterday, Local(2026, 3, 4, 23, 59, 59)).dayOffset, 0);
    EXPECT_EQ(TaskTimes(yesterday, Local(2026, 3, 4, 0, 0, 0)).dayOffset, 0);
    EXPECT_EQ(TaskTimes(yesterday, Local(2026, 3, 3, 23, 59, 59)).dayOffset, -1);
    const TaskRecord tomorrow = Task("2", "2026-03-06");
    for (int hour : {0, 8, 23}) EXPECT_EQ(TaskTimes(tomorrow, Local(2026, 3, 5, hour, 0, 0)).dayOffset, -1);
    EXPECT_EQ(TaskTimes(Task("2", "2025-03-05"), Local(2026, 3, 5, 0, 0, 0)).dayOffset, 365);
}

TEST(TaskTimes, SecondsAroundStartAndEnd) {
    CZone tz("Asia/Shanghai");
    const TaskRecord t = Task("2", "2026-03-01", "", "08:00:00", "08:30:00");
    const struct {
        int h, m, s;
        long sinceStart, sinceEnd;
    } cases[] = {
        {7, 59, 50, -10, -1810}, {8, 0, 0, 0, -1800},   {8, 10, 0, 600, -1200},
        {8, 30, 0, 1800, 0},     {8, 30, 15, 1815, 15},
    };
    for (const auto& c : cases) {
        const TaskTimesResult r = TaskTimes(t, Local(2026, 3, 5, c.h, c.m, c.s));
        EXPECT_EQ(r.sinceStart, c.sinceStart) << c.h << ":" << c.m << ":" << c.s;
        EXPECT_EQ(r.sinceEnd, c.sinceEnd);
        EXPECT_EQ(r.duration, 1800);
        EXPECT_EQ(r.dayOffset, 4);
    }
}

// Texts the editor never writes are read by their leading digits, without a crash.
TEST(TaskTimes, OddTextsAreReadByTheirDigits) {
    CZone tz("Asia/Shanghai");
    const std::time_t now = Local(2026, 3, 5, 9, 0, 0);
    EXPECT_EQ(TaskTimes(Task("2", "2026-3-5", "", "9:0:0", "9:1"), now).sinceStart, 0);
    EXPECT_EQ(TaskTimes(Task("2", "2026-3-5", "", "9:0:0", "9:1"), now).duration, 60);
    EXPECT_EQ(TaskTimes(Task("2", "2026-3-5"), now).dayOffset, 0);
    EXPECT_EQ(TaskTimes(Task("2", "2026-03-05", "", "9", "10"), now).duration, 3600);
    // Malformed dates only must not crash or throw; the moment they stand for is unspecified.
    for (const char* date : {"", "x", "2026", "2026-", "2026-03", "----------", "9999-99-99"})
        EXPECT_NO_THROW(TaskTimes(Task("2", date, "", "", ""), now)) << date;
}

// On the days the clocks change, a moment is built with the rule of its own date.
TEST(TaskTimes, DaylightSavingChangeDays) {
    CZone tz("Europe/Berlin");
    // 2026-03-29: 02:00 becomes 03:00, the day has 23 hours.
    const TaskRecord spring = Task("2", "2026-03-28", "", "01:00:00", "04:00:00");
    const TaskTimesResult r1 = TaskTimes(spring, Local(2026, 3, 29, 4, 0, 0));
    EXPECT_EQ(r1.dayOffset, 1);
    EXPECT_EQ(r1.sinceEnd, 0);
    EXPECT_EQ(r1.duration, 2 * 3600) << "01:00 to 04:00 lasts two hours on the spring day";
    EXPECT_EQ(TaskTimes(spring, Local(2026, 3, 29, 0, 30, 0)).dayOffset, 1);
    EXPECT_EQ(TaskTimes(spring, Local(2026, 3, 28, 23, 30, 0)).dayOffset, 0);
    // The day after the change: 23 hours after midnight of the 29th is already the 30th.
    EXPECT_EQ(TaskTimes(Task("2", "2026-03-29"), Local(2026, 3, 30, 0, 0, 1)).dayOffset, 1);
    EXPECT_EQ(TaskTimes(Task("2", "2026-03-29"), Local(2026, 3, 29, 23, 59, 59)).dayOffset, 0);

    // 2026-10-25: 03:00 becomes 02:00, the day has 25 hours.
    const TaskRecord autumn = Task("2", "2026-10-25", "", "01:00:00", "04:00:00");
    EXPECT_EQ(TaskTimes(autumn, Local(2026, 10, 25, 4, 0, 0)).duration, 4 * 3600);
    EXPECT_EQ(TaskTimes(autumn, Local(2026, 10, 25, 23, 59, 59)).dayOffset, 0)
        << "25 hours after midnight the date is still the same";
    EXPECT_EQ(TaskTimes(autumn, Local(2026, 10, 26, 0, 0, 0)).dayOffset, 1);
    EXPECT_EQ(TaskTimes(autumn, Local(2026, 10, 26, 8, 0, 0)).sinceStart, 7 * 3600);
}

TEST(ZoneFlags, EntriesReadAsNumbersSelectChannels) {
    TaskRecord t;
    t.zones = "0|2|x|01|0|1";  // short list: missing entries count as "0"
    ChannelFlags expected{};
    expected[1] = expected[3] = expected[5] = 1;
    EXPECT_EQ(ZoneFlags(t), expected);
    t.zones = "";
    EXPECT_EQ(ZoneFlags(t), ChannelFlags{});
    t.zones = "0";
    for (int i = 2; i <= 128; ++i) t.zones += i == 128 ? "|1" : "|0";
    t.zones += "|1|1";  // more than 128 entries: the rest is ignored
    expected = {};
    expected[127] = 1;
    EXPECT_EQ(ZoneFlags(t), expected);
}

TEST(PowerSwitches, OnesAndZerosSetTheSwitchesAnythingElseLeavesThem) {
    const struct {
        const char* power;
        const char* before;
        const char* after;
    } cases[] = {{"1001", "0110", "1001"},
                 {"0000", "1111", "0000"},
                 {"1x0", "0111", "1101"},
                 {"", "1010", "1010"},
                 {"111100", "0000", "1111"}};
    for (const auto& c : cases) {
        TaskRecord t;
        t.power = c.power;
        std::array<bool, 4> switches;
        for (int i = 0; i < 4; ++i) switches[i] = c.before[i] == '1';
        ApplyPowerSwitches(t, switches);
        std::string after;
        for (bool on : switches) after += on ? '1' : '0';
        EXPECT_EQ(after, c.after) << c.power;
    }
}

TEST(TaskRecordFromRow, ReadsEveryColumnAndToleratesNulls) {
    test::TestDatabase db;
    db.Db().ExecuteSql(FormatSql(sql::kInsertTask, "早操", "2026-03-05", "08:00:00", "08:30:00", "天", "1",
                                 "/a.mp3", "1|0", "2", "", "未执行", "1", "1001"));
    auto fields = [](const TaskRecord& t) {
        return t.id + "," + t.name + "," + t.date + "," + t.startTime + "," + t.endTime + "," + t.repeatText +
               "," + t.source + "," + t.playList + "," + t.zones + "," + t.repeatCode + "," + t.weekDays +
               "," + t.state + "," + t.fm + "," + t.power;
    };
    CRecordset rows(db.Db());
    rows.Open(sql::kSelectTasksForTick);
    EXPECT_EQ(fields(TaskRecord::FromRow(rows)),
              "1,早操,2026-03-05,08:00:00,08:30:00,天,1,/a.mp3,1|0,2,,未执行,1,1001");
    // A file written by other tools may lack columns or hold nulls.
    rows.Open("select ID, 任务名称, NULL as 日期, 提醒次数 from tb_memo");
    const TaskRecord sparse = TaskRecord::FromRow(rows);
    EXPECT_EQ(fields(sparse), "1,早操,,,,,,,,2,,,,");
    EXPECT_NO_THROW(IsDueToday(sparse, std::time(nullptr)));
}

}  // namespace
}  // namespace lumetra
