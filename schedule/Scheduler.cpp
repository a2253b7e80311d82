#include "schedule/Scheduler.h"

#include <exception>

#include "link/Logger.h"
#include "link/TransmitterLink.h"
#include "schedule/Clock.h"
#include "schedule/RuleWindow.h"
#include "schedule/SchedulerOwner.h"
#include "schedule/SystemClock.h"
#include "store/Database.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"

namespace lumetra {
namespace {

// Between switching the outlets on and the receivers, so the amplifiers have power first.
constexpr std::chrono::milliseconds kPowerSettle{500};
constexpr long kPowerUpLead = 10;     // seconds before the start
constexpr long kPowerDownDelay = 15;  // seconds after the end

bool IsRunningState(const TaskRecord& task) {
    return task.state == sql::kStateRunning;
}

}  // namespace

CScheduler::CScheduler(CDatabase& db, CTransmitterLink& link, IClock& clock)
    : m_db(db), m_link(link), m_clock(clock), m_rows(db) {}

CScheduler::~CScheduler() {
    Stop();
}

void CScheduler::Start() {
    if (m_hThread.joinable()) return;
    m_clock.ClearInterrupt();
    m_bRunning = true;
    m_hThread = std::thread([this] { Run(); });
}

void CScheduler::Stop() {
    m_bRunning = false;
    m_clock.Interrupt();
    if (m_hThread.joinable()) m_hThread.join();
}

void CScheduler::Run() {
    try {
        while (m_bRunning) {
            TickAndLog();
            if (!m_bRunning || !m_clock.SleepToNextHalfSecond()) break;
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
}

void CScheduler::Tick() {
    // Closed at the end of the tick whichever way it ends; its buffers stay for the next one.
    struct CloseAtEnd {
        CRecordset& rows;
        ~CloseAtEnd() { rows.Close(); }
    } closeAtEnd{m_rows};
    m_rows.Open(sql::kSelectTasksForTick);
    CRuleWindow window;
    for (; !m_rows.IsEOF(); m_rows.MoveNext()) {
        const TaskRecord task = TaskRecord::FromRow(m_rows);
        const std::time_t now = m_clock.Now();
        window.SetNow(now);
        // Most rows are hours away from their rules; they skip the calendar arithmetic.
        if (!window.MayAct(task)) continue;
        if (!EvaluateTask(task, now)) return;
    }
}

void CScheduler::UpdateTaskState(const std::string& idText, const char* stateWord) {
    m_db.ExecuteSql(FormatSql(sql::kSetStateById, stateWord, LeadingInt(idText)));
}

bool CScheduler::EvaluateTask(const TaskRecord& task, std::time_t now) {
    RepeatKind kind;
    if (task.repeatCode == kRepeatOnce)
        kind = RepeatKind::kOnce;
    else if (task.repeatCode == kRepeatWeekly)
        kind = RepeatKind::kWeekly;
    else if (task.repeatCode == kRepeatDaily)
        kind = RepeatKind::kDaily;
    else
        return true;
    // A weekly task whose day digit appears twice is evaluated twice, with the same times and
    // the state read before either evaluation.
    const int count = DueCountToday(task, now);
    if (count == 0) return true;
    const TaskTimesResult times = TaskTimes(task, now);
    for (int i = 0; i < count; ++i)
        if (!EvaluateRules(task, times, kind)) return false;
    return true;
}

bool CScheduler::EvaluateRules(const TaskRecord& task, const TaskTimesResult& times, RepeatKind kind) {
    // At most one start rule, then at most one end rule.
    if (times.sinceStart == -kPowerUpLead) {
        if (!PowerUp(task, kind)) return false;
    } else if (times.sinceStart == 0) {
        BeginBroadcast(task);
    } else if (times.sinceStart > 0 && times.sinceStart < times.duration && !IsRunningState(task)) {
        if (!LateStart(task, kind)) return false;
    }

    if (times.sinceEnd == 0)
        EndBroadcast(task);
    else if (IsRunningState(task) && times.sinceEnd > 0)
        Mark(task, sql::kStateDone);  // still running after its end: no tick saw the end second
    else if (times.sinceEnd == kPowerDownDelay)
        PowerDown();
    return true;
}

bool CScheduler::PowerUp(const TaskRecord& task, RepeatKind kind) {
    PowerOn(task);
    if (kind == RepeatKind::kWeekly) {
        OpenChannels(m_link, ZoneFlags(task));
        Post(WM_ZONE_REFRESH);
        return true;
    }
    if (!Pause()) return false;
    const ChannelFlags flags = ZoneFlags(task);
    Post(WM_ZONE_REFRESH);
    OpenChannels(m_link, flags);
    return true;
}

void CScheduler::BeginBroadcast(const TaskRecord& task) {
    HandOver(task);
    Mark(task, sql::kStateRunning);
}

bool CScheduler::LateStart(const TaskRecord& task, RepeatKind kind) {
    PowerOn(task);
    if (!Pause()) return false;
    const ChannelFlags flags = ZoneFlags(task);
    switch (kind) {
        case RepeatKind::kWeekly:
            OpenChannels(m_link, flags);
            UpdateTaskState(task.id, sql::kStateRunning);
            Post(WM_ZONE_REFRESH);
            HandOver(task);
            Post(WM_TASKS_CHANGED);
            break;
        case RepeatKind::kDaily:
            UpdateTaskState(task.id, sql::kStateRunning);
            Post(WM_ZONE_REFRESH);
            OpenChannels(m_link, flags);
            HandOver(task);
            Post(WM_TASKS_CHANGED);
            break;
        case RepeatKind::kOnce:
            Post(WM_ZONE_REFRESH);
            OpenChannels(m_link, flags);
            HandOver(task);
            Mark(task, sql::kStateRunning);
            break;
    }
    return true;
}

void CScheduler::EndBroadcast(const TaskRecord& task) {
    CloseChannels(m_link, ZoneFlags(task));
    Post(WM_STOP_TASK);
    Mark(task, sql::kStateDone);
}

void CScheduler::PowerDown() {
    m_link.ClosePower();
    for (int number = 1; number <= 4; ++number) m_link.SetPowerSwitch(number, false);
    Post(WM_POWER_REFRESH);
}

void CScheduler::PowerOn(const TaskRecord& task) {
    std::array<bool, 4> switches;
    for (int number = 1; number <= 4; ++number) switches[number - 1] = m_link.PowerSwitch(number);
    ApplyPowerSwitches(task, switches);
    for (int number = 1; number <= 4; ++number) m_link.SetPowerSwitch(number, switches[number - 1]);
    Post(WM_POWER_REFRESH);
    m_link.SendPower();
}

void CScheduler::HandOver(const TaskRecord& task) {
    if (!m_pOwner) return;
    // A list that failed to open earlier must not keep this task from playing.
    m_pOwner->ClearOpenFailure();
    m_pOwner->SetPlayListText(PlayList(task));
    m_pOwner->PostMessage(WM_PLAY_TASK);
}

void CScheduler::Mark(const TaskRecord& task, const char* stateWord) {
    UpdateTaskState(task.id, stateWord);
    Post(WM_TASKS_CHANGED);
}

bool CScheduler::Pause() {
    return m_clock.SleepFor(kPowerSettle);
}

void CScheduler::Post(WindowMessage message) {
    if (m_pOwner) m_pOwner->PostMessage(message);
}

CScheduler& Scheduler() {
    static CSystemClock clock;
    static CScheduler instance(AppConnection(), TransmitterLink(), clock);
    return instance;
}

}  // namespace lumetra
