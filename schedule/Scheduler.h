// The scheduler: a thread of its own that, about twice a second, reads every task row and
// carries out the tasks due today on time. Ten seconds before a task's start it switches the
// task's power outlets and receivers on, at the start it hands the play list to the instant-play
// page, at the end it switches the receivers off and stops the playback, and fifteen seconds
// later it switches the outlets off. It keeps no memory between ticks: every decision is taken
// afresh from the stored rows and the clock.
#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "schedule/TaskRecord.h"
#include "schedule/WindowMessages.h"
#include "store/Recordset.h"

namespace lumetra {

class CDatabase;
class CTransmitterLink;
class IClock;
class ISchedulerOwner;

class CScheduler {
public:
    CScheduler(CDatabase& db, CTransmitterLink& link, IClock& clock);
    // Stops and joins the thread if it still runs.
    ~CScheduler();
    CScheduler(const CScheduler&) = delete;
    CScheduler& operator=(const CScheduler&) = delete;

    // The main window, set before Start. Without an owner, messages and hand-overs go nowhere.
    void SetOwner(ISchedulerOwner* owner) { m_pOwner = owner; }

    // Starts the thread: one tick, then a sleep to the next half second, until Stop. A second
    // Start while it runs does nothing.
    void Start();
    // Cuts any sleep short (the sleeps inside a tick too) and joins the thread.
    void Stop();
    bool IsRunning() const { return m_bRunning; }

    // One pass over all task rows. Throws CDbError when the database fails; the thread logs it
    // and tries again on the next tick.
    void Tick();
    // Stores a state word (sql::kStateRunning, ...) for the row whose ID is `idText`.
    void UpdateTaskState(const std::string& idText, const char* stateWord);

private:
    enum class RepeatKind { kOnce, kWeekly, kDaily };

    void Run();  // the thread body
    void TickAndLog();
    // Each returns false when a stop cut a sleep short; the tick then ends at once.
    bool EvaluateTask(const TaskRecord& task, std::time_t now);
    bool EvaluateRules(const TaskRecord& task, const TaskTimesResult& times, RepeatKind kind);
    bool PowerUp(const TaskRecord& task, RepeatKind kind);
    bool LateStart(const TaskRecord& task, RepeatKind kind);
    void BeginBroadcast(const TaskRecord& task);
    void EndBroadcast(const TaskRecord& task);
    void PowerDown();

    // The common steps of the rules.
    void PowerOn(const TaskRecord& task);
    void HandOver(const TaskRecord& task);
    void Mark(const TaskRecord& task, const char* stateWord);
    bool Pause();
    void Post(WindowMessage message);

    CDatabase& m_db;
    CTransmitterLink& m_link;
    IClock& m_clock;
    ISchedulerOwner* m_pOwner = nullptr;
    // The tick's own record set, apart from the one the pages share on the user-interface
    // thread. Only the thread that ticks touches it.
    CRecordset m_rows;
    std::atomic<bool> m_bRunning{false};
    std::thread m_hThread;
};

// The process-wide scheduler, on the application connection, the process-wide link and the
// wall clock.
CScheduler& Scheduler();

}  // namespace lumetra
