#include "station/Station.h"

#include <cstdio>
#include <ctime>

#include "base/Logger.h"
#include "base/NumberText.h"
#include "link/TransmitterLink.h"
#include "schedule/Clock.h"
#include "schedule/TaskFields.h"
#include "station/EmergencyAlarm.h"
#include "store/ChangeJournal.h"
#include "store/Database.h"
#include "store/DbError.h"
#include "store/OutletTable.h"
#include "store/TaskModeTable.h"
#include "store/TaskStates.h"
#include "store/TaskTable.h"

namespace lumetra {

namespace {

// The task's own play mode; none for a task without one, or when it cannot be read: the operator's
// mode then plays, as it did for every task before tasks kept their own.
std::optional<PlayMode> TaskPlayMode(CDatabase& db, const std::string& id) {
    try {
        return CTaskModeTable(db).Find(LeadingInt(id));
    } catch (const CDbError& e) {
        Logger().Log("play: the play mode of task %s is unreadable: %s", id.c_str(), e.what());
    }
    return std::nullopt;
}

// The end line of an emergency that the exit sequence ended.
const char* const kEndedByExitText = "程序退出";

// During the minute 00:00 of the local day executed tasks return to "未执行".
bool IsMidnightMinute(std::time_t now) {
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_hour == 0 && local.tm_min == 0;
}

// A frequency in the hundredths the frame holds.
std::string Megahertz(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f MHz", static_cast<double>(value));
    return text;
}

// The LED table's time text.
std::string LedSendTime(std::time_t moment) {
    std::tm local{};
    localtime_r(&moment, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

}  // namespace

CStation::CStation(CDatabase& db, CTransmitterLink& link, IClock& clock, CAutoShutdown* shutdown)
    : m_db(db),
      m_link(link),
      m_clock(clock),
      m_history(db, {.linkUp = [this] { return m_link.IsLinkUp(); },
                     .failed = [this] { Notify(WindowMessage::kHistoryFailure); },
                     .showDatabaseError =
                         [this](const std::string& text) {
                             std::lock_guard lock(m_observerLock);
                             if (m_observer) m_observer->ShowDatabaseError(text);
                         }}),
      m_ports(link, db, static_cast<IPortSelectionView&>(*this)),
      m_board(link),
      m_playback([this] { Notify(WindowMessage::kPlaybackChanged); }),
      m_scheduler(db, m_board, clock),
      m_announcer(
          m_board, m_playback, m_scheduler, [this] { Notify(WindowMessage::kAnnouncement); },
          [this](HistoryKind kind, const ChannelFlags& zones) {
              const std::string receivers = ChannelRangesText(zones);
              m_history.Action(kind, receivers, m_clock.Now(), receivers);
          }) {
    m_board.SetOutletsListener([this](const OutletSet& on, const OutletSet& byHand) {
        m_outletKeeper.Post([this, on, byHand] { KeepOutlets(on, byHand); });
    });
    m_playback.SetFileListener(
        [this](HistoryKind kind, const std::string& taskId, const std::string& detail,
               const std::string& byTask) { m_history.File(kind, taskId, detail, m_clock.Now(), byTask); });
    // Changes of users and settings reach the history with who made them.
    SetChangeJournal([this](HistoryKind kind, const std::string& detail) {
        m_history.Action(kind, detail, m_clock.Now());
    });
    if (shutdown)
        m_shutdownThread = std::make_unique<CShutdownThread>(
            *shutdown, [this] { Notify(WindowMessage::kShutdown); },
            [this](const std::string& text) {
                // Without a database the operator was told so once at start.
                std::lock_guard lock(m_observerLock);
                if (m_observer && m_db.IsOpen()) m_observer->ShowDatabaseError(text);
            });
}

CStation::~CStation() {
    SetChangeJournal({});
    Shutdown();
}

void CStation::SetObserver(IStationObserver* observer) {
    std::lock_guard lock(m_observerLock);
    m_observer = observer;
}

void CStation::SetPortView(IPortSelectionView* view) {
    std::lock_guard lock(m_observerLock);
    m_portView = view;
}

void CStation::Start() {
    if (m_started) return;
    m_started = true;
    Logger().Log("station: starting");
    if (ChangeTaskStates(TaskState::kIdle, TaskState::kDone)) Notify(WindowMessage::kTasksChanged);
    m_history.Start();
    m_history.CloseUnfinishedEmergency(m_clock.Now());
    m_history.PurgeOld(m_clock.Now());
    ReadOutlets();
    m_outletKeeper.Start();
    m_link.SetNotifier(this);
    m_playback.Start();
    m_announcer.Start();
    m_scheduler.SetOwner(this);
    m_portThread.Start();
    m_heartbeat.Start();
    // The schedule and the heartbeat start once the port has been tried: a frame queued before the
    // link runs is lost. The first beat comes a period later.
    m_portThread.Post([this] {
        m_ports.Initialise();
        if (m_shutDown) return;
        m_scheduler.Start();
        m_heartbeat.StartTimer(kHeartbeatPeriod, [this] { m_link.SendSCOM(); });
    });
    if (m_shutdownThread) m_shutdownThread->Start();
}

void CStation::Shutdown() {
    if (!m_started || m_shutDown) return;
    m_shutDown = true;
    Logger().Log("station: exit sequence");
    if (m_shutdownThread) m_shutdownThread->Stop();
    m_portThread.Stop();  // a connection under way ends first, and starts no schedule any more
    m_heartbeat.Stop();
    m_announcer.Stop();
    m_playback.Stop();
    m_scheduler.Stop();
    m_history.EndAllOnAir(HistoryKind::kEndExit, m_clock.Now());
    if (m_emergency) m_history.Action(HistoryKind::kEmergencyStop, kEndedByExitText, m_clock.Now());
    if (ChangeTaskStates(TaskState::kDone, TaskState::kRunning)) Notify(WindowMessage::kTasksChanged);
    m_board.SwitchAllChannels(false, SwitchSource::kExit);
    m_board.PowerDownForExit();
    // The writer thread sends at most one frame every 100 ms: the last one must have left.
    if (!m_link.WaitUntilSent(kExitWriterWait)) Logger().Log("exit: the last frames did not leave in time");
    m_link.CloseLink(false);
    m_link.SetNotifier(nullptr);
    m_scheduler.SetOwner(nullptr);
    m_outletKeeper.Stop();
    m_history.Stop();
}

bool CStation::SelectPort(int index) {
    if (!MayAdminister()) {
        Logger().Log("station: port choice refused, no administrator logged in");
        return false;
    }
    m_portThread.Post([this, index] { m_ports.OnPortSelected(index); });
    return true;
}

bool CStation::ClickConnect(bool connect) {
    if (!MayAdminister()) {
        Logger().Log("station: connect button refused, no administrator logged in");
        return false;
    }
    m_portThread.Post([this, connect] { m_ports.OnConnectClicked(connect); });
    return true;
}

void CStation::SetOperator(const std::string& name, UserRole role) {
    SetLoggedIn(name.empty() ? std::nullopt : std::optional<LoggedInUser>({name, role}));
    m_history.ChangeOperator(name, m_clock.Now());
}

void CStation::DatabaseReplaced() {
    Logger().Log("station: the database was replaced");
    m_history.DatabaseReplaced(m_clock.Now());
    RearmShutdown();
    // The schedule reads its tasks and the calendar afresh at every tick, and each hand-over its
    // play mode: nothing of theirs is kept.
    Notify(WindowMessage::kTasksChanged);
    Notify(WindowMessage::kZoneRefresh);
    Notify(WindowMessage::kPowerRefresh);
    // The transmitter's outlets did not change: the new database learns what they are.
    const OutletSet on = m_board.Outlets(), byHand = m_board.OutletsByHand();
    m_outletKeeper.Post([this, on, byHand] { KeepOutlets(on, byHand); });
}

bool CStation::RefusedInEmergency(const char* what) const {
    if (!m_emergency) return false;
    Logger().Log("station: %s refused during the emergency", what);
    return true;
}

bool CStation::SwitchChannels(const ChannelFlags& flags, bool on) {
    if (RefusedInEmergency("switching receivers")) return false;
    const std::string receivers = ChannelRangesText(flags);
    m_history.Action(on ? HistoryKind::kChannelsOn : HistoryKind::kChannelsOff, receivers, m_clock.Now(),
                     receivers);
    m_board.SwitchChannels(flags, on, SwitchSource::kOperator);
    return true;
}

bool CStation::SwitchAllChannels(bool on) {
    if (RefusedInEmergency("switching every receiver")) return false;
    m_history.Action(on ? HistoryKind::kChannelsOn : HistoryKind::kChannelsOff, kAllChannelsText,
                     m_clock.Now(), kAllChannelsText);
    m_board.SwitchAllChannels(on, SwitchSource::kOperator);
    return true;
}

bool CStation::ToggleOutlet(int outlet) {
    if (RefusedInEmergency("an outlet's toggle")) return false;
    const bool on = m_board.ToggleOutlet(outlet);
    m_history.Action(on ? HistoryKind::kOutletOn : HistoryKind::kOutletOff, "电源" + std::to_string(outlet),
                     m_clock.Now());
    return true;
}

bool CStation::SendFrequencies(const ChannelFlags& flags, float frequency2, float frequency3) {
    if (RefusedInEmergency("a frequency send")) return false;
    if (!m_link.SetFrequencies(flags, frequency2, frequency3)) return false;
    const std::string receivers = ChannelRangesText(flags);
    m_history.Action(HistoryKind::kFrequencies,
                     "频率2 " + Megahertz(frequency2) + "，频率3 " + Megahertz(frequency3) + "：" + receivers,
                     m_clock.Now(), receivers);
    m_link.SendFMCom();
    return true;
}

bool CStation::SendVolume(const ChannelFlags& flags, uint8_t volume) {
    if (RefusedInEmergency("a volume send")) return false;
    const std::string receivers = ChannelRangesText(flags);
    m_history.Action(HistoryKind::kVolume, "音量" + std::to_string(volume) + "：" + receivers, m_clock.Now(),
                     receivers);
    m_link.SendAudioCom(VolumeImage(flags, volume));
    return true;
}

std::optional<LedRow> CStation::SendLedText(const std::string& text, int position, std::string* refusal) {
    if (!m_link.SendLED(text, position, refusal)) return std::nullopt;
    const std::time_t now = m_clock.Now();
    const LedRow row{LedAddressLabel(position), text, "", LedSendTime(now)};
    const std::string detail = row.address + "：" + text;
    try {
        const int64_t rowid = CLedTable(m_db).Insert(row);
        m_history.Action(HistoryKind::kLedText, detail + "（LED记录" + std::to_string(rowid) + "）", now);
    } catch (const CDbError&) {
        m_history.Action(HistoryKind::kLedText, detail + "（未记入LED记录）", now);
        throw;
    }
    return row;
}

void CStation::StartEmergency(const std::string& chosenAlarm) {
    const std::string alarmFile = EmergencyAlarmFile(chosenAlarm);
    if (alarmFile.empty()) Logger().Log("emergency: no alarm file; the receivers are switched on without it");
    {
        std::lock_guard lock(m_emergencyLock);
        if (!m_emergency && m_clock.SteadyMillis() - m_emergencyStoppedAt < kRestartGuard.count()) {
            Logger().Log("station: an emergency start right after its stop is ignored");
            return;
        }
        Logger().Log("station: emergency broadcast with %s", alarmFile.c_str());
        m_emergency = true;
        m_playback.PlayAlarm(alarmFile);
    }
    m_announcer.HoldSpeech(true);
    m_board.Hold();
    Notify(WindowMessage::kZoneRefresh);
    Notify(WindowMessage::kPowerRefresh);
    m_history.Action(HistoryKind::kEmergencyStart, alarmFile, m_clock.Now(), kAllChannelsText);
    Notify(WindowMessage::kEmergency);
}

void CStation::StopEmergency() {
    {
        std::lock_guard lock(m_emergencyLock);
        if (!m_emergency) return;
        m_emergency = false;
        m_emergencyStoppedAt = m_clock.SteadyMillis();
        m_playback.StopAlarm();
    }
    Logger().Log("station: emergency broadcast ended");
    m_announcer.HoldSpeech(false);
    m_board.EndHold();
    m_scheduler.Restore();
    m_history.Action(HistoryKind::kEmergencyStop, {}, m_clock.Now());
    Notify(WindowMessage::kEmergency);
}

void CStation::SaveShutdown(bool enable, int hour, int minute, int second) {
    if (m_shutdownThread) m_shutdownThread->Save(enable, hour, minute, second);
}

void CStation::CancelShutdownToday() {
    if (m_shutdownThread) m_shutdownThread->CancelToday();
}

void CStation::RearmShutdown() {
    if (m_shutdownThread) m_shutdownThread->Rearm();
}

ShutdownView CStation::AutoShutdownView() const {
    return m_shutdownThread ? m_shutdownThread->View() : ShutdownView{};
}

bool CStation::IsLinkUp() const {
    return m_link.IsLinkUp();
}

bool CStation::Outlet(int number) const {
    return m_board.Outlet(number);
}

void CStation::PostMessage(WindowMessage message) {
    Notify(message);
}

void CStation::PlayTask(const std::string& taskId, const std::string& playList) {
    // Read before the lock, which an emergency start takes on the user-interface thread.
    const std::optional<PlayMode> mode = TaskPlayMode(m_db, taskId);
    std::lock_guard lock(m_emergencyLock);
    if (m_emergency) {
        Logger().Log("station: the list of task %s waits for the end of the emergency", taskId.c_str());
        return;
    }
    m_playback.PlayTask(taskId, playList, mode);
}

void CStation::StopTask(const std::string& taskId) {
    m_playback.StopTask(taskId);
}

void CStation::BroadcastStep(HistoryKind step, const std::string& taskId, const TaskFields* task,
                             std::time_t second) {
    m_history.Step(step, taskId, task ? task->name : std::string(),
                   task ? ChannelRangesText(task->Zones()) : std::string(), second);
}

void CStation::AfterTick(std::time_t now, int64_t steadyMillis) {
    if (m_lastMidnightCheck < 0) m_lastMidnightCheck = steadyMillis;
    if (steadyMillis - m_lastMidnightCheck < kMidnightCheckPeriod.count()) return;
    m_lastMidnightCheck = steadyMillis;
    if (!IsMidnightMinute(now)) return;
    if (ChangeTaskStates(TaskState::kIdle, TaskState::kDone)) Notify(WindowMessage::kTasksChanged);
    m_history.PurgeOld(now);
}

void CStation::PostLinkStatus() {
    const bool up = m_link.IsLinkUp();
    // Until the first answer the link counts as down: a loss is news once it was up, then a return.
    const int state = up ? 1 : 0;
    const int before = m_recordedLink.load();
    if (before >= 0 || up) m_recordedLink = state;
    if (before >= 0 && before != state)
        m_history.Action(up ? HistoryKind::kLinkUp : HistoryKind::kLinkDown, {}, m_clock.Now());
    m_ports.OnLinkStatus(up);
    Notify(WindowMessage::kLinkStatus);
}

void CStation::Notify(WindowMessage message) {
    std::lock_guard lock(m_observerLock);
    if (m_observer) m_observer->Notify(message);
}

bool CStation::ChangeTaskStates(TaskState to, TaskState from) {
    // Without a database the operator was told so once at start; the station stays quiet about it.
    if (!m_db.IsOpen()) return false;
    try {
        CTaskTable(m_db).ChangeStates(to, from);
        return true;
    } catch (const CDbError& error) {
        ReportDatabaseError("task states not reset", error);
        return false;
    }
}

void CStation::ReadOutlets() {
    if (!m_db.IsOpen()) return;
    try {
        const StoredOutlets stored = COutletTable(m_db).Read();
        m_board.StartFrom(stored.on, stored.byHand);
        Notify(WindowMessage::kPowerRefresh);
    } catch (const CDbError& error) {
        ReportDatabaseError("the outlets' last state is unreadable", error);
    }
}

void CStation::KeepOutlets(const OutletSet& on, const OutletSet& byHand) {
    if (!m_db.IsOpen()) return;
    try {
        COutletTable(m_db).Write({on, byHand});
    } catch (const CDbError& error) {
        ReportDatabaseError("the outlets' state is not kept", error);
    }
}

void CStation::ReportDatabaseError(const char* what, const std::exception& error) {
    Logger().Log("station: %s: %s", what, error.what());
    std::lock_guard lock(m_observerLock);
    if (m_observer) m_observer->ShowDatabaseError(error.what());
}

template <typename F>
void CStation::WithPortView(F&& call) {
    std::lock_guard lock(m_observerLock);
    if (m_portView) call(*m_portView);
}

void CStation::SelectPortEntry(int index) {
    WithPortView([index](IPortSelectionView& view) { view.SelectPortEntry(index); });
}

void CStation::SetConnectButtonText(const std::string& text) {
    WithPortView([&text](IPortSelectionView& view) { view.SetConnectButtonText(text); });
}

void CStation::EnablePortList(bool enable) {
    WithPortView([enable](IPortSelectionView& view) { view.EnablePortList(enable); });
}

void CStation::ShowOpenFailed(const std::string& text) {
    WithPortView([&text](IPortSelectionView& view) { view.ShowOpenFailed(text); });
}

void CStation::ShowDatabaseError(const std::string& description) {
    WithPortView([&description](IPortSelectionView& view) { view.ShowDatabaseError(description); });
}

}  // namespace lumetra
