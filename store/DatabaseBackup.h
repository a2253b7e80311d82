// Copies of the application database made while it runs, and putting one back. Both work through
// SQLite's online backup under the connection's lock, so the scheduler thread never sees half a
// copy, and the connection stays open: every page and thread keeps using the same one.
#pragma once

#include <ctime>
#include <string>

namespace lumetra {

class CDatabase;

// Writes a consistent copy of the open database to `target`, replacing a file there only once the
// copy is complete.
bool BackupDatabase(CDatabase& db, const std::string& target, std::string* error);

// Whether `candidate` can replace the database: SQLite's integrity check passes and every table
// and column of the delivered schema is there. *reason says why not, for the operator.
bool CheckRestorable(const std::string& candidate, std::string* reason);

// Checks `candidate`, keeps the open database as a dated copy beside its file
// (dbinfo-YYYYMMDD-HHMMSS.mdb, at `now`, local time), then copies the candidate into it. When any
// step fails the open database is as it was, and *error says why.
bool RestoreDatabase(CDatabase& db, const std::string& candidate, std::time_t now, std::string* keptCopy,
                     std::string* error);

}  // namespace lumetra
