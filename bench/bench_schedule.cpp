// The scheduler's costs:
//  - one Tick over 1,000 and 10,000 task rows of which none is due, next to a plain SQLite scan
//    of the same rows (the ratio is printed at the end; the aim is at most 2);
//  - one simulated day of ticks at half-second steps over 100 tasks (the wall time of the day);
//  - on the wall clock, how long after its start second each of 20 tasks is handed over.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "schedule/Scheduler.h"
#include "schedule/SimulatedClock.h"
#include "schedule/SystemClock.h"
#include "tests/schedule/SchedulerRig.h"
#include "tests/support/LocalTime.h"
#include "tests/support/TestDatabase.h"

namespace {

using namespace lumetra;
using namespace std::chrono;
using test::InsertTask;
using test::TaskRow;

std::string TimeText(int secondOfDay) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", secondOfDay / 3600 % 24, secondOfDay / 60 % 60,
                  secondOfDay % 60);
    return text;
}

// Rows that are not due on Monday 2026-03-02, five minutes each, spread over the day: weekly
// tasks of other days, once tasks of an earlier day and daily tasks from a later date. Made
// once per row count.
test::TestDatabase& NotDueDatabase(int count) {
    static std::map<int, std::unique_ptr<test::TestDatabase>> made;
    std::unique_ptr<test::TestDatabase>& database = made[count];
    if (database) return *database;
    database = std::make_unique<test::TestDatabase>();
    database->Db().ExecuteSql("BEGIN");
    for (int i = 0; i < count; ++i) {
        TaskRow row;
        const int start = static_cast<int>(static_cast<long>(i) * 86000 / count);
        row.start = TimeText(start);
        row.end = TimeText(start + 300);
        const char* codes[] = {kRepeatWeekly, kRepeatOnce, kRepeatDaily};
        const char* dates[] = {"2026-01-01", "2026-02-27", "2026-04-01"};
        row.code = codes[i % 3];
        row.date = dates[i % 3];
        row.weekDays = "1357";
        InsertTask(database->Db(), row);
    }
    database->Db().ExecuteSql("COMMIT");
    return *database;
}

// Counts what the scheduler gives the link and the main window; with `stamps`, the wall-clock
// moment of the first hand-over of each play list too.
struct CCounters : CTransmitterLink, ISchedulerOwner {
    void Enqueue(const LinkCommand&) override { ++frames; }
    void PostMessage(WindowMessage) override { ++messages; }
    void ClearOpenFailure() override {}
    void SetPlayListText(const std::string& text) override {
        std::lock_guard lock(mutex);
        ++handOvers;
        stamps.emplace(text, system_clock::now());  // keeps the first
        changed.notify_all();
    }
    long frames = 0, messages = 0, handOvers = 0;
    std::mutex mutex;
    std::condition_variable changed;
    std::map<std::string, system_clock::time_point> stamps;
};

void BM_TickNoneDue(benchmark::State& state) {
    test::TestDatabase& database = NotDueDatabase(static_cast<int>(state.range(0)));
    CSimulatedClock clock(test::LocalTime(2026, 3, 2, 12, 0, 0));
    CCounters counters;
    CScheduler scheduler(database.Db(), counters, clock);
    scheduler.SetOwner(&counters);
    for (auto _ : state) scheduler.Tick();
    if (counters.frames || counters.messages) state.SkipWithError("a row was due after all");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_TickNoneDue)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_PlainSqliteScan(benchmark::State& state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(NotDueDatabase(static_cast<int>(state.range(0))).Path().c_str(), &db,
                    SQLITE_OPEN_READONLY, nullptr);
    size_t bytes = 0;
    for (auto _ : state) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, sql::kSelectTasksForTick, -1, &statement, nullptr);
        while (sqlite3_step(statement) == SQLITE_ROW)
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                sqlite3_column_text(statement, c);
                bytes += static_cast<size_t>(sqlite3_column_bytes(statement, c));
            }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    benchmark::DoNotOptimize(bytes);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PlainSqliteScan)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// 100 tasks of ten minutes, one every 14 minutes: weekly ones on Mondays, once ones on the day,
// daily ones; the clock runs from midnight to midnight. The time shown is the wall time of the day.
void BM_SimulatedDay(benchmark::State& state) {
    test::TestDatabase database;
    for (int i = 0; i < 100; ++i) {
        TaskRow row;
        row.start = TimeText(i * 840 + 60);
        row.end = TimeText(i * 840 + 660);
        row.code = i % 3 == 0 ? kRepeatWeekly : i % 3 == 1 ? kRepeatOnce : kRepeatDaily;
        row.weekDays = "2";
        InsertTask(database.Db(), row);
    }
    for (auto _ : state) {
        database.Db().ExecuteSql("update tb_memo set 状态='未执行'");
        CSimulatedClock clock(test::LocalTime(2026, 3, 2, 0, 0, 0));
        CCounters counters;
        CScheduler scheduler(database.Db(), counters, clock);
        scheduler.SetOwner(&counters);
        long ticks = 0;
        for (const std::time_t end = test::LocalTime(2026, 3, 3, 0, 0, 0); clock.Now() < end; ++ticks) {
            scheduler.Tick();
            clock.SleepToNextHalfSecond();
        }
        state.counters["ticks"] = static_cast<double>(ticks);
        state.counters["hand_overs"] = static_cast<double>(counters.handOvers);
    }
}
BENCHMARK(BM_SimulatedDay)->Iterations(1)->Unit(benchmark::kMillisecond);

// 20 daily tasks starting one second apart from two seconds from now, run by the scheduler's
// own thread on the wall clock.
void BM_HandOverDelayOnTheWallClock(benchmark::State& state) {
    constexpr int kStarts = 20;
    for (auto _ : state) {
        test::TestDatabase database;
        const std::time_t first = std::time(nullptr) + 2;
        std::tm local{};
        localtime_r(&first, &local);
        char today[16];
        std::strftime(today, sizeof today, "%Y-%m-%d", &local);
        const int firstSecond = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
        for (int k = 0; k < kStarts; ++k) {
            TaskRow row;
            row.date = today;
            row.start = TimeText(firstSecond + k);
            row.end = TimeText(firstSecond + k + 1);
            row.playList = std::to_string(k);
            InsertTask(database.Db(), row);
        }
        CSystemClock clock;
        CCounters counters;
        CScheduler scheduler(database.Db(), counters, clock);
        scheduler.SetOwner(&counters);
        scheduler.Start();
        std::unique_lock lock(counters.mutex);
        const bool all = counters.changed.wait_for(lock, seconds(kStarts + 10),
                                                   [&] { return counters.stamps.size() >= kStarts; });
        lock.unlock();
        scheduler.Stop();
        if (!all) return state.SkipWithError("not every task was handed over (run across midnight?)");
        std::vector<double> delays;
        for (const auto& [text, stamp] : counters.stamps)
            delays.push_back(
                duration<double, std::milli>(stamp - system_clock::from_time_t(first + std::stoi(text)))
                    .count());
        std::sort(delays.begin(), delays.end());
        state.counters["median_ms"] = (delays[kStarts / 2 - 1] + delays[kStarts / 2]) / 2;
        state.counters["max_ms"] = delays.back();
    }
}
BENCHMARK(BM_HandOverDelayOnTheWallClock)->Iterations(1)->Unit(benchmark::kSecond);

// Prints the tick-to-scan ratio per row count after the table.
class CRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                m_times[run.run_name.function_name][run.run_name.args] = run.GetAdjustedRealTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [rows, tick] : m_times["BM_TickNoneDue"])
            if (m_times["BM_PlainSqliteScan"].count(rows))
                std::printf("Tick / plain scan over %s rows: %.2f (aim: at most 2)\n", rows.c_str(),
                            tick / m_times["BM_PlainSqliteScan"][rows]);
    }

private:
    std::map<std::string, std::map<std::string, double>> m_times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    CRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
