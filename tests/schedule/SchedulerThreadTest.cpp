// The scheduler's thread: it ticks, sleeps, survives database errors and stops at once, even in
// the middle of a tick. A stepped clock lets the test decide when each sleep ends; a sleep that
// a stop could not cut short would hang the test.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "link/Logger.h"
#include "schedule/Clock.h"
#include "schedule/Scheduler.h"
#include "tests/support/LocalTime.h"
#include "tests/schedule/TaskRows.h"
#include "tests/schedule/TaskTimeline.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using namespace std::chrono_literals;
using test::CRecordingLink;
using test::CRecordingOwner;
using test::CTaskTimeline;
using test::InsertTask;
using test::LocalTime;
using test::TaskRow;

// Time stands still at `now`; every sleep waits until the test allows one more, or a stop.
class CSteppedClock : public IClock {
public:
    explicit CSteppedClock(std::time_t now) : m_now(now) {}

    std::time_t Now() override { return m_now; }
    bool SleepFor(std::chrono::milliseconds) override { return WaitForStep(); }
    bool SleepToNextHalfSecond() override { return WaitForStep(); }
    void Interrupt() override {
        std::lock_guard lock(m_mutex);
        m_interrupted = true;
        m_changed.notify_all();
    }
    void ClearInterrupt() override {
        std::lock_guard lock(m_mutex);
        m_interrupted = false;
    }

    // Lets one sleep end.
    void Step() {
        std::lock_guard lock(m_mutex);
        ++m_steps;
        m_changed.notify_all();
    }
    // Waits (at most 20 s) until `count` sleeps have begun; false on time-out.
    bool AwaitSleeps(int count) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, 20s, [&] { return m_sleepsBegun >= count; });
    }
    int SleepsBegun() {
        std::lock_guard lock(m_mutex);
        return m_sleepsBegun;
    }

private:
    bool WaitForStep() {
        std::unique_lock lock(m_mutex);
        ++m_sleepsBegun;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_interrupted || m_steps > 0; });
        if (m_interrupted) return false;
        --m_steps;
        return true;
    }

    const std::time_t m_now;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_interrupted = false;
    int m_steps = 0;
    int m_sleepsBegun = 0;
};

class CCollectingSink : public ILogSink {
public:
    void Write(const char* line, size_t length) override {
        std::lock_guard lock(m_mutex);
        m_lines.emplace_back(line, length);
    }
    std::vector<std::string> Lines() {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

class SchedulerThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        scheduler.SetOwner(&owner);
        Logger().SetSink(&log);
    }
    void TearDown() override {
        scheduler.Stop();
        Logger().SetSink(nullptr);
    }

    test::TestDatabase database;
    CSteppedClock clock{LocalTime(2026, 3, 2, 8, 0, 0)};
    CTaskTimeline timeline{[this] { return static_cast<int64_t>(clock.Now()) * 1000; }};
    CRecordingLink link{timeline};
    CRecordingOwner owner{timeline};
    CCollectingSink log;
    CScheduler scheduler{database.Db(), link, clock};
};

TEST_F(SchedulerThreadTest, TicksBetweenSleepsAndStopsDuringASleep) {
    InsertTask(database.Db(), TaskRow{});  // starts at the clock's 08:00:00
    scheduler.Start();
    EXPECT_TRUE(scheduler.IsRunning());
    ASSERT_TRUE(clock.AwaitSleeps(1));
    EXPECT_EQ(timeline.Count("WM_PLAY_TASK"), 1);
    clock.Step();
    ASSERT_TRUE(clock.AwaitSleeps(2));
    EXPECT_EQ(timeline.Count("WM_PLAY_TASK"), 2);

    scheduler.Stop();  // returns only once the thread has ended
    EXPECT_FALSE(scheduler.IsRunning());
    EXPECT_EQ(clock.SleepsBegun(), 2);
    EXPECT_EQ(timeline.Count("WM_PLAY_TASK"), 2);
}

TEST_F(SchedulerThreadTest, StopCutsThePauseInsideATickShortAndEndsTheTick) {
    TaskRow row;
    row.start = "08:00:10";  // power-up second: outlets, pause, channels
    InsertTask(database.Db(), row);
    TaskRow next;
    next.start = "08:00:10";
    next.power = "0001";
    InsertTask(database.Db(), next);
    scheduler.Start();
    ASSERT_TRUE(clock.AwaitSleeps(1));  // inside the first task's pause
    scheduler.Stop();
    EXPECT_EQ(timeline.Count("SendPower 05"), 1);
    EXPECT_EQ(timeline.Count("SendAudioCom on"), 0) << "the stopped tick must not go on";
    EXPECT_EQ(timeline.Count("SendPower 08"), 0) << "nor reach the next row";
}

TEST_F(SchedulerThreadTest, DatabaseErrorIsLoggedAndTheNextTickTriesAgain) {
    database.Db().ExecuteSql("alter table tb_memo rename to tb_memo_away");
    scheduler.Start();
    ASSERT_TRUE(clock.AwaitSleeps(1));
    const std::vector<std::string> lines = log.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("Scheduler tick failed"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("tb_memo"), std::string::npos) << lines[0];

    database.Db().ExecuteSql("alter table tb_memo_away rename to tb_memo");
    InsertTask(database.Db(), TaskRow{});
    clock.Step();
    ASSERT_TRUE(clock.AwaitSleeps(2));
    EXPECT_TRUE(scheduler.IsRunning());
    EXPECT_EQ(timeline.Count("WM_PLAY_TASK"), 1);
    EXPECT_EQ(log.Lines().size(), 1u);
}

TEST_F(SchedulerThreadTest, StopsAndStartsInAnyOrder) {
    scheduler.Stop();  // without a start
    scheduler.Start();
    scheduler.Start();  // a second start while running changes nothing
    ASSERT_TRUE(clock.AwaitSleeps(1));
    scheduler.Stop();
    scheduler.Stop();
    InsertTask(database.Db(), TaskRow{});
    scheduler.Start();
    ASSERT_TRUE(clock.AwaitSleeps(2));
    EXPECT_EQ(timeline.Count("WM_PLAY_TASK"), 1);
    CSteppedClock otherClock(clock.Now());
    {
        CScheduler another(database.Db(), link, otherClock);
        another.Start();
        ASSERT_TRUE(otherClock.AwaitSleeps(1));
    }  // destroyed while running: the destructor stops and joins
    EXPECT_EQ(otherClock.SleepsBegun(), 1);
    EXPECT_EQ(timeline.Count("WM_PLAY_TASK"), 1) << "the owner-less second scheduler posts nothing";
}

}  // namespace
}  // namespace lumetra
