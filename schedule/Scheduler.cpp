#include "schedule/Scheduler.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <utility>

#include "base/Logger.h"
#include "schedule/Clock.h"
#include "schedule/RuleWindow.h"
#include "schedule/SchedulerOwner.h"
#include "store/Database.h"
#include "store/Statements.h"

namespace lumetra {
namespace {

// How far the wall clock may run apart from the steady clock between two passes before it counts
// as set or resumed rather than merely read late.
constexpr int64_t kJumpToleranceMs = 2000;

}  // namespace

CScheduler::CScheduler(CDatabase& db, CSwitchBoard& board, IClock& clock)
    : m_board(board), m_clock(clock), m_table(db), m_db(db) {}

CScheduler::~CScheduler() {
    Stop();
}

void CScheduler::Start() {
    if (m_thread.joinable()) return;
    m_clock.ClearInterrupt();
    m_lastSecond = -1;  // a new run catches up nothing from an earlier one
    m_running = true;
    m_thread = std::thread([this] { Run(); });
}

void CScheduler::Stop() {
    m_running = false;
    if (!m_thread.joinable()) return;  // the clock may serve others: interrupted only for our thread
    m_clock.Interrupt();
    m_thread.join();
}

void CScheduler::Run() {
    try {
        while (m_running) {
            TickAndLog();
            if (!m_running || !m_clock.SleepToNextHalfSecond()) break;
        }
    } catch (...) {
        // Nothing may leave a thread body; the loop itself does not throw, the log might.
    }
}

void CScheduler::TickAndLog() {
    try {
        Tick();
    } catch (const std::exception& e) {
        Logger().Log("Scheduler tick failed: %s", e.what());
    } catch (...) {
        Logger().Log("Scheduler tick failed");
    }
    if (!m_owner) return;
    try {
        m_owner->AfterTick(m_clock.Now(), m_clock.SteadyMillis());
    } catch (const std::exception& e) {
        Logger().Log("Station duties failed: %s", e.what());
    }
}

void CScheduler::Tick() {
    const std::time_t now = m_clock.Now();
    const int64_t steady = m_clock.SteadyMillis();
    const std::time_t first = FirstSecondToEvaluate(now, steady);
    RunDeferred();
    ReadTasks();
    m_lastSecond = now;
    m_lastSteady = steady;
    FollowChangedRows(now);
    for (std::time_t second = first; second <= now; ++second) EvaluateSecond(second);
    if (m_restore.exchange(false) && !Held()) RestoreSwitches();
    SwitchOffReleased();
}

void CScheduler::ReleaseChannels(const ChannelFlags& channels) {
    std::lock_guard lock(m_releaseLock);
    for (size_t i = 0; i < channels.size(); ++i) m_released[i] |= channels[i];
}

void CScheduler::KeepChannels(const ChannelFlags& channels) {
    std::lock_guard lock(m_releaseLock);
    m_released = ChannelsNotIn(m_released, channels);
}

void CScheduler::SwitchOffReleased() {
    {
        // Held until the frame is queued: an announcement that keeps these channels either comes
        // first, or switches them on again after this switch-off.
        std::lock_guard lock(m_releaseLock);
        const ChannelFlags released = std::exchange(m_released, {});
        // During a hold every receiver stays on (the board sends nothing); its end restores them all.
        if (!AnyChannel(released) || Held()) return;
        const ChannelFlags off = ChannelsNotIn(released, m_ledger.ChannelsNeededBesides({}));
        if (!AnyChannel(off)) return;
        m_board.SwitchChannels(off, false, SwitchSource::kAnnouncement);
    }
    Post(WindowMessage::kZoneRefresh);
}

bool CScheduler::Held() const {
    return m_board.Held();
}

void CScheduler::RestoreSwitches() {
    // A task in its tail keeps its outlets until its power-down, as it would have without the hold.
    OutletSet outlets{};
    for (const auto& [id, switched] : m_ledger.Tasks())
        for (size_t i = 0; i < outlets.size(); ++i) outlets[i] = outlets[i] || switched.power.on[i];
    m_board.Restore(m_ledger.ChannelsNeededBesides({}), outlets);
    for (const auto& [id, switched] : m_ledger.Tasks())
        if (const TaskFields* row = FindRow(id); row && switched.phase == BroadcastPhase::kOnAir)
            HandOver(*row);
    Post(WindowMessage::kPowerRefresh);
    Post(WindowMessage::kZoneRefresh);
}

void CScheduler::ReadTasks() {
    m_calendar = ReadSchoolCalendar(m_db);
    m_tasks.clear();
    m_table.ForEach([this](const TaskRecord& task) {
        m_tasks.emplace_back(task);
        return true;
    });
}

std::time_t CScheduler::FirstSecondToEvaluate(std::time_t now, int64_t steadyMillis) const {
    // The same second again (or the clock set back) is evaluated once more, which repeats only
    // harmless frames.
    if (m_lastSecond < 0 || now <= m_lastSecond) return now;
    const std::time_t gap = now - m_lastSecond;
    const int64_t drift = static_cast<int64_t>(gap) * 1000 - (steadyMillis - m_lastSteady);
    if (gap <= kMaxCatchUp && std::llabs(drift) <= kJumpToleranceMs) return m_lastSecond + 1;
    if (gap > 1)
        Logger().Log("Scheduler: the clock moved on by %ld s; only the current second is evaluated",
                     static_cast<long>(gap));
    return now;
}

void CScheduler::RunDeferred() {
    std::vector<std::function<void()>> due;
    due.swap(m_deferred);
    for (const auto& action : due) action();
}

void CScheduler::EvaluateSecond(std::time_t second) {
    PowerDownsDue(second);
    const RuleMoments at(second, m_calendar);
    CRuleWindow window;
    window.SetNow(second);
    for (TaskFields& task : m_tasks) {
        // Most rows are hours away from their rules; they skip the calendar arithmetic.
        if (!window.MayAct(task)) continue;
        Act(task, RulesAt(task, at), second);
    }
}

void CScheduler::Act(TaskFields& task, const DueRules& rules, std::time_t second) {
    // Every evaluation of a row works on the state read before the first of them.
    const int times = std::max(rules.startTimes, rules.endTimes);
    for (int i = 0; i < times; ++i) {
        if (i < rules.startTimes) {
            if (rules.start == Rule::kPowerUp) PowerUp(task, second);
            if (rules.start == Rule::kStart) BeginBroadcast(task, second);
            if (rules.start == Rule::kLateStart) LateStart(task, second);
        }
        if (i < rules.endTimes) {
            if (rules.end == Rule::kEnd) CloseBroadcast(task, second, HistoryKind::kEnd);
            if (rules.end == Rule::kStaleClose) CloseBroadcast(task, second, HistoryKind::kStaleClose);
            if (rules.end == Rule::kPowerDown) PowerDown(task.id, second);
        }
    }
}

void CScheduler::UpdateTaskState(const std::string& idText, TaskState state) {
    m_table.SetState(idText, state);
}

void CScheduler::PowerUp(TaskFields& task, std::time_t second) {
    Record(HistoryKind::kPowerUp, task.id, &task, second);
    Remember(task, BroadcastPhase::kLead);
    PowerOn(task);
    if (task.kind == RepeatKind::kWeekly) {
        OpenTaskChannels(task);
        Post(WindowMessage::kZoneRefresh);
        return;
    }
    // The amplifiers get half a second of power before the receivers go on.
    DeferChannelsOn(task);
}

void CScheduler::BeginBroadcast(TaskFields& task, std::time_t second) {
    Record(HistoryKind::kStart, task.id, &task, second);
    if (const SwitchedTask* switched = m_ledger.Find(task.id);
        !switched || switched->phase == BroadcastPhase::kTail) {
        // Nobody switched this task on for this broadcast: Lumetra came up inside the lead, the clock
        // skipped the power-up, or a stale close of the same row still waits for its power-down.
        PowerOn(task);
        DeferChannelsOn(task);
    }
    Remember(task, BroadcastPhase::kOnAir);
    HandOver(task);
    Mark(task, TaskState::kRunning);
}

void CScheduler::LateStart(TaskFields& task, std::time_t second) {
    if (const SwitchedTask* switched = m_ledger.Find(task.id);
        switched && switched->phase == BroadcastPhase::kOnAir) {
        // Saved again while on air, which stored it as waiting: it plays on as it is.
        Mark(task, TaskState::kRunning);
        return;
    }
    Record(HistoryKind::kLateStart, task.id, &task, second);
    Remember(task, BroadcastPhase::kOnAir);
    PowerOn(task);
    SetState(task, TaskState::kRunning);
    Defer([this, task] {
        if (!StillSwitchedOn(task.id)) return;
        Post(WindowMessage::kZoneRefresh);
        OpenTaskChannels(task);
        HandOver(task);
        Post(WindowMessage::kTasksChanged);
    });
}

void CScheduler::CloseBroadcast(TaskFields& task, std::time_t second, HistoryKind kind) {
    // A stale close finds receivers that may still be on from a broadcast whose end nobody saw:
    // they go off now like at an end, the outlets after the same delay.
    Record(kind, task.id, &task, second);
    SwitchOffChannels(task.id, task.Zones());
    if (m_owner) m_owner->StopTask(task.id);
    Mark(task, TaskState::kDone);
    SwitchedTask& switched = Remember(task, BroadcastPhase::kTail);
    switched.powerDownAt = second + kPowerDownDelay;
    // After an end its row brings the power-down; after a stale close the ledger does.
    switched.orphan = kind == HistoryKind::kStaleClose;
}

void CScheduler::PowerDown(const std::string& id, std::time_t second) {
    // A task switched on again since (re-timed onto its own tail) keeps its outlets.
    if (const SwitchedTask* switched = m_ledger.Find(id);
        switched && switched->phase != BroadcastPhase::kTail)
        return;
    m_ledger.Erase(id);
    Record(HistoryKind::kPowerDown, id, FindRow(id), second);
    SwitchOffOutlets(id);
}

void CScheduler::FollowChangedRows(std::time_t now) {
    for (auto& [id, switched] : m_ledger.Tasks()) {
        TaskFields* row = FindRow(id);
        if (switched.phase == BroadcastPhase::kTail) {
            // A row gone or re-timed in the tail no longer brings its power-down.
            if (!row || row->timing != switched.timing) switched.orphan = true;
            continue;
        }
        if (!row) {
            Logger().Log("Scheduler: task %s was deleted while switched on; it ends now", id.c_str());
            EndEarly(id, switched, now, HistoryKind::kEndDeleted);
            continue;
        }
        if (row->power != switched.power || row->Zones() != switched.channels) Resynchronise(*row, switched);
        const bool retimed = row->timing != switched.timing;
        switched.timing = row->timing;
        // A task on air ends by its rules unless re-timed; one in its lead whose start the clock
        // jumped over has no rule left that would switch it off.
        const bool lead = switched.phase == BroadcastPhase::kLead;
        if (!retimed && !lead) continue;
        if (StillCovers(*row, switched.phase, now) ||
            (lead && StillCovers(*row, BroadcastPhase::kOnAir, now)))
            continue;
        Logger().Log("Scheduler: task %s no longer covers the present; it ends now", id.c_str());
        EndEarly(id, switched, now, retimed ? HistoryKind::kEndRetimed : HistoryKind::kEndClockJump);
        if (row->state == TaskState::kRunning) SetState(*row, TaskState::kDone);
    }
}

void CScheduler::EndEarly(const std::string& id, SwitchedTask& switched, std::time_t now, HistoryKind why) {
    Record(why, id, FindRow(id), now);
    switched.phase = BroadcastPhase::kTail;  // first: its own channels are no longer needed
    switched.orphan = true;
    switched.powerDownAt = now + kPowerDownDelay;
    SwitchOffChannels(id, switched.channels);
    if (m_owner) m_owner->StopTask(id);
    Post(WindowMessage::kZoneRefresh);
    Post(WindowMessage::kTasksChanged);
}

void CScheduler::Resynchronise(const TaskFields& task, SwitchedTask& switched) {
    const ChannelFlags channels = task.Zones();
    const ChannelFlags added = ChannelsNotIn(channels, switched.channels);
    const ChannelFlags dropped = ChannelsNotIn(switched.channels, channels);
    const OutletSet outlets = task.power.on;
    const OutletSet before = switched.power.on;
    switched.channels = channels;
    switched.power = task.power;
    if (Held()) return;  // the ledger follows the row; the restore switches
    if (AnyChannel(added)) m_board.SwitchChannels(added, true, SwitchSource::kTask);
    if (AnyChannel(dropped)) SwitchOffChannels(task.id, dropped);
    if (outlets != before) {
        const OutletSet needed = m_ledger.OutletsNeededBesides(task.id);
        OutletSet off{};
        for (size_t i = 0; i < off.size(); ++i) off[i] = before[i] && !outlets[i] && !needed[i];
        m_board.ChangeOutlets(outlets, off);
        Post(WindowMessage::kPowerRefresh);
    }
    Post(WindowMessage::kZoneRefresh);
}

bool CScheduler::StillCovers(const TaskFields& task, BroadcastPhase phase, std::time_t now) const {
    if (phase == BroadcastPhase::kOnAir) {
        const TaskTimesResult times = TaskTimes(task, now);
        return IsDueToday(task, now, m_calendar) && times.sinceStart >= 0 && times.sinceEnd < 0;
    }
    const LocalMoment startDay(now + kPowerUpLead);
    const std::time_t untilStart = task.MomentsOn(startDay).start - now;
    return IsDueToday(task, startDay, m_calendar) && untilStart > 0 && untilStart <= kPowerUpLead;
}

TaskFields* CScheduler::FindRow(const std::string& id) {
    const auto found =
        std::find_if(m_tasks.begin(), m_tasks.end(), [&id](const auto& t) { return t.id == id; });
    return found == m_tasks.end() ? nullptr : &*found;
}

void CScheduler::PowerDownsDue(std::time_t second) {
    bool due = false;
    auto& tasks = m_ledger.Tasks();
    for (auto it = tasks.begin(); it != tasks.end();) {
        const SwitchedTask& switched = it->second;
        const bool past = switched.phase == BroadcastPhase::kTail && switched.powerDownAt <= second;
        // A task whose row brings its power-down leaves at that second; the rule did it then.
        if (!past || (!switched.orphan && switched.powerDownAt == second)) {
            ++it;
            continue;
        }
        due = due || switched.orphan;
        Record(HistoryKind::kPowerDown, it->first, FindRow(it->first), second);
        it = tasks.erase(it);
    }
    if (due) SwitchOffOutlets({});
}

SwitchedTask& CScheduler::Remember(const TaskFields& task, BroadcastPhase phase) {
    SwitchedTask& switched = m_ledger.Enter(task.id);
    switched.channels = task.Zones();
    switched.power = task.power;
    switched.timing = task.timing;
    switched.phase = phase;
    return switched;
}

void CScheduler::PowerOn(const TaskFields& task) {
    if (Held()) return;  // every outlet is on
    Post(WindowMessage::kPowerRefresh);
    // A "0" of this task never switches off an outlet that another task on air needs.
    m_board.PowerUp(task.power, m_ledger.OutletsNeededBesides(task.id));
}

void CScheduler::DeferChannelsOn(const TaskFields& task) {
    Defer([this, task] {
        if (!StillSwitchedOn(task.id)) return;
        Post(WindowMessage::kZoneRefresh);
        OpenTaskChannels(task);
    });
}

bool CScheduler::StillSwitchedOn(const std::string& id) {
    // A catch-up after a stall may have ended the task in the same pass that powered it up.
    const SwitchedTask* switched = m_ledger.Find(id);
    return switched && switched->phase != BroadcastPhase::kTail;
}

void CScheduler::OpenTaskChannels(const TaskFields& task) {
    m_board.SwitchChannels(task.Zones(), true, SwitchSource::kTask);
}

void CScheduler::SwitchOffChannels(const std::string& id, const ChannelFlags& channels) {
    const ChannelFlags needed = m_ledger.ChannelsNeededBesides(id);
    const ChannelFlags off = ChannelsNotIn(channels, needed);
    // Without another task the frame goes out as it always has, also with an empty map.
    if (!AnyChannel(needed) || AnyChannel(off)) m_board.SwitchChannels(off, false, SwitchSource::kTask);
}

void CScheduler::SwitchOffOutlets(const std::string& id) {
    if (Held()) return;
    m_board.PowerDown(m_ledger.OutletsNeededBesides(id));
    Post(WindowMessage::kPowerRefresh);
}

void CScheduler::HandOver(const TaskFields& task) {
    if (m_owner && !Held()) m_owner->PlayTask(task.id, task.playList);
}

void CScheduler::SetState(TaskFields& task, TaskState state) {
    UpdateTaskState(task.id, state);
    task.state = state;  // the next second of this pass sees it as the next pass would
}

void CScheduler::Mark(TaskFields& task, TaskState state) {
    SetState(task, state);
    Post(WindowMessage::kTasksChanged);
}

void CScheduler::Record(HistoryKind step, const std::string& id, const TaskFields* task, std::time_t second) {
    if (m_owner) m_owner->BroadcastStep(step, id, task, second);
}

void CScheduler::Post(WindowMessage message) {
    if (m_owner) m_owner->PostMessage(message);
}

}  // namespace lumetra
