#include "store/DatabaseBackup.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "store/Database.h"
#include "store/LoggedIn.h"
#include "store/PrivateFiles.h"
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

// Runs a statement of this file's own; false when it is refused.
bool Exec(sqlite3* db, const char* statement) {
    return sqlite3_exec(db, statement, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// SQLite's online backup of the main database of `from` into that of `to`, a few hundred pages a
// step. `from` holds a read transaction: the snapshot it reads is not changed by other
// connections' writes, which would otherwise start the copy over at its next step.
int CopyPages(sqlite3* from, sqlite3* to, const CopyControl& control) {
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup) return sqlite3_errcode(to);
    int rc;
    do {
        rc = sqlite3_backup_step(backup, control.pagesPerStep);
        const int total = sqlite3_backup_pagecount(backup);
        if ((rc == SQLITE_OK || rc == SQLITE_DONE) && control.progress)
            control.progress(total - sqlite3_backup_remaining(backup), total);
        if (rc == SQLITE_OK && control.cancel && *control.cancel) rc = SQLITE_INTERRUPT;
    } while (rc == SQLITE_OK);
    const int finish = sqlite3_backup_finish(backup);
    return rc == SQLITE_DONE ? finish : rc;
}

// Writes the database of `from` to `target` through a temporary file, so a failure leaves any
// earlier file there whole. The copy is a single file with a rollback journal, whatever the
// journal of `from`.
bool WriteCopy(sqlite3* from, const std::string& target, std::string* error, const CopyControl& control) {
    const std::string partial = target + ".part";
    std::remove(partial.c_str());
    std::error_code made;
    if (!CreatePrivateFile(partial, made)) {
        *error = target + "：" + made.message();
        return false;
    }
    int rc;
    {
        Connection copy;
        rc = sqlite3_open_v2(partial.c_str(), &copy.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (rc == SQLITE_OK) rc = CopyPages(from, copy.db, control);
        if (rc == SQLITE_OK && !Exec(copy.db, "pragma journal_mode=delete")) rc = sqlite3_errcode(copy.db);
        if (rc == SQLITE_INTERRUPT)
            *error = target + "：备份已取消。";
        else if (rc != SQLITE_OK)
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

// With every connection to it closed: the live file becomes the kept copy and the prepared one
// takes its place. On any failure the live file is where it was.
bool SwapFiles(const std::string& live, const std::string& prepared, const std::string& kept,
               std::string* error) {
    std::error_code ec;
    // A log left beside the file means a connection elsewhere still has it open: the file and the
    // writes in its log must not be parted.
    if (std::filesystem::exists(live + "-wal", ec)) {
        *error = live + " 仍被其他程序打开。";
        return false;
    }
    std::filesystem::rename(live, kept, ec);
    if (ec) {
        *error = kept + "：" + ec.message();
        return false;
    }
    std::filesystem::rename(prepared, live, ec);
    if (!ec) return true;
    *error = live + "：" + ec.message();
    std::filesystem::rename(kept, live, ec);
    return false;
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

bool BackupDatabase(CDatabase& db, const std::string& target, std::string* error,
                    const CopyControl& control) {
    if (!MayAdminister()) {
        *error = "只有管理员可以备份数据库。";
        return false;
    }
    try {
        CDatabase::CSideConnection source(db);
        // One read transaction for the whole copy: its snapshot.
        if (!Exec(source.Handle(), "begin") || !Exec(source.Handle(), "select count(*) from sqlite_master")) {
            *error = target + "：" + sqlite3_errmsg(source.Handle());
            return false;
        }
        const bool written = WriteCopy(source.Handle(), target, error, control);
        Exec(source.Handle(), "rollback");
        return written;
    } catch (const CDbError& e) {
        *error = e.what();
    }
    return false;
}

bool CheckRestorable(const std::string& candidate, std::string* reason, const std::atomic<bool>* cancel) {
    Connection file;
    int rc = sqlite3_open_v2(candidate.c_str(), &file.db, SQLITE_OPEN_READONLY, nullptr);
    if (rc == SQLITE_OK && cancel) {
        // The check of a large file takes seconds: a cancel ends it.
        const auto cancelled = [](void* flag) {
            return static_cast<const std::atomic<bool>*>(flag)->load() ? 1 : 0;
        };
        sqlite3_progress_handler(file.db, 1000, cancelled, const_cast<std::atomic<bool>*>(cancel));
    }
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
                     std::string* error, const CopyControl& control, std::chrono::milliseconds* paused) {
    if (!MayAdminister()) {
        *error = "只有管理员可以恢复数据库。";
        return false;
    }
    if (!CheckRestorable(candidate, error, control.cancel)) return false;
    const std::string livePath = db.Path();
    std::error_code ec;
    if (livePath.empty()) {
        *error = "没有打开的数据库。";
        return false;
    }
    if (std::filesystem::equivalent(candidate, livePath, ec)) {
        *error = candidate + " 就是正在使用的数据库。";
        return false;
    }
    const std::string prepared = livePath + ".restoring";
    {
        Connection file;
        const int rc = sqlite3_open_v2(candidate.c_str(), &file.db, SQLITE_OPEN_READONLY, nullptr);
        if (rc != SQLITE_OK) *error = candidate + "：" + sqlite3_errstr(rc);
        if (rc != SQLITE_OK || !WriteCopy(file.db, prepared, error, control)) return false;
    }
    // What the log still holds goes into the file now, so that closing the connections is quick.
    try {
        db.WithConnection([](sqlite3* live) {
            sqlite3_wal_checkpoint_v2(live, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        });
    } catch (const CDbError&) {
        // The swap below reports what is wrong.
    }
    const std::string kept = DatedCopyName(livePath, now);
    const auto swap = [&](const std::string& live, std::string* why) {
        return SwapFiles(live, prepared, kept, why);
    };
    if (!db.ReplaceFile(swap, kRestoreWait, error, paused)) {
        std::remove(prepared.c_str());
        return false;
    }
    *keptCopy = kept;
    return true;
}

}  // namespace lumetra
