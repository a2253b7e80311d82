// Copies of the application database made while it runs, and putting one back. A copy is read in
// steps from a snapshot of the file, on a connection of its own, so the station goes on reading and
// writing meanwhile. Putting one back prepares the new file beside the live one first; the
// station's statements are held back only while the files are renamed.
#pragma once

#include <atomic>
#include <chrono>
#include <ctime>
#include <functional>
#include <string>

namespace lumetra {

class CDatabase;

// How a copy runs: its step, what hears of its progress, and what cuts it short.
struct CopyControl {
    int pagesPerStep = 256;
    std::function<void(int copied, int total)> progress;  // pages, after each step, on the copying thread
    const std::atomic<bool>* cancel = nullptr;            // read between steps
};

// How long a restore waits for the statements running to end before it gives up.
inline constexpr std::chrono::milliseconds kRestoreWait{100};

// Writes a consistent copy of the open database to `target`, replacing a file there only once the
// copy is complete. A cancelled copy leaves nothing behind.
bool BackupDatabase(CDatabase& db, const std::string& target, std::string* error,
                    const CopyControl& control = {});

// Whether `candidate` can replace the database: SQLite's integrity check passes and every table
// and column of the delivered schema is there. *reason says why not, for the operator.
bool CheckRestorable(const std::string& candidate, std::string* reason,
                     const std::atomic<bool>* cancel = nullptr);

// Checks `candidate` and copies it beside the open database, then, while no statement runs, keeps
// the open database's file as a dated copy beside it (dbinfo-YYYYMMDD-HHMMSS.mdb, at `now`, local
// time) and puts the new one in its place. When any step fails the open database is as it was, and
// *error says why. *paused says how long the statements of other threads were held back.
bool RestoreDatabase(CDatabase& db, const std::string& candidate, std::time_t now, std::string* keptCopy,
                     std::string* error, const CopyControl& control = {},
                     std::chrono::milliseconds* paused = nullptr);

}  // namespace lumetra
