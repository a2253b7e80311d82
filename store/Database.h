// The application's database connection: one SQLite file, "dbinfo.mdb", shared by the user-interface
// thread and the scheduler thread. Every use of the connection is serialised by its mutex.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "store/DbError.h"
#include "store/Recordset.h"

struct sqlite3;

namespace lumetra {

inline constexpr const char* kDatabaseFileName = "dbinfo.mdb";

class CDatabase {
public:
    CDatabase() = default;
    ~CDatabase();
    CDatabase(const CDatabase&) = delete;
    CDatabase& operator=(const CDatabase&) = delete;

    // Opens an existing database file; never creates one. On failure returns false and puts the
    // database's description into *error; the connection then stays "not connected".
    bool Open(const std::string& path, std::string* error);
    bool IsOpen() const;
    void Close();

    // Runs a statement that returns no rows. Throws CDbError when it is refused or not connected.
    // Returns how many rows it changed.
    int ExecuteSql(const std::string& statement);
    // Runs an insert and returns the rowid of its row, read before any other statement can run.
    // Throws as ExecuteSql does.
    int64_t InsertRow(const std::string& statement);

    // Runs a query and hands every row over to the record set (used by CRecordset::Open).
    void Query(const std::string& statement, CRecordset::Rows& rows);

    // Hands the SQLite connection to `use` while no other statement can run (the online backup
    // needs it). Throws CDbError when not connected.
    void RunLocked(const std::function<void(sqlite3*)>& use);

private:
    sqlite3* Handle() const;                              // throws when not connected; caller holds m_mutex
    void Run(sqlite3* db, const std::string& statement);  // caller holds m_mutex

    mutable std::mutex m_mutex;  // guards m_db and every statement run on it
    sqlite3* m_db = nullptr;
};

// Full path of "dbinfo.mdb" in the directory of the running program.
std::string DefaultDatabasePath();

// The process-wide application connection.
CDatabase& AppConnection();

}  // namespace lumetra
