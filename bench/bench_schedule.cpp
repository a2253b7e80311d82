// The scheduler's costs:
//  - one Tick over 1,000 and 10,000 task rows of which none is due, and a plain SQLite scan of
//    the same rows in the same run (counter tick_per_scan; the aim is at most 2);
//  - one simulated day of ticks at half-second steps over 100 tasks (the time is the wall time
//    of the whole day);
//  - on the wall clock, how long after its start second each of 20 tasks is handed over (median
//    and maximum), with their power-ups in the seconds between the starts, in four runs that start
//    at different phases of the half second (the ticks' phase decides when a late tick would fall);
//    the worst hand-over of each run is printed at the end, as the line the target is about.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "BenchSink.h"
#include "schedule/Scheduler.h"
#include "schedule/SimulatedClock.h"
#include "schedule/SystemClock.h"
#include "tests/schedule/SchedulerRig.h"
#include "tests/support/LocalTime.h"
#include "tests/support/TestDatabase.h"

namespace {

using namespace lumetra;
using namespace std::chrono;
using test::CRecorder;
using test::InsertTask;
using test::TaskRow;

std::string TimeText(int secondOfDay) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", secondOfDay / 3600 % 24, secondOfDay / 60 % 60,
                  secondOfDay % 60);
    return text;
}

// Rows that are not due on Monday 2026-03-02, five minutes each, spread over the day: weekly
// tasks of other days, once tasks of an earlier day and daily tasks from a later date. Made once
// per row count.
test::TestDatabase& NotDueDatabase(int count) {
    static std::map<int, std::unique_ptr<test::TestDatabase>> made;
    std::unique_ptr<test::TestDatabase>& database = made[count];
    if (database) return *database;
    database = std::make_unique<test::TestDatabase>();
    database->Db().ExecuteSql("BEGIN");
    for (int i = 0; i < count; ++i) {
        const int start = static_cast<int>(static_cast<long>(i) * 86000 / count);
        const char* codes[] = {kRepeatWeekly, kRepeatOnce, kRepeatDaily};
        const char* dates[] = {"2026-01-01", "2026-02-27", "2026-04-01"};
        InsertTask(database->Db(), {.date = dates[i % 3],
                                    .start = TimeText(start),
                                    .end = TimeText(start + 300),
                                    .code = codes[i % 3],
                                    .weekDays = "1357"});
    }
    database->Db().ExecuteSql("COMMIT");
    return *database;
}

// Reads every column of every row the tick reads, and nothing more.
void PlainScan(sqlite3* db) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql::kSelectTasksForTick, -1, &statement, nullptr);
    size_t bytes = 0;
    while (sqlite3_step(statement) == SQLITE_ROW)
        for (int c = 0; c < sqlite3_column_count(statement); ++c) {
            sqlite3_column_text(statement, c);
            bytes += static_cast<size_t>(sqlite3_column_bytes(statement, c));
        }
    sqlite3_finalize(statement);
    benchmark::DoNotOptimize(bytes);
}

void BM_TickNoneDue(benchmark::State& state) {
    test::TestDatabase& database = NotDueDatabase(static_cast<int>(state.range(0)));
    CSimulatedClock clock(test::LocalTime(2026, 3, 2, 12, 0, 0));
    CRecorder recorder([] { return 0; });
    CSwitchBoard board(recorder);
    CScheduler scheduler(database.Db(), board, clock);
    scheduler.SetOwner(&recorder);
    auto began = steady_clock::now();
    for (auto _ : state) scheduler.Tick();
    const duration<double> tick = (steady_clock::now() - began) / state.iterations();
    if (!recorder.Events().empty()) state.SkipWithError("a row was due after all");

    sqlite3* db = nullptr;
    sqlite3_open_v2(database.Path().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    began = steady_clock::now();
    for (benchmark::IterationCount i = 0; i < state.iterations(); ++i) PlainScan(db);
    const duration<double> scan = (steady_clock::now() - began) / state.iterations();
    sqlite3_close(db);
    state.counters["scan_ms"] = scan.count() * 1000;
    state.counters["tick_per_scan"] = tick / scan;
}
BENCHMARK(BM_TickNoneDue)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// 100 tasks of ten minutes, one every 14 minutes: weekly ones on Mondays, once ones on the day,
// daily ones; the clock runs from midnight to midnight.
void BM_SimulatedDay(benchmark::State& state) {
    test::TestDatabase database;
    for (int i = 0; i < 100; ++i)
        InsertTask(database.Db(), {.start = TimeText(i * 840 + 60),
                                   .end = TimeText(i * 840 + 660),
                                   .code = i % 3 == 0   ? kRepeatWeekly
                                           : i % 3 == 1 ? kRepeatOnce
                                                        : kRepeatDaily,
                                   .weekDays = "2"});
    for (auto _ : state) {
        CSimulatedClock clock(test::LocalTime(2026, 3, 2, 0, 0, 0));
        CRecorder recorder([&] { return clock.NowMillis(); });
        CSwitchBoard board(recorder);
        CScheduler scheduler(database.Db(), board, clock);
        scheduler.SetOwner(&recorder);
        long ticks = 0;
        for (const std::time_t end = test::LocalTime(2026, 3, 3, 0, 0, 0); clock.Now() < end; ++ticks) {
            scheduler.Tick();
            clock.SleepToNextHalfSecond();
        }
        state.counters["ticks"] = static_cast<double>(ticks);
        state.counters["hand_overs"] = recorder.Count("PlayTask");
    }
}
BENCHMARK(BM_SimulatedDay)->Iterations(1)->Unit(benchmark::kMillisecond);

std::vector<double> g_worstHandOvers;  // one per run of the wall-clock benchmark

// 20 daily tasks starting one second apart from twelve seconds from now, so that their power-ups
// fall in the seconds before the starts, run by the scheduler's own thread on the wall clock.
void BM_HandOverDelayOnTheWallClock(benchmark::State& state) {
    constexpr int kStarts = 20;
    const auto phase = milliseconds(state.range(0));
    for (auto _ : state) {
        test::TestDatabase database;
        // Begin `phase` after a full second of the wall clock.
        const auto now = system_clock::now();
        std::this_thread::sleep_until(ceil<seconds>(now) + phase);
        const std::time_t first = std::time(nullptr) + 12;
        std::tm local{};
        localtime_r(&first, &local);
        char today[16];
        std::strftime(today, sizeof today, "%Y-%m-%d", &local);
        const int firstSecond = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
        for (int k = 0; k < kStarts; ++k)
            InsertTask(database.Db(), {.date = today,
                                       .start = TimeText(firstSecond + k),
                                       .end = TimeText(firstSecond + k + 1),
                                       .playList = std::to_string(k)});
        CSystemClock clock;
        CRecorder recorder(
            [] { return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count(); });
        CSwitchBoard board(recorder);
        CScheduler scheduler(database.Db(), board, clock);
        scheduler.SetOwner(&recorder);
        scheduler.Start();
        const auto last = [&] {
            for (const CRecorder::Event& e : recorder.Events())
                if (e.what.starts_with("PlayTask ") && e.what.ends_with(" " + std::to_string(kStarts - 1)))
                    return true;
            return false;
        };
        const auto limit = steady_clock::now() + seconds(kStarts + 20);
        while (!last() && steady_clock::now() < limit) std::this_thread::sleep_for(milliseconds(20));
        scheduler.Stop();
        // The first hand-over of each task, from its start second.
        std::map<int, double> delays;
        for (const CRecorder::Event& e : recorder.Events())
            if (e.what.starts_with("PlayTask ")) {
                const int k = std::stoi(e.what.substr(e.what.rfind(' ') + 1));
                delays.emplace(k, static_cast<double>(e.millis - (first + k) * 1000));
            }
        if (delays.size() != kStarts)
            return state.SkipWithError("not every task was handed over (midnight?)");
        std::vector<double> sorted;
        for (const auto& [k, delay] : delays) sorted.push_back(delay);
        std::sort(sorted.begin(), sorted.end());
        state.counters["median_ms"] = (sorted[kStarts / 2 - 1] + sorted[kStarts / 2]) / 2;
        state.counters["max_ms"] = sorted.back();
        g_worstHandOvers.push_back(sorted.back());
    }
}
BENCHMARK(BM_HandOverDelayOnTheWallClock)
    ->Arg(0)
    ->Arg(150)
    ->Arg(300)
    ->Arg(450)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ::bench::Print("hand-over on the wall clock, the worst of each run", g_worstHandOvers, 20);
    return 0;
}
