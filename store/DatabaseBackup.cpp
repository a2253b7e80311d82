#include "store/DatabaseBackup.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "store/Database.h"
#include "store/SchemaText.h"

namespace lumetra {
namespace {

struct Table {
    std::string name;
    std::vector<std::string> columns;
};

// Closes a connection of this file's own at the end of a scope.
struct Connection {
    sqlite3* db = nullptr;
    ~Connection() { sqlite3_close_v2(db); }
};

std::vector<std::string> Column(sqlite3* db, const std::string& query, int column, int* rc) {
    std::vector<std::string> values;
    sqlite3_stmt* stmt = nullptr;
    *rc = sqlite3_prepare_v2(db, query.c_str(), -1, &stmt, nullptr);
    if (*rc != SQLITE_OK) return values;
    while ((*rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        values.emplace_back(text ? text : "");
    }
    sqlite3_finalize(stmt);
    if (*rc == SQLITE_DONE) *rc = SQLITE_OK;
    return values;
}

std::string Quoted(const std::string& name) {
    return "\"" + name + "\"";
}

// The tables and columns of the delivered schema, as SQLite itself reads them.
std::vector<Table> DeliveredTables() {
    Connection schema;
    int rc = sqlite3_open(":memory:", &schema.db);
    if (rc == SQLITE_OK) rc = sqlite3_exec(schema.db, kSchemaSql, nullptr, nullptr, nullptr);
    std::vector<Table> tables;
    for (const std::string& name :
         Column(schema.db, "select name from sqlite_master where type='table'", 0, &rc))
        tables.push_back({name, Column(schema.db, "pragma table_info(" + Quoted(name) + ")", 1, &rc)});
    return tables;
}

// SQLite's online backup of the main database of `from` into that of `to`, in one step.
int CopyPages(sqlite3* from, sqlite3* to) {
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup) return sqlite3_errcode(to);
    const int step = sqlite3_backup_step(backup, -1);
    const int finish = sqlite3_backup_finish(backup);
    return step == SQLITE_DONE ? finish : step;
}

// Writes the database of `from` to `target` through a temporary file, so a failure leaves any
// earlier file there whole.
bool WriteCopy(sqlite3* from, const std::string& target, std::string* error) {
    const std::string partial = target + ".part";
    std::remove(partial.c_str());
    int rc;
    {
        Connection copy;
        rc = sqlite3_open_v2(partial.c_str(), &copy.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (rc == SQLITE_OK) rc = CopyPages(from, copy.db);
        if (rc != SQLITE_OK)
            *error = target + "：" + (copy.db ? sqlite3_errmsg(copy.db) : sqlite3_errstr(rc));
    }
    std::error_code ec;
    if (rc == SQLITE_OK) std::filesystem::rename(partial, target, ec);
    if (rc == SQLITE_OK && ec) *error = target + "：" + ec.message();
    if (rc != SQLITE_OK || ec) {
        std::remove(partial.c_str());
        return false;
    }
    return true;
}

std::string DatedCopyName(const std::string& live, std::time_t now) {
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::filesystem::path path(live);
    std::string name = (path.parent_path() / (path.stem().string() + "-" + stamp)).string();
    std::string candidate = name + path.extension().string();
    std::error_code ec;
    for (int n = 2; std::filesystem::exists(candidate, ec); ++n)
        candidate = name + "-" + std::to_string(n) + path.extension().string();
    return candidate;
}

}  // namespace

bool BackupDatabase(CDatabase& db, const std::string& target, std::string* error) {
    bool written = false;
    try {
        db.RunLocked([&](sqlite3* live) { written = WriteCopy(live, target, error); });
    } catch (const CDbError& e) {
        *error = e.what();
    }
    return written;
}

bool CheckRestorable(const std::string& candidate, std::string* reason) {
    Connection file;
    int rc = sqlite3_open_v2(candidate.c_str(), &file.db, SQLITE_OPEN_READONLY, nullptr);
    std::vector<std::string> verdict;
    if (rc == SQLITE_OK) verdict = Column(file.db, "pragma integrity_check", 0, &rc);
    // A file too damaged for the check to finish counts as damaged, not as something else.
    const bool damaged = rc != SQLITE_OK && file.db && sqlite3_errcode(file.db) == SQLITE_CORRUPT;
    if (damaged) verdict = {sqlite3_errmsg(file.db)};
    if (rc != SQLITE_OK && !damaged) {
        *reason = candidate + " 不是可用的数据库（" +
                  (file.db ? sqlite3_errmsg(file.db) : sqlite3_errstr(rc)) + "）。";
        return false;
    }
    if (verdict != std::vector<std::string>{"ok"}) {
        *reason = candidate + " 已损坏（" + (verdict.empty() ? "" : verdict.front()) + "）。";
        return false;
    }
    for (const Table& table : DeliveredTables()) {
        const std::vector<std::string> columns =
            Column(file.db, "pragma table_info(" + Quoted(table.name) + ")", 1, &rc);
        if (columns.empty()) {
            *reason = candidate + " 不是 Lumetra 的数据库：缺少表 " + table.name + "。";
            return false;
        }
        for (const std::string& column : table.columns) {
            if (std::find(columns.begin(), columns.end(), column) == columns.end()) {
                *reason = candidate + " 不是 Lumetra 的数据库：表 " + table.name + " 缺少列 " + column + "。";
                return false;
            }
        }
    }
    return true;
}

bool RestoreDatabase(CDatabase& db, const std::string& candidate, std::time_t now, std::string* keptCopy,
                     std::string* error) {
    if (!CheckRestorable(candidate, error)) return false;
    bool restored = false;
    try {
        db.RunLocked([&](sqlite3* live) {
            const std::string livePath = sqlite3_db_filename(live, "main");
            std::error_code ec;
            if (std::filesystem::equivalent(candidate, livePath, ec)) {
                *error = candidate + " 就是正在使用的数据库。";
                return;
            }
            *keptCopy = DatedCopyName(livePath, now);
            if (!WriteCopy(live, *keptCopy, error)) return;
            Connection file;
            int rc = sqlite3_open_v2(candidate.c_str(), &file.db, SQLITE_OPEN_READONLY, nullptr);
            // One step under one write transaction: a failure rolls the open database back whole.
            if (rc == SQLITE_OK) rc = CopyPages(file.db, live);
            if (rc != SQLITE_OK) {
                *error = candidate + "：" + sqlite3_errstr(rc);
                return;
            }
            restored = true;
        });
    } catch (const CDbError& e) {
        *error = e.what();
    }
    return restored;
}

}  // namespace lumetra
