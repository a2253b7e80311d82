#include "store/HistoryTable.h"

#include <sqlite3.h>

#include "store/ChangeJournal.h"
#include "store/Database.h"
#include "store/LoggedIn.h"
#include "store/OwnTables.h"
#include "store/Recordset.h"
#include "store/SqlFormat.h"

namespace lumetra {

namespace {

// Numbers go into the statements as digits, beyond the range of a C int.
std::string Num(int64_t value) {
    return std::to_string(value);
}

int64_t Int64Field(const CRecordset& rows, std::string_view name) {
    const std::string text = rows.GetFieldText(name);
    return text.empty() ? 0 : std::stoll(text);
}

constexpr const char* kInsertRecord =
    "insert into lumetra_history_record (id,kind,first_at,last_at,task_id,title,zones,operator) "
    "values (%s,%d,%s,%s,'%s','%s','%s','%s');";
constexpr const char* kInsertEvent =
    "insert into lumetra_history_event (record,at,kind,detail,link_up,failed) values (%s,%s,%d,'%s',%d,%d);";
constexpr const char* kUpdateRecord =
    "update lumetra_history_record set last_at=%s, failures=failures+%d, link_down=link_down+%d%s where "
    "id=%s";

// The lines and their events, created together by the first event.
constexpr OwnTable kHistory = {
    "lumetra_history_record",
    "create table if not exists lumetra_history_record ("
    " id integer primary key,"
    " kind integer not null,"
    " first_at integer not null,"
    " last_at integer not null,"
    " task_id text not null default '',"
    " title text not null default '',"
    " zones text not null default '',"
    " power_up integer, start_at integer, end_at integer, power_down integer,"
    " ending integer not null default 0,"
    " failures integer not null default 0,"
    " link_down integer not null default 0,"
    " operator text not null default '');"
    "create index if not exists lumetra_history_record_first on lumetra_history_record(first_at);"
    "create table if not exists lumetra_history_event ("
    " id integer primary key,"
    " record integer not null,"
    " at integer not null,"
    " kind integer not null,"
    " detail text not null default '',"
    " link_up integer not null,"
    " failed integer not null default 0);"
    "create index if not exists lumetra_history_event_record on lumetra_history_event(record)",
    4};
// Settings of Lumetra's own, by name.
constexpr OwnTable kSettings = {
    "lumetra_setting",
    "create table if not exists lumetra_setting (name text primary key, value text not null)", 8};
constexpr const char* kSelectRecords =
    "select id,kind,first_at,last_at,task_id,title,zones,power_up,start_at,end_at,power_down,ending,failures,"
    "link_down,operator from lumetra_history_record where first_at>=?1 and first_at<?2 order by first_at, id";

// The column a broadcast step fills in its record.
std::string StepColumn(HistoryKind kind, std::time_t at) {
    const std::string when = Num(at);
    if (kind == HistoryKind::kPowerUp) return ", power_up=" + when;
    if (kind == HistoryKind::kStart || kind == HistoryKind::kLateStart)
        return ", start_at=coalesce(start_at," + when + ")";
    if (EndsBroadcast(kind)) return ", end_at=" + when + ", ending=" + std::to_string(static_cast<int>(kind));
    if (kind == HistoryKind::kPowerDown) return ", power_down=" + when;
    return {};
}

}  // namespace

bool CHistoryTable::Exists() {
    m_exists = m_exists || OwnTableExists(m_db, kHistory);
    return m_exists;
}

int64_t CHistoryTable::LastRecordId() {
    if (!Exists()) return 0;
    CRecordset rows(m_db);
    rows.Open("select coalesce(max(id),0) as last from lumetra_history_record");
    return Int64Field(rows, "last");
}

std::optional<int64_t> CHistoryTable::UnfinishedBroadcast(const std::string& taskId) {
    if (!Exists()) return std::nullopt;
    CRecordset rows(m_db);
    rows.Open(
        FormatSql("select coalesce(max(id),0) as open from lumetra_history_record where kind=0 and ending=0 "
                  "and task_id='%s'",
                  taskId));
    const int64_t id = Int64Field(rows, "open");
    return id ? std::optional<int64_t>(id) : std::nullopt;
}

bool CHistoryTable::EmergencyLeftOpen() {
    if (!Exists()) return false;
    CRecordset rows(m_db);
    rows.Open(FormatSql(
        "select kind from lumetra_history_event where kind in (%d, %d) order by id desc limit 1",
        static_cast<int>(HistoryKind::kEmergencyStart), static_cast<int>(HistoryKind::kEmergencyStop)));
    return !rows.AtEnd() && rows.GetFieldInt("kind") == static_cast<int>(HistoryKind::kEmergencyStart);
}

void CHistoryTable::Write(int64_t record, bool newRecord, const HistoryEvent& event) {
    std::vector<std::string> statements;
    if (newRecord)
        statements.push_back(FormatSql(kInsertRecord, Num(record), static_cast<int>(RecordKindOf(event.kind)),
                                       Num(event.at), Num(event.at), event.taskId, event.title, event.zones,
                                       event.operatorName));
    statements.push_back(FormatSql(kInsertEvent, Num(record), Num(event.at), static_cast<int>(event.kind),
                                   event.detail, event.linkUp ? 1 : 0, event.failed ? 1 : 0));
    statements.push_back(FormatSql(kUpdateRecord, Num(event.at), event.failed ? 1 : 0, event.linkUp ? 0 : 1,
                                   StepColumn(event.kind, event.at), Num(record)));
    WriteOwnTable(m_db, kHistory, statements);
    m_exists = true;
}

int CHistoryTable::Purge(std::time_t before) {
    if (!Exists()) return 0;
    CRecordset count(m_db);
    const std::string old = "select id from lumetra_history_record where last_at<" + Num(before);
    count.Open("select count(*) as n from (" + old + ")");
    const int removed = count.GetFieldInt("n");
    if (removed == 0) return 0;
    WriteOwnTable(m_db, kHistory,
                  {"delete from lumetra_history_event where record in (" + old + ")",
                   "delete from lumetra_history_record where last_at<" + Num(before)});
    return removed;
}

std::vector<HistoryRecord> CHistoryTable::Records(std::time_t from, std::time_t to) {
    if (!Exists()) return {};
    // A hundred thousand lines must open at once: read typed columns straight from SQLite.
    std::vector<HistoryRecord> records;
    m_db.WithConnection([&](sqlite3* db) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, kSelectRecords, -1, &stmt, nullptr) != SQLITE_OK)
            throw CDbError(std::string(sqlite3_errmsg(db)) + " [" + kSelectRecords + "]");
        sqlite3_bind_int64(stmt, 1, from);
        sqlite3_bind_int64(stmt, 2, to);
        const auto text = [stmt](int column) {
            const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
            return value ? std::string(value, static_cast<size_t>(sqlite3_column_bytes(stmt, column)))
                         : std::string();
        };
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            HistoryRecord& r = records.emplace_back();
            r.id = sqlite3_column_int64(stmt, 0);
            r.kind = static_cast<RecordKind>(sqlite3_column_int(stmt, 1));
            r.firstAt = sqlite3_column_int64(stmt, 2);
            r.lastAt = sqlite3_column_int64(stmt, 3);
            r.taskId = text(4);
            r.title = text(5);
            r.zones = text(6);
            r.powerUp = sqlite3_column_int64(stmt, 7);  // a null step reads as 0
            r.start = sqlite3_column_int64(stmt, 8);
            r.end = sqlite3_column_int64(stmt, 9);
            r.powerDown = sqlite3_column_int64(stmt, 10);
            r.ending = sqlite3_column_int(stmt, 11);
            r.failures = sqlite3_column_int(stmt, 12);
            r.linkDown = sqlite3_column_int(stmt, 13);
            r.operatorName = text(14);
        }
        const std::string error = rc == SQLITE_DONE ? std::string() : sqlite3_errmsg(db);
        sqlite3_finalize(stmt);
        if (!error.empty()) throw CDbError(error + " [" + kSelectRecords + "]");
    });
    return records;
}

std::vector<HistoryEventRow> CHistoryTable::Events(int64_t record) {
    if (!Exists()) return {};
    CRecordset rows(m_db);
    rows.Open("select * from lumetra_history_event where record=" + Num(record) + " order by id");
    std::vector<HistoryEventRow> events;
    for (; !rows.AtEnd(); rows.MoveNext())
        events.push_back({Int64Field(rows, "at"), static_cast<HistoryKind>(rows.GetFieldInt("kind")),
                          rows.GetFieldText("detail"), rows.GetFieldInt("link_up") != 0,
                          rows.GetFieldInt("failed") != 0});
    return events;
}

std::map<std::string, std::time_t> CHistoryTable::LastStarts() {
    if (!Exists()) return {};
    CRecordset rows(m_db);
    rows.Open(
        "select task_id, max(start_at) as last from lumetra_history_record where kind=0 and start_at is "
        "not null group by task_id");
    std::map<std::string, std::time_t> starts;
    for (; !rows.AtEnd(); rows.MoveNext()) starts[rows.GetFieldText("task_id")] = Int64Field(rows, "last");
    return starts;
}

int CHistoryTable::RetentionDays() {
    if (!OwnTableExists(m_db, kSettings)) return kDefaultRetentionDays;
    CRecordset rows(m_db);
    rows.Open("select value from lumetra_setting where name='history_retention_days'");
    return rows.AtEnd() ? kDefaultRetentionDays : rows.GetFieldInt("value");
}

void CHistoryTable::SetRetentionDays(int days) {
    RequireAdministrator("修改播放记录的保留期限");
    const int before = RetentionDays();
    WriteOwnTable(
        m_db, kSettings,
        {FormatSql(
            "insert or replace into lumetra_setting (name,value) values ('history_retention_days','%d')",
            days)});
    JournalSettingChange("播放记录保留天数", std::to_string(before), std::to_string(days));
}

}  // namespace lumetra
