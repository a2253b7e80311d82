// The scheduler's costs:
//  - one Tick over 1,000 and 10,000 task rows of which none is due, next to a plain SQLite scan
//    of the same rows (the ratio is printed at the end; the aim is at most 2);
//  - one simulated day of ticks at half-second steps over 100 tasks;
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

#include "link/TransmitterLink.h"
#include "schedule/Scheduler.h"
#include "schedule/SchedulerOwner.h"
#include "schedule/SimulatedClock.h"
#include "schedule/SystemClock.h"
#include "store/Database.h"
#include "tests/support/LocalTime.h"
#include "tests/schedule/TaskRows.h"
#include "tests/support/TestDatabase.h"

namespace {

using namespace lumetra;
using test::InsertTask;
using test::TaskRow;

// Monday 2026-03-02 at noon.
std::time_t Noon() {
    return test::LocalTime(2026, 3, 2, 12, 0, 0);
}

std::string TimeText(int secondOfDay) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", secondOfDay / 3600 % 24, secondOfDay / 60 % 60,
                  secondOfDay % 60);
    return text;
}

// Rows that are not due on Monday 2026-03-02: weekly tasks of other days, once tasks of earlier
// days, and daily tasks that begin later, five minutes each, spread over the day. Filled once
// per row count.
test::TestDatabase& NotDueDatabase(int count) {
    static std::map<int, std::unique_ptr<test::TestDatabase>> made;
    auto& slot = made[count];
    if (slot) return *slot;
    slot = std::make_unique<test::TestDatabase>();
    CDatabase& db = slot->Db();
    db.ExecuteSql("BEGIN");
    for (int i = 0; i < count; ++i) {
        TaskRow row;
        row.name = "任务 " + std::to_string(i);
        const int start = static_cast<int>(static_cast<long>(i) * 86000 / count);  // spread over the day
        row.start = TimeText(start);
        row.end = TimeText(start + 300);
        switch (i % 3) {
            case 0:
                row.code = kRepeatWeekly, row.weekDays = "1357", row.date = "2026-01-01";
                break;
            case 1:
                row.code = kRepeatOnce, row.date = "2026-02-27";
                break;
            case 2:
                row.code = kRepeatDaily, row.date = "2026-04-01";
                break;
        }
        InsertTask(db, row);
    }
    db.ExecuteSql("COMMIT");
    return *slot;
}

class CCountingOwner : public ISchedulerOwner {
public:
    void PostMessage(WindowMessage) override { ++messages; }
    void SetPlayListText(const std::string&) override { ++handOvers; }
    void ClearOpenFailure() override {}
    long messages = 0, handOvers = 0;
};

// A link that counts the frames instead of queueing them.
class CCountingLink : public CTransmitterLink {
public:
    void Enqueue(const LinkCommand&) override { ++frames; }
    long frames = 0;
};

void BM_TickNoneDue(benchmark::State& state) {
    test::TestDatabase& database = NotDueDatabase(static_cast<int>(state.range(0)));
    CSimulatedClock clock(Noon());
    CCountingLink link;
    CCountingOwner owner;
    CScheduler scheduler(database.Db(), link, clock);
    scheduler.SetOwner(&owner);
    for (auto _ : state) scheduler.Tick();
    if (link.frames || owner.messages) state.SkipWithError("a row was due after all");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_TickNoneDue)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_PlainSqliteScan(benchmark::State& state) {
    const std::string& path = NotDueDatabase(static_cast<int>(state.range(0))).Path();
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    size_t bytes = 0;
    for (auto _ : state) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, sql::kSelectTasksForTick, -1, &statement, nullptr);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const int columns = sqlite3_column_count(statement);
            for (int c = 0; c < columns; ++c) {
                sqlite3_column_text(statement, c);
                bytes += static_cast<size_t>(sqlite3_column_bytes(statement, c));
            }
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    benchmark::DoNotOptimize(bytes);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PlainSqliteScan)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// A day of 100 tasks: daily ones every quarter of an hour, weekly ones on Mondays, once ones
// on the day, each ten minutes long; the clock runs from midnight to midnight.
void BM_SimulatedDay(benchmark::State& state) {
    test::TestDatabase database;
    for (int i = 0; i < 100; ++i) {
        TaskRow row;
        row.name = "任务 " + std::to_string(i);
        row.start = TimeText(i * 840 + 60);
        row.end = TimeText(i * 840 + 660);
        row.code = i % 3 == 0 ? kRepeatWeekly : i % 3 == 1 ? kRepeatOnce : kRepeatDaily;
        row.weekDays = "2";
        InsertTask(database.Db(), row);
    }
    long ticks = 0, handOvers = 0;
    double wallMicros = 0;
    for (auto _ : state) {
        const auto began = std::chrono::steady_clock::now();
        database.Db().ExecuteSql("update tb_memo set 状态='未执行'");
        CSimulatedClock clock(test::LocalTime(2026, 3, 2, 0, 0, 0));
        CCountingLink link;
        CCountingOwner owner;
        CScheduler scheduler(database.Db(), link, clock);
        scheduler.SetOwner(&owner);
        const std::time_t end = test::LocalTime(2026, 3, 3, 0, 0, 0);
        while (clock.Now() < end) {
            scheduler.Tick();
            clock.SleepToNextHalfSecond();
            ++ticks;
        }
        handOvers += owner.handOvers;
        wallMicros +=
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - began).count();
    }
    state.counters["ticks"] = static_cast<double>(ticks) / static_cast<double>(state.iterations());
    state.counters["hand_overs"] = static_cast<double>(handOvers) / static_cast<double>(state.iterations());
    state.counters["us_per_tick"] = wallMicros / static_cast<double>(ticks);
}
BENCHMARK(BM_SimulatedDay)->Iterations(1)->Unit(benchmark::kMillisecond);

// Stamps the wall-clock moment of the first hand-over of each play list.
class CStampingOwner : public ISchedulerOwner {
public:
    void PostMessage(WindowMessage) override {}
    void ClearOpenFailure() override {}
    void SetPlayListText(const std::string& text) override {
        const auto now = std::chrono::system_clock::now();
        std::lock_guard lock(m_mutex);
        m_stamps.emplace(text, now);  // keeps the first
        m_changed.notify_all();
    }
    bool AwaitHandOvers(size_t count, std::chrono::seconds limit) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, limit, [&] { return m_stamps.size() >= count; });
    }
    std::map<std::string, std::chrono::system_clock::time_point> Stamps() {
        std::lock_guard lock(m_mutex);
        return m_stamps;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<std::string, std::chrono::system_clock::time_point> m_stamps;
};

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
            row.playList = "task-" + std::to_string(k);
            InsertTask(database.Db(), row);
        }
        CSystemClock clock;
        CCountingLink link;
        CStampingOwner owner;
        CScheduler scheduler(database.Db(), link, clock);
        scheduler.SetOwner(&owner);
        scheduler.Start();
        const bool all = owner.AwaitHandOvers(kStarts, std::chrono::seconds(kStarts + 10));
        scheduler.Stop();
        if (!all) {
            state.SkipWithError("not every task was handed over (run across midnight?)");
            return;
        }
        std::vector<double> delays;
        for (const auto& [text, stamp] : owner.Stamps()) {
            const int k = std::stoi(text.substr(5));
            const auto startSecond = std::chrono::system_clock::from_time_t(first + k);
            delays.push_back(std::chrono::duration<double, std::milli>(stamp - startSecond).count());
        }
        std::sort(delays.begin(), delays.end());
        state.counters["median_ms"] = (delays[kStarts / 2 - 1] + delays[kStarts / 2]) / 2;
        state.counters["max_ms"] = delays.back();
        state.counters["min_ms"] = delays.front();
    }
}
BENCHMARK(BM_HandOverDelayOnTheWallClock)->Iterations(1)->Unit(benchmark::kSecond);

// Prints the tick-to-scan ratio per row count after the table.
class CRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            const std::string name = run.run_name.function_name;
            const std::string rows = run.run_name.args;
            if (name == "BM_TickNoneDue") m_tick[rows] = run.GetAdjustedRealTime();
            if (name == "BM_PlainSqliteScan") m_scan[rows] = run.GetAdjustedRealTime();
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [rows, tick] : m_tick)
            if (m_scan.count(rows))
                std::printf("Tick / plain scan over %s rows: %.2f (aim: at most 2)\n", rows.c_str(),
                            tick / m_scan[rows]);
    }

private:
    std::map<std::string, double> m_tick, m_scan;
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
