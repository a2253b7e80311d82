// The broadcast history, Lumetra's own tables: one line (record) per broadcast, operator's action
// or change of the link, and the events of each line. Only the station's history writer adds to it.
#pragma once

#include <cstdint>
#include <ctime>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "store/HistoryEvent.h"

namespace lumetra {

class CDatabase;

struct HistoryRecord {
    int64_t id = 0;
    RecordKind kind = RecordKind::kBroadcast;
    std::time_t firstAt = 0, lastAt = 0;
    std::string taskId, title, zones, operatorName;
    // A broadcast's steps; 0 when it never took one.
    std::time_t powerUp = 0, start = 0, end = 0, powerDown = 0;
    int ending = 0;  // the HistoryKind that took it off the air; 0 while on air or for an action
    int failures = 0;
    int linkDown = 0;  // events whose frames were queued while the link was down
};

struct HistoryEventRow {
    std::time_t at = 0;
    HistoryKind kind = HistoryKind::kStart;
    std::string detail;
    bool linkUp = true;
    bool failed = false;
};

class CHistoryTable {
public:
    static constexpr int kDefaultRetentionDays = 365;

    // Every call throws CDbError. Reads find nothing and touch nothing before the first write,
    // which creates the tables.
    explicit CHistoryTable(CDatabase& db) : m_db(db) {}

    int64_t LastRecordId();
    // The latest broadcast of this task that no step took off the air (Lumetra was killed).
    std::optional<int64_t> UnfinishedBroadcast(const std::string& taskId);
    // Whether the latest emergency line is a start that no stop followed (Lumetra was killed).
    bool EmergencyLeftOpen();
    // Stores the event, and first its record when `newRecord`, in one transaction.
    void Write(int64_t record, bool newRecord, const HistoryEvent& event);
    // Removes lines whose last event came before `before`; returns how many.
    int Purge(std::time_t before);

    // Lines whose first event lies in [from, to), oldest first.
    std::vector<HistoryRecord> Records(std::time_t from, std::time_t to);
    std::vector<HistoryEventRow> Events(int64_t record);
    // When each task's broadcasts last began playing, by task ID; tasks never played are absent.
    std::map<std::string, std::time_t> LastStarts();

    int RetentionDays();
    void SetRetentionDays(int days);

private:
    bool Exists();  // a database that never had an event has no history tables

    CDatabase& m_db;
    bool m_exists = false;
};

}  // namespace lumetra
