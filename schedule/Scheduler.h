// The scheduler: a thread of its own that, about twice a second, reads every task row and
// carries out the tasks due today on time. Ten seconds before a task's start it switches the
// task's power outlets and receivers on, at the start it has the task's list played, at the end it
// switches the receivers off and stops the playback, and fifteen seconds later it switches the
// outlets off. Decisions are taken afresh from the stored rows and the clock. Between passes it
// remembers the last second evaluated, so that a pass that came late (a busy second, a slow disk)
// also evaluates the seconds it would otherwise have skipped, and what it switched on for each task
// (SwitchLedger.h), so that overlapping tasks never switch each other's receivers or outlets off
// and a task whose row is deleted or changed on air is ended or brought up to date. No tick ever
// sleeps: what must follow half a second later is done by the next tick.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "schedule/SchoolCalendar.h"
#include "schedule/SwitchBoard.h"
#include "schedule/SwitchLedger.h"
#include "schedule/TaskFields.h"
#include "schedule/TaskRules.h"
#include "schedule/WindowMessages.h"
#include "store/HistoryEvent.h"
#include "store/TaskTable.h"

namespace lumetra {

class CDatabase;
class IClock;
class ISchedulerOwner;

class CScheduler {
public:
    // A pass evaluates the seconds since the last one when they are at most this many and the
    // wall clock moved as far as the steady clock; after a longer gap or a jump of the clock (the
    // PC resumed from sleep, the time was set) only the current second, and the late start does
    // the rest.
    static constexpr std::time_t kMaxCatchUp = 60;

    // Every switch goes through `board`.
    CScheduler(CDatabase& db, CSwitchBoard& board, IClock& clock);
    // Stops and joins the thread if it still runs.
    ~CScheduler();
    CScheduler(const CScheduler&) = delete;
    CScheduler& operator=(const CScheduler&) = delete;

    // Set before Start. Without an owner, messages and hand-overs go nowhere.
    void SetOwner(ISchedulerOwner* owner) { m_owner = owner; }

    // Starts the thread: one tick, then a sleep to the next half second, until Stop. A second
    // Start while it runs does nothing.
    void Start();
    // Cuts the sleep short and joins the thread.
    void Stop();
    bool IsRunning() const { return m_running; }

    // One pass over all task rows, for every second due. Throws CDbError when the database fails;
    // the thread logs it and tries again on the next tick, which then also catches up.
    void Tick();
    // After the board's hold (CSwitchBoard::Hold): the next tick switches on what the tasks
    // powered up or on air need, switches off the rest, and hands the list of a task on air over
    // again. Callable from any thread.
    void Restore() { m_restore = true; }
    // After an announcement to `channels`: the next tick switches off those that no task powered up
    // or on air needs. Callable from any thread.
    void ReleaseChannels(const ChannelFlags& channels);
    // Before an announcement switches `channels` on: a release still waiting for the next tick no
    // longer covers them, so that tick cannot cut the new announcement off. Callable from any thread.
    void KeepChannels(const ChannelFlags& channels);
    // Stores `state` for the row whose ID is `idText`.
    void UpdateTaskState(const std::string& idText, TaskState state);

private:
    void Run();  // the thread body
    void TickAndLog();
    void ReadTasks();
    std::time_t FirstSecondToEvaluate(std::time_t now, int64_t steadyMillis) const;
    void RunDeferred();
    void Defer(std::function<void()> action) { m_deferred.push_back(std::move(action)); }
    void EvaluateSecond(std::time_t second);
    void Act(TaskFields& task, const DueRules& rules, std::time_t second);

    // The rules.
    void PowerUp(TaskFields& task, std::time_t second);
    void BeginBroadcast(TaskFields& task, std::time_t second);
    void LateStart(TaskFields& task, std::time_t second);
    // At its end (kEnd) or as stale (kStaleClose).
    void CloseBroadcast(TaskFields& task, std::time_t second, HistoryKind kind);
    void PowerDown(const std::string& id, std::time_t second);

    // Tasks the ledger holds whose rows are gone or changed, and orphans' power-downs.
    void FollowChangedRows(std::time_t now);
    void PowerDownsDue(std::time_t second);
    void EndEarly(const std::string& id, SwitchedTask& switched, std::time_t now, HistoryKind why);
    void Resynchronise(const TaskFields& task, SwitchedTask& switched);
    bool StillCovers(const TaskFields& task, BroadcastPhase phase, std::time_t now) const;
    TaskFields* FindRow(const std::string& id);

    // The common steps of the rules.
    SwitchedTask& Remember(const TaskFields& task, BroadcastPhase phase);
    void PowerOn(const TaskFields& task);
    void OpenTaskChannels(const TaskFields& task);
    // The task's receivers on at the next tick, half a second later, if it still needs them then.
    void DeferChannelsOn(const TaskFields& task);
    bool StillSwitchedOn(const std::string& id);
    // Off: the channels, or the outlets, that no task but `id` needs.
    void SwitchOffChannels(const std::string& id, const ChannelFlags& channels);
    void SwitchOffOutlets(const std::string& id);
    void HandOver(const TaskFields& task);
    bool Held() const;
    void RestoreSwitches();
    void SwitchOffReleased();
    void SetState(TaskFields& task, TaskState state);
    void Mark(TaskFields& task, TaskState state);
    void Post(WindowMessage message);
    void Record(HistoryKind step, const std::string& id, const TaskFields* task, std::time_t second);

    CSwitchBoard& m_board;
    IClock& m_clock;
    ISchedulerOwner* m_owner = nullptr;
    std::atomic<bool> m_running{false};
    std::thread m_thread;
    std::atomic<bool> m_restore{false};
    std::mutex m_releaseLock;
    ChannelFlags m_released{};  // guarded by m_releaseLock, held until their switch-off is queued

    // Only the thread that ticks touches the fields below.
    CTaskTable m_table;  // the tick's own view of the tasks, apart from the pages'
    std::vector<TaskFields> m_tasks;
    CDatabase& m_db;
    CSchoolCalendar m_calendar;     // read with the tasks on every pass
    std::time_t m_lastSecond = -1;  // the last second a pass evaluated; none yet
    int64_t m_lastSteady = 0;       // the steady clock when it was read
    CSwitchLedger m_ledger;
    std::vector<std::function<void()>> m_deferred;  // for the next tick, half a second later
};

}  // namespace lumetra
