// Automatic shutdown against a real database file, a recording timer owner, notice and power
// control: nothing here can switch the machine off.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "schedule/AutoShutdown.h"
#include "schedule/BroadcastActivity.h"
#include "schedule/PowerControl.h"
#include "schedule/ShutdownNotice.h"
#include "schedule/ShutdownTimerOwner.h"
#include "schedule/SimulatedClock.h"
#include "store/Recordset.h"
#include "tests/schedule/SchedulerRig.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using std::chrono::milliseconds;
using test::LocalTime;
using Events = std::vector<long long>;

// "22:00:00" on Thursday 2026-03-05, or on a later day.
std::time_t At(const char* time, int day = 5) {
    return LocalTime(2026, 3, day, time);
}

// Also the timer's owner, whose timer events record what it was told in order (a period for a start,
// -1 for a kill), the notice, whose last words are kept, and the power control, which refuses
// unless told to accept.
class AutoShutdownTest : public ::testing::Test,
                         public IShutdownTimerOwner,
                         public IShutdownNotice,
                         public IPowerControl {
protected:
    void SetUp() override {
        shutdown.SetTimerOwner(this);
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
    // What the operator sees, the timer left running and how often a power-off was asked for.
    std::string Seen() const {
        return notice + ", timer " + std::to_string(Pending()) + ", " + std::to_string(requests) +
               " requests";
    }
    // "on" or "off" and hour:minute:second as loaded, then the stored row.
    std::string Setting() {
        CRecordset rows(database.Db());
        rows.Open("select * from shut_down");
        return (shutdown.IsEnabled() ? "on " : "off ") + std::to_string(shutdown.Hour()) + ":" +
               std::to_string(shutdown.Minute()) + ":" + std::to_string(shutdown.Second()) + ", stored " +
               rows.GetFieldText("启用关机") + " " + rows.GetFieldText("关机时间");
    }
    // Sets the clock and lets the timer fire.
    std::string FireAt(const char* time, int day = 5) {
        clock.SetTime(At(time, day));
        shutdown.OnTimer();
        return Seen();
    }

    Events events;
    std::string notice = "none";
    bool accept = false;
    int requests = 0;
    test::TestDatabase database;
    CSimulatedClock clock{At("21:59:00")};
    CAutoShutdown shutdown{database.Db(), clock, *this};
};

// Arming reads the switch exactly and the time by its leading digits (an empty time keeps the one
// read before), and arms the timer a minute ahead of the time's next occurrence, for the warning: at
// once when less is left, tomorrow when it has just passed. Each case: the stored switch and time,
// the moment of arming, what was read and the seconds until the shutdown (-1: none).
TEST_F(AutoShutdownTest, ArmsTheTimerForTheNextOccurrenceOfTheTimeAsStored) {
    const struct {
        const char *enabled, *stored, *armedAt, *loaded;
        long long seconds;
    } cases[] = {
        {"1", "22:0:0", "21:59:00", "on 22:0:0", 60},    {"1", "22:0:0", "22:00:01", "on 22:0:0", 86399},
        {"1", "22:0:0", "22:00:00", "on 22:0:0", 0},     {"1", "0:0:0", "23:59:59", "on 0:0:0", 1},
        {"1", "23:5:9", "00:00:00", "on 23:5:9", 83109}, {"0", "22:0:0", "21:59:00", "off 22:0:0", -1},
        {"1 ", "8:0:0", "21:59:00", "off 8:0:0", -1},    {"2", "08:30:15", "21:59:00", "off 8:30:15", -1},
        {"1", "12:7", "12:00:00", "on 12:7:0", 420},     {"1", "", "12:00:00", "on 12:7:0", 420},
        {"1", "x:y:z", "23:00:00", "on 0:0:0", 3600},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.enabled) + " " + c.stored + " armed at " + c.armedAt);
        database.Db().ExecuteSql(std::string("update shut_down set 启用关机='") + c.enabled +
                                 "', 关机时间='" + c.stored + "'");
        clock.SetTime(At(c.armedAt));
        events.clear();
        shutdown.Arm();
        EXPECT_EQ(Setting(), std::string(c.loaded) + ", stored " + c.enabled + " " + c.stored);
        const long long warning = std::max(0LL, c.seconds - CAutoShutdown::kWarningLead);
        EXPECT_EQ(events, c.seconds < 0 ? Events{-1} : (Events{-1, warning * 1000}));
        EXPECT_EQ(shutdown.Deadline(), c.seconds < 0 ? -1 : clock.Now() + c.seconds);
    }
}

// Saving with the box off stores "0" and stops the pending shutdown; a save the database refuses
// changes neither the setting nor the timer, and a missing row is a database error.
TEST_F(AutoShutdownTest, SavingWithTheBoxOffStopsAPendingShutdownUnlessRefused) {
    shutdown.Save(true, 22, 1, 0);
    ASSERT_EQ(Pending(), 60000);
    const Events armed = events;
    database.Db().ExecuteSql("alter table shut_down rename to away");
    EXPECT_THROW(shutdown.Save(false, 6, 0, 0), CDbError);
    EXPECT_TRUE(shutdown.IsEnabled() && shutdown.Hour() == 22 && shutdown.Minute() == 1);
    EXPECT_EQ(events, armed) << "the pending shutdown must stay armed";

    database.Db().ExecuteSql("alter table away rename to shut_down");
    shutdown.Save(false, 23, 30, 0);
    EXPECT_EQ(Pending(), -1);
    EXPECT_EQ(Setting(), "off 23:30:0, stored 0 23:30:0");

    database.Db().ExecuteSql("delete from shut_down");
    events.clear();
    EXPECT_THROW(shutdown.Arm(), CDbError);
    EXPECT_EQ(events, Events{-1});
}

// A cancel skips today only and keeps the setting; tomorrow the countdown comes again. (The
// countdown's start and the timer a cancel arms: MainWindowTest's startShutdownNoticeEventsAndExit;
// a refused power-off waits for tomorrow: ABroadcastHoldsThePowerOffUntilItsOutletsAreOff.)
TEST_F(AutoShutdownTest, ACancelSkipsTodayOnlyAndKeepsTheSetting) {
    shutdown.Save(true, 22, 0, 0);
    FireAt("21:59:59");
    shutdown.CancelToday();
    EXPECT_FALSE(shutdown.IsCountingDown());
    EXPECT_EQ(Setting(), "on 22:0:0, stored 1 22:0:0");
    FireAt("22:00:00");
    EXPECT_EQ(requests, 0) << "a stray tick of the old timer powered off";
    EXPECT_EQ(FireAt("21:59:30", 6), "countdown 30, timer 1000, 0 requests");
    accept = true;
    EXPECT_EQ(FireAt("22:00:00", 6), "hidden, timer 86340000, 1 requests");
}

// A daily task 21:30:00 to 22:00:10 on the air: the scheduler switches its outlets off at 22:00:25.
TEST_F(AutoShutdownTest, ABroadcastHoldsThePowerOffUntilItsOutletsAreOff) {
    const std::string id = test::InsertTask(database.Db(), test::Row("21:30:00-22:00:10 running"));
    shutdown.Save(true, 22, 0, 0);
    FireAt("21:59:00");
    EXPECT_EQ(FireAt("22:00:00"), "waiting, timer 1000, 0 requests");
    database.Db().ExecuteSql("update tb_memo set 状态='已执行' where ID=" + id);
    EXPECT_EQ(FireAt("22:00:25"), "waiting, timer 1000, 0 requests");
    EXPECT_EQ(FireAt("22:00:26"),
              "refused: not allowed in a test, timer 86314000, 1 requests");  // to 21:59:00 tomorrow
    EXPECT_EQ(shutdown.Deadline(), At("22:00:00", 6));
}

// A task 08:00:00 to 08:30:00, daily unless said, holds the machine from its power-up; a running
// one always does; a weekly one on its days only (w2: Mondays); on a holiday only once tasks run,
// on their date; a task in a timetable only inside its ranges. Each case: the task, a time on
// Thursday 03-05, whether the machine is held.
TEST(BroadcastActivity, TasksHoldTheMachineFromPowerUpToPowerDown) {
    const long march5 = CivilDayNumber(2026, 3, 5);
    const CSchoolCalendar holiday({{march5, march5, 0, "校庆"}});
    const CSchoolCalendar seasons(
        {}, CTimetables({{1, "三月", {{301, 331}}}, {2, "四月至二月", {{401, 228}}}}, {{"5", 1}, {"6", 2}}));
    const char* cases[][3] = {
        {"", "07:59:49", "no"},
        {"", "07:59:50", "holds"},
        {"running", "12:00:00", "holds"},
        {"w2", "08:10:00", "no"},
        {"", "08:10:00 holiday", "no"},
        {"once 2026-03-05", "08:10:00 holiday", "holds"},
        {"#5 t1", "08:10:00 seasons", "holds"},
        {"#6 t2", "08:10:00 seasons", "no"},
    };
    for (const auto& [task, time, holds] : cases) {
        const CSchoolCalendar& calendar = std::strstr(time, "holiday")   ? holiday
                                          : std::strstr(time, "seasons") ? seasons
                                                                         : CSchoolCalendar();
        EXPECT_EQ(HoldsMachineOn(test::Record(test::Row(task)), At(time), calendar),
                  std::string(holds) == "holds")
            << task << " at " << time;
    }
}

}  // namespace
}  // namespace lumetra
