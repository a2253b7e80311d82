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
#include "store/SqlFormat.h"
#include "tests/support/LocalTime.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using std::chrono::milliseconds;
using test::LocalTime;

// What the window's timer was told, in order: a period for a start, -1 for a kill.
class CRecordingTimerOwner : public IShutdownTimerOwner {
public:
    void StartShutdownTimer(milliseconds period) override { events.push_back(period.count()); }
    void KillShutdownTimer() override { events.push_back(-1); }
    // The period of the timer left running, or -1 when none is.
    long long Pending() const { return events.empty() ? -1 : events.back(); }
    std::vector<long long> events;
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

void StoreSetting(CDatabase& db, const std::string& enabled, const std::string& time) {
    db.ExecuteSql("update shut_down set 启用关机='" + enabled + "', 关机时间='" + time + "'");
}

std::pair<std::string, std::string> StoredSetting(CDatabase& db) {
    CRecordset rows(db);
    rows.Open("select * from shut_down");
    return {rows.GetFieldText("启用关机"), rows.GetFieldText("关机时间")};
}

class AutoShutdownTest : public ::testing::Test {
protected:
    test::TestDatabase database;
    CSimulatedClock clock{LocalTime(2026, 3, 5, 21, 59, 0)};
    CRecordingPower power;
    CRecordingTimerOwner window;
    CAutoShutdown shutdown{database.Db(), clock, power};
    void SetUp() override { shutdown.SetWindow(&window); }
};

struct DelayCase {
    const char* stored;
    int hour, minute, second;  // local time of day when armed
    long long expectedSeconds;
};

TEST_F(AutoShutdownTest, ArmsTheTimerForTheNextOccurrenceOfTheTime) {
    const DelayCase cases[] = {
        {"22:0:0", 21, 59, 0, 60}, {"22:0:0", 22, 0, 1, 86399},  // just passed: tomorrow
        {"22:0:0", 22, 0, 0, 0},                                 // now: at once
        {"0:0:0", 23, 59, 59, 1},  {"7:5:0", 7, 4, 59, 1},      {"23:5:9", 0, 0, 0, 23 * 3600 + 5 * 60 + 9},
    };
    for (const DelayCase& c : cases) {
        SCOPED_TRACE(std::string(c.stored) + " armed at " + std::to_string(c.hour) + ":" +
                     std::to_string(c.minute) + ":" + std::to_string(c.second));
        StoreSetting(database.Db(), "1", c.stored);
        clock.SetTime(LocalTime(2026, 3, 5, c.hour, c.minute, c.second));
        window.events.clear();
        shutdown.Arm();
        EXPECT_EQ(window.events, (std::vector<long long>{-1, c.expectedSeconds * 1000}));
    }
}

TEST_F(AutoShutdownTest, LoadReadsTheSwitchExactlyAndTheTimeByLeadingDigits) {
    struct LoadCase {
        const char* enabled;
        const char* time;
        bool expectEnabled;
        int hour, minute, second;
    };
    const LoadCase cases[] = {
        {"1", "23:5:9", true, 23, 5, 9},
        {"0", "7:5:0", false, 7, 5, 0},
        {"1 ", "8:0:0", false, 8, 0, 0},
        {"2", "08:30:15", false, 8, 30, 15},
        {"1", "12:7", true, 12, 7, 0},
        {"1", "", true, 12, 7, 0},  // an empty time keeps the one loaded before
        {"1", "x:y:z", true, 0, 0, 0},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(std::string("'") + c.enabled + "' '" + c.time + "'");
        StoreSetting(database.Db(), c.enabled, c.time);
        shutdown.Load();
        EXPECT_EQ(shutdown.IsEnabled(), c.expectEnabled);
        EXPECT_EQ(shutdown.Hour(), c.hour);
        EXPECT_EQ(shutdown.Minute(), c.minute);
        EXPECT_EQ(shutdown.Second(), c.second);
    }
}

TEST_F(AutoShutdownTest, DisabledSettingLeavesNoTimer) {
    StoreSetting(database.Db(), "0", "22:0:0");
    shutdown.Arm();
    EXPECT_EQ(window.events, (std::vector<long long>{-1}));
}

TEST_F(AutoShutdownTest, SavedTimeIsStoredWithoutLeadingZerosAndSurvivesARestart) {
    shutdown.Save(true, 7, 5, 0);
    EXPECT_EQ(StoredSetting(database.Db()), std::make_pair(std::string("1"), std::string("7:5:0")));
    clock.SetTime(LocalTime(2026, 3, 5, 21, 59, 0));
    const long long untilTomorrow = (24 * 3600 - (21 * 3600 + 59 * 60) + 7 * 3600 + 5 * 60) * 1000LL;
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
    EXPECT_EQ(restarted.Hour(), 7);
    EXPECT_EQ(restarted.Minute(), 5);
    EXPECT_EQ(restarted.Second(), 0);
    EXPECT_EQ(newWindow.Pending(), untilTomorrow);
}

TEST_F(AutoShutdownTest, SavingWithTheBoxOffStoresZeroAndStopsAPendingShutdown) {
    shutdown.Save(true, 22, 0, 0);
    ASSERT_EQ(window.Pending(), 60000);
    shutdown.Save(false, 23, 30, 0);
    EXPECT_EQ(window.Pending(), -1);
    EXPECT_FALSE(shutdown.IsEnabled());
    EXPECT_EQ(StoredSetting(database.Db()), std::make_pair(std::string("0"), std::string("23:30:0")));
    EXPECT_EQ(shutdown.Hour(), 23);
    EXPECT_EQ(shutdown.Minute(), 30);
}

TEST_F(AutoShutdownTest, RefusedSaveChangesNeitherTheSettingNorTheTimer) {
    shutdown.Save(true, 22, 0, 0);
    ASSERT_EQ(window.Pending(), 60000);
    const size_t eventsBefore = window.events.size();
    database.Db().ExecuteSql("drop table shut_down");
    EXPECT_THROW(shutdown.Save(false, 6, 0, 0), CDbError);
    EXPECT_TRUE(shutdown.IsEnabled());
    EXPECT_EQ(shutdown.Hour(), 22);
    EXPECT_EQ(window.events.size(), eventsBefore) << "the pending shutdown must stay armed";
}

TEST_F(AutoShutdownTest, TimerAsksForThePowerOffAndARefusalWaitsForTheTimersPeriod) {
    shutdown.Save(true, 22, 0, 0);
    const std::vector<long long> armed = window.events;
    shutdown.OnTimer();
    EXPECT_EQ(power.requests, 1);
    EXPECT_EQ(window.events, armed) << "the repeating timer alone tries again";
    power.accept = true;
    EXPECT_TRUE(shutdown.PowerOff());
    EXPECT_EQ(power.requests, 2);
}

TEST_F(AutoShutdownTest, RefusedPowerOffAtTheShutdownSecondDoesNotLoop) {
    clock.SetTime(LocalTime(2026, 3, 5, 22, 0, 0));
    shutdown.Save(true, 22, 0, 0);
    ASSERT_EQ(window.Pending(), 0) << "armed at the shutdown second it fires at once";
    shutdown.OnTimer();
    EXPECT_EQ(power.requests, 1);
    EXPECT_EQ(window.Pending(), 86400 * 1000LL) << "a zero period would fire again at once, for ever";
}

TEST_F(AutoShutdownTest, MissingRowIsReportedAsADatabaseError) {
    database.Db().ExecuteSql("delete from shut_down");
    EXPECT_THROW(shutdown.Arm(), CDbError);
    EXPECT_EQ(window.events, (std::vector<long long>{-1}));
}

}  // namespace
}  // namespace lumetra
