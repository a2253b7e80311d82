#include "schedule/Scheduler.h"

#include <cstdlib>
#include <exception>

#include "base/Logger.h"
#include "link/TransmitterLink.h"
#include "schedule/Clock.h"
#include "schedule/RuleWindow.h"
#include "schedule/SchedulerOwner.h"
#include "schedule/SystemClock.h"
#include "store/Database.h"
#include "store/Statements.h"

namespace lumetra {
namespace {

// Between switching the outlets on and the receivers, so the amplifiers have power first.
constexpr std::chrono::milliseconds kPowerSettle{500};
// How far the wall clock may run apart from the steady clock between two passes before it counts
// as set or resumed rather than merely read late.
constexpr int64_t kJumpToleranceMs = 2000;

}  // namespace

CScheduler::CScheduler(CDatabase& db, CTransmitterLink& link, IClock& clock)
    : m_link(link), m_clock(clock), m_table(db) {}

CScheduler::~CScheduler() {
    Stop();
}

void CScheduler::Start() {
    if (m_hThread.joinable()) return;
    m_clock.ClearInterrupt();
    m_lastSecond = -1;  // a new run catches up nothing from an earlier one
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
    const std::time_t now = m_clock.Now();
    const int64_t steady = m_clock.SteadyMillis();
    const std::time_t first = FirstSecondToEvaluate(now, steady);
    ReadTasks();
    m_lastSecond = now;
    m_lastSteady = steady;
    for (std::time_t second = first; second <= now; ++second)
        if (!EvaluateSecond(second)) return;
}

void CScheduler::ReadTasks() {
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

bool CScheduler::EvaluateSecond(std::time_t second) {
    PowerDownsDue(second);
    const RuleMoments at(second);
    CRuleWindow window;
    window.SetNow(second);
    for (TaskFields& task : m_tasks) {
        // Most rows are hours away from their rules; they skip the calendar arithmetic.
        if (!window.MayAct(task)) continue;
        if (!Act(task, RulesAt(task, at), second)) return false;
    }
    return true;
}

bool CScheduler::Act(TaskFields& task, const DueRules& rules, std::time_t second) {
    // Every evaluation of a row works on the state read before the first of them.
    const int times = std::max(rules.startTimes, rules.endTimes);
    for (int i = 0; i < times; ++i) {
        if (i < rules.startTimes) {
            if (rules.start == Rule::kPowerUp && !PowerUp(task)) return false;
            if (rules.start == Rule::kStart) BeginBroadcast(task);
            if (rules.start == Rule::kLateStart && !LateStart(task)) return false;
        }
        if (i < rules.endTimes) {
            if (rules.end == Rule::kEnd) EndBroadcast(task);
            if (rules.end == Rule::kStaleClose) StaleClose(task, second);
            if (rules.end == Rule::kPowerDown) PowerDown();
        }
    }
    return true;
}

void CScheduler::UpdateTaskState(const std::string& idText, const char* stateWord) {
    m_table.SetState(idText, stateWord);
}

bool CScheduler::PowerUp(TaskFields& task) {
    // Outlets switched off after a stale close must not go off under this broadcast.
    m_powerDowns.erase(task.id);
    PowerOn(task);
    if (task.kind == RepeatKind::kWeekly) {
        OpenChannels(m_link, task.Zones());
        Post(WM_ZONE_REFRESH);
        return true;
    }
    if (!Pause()) return false;
    Post(WM_ZONE_REFRESH);
    OpenChannels(m_link, task.Zones());
    return true;
}

void CScheduler::BeginBroadcast(TaskFields& task) {
    HandOver(task);
    Mark(task, sql::kStateRunning);
}

bool CScheduler::LateStart(TaskFields& task) {
    m_powerDowns.erase(task.id);
    PowerOn(task);
    if (!Pause()) return false;
    switch (task.kind) {
        case RepeatKind::kWeekly:
            OpenChannels(m_link, task.Zones());
            SetState(task, sql::kStateRunning);
            Post(WM_ZONE_REFRESH);
            HandOver(task);
            Post(WM_TASKS_CHANGED);
            break;
        case RepeatKind::kDaily:
            SetState(task, sql::kStateRunning);
            Post(WM_ZONE_REFRESH);
            OpenChannels(m_link, task.Zones());
            HandOver(task);
            Post(WM_TASKS_CHANGED);
            break;
        case RepeatKind::kOnce:
        case RepeatKind::kNone:
            Post(WM_ZONE_REFRESH);
            OpenChannels(m_link, task.Zones());
            HandOver(task);
            Mark(task, sql::kStateRunning);
            break;
    }
    return true;
}

void CScheduler::EndBroadcast(TaskFields& task) {
    CloseChannels(m_link, task.Zones());
    Post(WM_STOP_TASK);
    Mark(task, sql::kStateDone);
}

void CScheduler::StaleClose(TaskFields& task, std::time_t second) {
    // Its receivers may still be on from a broadcast whose end nobody saw: off now, the outlets
    // after the same delay as after an end. The playback is left alone; another task may be
    // playing by now.
    CloseChannels(m_link, task.Zones());
    Mark(task, sql::kStateDone);
    m_powerDowns[task.id] = second + kPowerDownDelay;
}

void CScheduler::PowerDownsDue(std::time_t second) {
    bool due = false;
    for (auto it = m_powerDowns.begin(); it != m_powerDowns.end();) {
        if (it->second > second) {
            ++it;
            continue;
        }
        due = true;
        it = m_powerDowns.erase(it);
    }
    if (due) PowerDown();
}

void CScheduler::PowerDown() {
    m_link.ClosePower();
    for (int number = 1; number <= 4; ++number) m_link.SetPowerSwitch(number, false);
    Post(WM_POWER_REFRESH);
}

void CScheduler::PowerOn(const TaskFields& task) {
    std::array<bool, 4> switches;
    for (int number = 1; number <= 4; ++number) switches[number - 1] = m_link.PowerSwitch(number);
    ApplyPowerSwitches(task.power, switches);
    for (int number = 1; number <= 4; ++number) m_link.SetPowerSwitch(number, switches[number - 1]);
    Post(WM_POWER_REFRESH);
    m_link.SendPower();
}

void CScheduler::HandOver(const TaskFields& task) {
    if (!m_pOwner) return;
    // A list that failed to open earlier must not keep this task from playing.
    m_pOwner->ClearOpenFailure();
    m_pOwner->SetPlayListText(task.playList);
    m_pOwner->PostMessage(WM_PLAY_TASK);
}

void CScheduler::SetState(TaskFields& task, const char* stateWord) {
    UpdateTaskState(task.id, stateWord);
    task.state = stateWord;  // the next second of this pass sees it as the next pass would
}

void CScheduler::Mark(TaskFields& task, const char* stateWord) {
    SetState(task, stateWord);
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
