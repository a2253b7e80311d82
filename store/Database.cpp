#include "store/Database.h"

#include <sqlite3.h>

#include "store/ProgramDir.h"

namespace lumetra {
namespace {

constexpr const char* kNotConnected = "not connected to the database";

// SQLite's own description of the last failure, with the statement that caused it.
std::string Describe(sqlite3* db, const std::string& statement) {
    return std::string(sqlite3_errmsg(db)) + " [" + statement + "]";
}

}  // namespace

CDatabase::~CDatabase() {
    Close();
}

bool CDatabase::Open(const std::string& path, std::string* error) {
    std::lock_guard lock(m_mutex);
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    sqlite3* db = nullptr;
    // SQLITE_OPEN_READWRITE without CREATE: a missing file is an error, never a new empty database.
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (rc == SQLITE_OK) {
        // Opening is lazy; reading the schema proves the file is a database we can use.
        rc = sqlite3_exec(db, "select count(*) from sqlite_master", nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        if (error) *error = (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)) + (": " + path);
        sqlite3_close_v2(db);
        return false;
    }
    sqlite3_busy_timeout(db, 2000);
    m_db = db;
    return true;
}

bool CDatabase::IsOpen() const {
    std::lock_guard lock(m_mutex);
    return m_db != nullptr;
}

void CDatabase::Close() {
    std::lock_guard lock(m_mutex);
    if (m_db) sqlite3_close_v2(m_db);
    m_db = nullptr;
}

sqlite3* CDatabase::Handle() const {
    if (!m_db) throw CDbError(kNotConnected);
    return m_db;
}

int CDatabase::ExecuteSql(const std::string& statement) {
    std::lock_guard lock(m_mutex);
    sqlite3* db = Handle();
    Run(db, statement);
    return sqlite3_changes(db);
}

int64_t CDatabase::InsertRow(const std::string& statement) {
    std::lock_guard lock(m_mutex);
    sqlite3* db = Handle();
    Run(db, statement);
    return sqlite3_last_insert_rowid(db);
}

void CDatabase::Run(sqlite3* db, const std::string& statement) {
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, statement.c_str(), -1, &stmt, &tail) != SQLITE_OK)
        throw CDbError(Describe(db, statement));
    if (!stmt) throw CDbError("empty statement [" + statement + "]");
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) throw CDbError(Describe(db, statement));
}

void CDatabase::Query(const std::string& statement, CRecordset::Rows& rows) {
    rows.Clear();
    std::lock_guard lock(m_mutex);
    sqlite3* db = Handle();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, statement.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        throw CDbError(Describe(db, statement));
    if (!stmt) throw CDbError("empty statement [" + statement + "]");
    const int columns = sqlite3_column_count(stmt);
    for (int c = 0; c < columns; ++c) rows.columns.emplace_back(sqlite3_column_name(stmt, c));
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            // Numbers come back as their decimal text, as every reader expects.
            const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
            if (!value) {
                rows.offsets.push_back(CRecordset::kNull);
                rows.lengths.push_back(0);
                continue;
            }
            const int length = sqlite3_column_bytes(stmt, c);
            rows.offsets.push_back(static_cast<uint32_t>(rows.text.size()));
            rows.lengths.push_back(static_cast<uint32_t>(length));
            rows.text.append(value, static_cast<size_t>(length));
        }
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) {
        rows.Clear();
        throw CDbError(Describe(db, statement));
    }
}

void CDatabase::RunLocked(const std::function<void(sqlite3*)>& use) {
    std::lock_guard lock(m_mutex);
    use(Handle());
}

std::string DefaultDatabasePath() {
    return ProgramDirectory() + kDatabaseFileName;
}

CDatabase& AppConnection() {
    static CDatabase connection;
    return connection;
}

}  // namespace lumetra
