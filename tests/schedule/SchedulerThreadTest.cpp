// The scheduler's thread: it ticks, sleeps, survives database errors and stops at once. A stepped clock lets
// the test decide when each sleep ends. The wall clock's sleeps end on the half second, never early, and a
// stop cuts them short. A sleep that a stop could not cut short would hang the test rather than make it slow.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "schedule/Clock.h"
#include "schedule/Scheduler.h"
#include "schedule/SystemClock.h"
#include "tests/schedule/SchedulerRig.h"
#include "tests/support/LogRecorder.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using namespace std::chrono;
using namespace test;

// Time stands still at `now`; every sleep waits until the test allows one more, or a stop.
class CSteppedClock : public IClock {
public:
    explicit CSteppedClock(std::time_t now) : m_now(now) {}

    std::time_t Now() override { return m_now; }
    int64_t SteadyMillis() override { return 0; }
    bool SleepFor(milliseconds) override { return WaitForStep(); }
    bool SleepToNextHalfSecond() override { return WaitForStep(); }
    void Interrupt() override { Change(m_interrupted, 1); }
    void ClearInterrupt() override { Change(m_interrupted, 0); }
    void Step() { Change(m_steps, m_steps + 1); }  // lets one sleep end
    // Waits (at most 20 s) until `count` sleeps have begun; false on time-out.
    bool AwaitSleeps(int count) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, 20s, [&] { return m_sleepsBegun >= count; });
    }

private:
    void Change(int& field, int value) {
        std::lock_guard lock(m_mutex);
        field = value;
        m_changed.notify_all();
    }
    bool WaitForStep() {
        std::unique_lock lock(m_mutex);
        ++m_sleepsBegun;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_interrupted || m_steps > 0; });
        return !m_interrupted && m_steps-- > 0;
    }

    const std::time_t m_now;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_interrupted = 0, m_steps = 0, m_sleepsBegun = 0;
};

// The first tick meets a database error: it reaches the log with the database's own words and the
// thread lives on; the next tick, with the table back, acts, and so does each one after a sleep.
TEST(SchedulerThreadTest, TicksBetweenSleepsOutlivesDatabaseErrorsAndStartsAndStopsInAnyOrder) {
    CLogRecorder log;
    TestDatabase database;
    CSteppedClock clock{LocalTime(2026, 3, 2, 8, 0, 0)};  // a default task's start second
    CRecorder rec{[&] { return static_cast<int64_t>(clock.Now()) * 1000; }};
    CSwitchBoard board{rec};
    CScheduler scheduler{database.Db(), board, clock};  // its destructor stops it, also after a failure
    scheduler.SetOwner(&rec);
    scheduler.Stop();  // without a start
    database.Db().ExecuteSql("alter table tb_memo rename to tb_memo_away");
    scheduler.Start();
    scheduler.Start();  // a second start while running changes nothing
    EXPECT_TRUE(scheduler.IsRunning());
    ASSERT_TRUE(clock.AwaitSleeps(1));
    const std::vector<LogLine> lines = log.Items();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                            [](auto& l) { return l.message.find("tb_memo") != l.message.npos; }));
    EXPECT_TRUE(rec.Events().empty());
    database.Db().ExecuteSql("alter table tb_memo_away rename to tb_memo");
    InsertTask(database.Db(), TaskRow{});
    for (int sleeps = 2; sleeps <= 3; ++sleeps) {
        clock.Step();
        ASSERT_TRUE(clock.AwaitSleeps(sleeps));
        EXPECT_EQ(rec.Count("PlayTask"), sleeps - 1);
    }

    scheduler.Stop();  // returns only once the thread has ended, during its sleep
    scheduler.Stop();
    EXPECT_FALSE(scheduler.IsRunning());
    EXPECT_EQ(rec.Count("PlayTask"), 2);

    scheduler.Start();  // a restart ticks again
    ASSERT_TRUE(clock.AwaitSleeps(4));
    EXPECT_EQ(rec.Count("PlayTask"), 3);

    CSteppedClock otherClock(clock.Now());
    {
        CScheduler another(database.Db(), board, otherClock);
        another.Start();
        ASSERT_TRUE(otherClock.AwaitSleeps(1));
    }  // destroyed while running: the destructor stops and joins
    EXPECT_EQ(rec.Count("PlayTask"), 3) << "the owner-less second scheduler posts nothing";
}

// Sleeps never end early; an interrupt cuts an hour-long sleep short, whether it comes during
// the sleep or before, and stays until cleared.
TEST(SystemClock, SleepsEndOnTheHalfSecondOrWhenInterrupted) {
    CSystemClock clock;
    for (int i = 0; i < 2; ++i) {
        const auto before = duration_cast<milliseconds>(system_clock::now().time_since_epoch());
        ASSERT_TRUE(clock.SleepToNextHalfSecond());
        EXPECT_GE(duration_cast<milliseconds>(system_clock::now().time_since_epoch()),
                  (before / milliseconds(500) + 1) * milliseconds(500));
    }
    std::thread stopper([&] { clock.Interrupt(); });
    EXPECT_FALSE(clock.SleepFor(hours(1)));
    stopper.join();
    EXPECT_FALSE(clock.SleepFor(hours(1)));
    EXPECT_FALSE(clock.SleepToNextHalfSecond());
    clock.ClearInterrupt();
    EXPECT_TRUE(clock.SleepFor(milliseconds(1)));
}

}  // namespace
}  // namespace lumetra
