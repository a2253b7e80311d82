// The station while a backup of a large database runs: a 200 MB file of history lines (about a
// year's), copied again and again in steps on a worker while a history line is stored every
// 200 ms, as the settings page's backup does while the station broadcasts:
//   - hand-over during a backup: from a task's start second to its hand-over, the scheduler's own
//     thread on the wall clock, ten tasks a second apart;
//   - heartbeat gap during a backup: the longest gap between two heartbeat frames the transmitter
//     simulator receives from the running station;
//   - restore pause: how long a restore holds the other threads' statements back, a history line
//     being stored every 200 ms (a restore waits for no backup: the page runs one at a time).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "BenchSink.h"
#include "link/TransmitterLink.h"
#include "schedule/Scheduler.h"
#include "schedule/SwitchBoard.h"
#include "schedule/SystemClock.h"
#include "station/Station.h"
#include "store/DatabaseBackup.h"
#include "store/HistoryTable.h"
#include "tests/schedule/SchedulerRig.h"
#include "tests/support/LocalTime.h"
#include "tests/support/TestDatabase.h"
#include "tools/txsim/SimulatorProcess.h"

namespace {

using namespace lumetra;
using namespace std::chrono;

constexpr int kLines = 50'000;  // of about 4 kB each
constexpr int kStarts = 10;

// The history of the last hours, 200 MB of it, in lines that the retention keeps.
void FillHistory(CDatabase& db) {
    const std::time_t now = std::time(nullptr);
    CHistoryTable(db).Write(1, true, HistoryEvent{.at = now});
    db.ExecuteSql("with recursive n(i) as (select 2 union all select i+1 from n where i<" +
                  std::to_string(kLines) +
                  ") insert into lumetra_history_record (id,kind,first_at,last_at,title) select i,1," +
                  std::to_string(now) + "-i," + std::to_string(now) + "-i,hex(randomblob(2000)) from n");
}

// A history line every 200 ms and, when asked, backups of `db` one after another, until
// destroyed. The lines take ids below zero, apart from those of the station's own history.
class CBusyDatabase {
public:
    CBusyDatabase(CDatabase& db, const std::string& folder, bool backups) {
        m_history = std::jthread([&db](std::stop_token stop) {
            HistoryEvent event;
            event.detail = "history line written during the backup";
            while (!stop.stop_requested()) {
                event.at = std::time(nullptr);
                CHistoryTable(db).Write(g_nextLine--, true, event);
                std::this_thread::sleep_for(200ms);
            }
        });
        if (!backups) return;
        m_backups = std::jthread([&db, folder](std::stop_token stop) {
            std::atomic<bool> cancel{false};
            std::stop_callback cancelled(stop, [&cancel] { cancel = true; });
            CopyControl control;
            control.cancel = &cancel;
            while (!stop.stop_requested()) {
                std::string error;
                const auto began = steady_clock::now();
                if (BackupDatabase(db, folder + "/backup.mdb", &error, control))
                    g_backupMs.push_back(duration<double, std::milli>(steady_clock::now() - began).count());
                else if (!stop.stop_requested())
                    std::printf("backup failed: %s\n", error.c_str());
            }
        });
    }

    static inline std::vector<double> g_backupMs;
    static inline int64_t g_nextLine = -1;  // the writers follow each other

private:
    std::jthread m_history;
    std::jthread m_backups;
};

std::vector<double> HandOvers(test::TestDatabase& database) {
    CBusyDatabase busy(database.Db(), database.Dir().Path(), true);
    const std::time_t first = std::time(nullptr) + 12;
    for (int k = 0; k < kStarts; ++k)
        test::InsertTask(database.Db(), {.date = test::LocalText(first, "%Y-%m-%d"),
                                         .start = test::LocalText(first + k, "%T"),
                                         .end = test::LocalText(first + k + 1, "%T"),
                                         .playList = std::to_string(k)});
    CSystemClock clock;
    test::CRecorder recorder(
        [] { return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count(); });
    CSwitchBoard board(recorder);
    CScheduler scheduler(database.Db(), board, clock);
    scheduler.SetOwner(&recorder);
    scheduler.Start();
    std::map<int, double> delays;
    for (const auto limit = steady_clock::now() + seconds(kStarts + 20);
         delays.size() < kStarts && steady_clock::now() < limit; std::this_thread::sleep_for(50ms))
        for (const test::CRecorder::Event& e : recorder.Events())
            if (e.what.starts_with("PlayTask ")) {
                const int k = std::stoi(e.what.substr(e.what.rfind(' ') + 1));
                delays.emplace(k, static_cast<double>(e.millis - (first + k) * 1000));
            }
    scheduler.Stop();
    std::vector<double> runs;
    for (const auto& [k, delay] : delays) runs.push_back(delay);
    return runs;
}

std::vector<double> HeartbeatGaps(test::TestDatabase& database) {
    txsim::CSimulatorProcess simulator(LUMETRA_TXSIM_PATH);
    setenv("LUMETRA_COM1", simulator.DevicePath().c_str(), 1);
    CTransmitterLink link;
    CSystemClock clock;
    CStation station(database.Db(), link, clock);
    station.Start();
    CBusyDatabase busy(database.Db(), database.Dir().Path(), true);
    std::vector<double> gaps;
    long long last = -1;
    for (const auto end = steady_clock::now() + 20s; steady_clock::now() < end;) {
        const auto line = simulator.ReadLine(5s);
        if (!line) break;
        if (txsim::JsonField(*line, "event") != "frame" || txsim::JsonField(*line, "command") != "SendSCOM")
            continue;
        const long long at = std::stoll(txsim::JsonField(*line, "t_us"));
        if (last >= 0) gaps.push_back(static_cast<double>(at - last) / 1000);
        last = at;
    }
    station.Shutdown();
    return gaps;
}

std::vector<double> RestorePauses(test::TestDatabase& database) {
    test::TempDir spare;
    test::TestDatabase small;
    const std::string copy = spare.File("small.mdb");
    std::string error;
    BackupDatabase(small.Db(), copy, &error);
    CBusyDatabase busy(database.Db(), spare.Path(), false);
    std::vector<double> pauses;
    for (int run = 0; run < 5; ++run) {
        std::string kept;
        milliseconds paused{};
        if (RestoreDatabase(database.Db(), copy, std::time(nullptr), &kept, &error, {}, &paused))
            pauses.push_back(static_cast<double>(paused.count()));
        else
            std::printf("restore failed: %s\n", error.c_str());
    }
    return pauses;
}

}  // namespace

int main() {
    setenv("LUMETRA_AUDIO_SINK", "fakesink", 1);
    test::TestDatabase database;
    const auto began = steady_clock::now();
    FillHistory(database.Db());
    std::printf("a database of %d history lines made in %.1f s\n", kLines,
                duration<double>(steady_clock::now() - began).count());
    const std::vector<double> handOvers = HandOvers(database);
    const std::vector<double> gaps = HeartbeatGaps(database);
    const std::vector<double>& backups = CBusyDatabase::g_backupMs;
    std::printf("%zu backups of the 200 MB database meanwhile, %.0f ms the longest\n", backups.size(),
                backups.empty() ? 0.0 : *std::max_element(backups.begin(), backups.end()));
    ::bench::Print("hand-over during a backup", handOvers, 20);
    ::bench::Print("heartbeat gap during a backup", gaps, 3200);
    ::bench::Print("restore pause", RestorePauses(database), 100);
    return handOvers.size() != kStarts || gaps.empty();
}
