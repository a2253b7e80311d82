// Writes the broadcast history as it happens. Callers on any station thread hand an event over
// and return at once: the event is stamped with the link's state and queued; the history's own
// thread stores each one in its own transaction, so a killed process keeps every event it had
// written, and a slow disk never holds a frame or a hand-over back.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "station/JobThread.h"
#include "store/HistoryEvent.h"

namespace lumetra {

class CDatabase;

class CHistoryRecorder {
public:
    struct Hooks {
        std::function<bool()> linkUp;                               // read when an event comes
        std::function<void()> failed;                               // a failure was queued; must only post
        std::function<void(const std::string&)> showDatabaseError;  // from the history's thread
    };

    CHistoryRecorder(CDatabase& db, Hooks hooks);
    ~CHistoryRecorder();

    void Start();
    // Stores everything queued so far, then ends the thread.
    void Stop();
    // Who is logged in from now on, empty for nobody: the one before is logged off and the new one
    // logged in, each on a line of their own.
    void ChangeOperator(const std::string& name, std::time_t at);

    // A step of the task's broadcast; `name` and `zones` matter when it opens one.
    void Step(HistoryKind kind, const std::string& taskId, const std::string& name, const std::string& zones,
              std::time_t at);
    // A file of the task's list: started, ended, failed with the reason in `detail`, or cut off by
    // task `byTask`'s list; the broadcast cut off then ends as interrupted by that task.
    void File(HistoryKind kind, const std::string& taskId, const std::string& detail, std::time_t at,
              const std::string& byTask = {});
    // An operator's action or a change of the link: a line of its own, filed under the receivers
    // in `zones` ("1-2, 5") when it switched some.
    void Action(HistoryKind kind, const std::string& detail, std::time_t at, const std::string& zones = {});
    // An emergency that a killed Lumetra left without its end gets its end line, stamped `at`.
    void CloseUnfinishedEmergency(std::time_t at);
    // Every broadcast still on air gets `kind` (the exit).
    void EndAllOnAir(HistoryKind kind, std::time_t at);
    // Removes what is older than the retention period, once per day asked.
    void PurgeOld(std::time_t now);
    // The database file was replaced: its retention period applies at once. The next record id
    // and the lines still growing are read from the new file at the next event by themselves.
    void DatabaseReplaced(std::time_t now);

    // Stores everything queued so far; for tests and benchmarks.
    void Flush();

private:
    // How the history's thread finds the line of a queued event.
    enum class Line { kNew, kKnown, kResume };
    struct OnAir {
        uint64_t key = 0;
        bool ended = false;
        HistoryKind lastStep{};  // the schedule takes a step on both ticks of its second: once is news
        std::time_t lastAt = 0;
        bool poweredDown = false;
        std::string name{};           // the task's, from the step that opened it
        std::string interruptedBy{};  // the name of the task whose list cut this one's off
    };

    // Caller holds m_lock.
    void QueueAction(HistoryKind kind, const std::string& detail, std::time_t at, const std::string& zones);
    void Queue(uint64_t key, Line line, HistoryEvent event);
    // On the history's thread.
    void Store(uint64_t key, Line line, const HistoryEvent& event, bool last);
    void Report(const char* what, const std::exception& error);

    CDatabase& m_db;
    Hooks m_hooks;

    std::mutex m_lock;  // guards the three below, touched by every station thread
    std::string m_operator;
    std::map<std::string, OnAir>
        m_onAir;  // by task ID, from the opening step to a minute after the power-down
    uint64_t m_nextKey = 1;

    // Only the history's thread touches these.
    std::map<uint64_t, int64_t> m_records;  // key -> record id, while its line may still grow
    int64_t m_lastRecord = -1;              // read from the table at the first event of each file
    uint64_t m_file = 0;                    // the database's file generation the two above belong to
    long m_purgedDay = -1;

    CJobThread m_thread{"history"};  // last: it stops before the rest goes
};

}  // namespace lumetra
