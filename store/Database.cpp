#include "store/Database.h"

#include <sqlite3.h>

#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "store/ProgramDir.h"

namespace lumetra {

struct CDatabase::Registry {
    std::mutex lock;   // guards everything below
    std::string path;  // empty: not connected
    uint64_t generation = 0;
    std::map<std::thread::id, sqlite3*> connections;
    int sideConnections = 0;

    // The thread's connection goes with the thread.
    void Forget(std::thread::id thread) {
        std::lock_guard guard(lock);
        const auto found = connections.find(thread);
        if (found == connections.end()) return;
        sqlite3_close_v2(found->second);
        connections.erase(found);
    }
};

namespace {

constexpr const char* kNotConnected = "not connected to the database";
constexpr std::chrono::milliseconds kNoLimit = std::chrono::hours(24);

// SQLite's own description of the last failure, with the statement that caused it.
std::string Describe(sqlite3* db, const std::string& statement) {
    return std::string(sqlite3_errmsg(db)) + " [" + statement + "]";
}

// Another connection writes: tried again each millisecond, where SQLite's own wait sleeps up to
// 100 ms at a time and so holds a waiting tick long after the lock is free.
int WaitForWriter(void*, int attempts) {
    if (attempts >= CDatabase::kBusyTimeoutMs) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return 1;
}

// The databases whose connections the calling thread opened, told when it ends.
struct ThreadConnections {
    std::vector<std::weak_ptr<CDatabase::Registry>> used;
    ~ThreadConnections() {
        for (const auto& registry : used)
            if (const auto alive = registry.lock()) alive->Forget(std::this_thread::get_id());
    }
    void Remember(const std::shared_ptr<CDatabase::Registry>& registry) {
        std::erase_if(used, [](const auto& r) { return r.expired(); });
        for (const auto& r : used)
            if (r.lock() == registry) return;
        used.push_back(registry);
    }
};

thread_local ThreadConnections t_connections;

// Opens an existing file (never creates one) and proves it is a database by reading its schema.
sqlite3* OpenConnection(const std::string& path, std::string* error) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_busy_handler(db, WaitForWriter, nullptr);
        rc = sqlite3_exec(db, "select count(*) from sqlite_master", nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        if (error) *error = (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)) + (": " + path);
        sqlite3_close_v2(db);
        return nullptr;
    }
    // Readers and the writer no longer wait for each other. Where the log cannot be made (a
    // read-only folder) the file keeps its rollback journal and works as before.
    sqlite3_exec(db, "pragma journal_mode=wal", nullptr, nullptr, nullptr);
    // A commit writes the log without waiting for the disk, so the writer lock is never held
    // across a disk sync that a large copy makes slow. The file stays whole after a power cut,
    // which may take the last commits back; a killed process loses none.
    sqlite3_exec(db, "pragma synchronous=normal", nullptr, nullptr, nullptr);
    return db;
}

void Run(sqlite3* db, const std::string& statement) {
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

}  // namespace

CDatabase::CDatabase() : m_registry(std::make_shared<Registry>()) {}

CDatabase::~CDatabase() {
    Close();
}

bool CDatabase::Open(const std::string& path, std::string* error) {
    if (!m_gate.Close(kNoLimit)) {
        if (error) *error = "a statement of this thread is still running: " + path;
        return false;
    }
    CloseAll();
    sqlite3* db = OpenConnection(path, error);
    {
        std::lock_guard lock(m_registry->lock);
        m_registry->path = db ? path : std::string();
        ++m_registry->generation;
        if (db) m_registry->connections[std::this_thread::get_id()] = db;
    }
    if (db) t_connections.Remember(m_registry);
    m_gate.Open();
    return db != nullptr;
}

bool CDatabase::IsOpen() const {
    std::lock_guard lock(m_registry->lock);
    return !m_registry->path.empty();
}

std::string CDatabase::Path() const {
    std::lock_guard lock(m_registry->lock);
    return m_registry->path;
}

void CDatabase::Close() {
    if (!m_gate.Close(kNoLimit)) return;
    CloseAll();
    {
        std::lock_guard lock(m_registry->lock);
        m_registry->path.clear();
        ++m_registry->generation;
    }
    m_gate.Open();
}

void CDatabase::CloseAll() {
    std::lock_guard lock(m_registry->lock);
    for (const auto& [thread, db] : m_registry->connections) sqlite3_close_v2(db);
    m_registry->connections.clear();
}

sqlite3* CDatabase::ThreadConnection() {
    const std::thread::id thread = std::this_thread::get_id();
    std::string path;
    {
        std::lock_guard lock(m_registry->lock);
        const auto found = m_registry->connections.find(thread);
        if (found != m_registry->connections.end()) return found->second;
        path = m_registry->path;
    }
    if (path.empty()) throw CDbError(kNotConnected);
    std::string error;
    sqlite3* db = OpenConnection(path, &error);
    if (!db) throw CDbError(error);
    {
        std::lock_guard lock(m_registry->lock);
        m_registry->connections[thread] = db;
    }
    t_connections.Remember(m_registry);
    return db;
}

int CDatabase::ExecuteSql(const std::string& statement) {
    CGatePass pass(m_gate);
    sqlite3* db = ThreadConnection();
    Run(db, statement);
    return sqlite3_changes(db);
}

int64_t CDatabase::InsertRow(const std::string& statement) {
    CGatePass pass(m_gate);
    sqlite3* db = ThreadConnection();
    Run(db, statement);
    return sqlite3_last_insert_rowid(db);  // this connection's own insert
}

void CDatabase::Query(const std::string& statement, CRecordset::Rows& rows) {
    rows.Clear();
    CGatePass pass(m_gate);
    sqlite3* db = ThreadConnection();
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

void CDatabase::WithConnection(const std::function<void(sqlite3*)>& use) {
    CGatePass pass(m_gate);
    use(ThreadConnection());
}

void CDatabase::OnOneFile(const std::function<void(uint64_t generation)>& use) {
    CGatePass pass(m_gate);
    uint64_t generation;
    {
        std::lock_guard lock(m_registry->lock);
        generation = m_registry->generation;
    }
    use(generation);
}

bool CDatabase::ReplaceFile(const FileSwap& swap, std::chrono::milliseconds wait, std::string* error,
                            std::chrono::milliseconds* paused) {
    const auto began = std::chrono::steady_clock::now();
    if (!m_gate.Close(wait)) {
        *error = "数据库正忙，请稍后再试。";
        return false;
    }
    std::string path;
    {
        std::lock_guard lock(m_registry->lock);
        if (m_registry->path.empty())
            *error = kNotConnected;
        else if (m_registry->sideConnections > 0)
            *error = "数据库正在备份，请等备份结束后再试。";
        else
            path = m_registry->path;
    }
    bool swapped = false;
    if (!path.empty()) {
        CloseAll();
        swapped = swap(path, error);
        std::lock_guard lock(m_registry->lock);
        ++m_registry->generation;
    }
    m_gate.Open();
    if (paused)
        *paused =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began);
    return swapped;
}

CDatabase::CSideConnection::CSideConnection(CDatabase& db) : m_db(db) {
    std::string path;
    {
        std::lock_guard lock(db.m_registry->lock);
        path = db.m_registry->path;
        if (!path.empty()) ++db.m_registry->sideConnections;
    }
    if (path.empty()) throw CDbError(kNotConnected);
    std::string error;
    m_handle = OpenConnection(path, &error);
    if (m_handle) return;
    std::lock_guard lock(db.m_registry->lock);
    --db.m_registry->sideConnections;
    throw CDbError(error);
}

CDatabase::CSideConnection::~CSideConnection() {
    sqlite3_close_v2(m_handle);
    std::lock_guard lock(m_db.m_registry->lock);
    --m_db.m_registry->sideConnections;
}

std::string DefaultDatabasePath() {
    return ProgramDirectory() + kDatabaseFileName;
}

CDatabase& AppConnection() {
    static CDatabase connection;
    return connection;
}

}  // namespace lumetra
