// Figures of the broadcast history, with a real database file:
//   - what one event costs the station thread that records it (it only queues), and how long the
//     history's own thread takes to store it, each event in its own transaction;
//   - opening the history page on 100,000 lines: reading them and the view showing them, on the
//     offscreen platform.
// Each figure is the median of the runs given.
#include <QApplication>
#include <QDateEdit>
#include <QTreeView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench/BenchTiming.h"
#include "pages/HistoryModel.h"
#include "pages/HistoryPage.h"
#include "schedule/SimulatedClock.h"
#include "station/HistoryRecorder.h"
#include "store/Database.h"
#include "store/DeliveredDatabase.h"
#include "store/HistoryTable.h"
#include "tests/support/TestDatabase.h"

using namespace lumetra;
using bench::Milliseconds;
using bench::Report;

namespace {

bool OpenDatabase(const test::TempDir& dir, const char* name, CDatabase& db) {
    std::string error;
    if (MakeDeliveredDatabase(dir.File(name), &error) && db.Open(dir.File(name), &error)) return true;
    std::fprintf(stderr, "database: %s\n", error.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    test::TempDir dir;

    // One event on the station's thread, and its storing on the history's.
    CDatabase eventsDb;
    if (!OpenDatabase(dir, "events.mdb", eventsDb)) return 1;
    CHistoryRecorder recorder(eventsDb,
                              {.linkUp = [] { return true; }, .failed = {}, .showDatabaseError = {}});
    recorder.Start();
    constexpr int kEvents = 500;
    std::vector<double> queued;
    const double stored = Milliseconds([&] {
        for (int i = 0; i < kEvents; ++i) {
            const HistoryKind kind = i % 2 ? HistoryKind::kFileEnd : HistoryKind::kFileStart;
            queued.push_back(Milliseconds(
                [&] { recorder.File(kind, "7", "/music/早间广播/第" + std::to_string(i) + "首.mp3", i); }));
        }
        recorder.Flush();
    });
    recorder.Stop();
    Report("one event on the station's thread (queued)", queued, 1);
    std::printf("%-52s %9.3f ms per event (%d events, each committed)\n", "storing on the history's thread",
                stored / kEvents, kEvents);

    // The page on 100,000 lines of one day.
    if (!OpenDatabase(dir, kDatabaseFileName, AppConnection())) return 1;
    const std::time_t day = 1772409600;  // 2026-03-02 00:00 UTC
    HistoryEvent first;                  // creates the tables; the lines below take its place
    CHistoryTable(AppConnection()).Write(100001, true, first);
    AppConnection().ExecuteSql(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<100000) "
        "INSERT INTO lumetra_history_record "
        "(id,kind,first_at,last_at,task_id,title,zones,power_up,start_at,end_at,"
        "power_down,ending,failures,link_down) SELECT i,0," +
        std::to_string(day) + "+i/2," + std::to_string(day) +
        "+i/2+60,'7','早间广播 '||(i%50),'1-12, 40',NULL,1,2,3,4,i%7=0,0 FROM n");
    std::vector<double> reads;
    for (int run = 0; run < 5; ++run)
        reads.push_back(Milliseconds([&] { CHistoryTable(AppConnection()).Records(day, day + 86400); }));
    Report("reading 100,000 lines from the store", reads, 200);
    CSimulatedClock clock(day + 43200);
    std::vector<double> opens;
    for (int run = 0; run < 5; ++run) {
        CHistoryPage page(AppConnection(), clock, nullptr);
        page.FromDate()->setDate(QDate(2026, 3, 1));
        page.ToDate()->setDate(QDate(2026, 3, 3));
        page.resize(770, 470);
        page.show();
        opens.push_back(Milliseconds([&] {
            page.Load();
            QApplication::processEvents();
            page.View()->viewport()->repaint();
        }));
        if (page.Model().RecordCount() != 100000) {
            std::fprintf(stderr, "the page shows %d lines\n", page.Model().RecordCount());
            return 1;
        }
    }
    Report("opening the history page on 100,000 lines", opens, 200);
    AppConnection().Close();
    return 0;
}
