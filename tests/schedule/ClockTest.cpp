// The two clocks: simulated time moves exactly as the sleeps ask; the wall clock's sleeps end on
// the half second, never early, and a stop cuts them short (a sleep it could not cut would hang
// the test rather than make it slow).
#include <gtest/gtest.h>

#include <thread>

#include "schedule/SimulatedClock.h"
#include "schedule/SystemClock.h"

namespace lumetra {
namespace {

using namespace std::chrono;

TEST(SimulatedClock, SleepsMoveTimeByExactlyWhatTheyAskUnlessInterrupted) {
    const struct {
        int64_t fromMillis;
        bool halfSecond;  // SleepToNextHalfSecond, else SleepFor(500 ms)
        int64_t toMillis;
    } cases[] = {
        {1000000, true, 1000500}, {1000499, true, 1000500},  {1000500, true, 1001000},
        {1000999, true, 1001000}, {1000250, false, 1000750},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fromMillis);
        CSimulatedClock clock(0);
        clock.SleepFor(milliseconds(c.fromMillis));
        EXPECT_TRUE(c.halfSecond ? clock.SleepToNextHalfSecond() : clock.SleepFor(milliseconds(500)));
        EXPECT_EQ(clock.NowMillis(), c.toMillis);
        EXPECT_EQ(clock.Now(), c.toMillis / 1000);
    }
    CSimulatedClock clock(1000);
    clock.Interrupt();
    EXPECT_FALSE(clock.SleepFor(milliseconds(500)));
    EXPECT_FALSE(clock.SleepToNextHalfSecond());
    EXPECT_EQ(clock.NowMillis(), 1000000);
    clock.ClearInterrupt();
    EXPECT_TRUE(clock.SleepFor(milliseconds(500)));
    EXPECT_EQ(clock.NowMillis(), 1000500);
}

TEST(SystemClock, HalfSecondSleepEndsOnOrAfterTheNextHalfSecond) {
    CSystemClock clock;
    for (int i = 0; i < 2; ++i) {
        const auto before = duration_cast<milliseconds>(system_clock::now().time_since_epoch());
        const auto boundary = (before / milliseconds(500) + 1) * milliseconds(500);
        ASSERT_TRUE(clock.SleepToNextHalfSecond());
        EXPECT_GE(duration_cast<milliseconds>(system_clock::now().time_since_epoch()), boundary);
    }
}

TEST(SystemClock, InterruptCutsAnHourLongSleepShortAndStaysUntilCleared) {
    CSystemClock clock;
    std::thread stopper([&] {
        std::this_thread::sleep_for(milliseconds(50));
        clock.Interrupt();
    });
    EXPECT_FALSE(clock.SleepFor(hours(1)));
    stopper.join();
    EXPECT_FALSE(clock.SleepFor(hours(1))) << "an interrupt given before the sleep counts too";
    EXPECT_FALSE(clock.SleepToNextHalfSecond());
    clock.ClearInterrupt();
    EXPECT_TRUE(clock.SleepFor(milliseconds(1)));
}

}  // namespace
}  // namespace lumetra
