#include "station/HistoryRecorder.h"

#include "base/Logger.h"
#include "store/Database.h"
#include "store/DbError.h"
#include "store/HistoryTable.h"

namespace lumetra {

namespace {

constexpr std::time_t kDay = 24 * 60 * 60;
constexpr std::time_t kForgetAfter = 60;  // a task powered down this long ago takes no second step

long LocalDayNumber(std::time_t moment) {
    std::tm local{};
    localtime_r(&moment, &local);
    return static_cast<long>((moment + local.tm_gmtoff) / kDay);
}

bool OpensBroadcast(HistoryKind kind) {
    return kind == HistoryKind::kPowerUp || kind == HistoryKind::kStart || kind == HistoryKind::kLateStart;
}

// What cut a file or a broadcast off: "被“课间操”打断".
std::string InterruptedText(const std::string& byName) {
    return "被“" + byName + "”打断";
}

HistoryEvent Event(HistoryKind kind, std::time_t at, const std::string& taskId) {
    HistoryEvent event;
    event.kind = kind;
    event.at = at;
    event.taskId = taskId;
    return event;
}

}  // namespace

CHistoryRecorder::CHistoryRecorder(CDatabase& db, Hooks hooks) : m_db(db), m_hooks(std::move(hooks)) {}

CHistoryRecorder::~CHistoryRecorder() {
    Stop();
}

void CHistoryRecorder::Start() {
    m_thread.Start();
}

void CHistoryRecorder::Stop() {
    m_thread.Stop();
}

void CHistoryRecorder::ChangeOperator(const std::string& name, std::time_t at) {
    std::lock_guard lock(m_lock);
    if (!m_operator.empty() && m_operator != name) QueueAction(HistoryKind::kLogoff, m_operator, at, {});
    m_operator = name;
    if (!name.empty()) QueueAction(HistoryKind::kLogin, name, at, {});
}

void CHistoryRecorder::Step(HistoryKind kind, const std::string& taskId, const std::string& name,
                            const std::string& zones, std::time_t at) {
    std::lock_guard lock(m_lock);
    std::erase_if(m_onAir, [at](const auto& entry) {
        return entry.second.poweredDown && at - entry.second.lastAt > kForgetAfter;
    });
    auto found = m_onAir.find(taskId);
    if (found != m_onAir.end() && found->second.lastStep == kind && found->second.lastAt == at) return;
    Line line = Line::kKnown;
    if (found == m_onAir.end() ||
        ((found->second.ended || found->second.poweredDown) && OpensBroadcast(kind))) {
        // A new broadcast, or a step of one that a killed Lumetra left unfinished.
        line = OpensBroadcast(kind) ? Line::kNew : Line::kResume;
        found = m_onAir.insert_or_assign(taskId, OnAir{.key = m_nextKey++}).first;
    }
    OnAir& onAir = found->second;
    onAir.lastStep = kind;
    onAir.lastAt = at;
    if (onAir.name.empty()) onAir.name = name;
    if (EndsBroadcast(kind)) onAir.ended = true;
    if (kind == HistoryKind::kPowerDown) onAir.poweredDown = onAir.ended = true;
    const uint64_t key = onAir.key;
    const bool interrupted = kind == HistoryKind::kEnd && !onAir.interruptedBy.empty();
    HistoryEvent event = Event(interrupted ? HistoryKind::kEndInterrupted : kind, at, taskId);
    if (interrupted) event.detail = InterruptedText(onAir.interruptedBy);
    event.title = name;
    event.zones = zones;
    Queue(key, line, std::move(event));
}

void CHistoryRecorder::File(HistoryKind kind, const std::string& taskId, const std::string& detail,
                            std::time_t at, const std::string& byTask) {
    std::lock_guard lock(m_lock);
    std::string byName;
    if (const auto by = m_onAir.find(byTask); by != m_onAir.end()) byName = by->second.name;
    auto found = m_onAir.find(taskId);
    Line line = Line::kKnown;
    if (found == m_onAir.end() || found->second.poweredDown) {
        line = Line::kResume;
        found = m_onAir.insert_or_assign(taskId, OnAir{.key = m_nextKey++}).first;
    }
    HistoryEvent event = Event(kind, at, taskId);
    event.detail = detail;
    if (kind == HistoryKind::kFileInterrupted) {
        found->second.interruptedBy = byName;
        event.detail += "（" + InterruptedText(byName) + "）";
    }
    event.failed = kind == HistoryKind::kFileFailed;
    Queue(found->second.key, line, std::move(event));
}

void CHistoryRecorder::Action(HistoryKind kind, const std::string& detail, std::time_t at,
                              const std::string& zones) {
    std::lock_guard lock(m_lock);
    QueueAction(kind, detail, at, zones);
}

void CHistoryRecorder::QueueAction(HistoryKind kind, const std::string& detail, std::time_t at,
                                   const std::string& zones) {
    HistoryEvent event = Event(kind, at, {});
    event.title = HistoryKindText(kind);
    event.detail = detail;
    event.zones = zones;
    event.operatorName = m_operator;
    Queue(m_nextKey++, Line::kNew, std::move(event));
}

void CHistoryRecorder::EndAllOnAir(HistoryKind kind, std::time_t at) {
    std::lock_guard lock(m_lock);
    for (auto& [taskId, onAir] : m_onAir) {
        if (onAir.ended) continue;
        onAir.ended = true;
        Queue(onAir.key, Line::kKnown, Event(kind, at, taskId));
    }
}

void CHistoryRecorder::Queue(uint64_t key, Line line, HistoryEvent event) {
    if (m_hooks.linkUp) event.linkUp = m_hooks.linkUp();
    if (event.failed && m_hooks.failed) m_hooks.failed();
    // A line no later event reaches is forgotten once stored.
    const bool last =
        RecordKindOf(event.kind) != RecordKind::kBroadcast || event.kind == HistoryKind::kPowerDown;
    m_thread.Post([this, key, line, last, event = std::move(event)] { Store(key, line, event, last); });
}

void CHistoryRecorder::Store(uint64_t key, Line line, const HistoryEvent& event, bool last) {
    if (!m_db.IsOpen()) return;  // the operator was told at start that there is no database
    try {
        m_db.OnOneFile([&](uint64_t file) {
            if (file != m_file) {
                // Another file (a restore): its lines and ids are not the ones remembered.
                m_file = file;
                m_lastRecord = -1;
                m_records.clear();
            }
            CHistoryTable table(m_db);
            if (m_lastRecord < 0) m_lastRecord = table.LastRecordId();
            auto found = m_records.find(key);
            bool newRecord = false;
            if (found == m_records.end()) {
                const std::optional<int64_t> unfinished =
                    line == Line::kResume ? table.UnfinishedBroadcast(event.taskId) : std::nullopt;
                newRecord = !unfinished;
                found = m_records.emplace(key, unfinished.value_or(m_lastRecord + 1)).first;
                if (newRecord) ++m_lastRecord;
            }
            table.Write(found->second, newRecord, event);
            if (last) m_records.erase(found);
        });
    } catch (const CDbError& error) {
        Report("an event was not stored", error);
    }
}

void CHistoryRecorder::CloseUnfinishedEmergency(std::time_t at) {
    m_thread.Post([this, at] {
        if (!m_db.IsOpen()) return;
        try {
            if (CHistoryTable(m_db).EmergencyLeftOpen())
                Action(HistoryKind::kEmergencyStop, "程序意外结束", at);
        } catch (const CDbError& error) {
            Report("the end of an emergency left open not stored", error);
        }
    });
}

void CHistoryRecorder::PurgeOld(std::time_t now) {
    m_thread.Post([this, now] {
        const long today = LocalDayNumber(now);
        if (today == m_purgedDay || !m_db.IsOpen()) return;
        m_purgedDay = today;
        try {
            CHistoryTable table(m_db);
            const int removed = table.Purge(now - table.RetentionDays() * kDay);
            Logger().Log("history: %d lines past the retention period removed", removed);
        } catch (const CDbError& error) {
            Report("old lines not removed", error);
        }
    });
}

void CHistoryRecorder::DatabaseReplaced(std::time_t now) {
    m_thread.Post([this] { m_purgedDay = -1; });
    PurgeOld(now);
}

void CHistoryRecorder::Report(const char* what, const std::exception& error) {
    Logger().Log("history: %s: %s", what, error.what());
    if (m_hooks.showDatabaseError) m_hooks.showDatabaseError(error.what());
}

void CHistoryRecorder::Flush() {
    m_thread.Run([] {});
}

}  // namespace lumetra
