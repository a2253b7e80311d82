// Automatic shutdown against a real database file, a recording timer owner, notice and power
// control: nothing here can switch the machine off.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SchedulerRig.h"
#include "schedule/AutoShutdown.h"
#include "schedule/BroadcastActivity.h"
#include "schedule/PowerControl.h"
#include "schedule/ShutdownNotice.h"
#include "schedule/ShutdownTimerOwner.h"
#include "schedule/SimulatedClock.h"
#include "store/Database.h"
#include "store/Recordset.h"
#include "tests/support/LocalTime.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using std::chrono::milliseconds;
using test::LocalTime;
using Events = std::vector<long long>;

// Also the window, whose timer events record what it was told in order (a period for a start,
// -1 for a kill), the notice, whose last words are kept, and the power control, which refuses
// unless told to accept.
class AutoShutdownTest : public ::testing::Test,
                         public IShutdownTimerOwner,
                         public IShutdownNotice,
                         public IPowerControl {
protected:
    void SetUp() override {
        shutdown.SetWindow(this);
        shutdown.SetNotice(this);
    }
    void ShowCountdown(long secondsLeft) override { notice = "countdown " + std::to_string(secondsLeft); }
    void ShowWaitingForBroadcast() override { notice = "waiting"; }
    void ShowPowerOffRefused(const std::string& reason) override { notice = "refused: " + reason; }
    void HideNotice() override { notice = "hidden"; }
    void StartShutdownTimer(milliseconds period) override { events.push_back(period.count()); }
    void KillShutdownTimer() override { events.push_back(-1); }
    bool PowerOff(std::string* reason) override {
        ++requests;
        if (!accept) *reason = "not allowed in a test";
        return accept;
    }
    // The period of the timer left running, or -1 when none is.
    long long Pending() const { return events.empty() ? -1 : events.back(); }
    void Store(const std::string& enabled, const std::string& time) {
        database.Db().ExecuteSql("update shut_down set 启用关机='" + enabled + "', 关机时间='" + time + "'");
    }
    // "on" or "off" and hour:minute:second, as loaded.
    static std::string Setting(CAutoShutdown& s) {
        return (s.IsEnabled() ? "on " : "off ") + std::to_string(s.Hour()) + ":" +
               std::to_string(s.Minute()) + ":" + std::to_string(s.Second());
    }
    std::string Stored() {
        CRecordset rows(database.Db());
        rows.Open("select * from shut_down");
        return rows.GetFieldText("启用关机") + " " + rows.GetFieldText("关机时间");
    }

    // Sets the clock to that time of 2026-03-05 (or of a later day) and lets the timer fire.
    void FireAt(int hour, int minute, int second, int day = 5) {
        clock.SetTime(LocalTime(2026, 3, day, hour, minute, second));
        shutdown.OnTimer();
    }

    Events events;
    std::string notice = "none";
    bool accept = false;
    int requests = 0;
    test::TestDatabase database;
    CSimulatedClock clock{LocalTime(2026, 3, 5, 21, 59, 0)};
    CAutoShutdown shutdown{database.Db(), clock, *this};
};

TEST_F(AutoShutdownTest, ArmsTheTimerForTheNextOccurrenceOfTheTime) {
    const struct {
        const char *enabled, *stored;
        int hour, minute, second;  // local time of day when armed
        long long seconds;         // until the shutdown, -1 for none
    } cases[] = {
        {"1", "22:0:0", 21, 59, 0, 60}, {"1", "22:0:0", 22, 0, 1, 86399},  // just passed: tomorrow
        {"1", "22:0:0", 22, 0, 0, 0},                                      // now: at once
        {"1", "0:0:0", 23, 59, 59, 1},  {"1", "23:5:9", 0, 0, 0, 83109},
        {"0", "22:0:0", 21, 59, 0, -1},  // off: no timer
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.enabled) + " " + c.stored + " armed at " + std::to_string(c.hour) + ":" +
                     std::to_string(c.minute) + ":" + std::to_string(c.second));
        Store(c.enabled, c.stored);
        clock.SetTime(LocalTime(2026, 3, 5, c.hour, c.minute, c.second));
        events.clear();
        shutdown.Arm();
        // The timer fires a minute ahead, for the warning; at once when less is left.
        const long long warning = std::max(0LL, c.seconds - CAutoShutdown::kWarningLead);
        EXPECT_EQ(events, c.seconds < 0 ? Events{-1} : (Events{-1, warning * 1000}));
        EXPECT_EQ(shutdown.Deadline(), c.seconds < 0 ? -1 : clock.Now() + c.seconds);
    }
}

TEST_F(AutoShutdownTest, LoadReadsTheSwitchExactlyAndTheTimeByLeadingDigits) {
    const struct {
        const char *enabled, *time, *loaded;
    } cases[] = {
        {"1", "23:5:9", "on 23:5:9"}, {"1 ", "8:0:0", "off 8:0:0"}, {"2", "08:30:15", "off 8:30:15"},
        {"1", "12:7", "on 12:7:0"},   {"1", "", "on 12:7:0"},  // an empty time keeps the one loaded before
        {"1", "x:y:z", "on 0:0:0"},
    };
    for (const auto& c : cases) {
        Store(c.enabled, c.time);
        shutdown.Load();
        EXPECT_EQ(Setting(shutdown), c.loaded) << "'" << c.enabled << "' '" << c.time << "'";
    }
}

// Saving with the box off stores "0" and stops the pending shutdown; a save the database refuses
// changes neither the setting nor the timer.
TEST_F(AutoShutdownTest, SavingWithTheBoxOffStopsAPendingShutdownUnlessRefused) {
    shutdown.Save(true, 22, 1, 0);
    ASSERT_EQ(Pending(), 60000);
    const Events armed = events;
    database.Db().ExecuteSql("alter table shut_down rename to away");
    EXPECT_THROW(shutdown.Save(false, 6, 0, 0), CDbError);
    EXPECT_EQ(Setting(shutdown), "on 22:1:0");
    EXPECT_EQ(events, armed) << "the pending shutdown must stay armed";

    database.Db().ExecuteSql("alter table away rename to shut_down");
    shutdown.Save(false, 23, 30, 0);
    EXPECT_EQ(Pending(), -1);
    EXPECT_EQ(Stored(), "0 23:30:0");
    EXPECT_EQ(Setting(shutdown), "off 23:30:0");
}

TEST_F(AutoShutdownTest, MissingRowIsReportedAsADatabaseError) {
    database.Db().ExecuteSql("delete from shut_down");
    EXPECT_THROW(shutdown.Arm(), CDbError);
    EXPECT_EQ(events, Events{-1});
}

TEST_F(AutoShutdownTest, WarnsAMinuteAheadThenPowersOffAndArmsTomorrow) {
    clock.SetTime(LocalTime(2026, 3, 5, 21, 58, 0));
    shutdown.Save(true, 22, 0, 0);
    ASSERT_EQ(Pending(), 60000);
    FireAt(21, 59, 0);
    EXPECT_EQ(notice, "countdown 60");
    EXPECT_EQ(Pending(), 1000) << "the countdown ticks every second";
    FireAt(21, 59, 59);
    EXPECT_EQ(notice, "countdown 1");
    EXPECT_EQ(requests, 0);

    FireAt(22, 0, 0);
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(notice, "refused: not allowed in a test");
    EXPECT_EQ(Pending(), (86400 - 60) * 1000LL) << "a refusal waits for tomorrow, it never loops";
    EXPECT_EQ(shutdown.Deadline(), LocalTime(2026, 3, 6, 22, 0, 0));

    accept = true;
    FireAt(22, 0, 0, 6);
    EXPECT_EQ(requests, 2);
    EXPECT_EQ(notice, "hidden");
}

TEST_F(AutoShutdownTest, CancelSkipsTodayOnlyAndKeepsTheSetting) {
    clock.SetTime(LocalTime(2026, 3, 5, 21, 59, 30));
    shutdown.Save(true, 22, 0, 0);
    ASSERT_EQ(Pending(), 0) << "half a minute left: the countdown starts at once";
    FireAt(21, 59, 30);
    ASSERT_EQ(notice, "countdown 30");
    shutdown.CancelToday();
    EXPECT_EQ(notice, "hidden");
    EXPECT_EQ(Pending(), (86400 + 30 - 60) * 1000LL);
    EXPECT_FALSE(shutdown.IsCountingDown());
    EXPECT_EQ(Stored(), "1 22:0:0");
    FireAt(22, 0, 0);  // a stray tick of the old timer changes nothing
    EXPECT_EQ(requests, 0);
}

TEST_F(AutoShutdownTest, ABroadcastHoldsThePowerOffUntilItsOutletsAreOff) {
    // Daily task 21:30:00 to 22:00:10, on the air: the scheduler switches its outlets off at
    // 22:00:25.
    test::TaskRow row;
    row.start = "21:30:00", row.end = "22:00:10", row.state = sql::kStateRunning;
    const std::string id = test::InsertTask(database.Db(), row);
    clock.SetTime(LocalTime(2026, 3, 5, 21, 59, 0));
    shutdown.Save(true, 22, 0, 0);
    FireAt(21, 59, 0);
    FireAt(22, 0, 0);
    EXPECT_EQ(notice, "waiting");
    database.Db().ExecuteSql("update tb_memo set 状态='已执行' where ID=" + id);
    FireAt(22, 0, 25);
    EXPECT_EQ(notice, "waiting");
    EXPECT_EQ(requests, 0);
    FireAt(22, 0, 26);
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(shutdown.Deadline(), LocalTime(2026, 3, 6, 22, 0, 0));
}

TEST(BroadcastActivityTest, TasksHoldTheMachineFromPowerUpToPowerDown) {
    const struct {
        const char *start, *end, *code, *state;
        int hour, minute, second;
        bool holds;
        bool holiday = false;
    } cases[] = {
        {"08:00:00", "08:30:00", kRepeatDaily, "未执行", 7, 59, 49, false},
        {"08:00:00", "08:30:00", kRepeatDaily, "未执行", 7, 59, 50, true},        // outlets go on
        {"08:00:00", "08:30:00", kRepeatDaily, "正在执行", 12, 0, 0, true},       // marked running
        {"08:00:00", "08:30:00", kRepeatWeekly, "未执行", 8, 10, 0, false},       // weekly, not today
        {"08:00:00", "08:30:00", kRepeatDaily, "未执行", 8, 10, 0, false, true},  // not on a holiday
        {"08:00:00", "08:30:00", kRepeatOnce, "未执行", 8, 10, 0, true, true},    // once: its date rules
    };
    const long march5 = CivilDayNumber(2026, 3, 5);
    const CSchoolCalendar holiday({{march5, march5, 0, "校庆"}});
    for (const auto& c : cases) {
        TaskRecord task;
        task.date = c.code == kRepeatOnce ? "2026-03-05" : "2026-03-02", task.startTime = c.start,
        task.endTime = c.end;
        task.repeatCode = c.code, task.state = c.state, task.weekDays = "2";  // Mondays
        EXPECT_EQ(HoldsMachineOn(task, LocalTime(2026, 3, 5, c.hour, c.minute, c.second),
                                 c.holiday ? holiday : CSchoolCalendar()),
                  c.holds)
            << c.code << " " << c.state << " at " << c.hour << ":" << c.minute << ":" << c.second;
    }
}

}  // namespace
}  // namespace lumetra
