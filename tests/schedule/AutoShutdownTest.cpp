// Automatic shutdown against a real database file, a recording timer owner and a recording power
// control: nothing here can switch the machine off.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "schedule/AutoShutdown.h"
#include "schedule/PowerControl.h"
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

// What the window's timer was told, in order: a period for a start, -1 for a kill.
class CRecordingTimerOwner : public IShutdownTimerOwner {
public:
    void StartShutdownTimer(milliseconds period) override { events.push_back(period.count()); }
    void KillShutdownTimer() override { events.push_back(-1); }
    // The period of the timer left running, or -1 when none is.
    long long Pending() const { return events.empty() ? -1 : events.back(); }
    Events events;
};

class CRecordingPower : public IPowerControl {
public:
    bool PowerOff(std::string* reason) override {
        ++requests;
        if (!accept) *reason = "not allowed in a test";
        return accept;
    }
    bool accept = false;
    int requests = 0;
};

class AutoShutdownTest : public ::testing::Test {
protected:
    void SetUp() override { shutdown.SetWindow(&window); }
    void Store(const std::string& enabled, const std::string& time) {
        database.Db().ExecuteSql("update shut_down set 启用关机='" + enabled + "', 关机时间='" + time + "'");
    }
    std::string Stored() {
        CRecordset rows(database.Db());
        rows.Open("select * from shut_down");
        return rows.GetFieldText("启用关机") + " " + rows.GetFieldText("关机时间");
    }

    test::TestDatabase database;
    CSimulatedClock clock{LocalTime(2026, 3, 5, 21, 59, 0)};
    CRecordingPower power;
    CRecordingTimerOwner window;
    CAutoShutdown shutdown{database.Db(), clock, power};
};

TEST_F(AutoShutdownTest, ArmsTheTimerForTheNextOccurrenceOfTheTime) {
    const struct {
        const char* enabled;
        const char* stored;
        int hour, minute, second;  // local time of day when armed
        long long seconds;         // the timer's period, -1 for none
    } cases[] = {
        {"1", "22:0:0", 21, 59, 0, 60},  {"1", "22:0:0", 22, 0, 1, 86399},  // just passed: tomorrow
        {"1", "22:0:0", 22, 0, 0, 0},                                       // now: at once
        {"1", "0:0:0", 23, 59, 59, 1},   {"1", "7:5:0", 7, 4, 59, 1},
        {"1", "23:5:9", 0, 0, 0, 83109}, {"0", "22:0:0", 21, 59, 0, -1},  // off: no timer
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.enabled) + " " + c.stored + " armed at " + std::to_string(c.hour) + ":" +
                     std::to_string(c.minute) + ":" + std::to_string(c.second));
        Store(c.enabled, c.stored);
        clock.SetTime(LocalTime(2026, 3, 5, c.hour, c.minute, c.second));
        window.events.clear();
        shutdown.Arm();
        EXPECT_EQ(window.events, c.seconds < 0 ? Events{-1} : (Events{-1, c.seconds * 1000}));
    }
}

TEST_F(AutoShutdownTest, LoadReadsTheSwitchExactlyAndTheTimeByLeadingDigits) {
    const struct {
        const char* enabled;
        const char* time;
        const char* loaded;  // on or off, hour:minute:second
    } cases[] = {
        {"1", "23:5:9", "on 23:5:9"}, {"0", "7:5:0", "off 7:5:0"},
        {"1 ", "8:0:0", "off 8:0:0"}, {"2", "08:30:15", "off 8:30:15"},
        {"1", "12:7", "on 12:7:0"},   {"1", "", "on 12:7:0"},  // an empty time keeps the one loaded before
        {"1", "x:y:z", "on 0:0:0"},
    };
    for (const auto& c : cases) {
        Store(c.enabled, c.time);
        shutdown.Load();
        EXPECT_EQ((shutdown.IsEnabled() ? "on " : "off ") + std::to_string(shutdown.Hour()) + ":" +
                      std::to_string(shutdown.Minute()) + ":" + std::to_string(shutdown.Second()),
                  c.loaded)
            << "'" << c.enabled << "' '" << c.time << "'";
    }
}

TEST_F(AutoShutdownTest, SavedTimeIsStoredWithoutLeadingZerosAndSurvivesARestart) {
    shutdown.Save(true, 7, 5, 0);
    EXPECT_EQ(Stored(), "1 7:5:0");
    const long long untilTomorrow = (2 * 3600 + 60 + 7 * 3600 + 5 * 60) * 1000LL;  // from 21:59:00
    EXPECT_EQ(window.Pending(), untilTomorrow);

    // A restart: a new connection on the same file, a new object, a new window.
    CDatabase reopened;
    std::string error;
    ASSERT_TRUE(reopened.Open(database.Path(), &error)) << error;
    CRecordingTimerOwner newWindow;
    CAutoShutdown restarted(reopened, clock, power);
    restarted.SetWindow(&newWindow);
    restarted.Arm();
    EXPECT_TRUE(restarted.IsEnabled());
    EXPECT_EQ(restarted.Hour() * 10000 + restarted.Minute() * 100 + restarted.Second(), 70500);
    EXPECT_EQ(newWindow.Pending(), untilTomorrow);
}

TEST_F(AutoShutdownTest, SavingWithTheBoxOffStoresZeroAndStopsAPendingShutdown) {
    shutdown.Save(true, 22, 0, 0);
    ASSERT_EQ(window.Pending(), 60000);
    shutdown.Save(false, 23, 30, 0);
    EXPECT_EQ(window.Pending(), -1);
    EXPECT_FALSE(shutdown.IsEnabled());
    EXPECT_EQ(Stored(), "0 23:30:0");
    EXPECT_EQ(shutdown.Hour() * 100 + shutdown.Minute(), 2330);
}

TEST_F(AutoShutdownTest, RefusedSaveChangesNeitherTheSettingNorTheTimer) {
    shutdown.Save(true, 22, 0, 0);
    ASSERT_EQ(window.Pending(), 60000);
    const Events armed = window.events;
    database.Db().ExecuteSql("drop table shut_down");
    EXPECT_THROW(shutdown.Save(false, 6, 0, 0), CDbError);
    EXPECT_TRUE(shutdown.IsEnabled());
    EXPECT_EQ(shutdown.Hour(), 22);
    EXPECT_EQ(window.events, armed) << "the pending shutdown must stay armed";
}

TEST_F(AutoShutdownTest, MissingRowIsReportedAsADatabaseError) {
    database.Db().ExecuteSql("delete from shut_down");
    EXPECT_THROW(shutdown.Arm(), CDbError);
    EXPECT_EQ(window.events, Events{-1});
}

TEST_F(AutoShutdownTest, RefusedPowerOffRetriesOnlyOnTheTimersPeriod) {
    shutdown.Save(true, 22, 0, 0);
    const Events armed = window.events;
    shutdown.OnTimer();
    EXPECT_EQ(power.requests, 1);
    EXPECT_EQ(window.events, armed) << "the repeating timer alone tries again";

    clock.SetTime(LocalTime(2026, 3, 5, 22, 0, 0));
    shutdown.Arm();
    ASSERT_EQ(window.Pending(), 0) << "armed at the shutdown second it fires at once";
    shutdown.OnTimer();
    EXPECT_EQ(power.requests, 2);
    EXPECT_EQ(window.Pending(), 86400 * 1000LL) << "a zero period would fire again at once, for ever";

    power.accept = true;
    EXPECT_TRUE(shutdown.PowerOff());
    EXPECT_EQ(power.requests, 3);
}

}  // namespace
}  // namespace lumetra
