// A tick-sized read: every task row walked to the end reading every column with GetFieldText,
// next to a plain prepared-statement scan of the same rows with the SQLite C API.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "store/Database.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"
#include "tests/support/TestDatabase.h"

namespace {

using namespace lumetra;

const char* const kColumns[] = {"ID",       "任务名称", "日期",     "开始时间", "结束时间",
                                "重复周期", "音源",     "节目内容", "目标区域", "提醒次数",
                                "一周时间", "状态",     "FM",       "外设"};

// One fresh database per row count, filled once and shared by both benchmarks.
test::TestDatabase& DatabaseWith(int rows) {
    static std::map<int, std::unique_ptr<test::TestDatabase>> made;
    auto& slot = made[rows];
    if (slot) return *slot;
    slot = std::make_unique<test::TestDatabase>();
    std::string zones = "1";
    for (int i = 1; i < 128; ++i) zones += i % 3 ? "|0" : "|1";
    slot->Db().ExecuteSql("BEGIN");
    for (int i = 0; i < rows; ++i) {
        char start[16];
        std::snprintf(start, sizeof start, "%02d:%02d:%02d", i / 3600 % 24, i / 60 % 60, i % 60);
        slot->Db().ExecuteSql(FormatSql(sql::kInsertTask, "任务 " + std::to_string(i), "2026-03-05", start,
                                        "23:59:59", "周", "1", "/音乐/早操.mp3|/音乐/眼保健操.mp3", zones,
                                        "1", "246", sql::kStateIdle, "1", "1001"));
    }
    slot->Db().ExecuteSql("COMMIT");
    return *slot;
}

void BM_OpenQueryWalk(benchmark::State& state) {
    CDatabase& db = DatabaseWith(static_cast<int>(state.range(0))).Db();
    CRecordset rows(db);
    size_t bytes = 0;
    for (auto _ : state) {
        rows.Open(sql::kSelectTasks);
        for (; !rows.AtEnd(); rows.MoveNext())
            for (const char* column : kColumns) bytes += rows.GetFieldText(column).size();
        rows.Close();
    }
    benchmark::DoNotOptimize(bytes);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_PlainSqliteScan(benchmark::State& state) {
    const std::string& path = DatabaseWith(static_cast<int>(state.range(0))).Path();
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql::kSelectTasks, -1, &stmt, nullptr);
    size_t bytes = 0;
    for (auto _ : state) {
        sqlite3_reset(stmt);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            const int columns = sqlite3_column_count(stmt);
            for (int c = 0; c < columns; ++c) {
                // What a reader needs at least: the value as text it can keep.
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                std::string value(text, static_cast<size_t>(sqlite3_column_bytes(stmt, c)));
                bytes += value.size();
            }
        }
    }
    benchmark::DoNotOptimize(bytes);
    sqlite3_finalize(stmt);
    sqlite3_close_v2(db);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_OpenQueryWalk)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSqliteScan)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Prints the ratio of the two scans next to Google Benchmark's own table.
class CRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration) continue;
            const std::string name = run.benchmark_name();
            const double ms = run.GetAdjustedRealTime();
            const std::string rows = name.substr(name.find('/') + 1);
            (name.rfind("BM_OpenQueryWalk", 0) == 0 ? m_walk : m_plain)[rows] = ms;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [rows, walk] : m_walk) {
            const auto plain = m_plain.find(rows);
            if (plain == m_plain.end()) continue;
            std::printf("%s rows: OpenQuery walk %.2f ms, plain SQLite scan %.2f ms, ratio %.2f\n",
                        rows.c_str(), walk, plain->second, walk / plain->second);
        }
    }

private:
    std::map<std::string, double> m_walk, m_plain;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    CRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
