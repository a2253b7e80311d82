// The application's database: one SQLite file, "dbinfo.mdb", in write-ahead-log mode. Each thread
// that runs a statement gets a connection of its own, opened at its first statement and closed when
// the thread ends, so no thread waits for another's statement; only SQLite's writer lock is
// shared, with a busy timeout. Replacing the file (a restore) closes every connection for a moment
// while no statement runs, and each thread opens the new file at its next statement.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "store/DbError.h"
#include "store/Recordset.h"
#include "store/StatementGate.h"

struct sqlite3;

namespace lumetra {

inline constexpr const char* kDatabaseFileName = "dbinfo.mdb";

class CDatabase {
public:
    // How long a statement waits for another connection's write to end, at least.
    static constexpr int kBusyTimeoutMs = 2000;

    CDatabase();
    ~CDatabase();
    CDatabase(const CDatabase&) = delete;
    CDatabase& operator=(const CDatabase&) = delete;

    // Opens an existing database file; never creates one. On failure returns false and puts the
    // database's description into *error; the database then stays "not connected".
    bool Open(const std::string& path, std::string* error);
    bool IsOpen() const;
    void Close();
    // The open file; empty when not connected.
    std::string Path() const;

    // Runs a statement that returns no rows. Throws CDbError when it is refused or not connected.
    // Returns how many rows it changed.
    int ExecuteSql(const std::string& statement);
    // Runs an insert and returns the rowid of its row. Throws as ExecuteSql does.
    int64_t InsertRow(const std::string& statement);

    // Runs a query and hands every row over to the record set (used by CRecordset::Open).
    void Query(const std::string& statement, CRecordset::Rows& rows);

    // Hands the calling thread's connection to `use`; the file is not replaced meanwhile, and the
    // statements `use` runs through this object run on the same connection. Throws CDbError when
    // not connected.
    void WithConnection(const std::function<void(sqlite3*)>& use);
    // Runs `use` while the file is not replaced, with a number that changes whenever another file
    // is opened or the file is replaced: a thread that keeps what it read can tell it is stale.
    void OnOneFile(const std::function<void(uint64_t generation)>& use);

    // Closes every connection while no statement runs and lets `swap` replace the file at Path();
    // each thread opens the file again at its next statement. Waits at most `wait` for the
    // statements running; refuses while a side connection is open. False with *error when it did
    // not swap; *paused says how long statements were held back.
    using FileSwap = std::function<bool(const std::string& path, std::string* error)>;
    bool ReplaceFile(const FileSwap& swap, std::chrono::milliseconds wait, std::string* error,
                     std::chrono::milliseconds* paused = nullptr);

    // A connection of its owner's on the open file, apart from the threads' ones and outside the
    // gate: a stepped backup reads a snapshot through it for as long as it takes. The file is
    // not replaced while one is open.
    class CSideConnection {
    public:
        // Throws CDbError when not connected or the file does not open.
        explicit CSideConnection(CDatabase& db);
        ~CSideConnection();
        CSideConnection(const CSideConnection&) = delete;
        CSideConnection& operator=(const CSideConnection&) = delete;
        sqlite3* Handle() const { return m_handle; }

    private:
        CDatabase& m_db;
        sqlite3* m_handle = nullptr;
    };

    struct Registry;  // the connections by thread; Database.cpp

private:
    sqlite3* ThreadConnection();  // the calling thread's, opened on first use; caller is inside m_gate
    void CloseAll();              // caller has m_gate closed

    std::shared_ptr<Registry> m_registry;  // shared with the threads, which close theirs as they end
    CStatementGate m_gate;                 // every statement passes it; a replacement closes it
};

// Full path of "dbinfo.mdb" in the directory of the running program.
std::string DefaultDatabasePath();

// The process-wide application database.
CDatabase& AppConnection();

}  // namespace lumetra
