#include "store/OwnTables.h"

#include <sqlite3.h>

#include "store/Database.h"
#include "store/DbError.h"
#include "store/SqlFormat.h"

namespace lumetra {
namespace {

void Run(sqlite3* db, const std::string& statement) {
    char* message = nullptr;
    if (sqlite3_exec(db, statement.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return;
    std::string text = message ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    throw CDbError(text + " [" + statement + "]");
}

int ReadUserVersion(sqlite3* db) {
    sqlite3_stmt* stmt = nullptr;
    int version = 0;
    if (sqlite3_prepare_v2(db, "pragma user_version", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        version = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    return version;
}

}  // namespace

bool OwnTableExists(CDatabase& db, const OwnTable& table) {
    CRecordset rows(db);
    rows.Open(FormatSql("select name from sqlite_master where type='table' and name='%s'", table.name));
    return !rows.AtEnd();
}

bool WriteOwnTable(CDatabase& db, const OwnTable& table, const std::vector<std::string>& statements,
                   bool firstMustChange) {
    bool written = false;
    db.WithConnection([&](sqlite3* handle) {
        Run(handle, "begin immediate");
        try {
            Run(handle, table.createStatement);
            const int version = ReadUserVersion(handle);
            if ((version & table.versionBit) == 0)
                Run(handle, FormatSql("pragma user_version = %d", version | table.versionBit));
            for (size_t i = 0; i < statements.size(); ++i) {
                Run(handle, statements[i]);
                if (i == 0 && firstMustChange && sqlite3_changes(handle) == 0) {
                    Run(handle, "rollback");
                    return;
                }
            }
            Run(handle, "commit");
            written = true;
        } catch (...) {
            sqlite3_exec(handle, "rollback", nullptr, nullptr, nullptr);
            throw;
        }
    });
    return written;
}

int OwnSchemaVersion(CDatabase& db) {
    int version = 0;
    db.WithConnection([&](sqlite3* handle) { version = ReadUserVersion(handle); });
    return version;
}

}  // namespace lumetra
