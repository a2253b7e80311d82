// The station: the one object that runs the broadcast while Lumetra runs, with or without a window.
// It owns the run-time sequence: it connects the stored serial port at start and on every request,
// keeps the link alive with its heartbeat, runs the schedule and the midnight reset, plays the
// scheduled lists and the operator's, switches receivers and outlets by hand, switches the machine
// off at the set time, and carries out the exit sequence. Windows observe it through posted events
// (StationObserver.h) and call its commands, which all return at once; none of them starts anything itself.
#pragma once

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "link/LinkNotifier.h"
#include "link/PortSelection.h"
#include "schedule/Scheduler.h"
#include "schedule/SchedulerOwner.h"
#include "schedule/SwitchBoard.h"
#include "station/Announcer.h"
#include "station/HistoryRecorder.h"
#include "station/JobThread.h"
#include "station/Playback.h"
#include "station/ShutdownThread.h"
#include "station/StationObserver.h"
#include "store/Labels.h"
#include "store/LedTable.h"
#include "store/LoggedIn.h"

namespace lumetra {

class CAutoShutdown;
class CDatabase;
class CTransmitterLink;
class IClock;

class CStation : private ISchedulerOwner, private ILinkNotifier, private IPortSelectionView {
public:
    static constexpr std::chrono::milliseconds kHeartbeatPeriod{3000};
    // How often the tick looks whether executed tasks go back to "未执行" at midnight.
    static constexpr std::chrono::milliseconds kMidnightCheckPeriod{3000};
    static constexpr std::chrono::milliseconds kExitWriterWait{1000};  // at most
    // An emergency start this soon after a stop is the second click of a double click.
    static constexpr std::chrono::milliseconds kRestartGuard{1000};

    // Without `shutdown` the machine is never switched off.
    CStation(CDatabase& db, CTransmitterLink& link, IClock& clock, CAutoShutdown* shutdown = nullptr);
    // Runs the exit sequence if it has not run.
    ~CStation();
    CStation(const CStation&) = delete;
    CStation& operator=(const CStation&) = delete;

    // Who shows the station and the port choice; null while nobody does. Each call of theirs
    // comes from a station thread and must only post.
    void SetObserver(IStationObserver* observer);
    void SetPortView(IPortSelectionView* view);

    // The start sequence, in its order:
    //  1. executed tasks return to "未执行", and the task list is told;
    //  2. the link reports to the station;
    //  3. the playback and announcement threads start;
    //  4. the stored port is connected, on the port thread, and the automatic shutdown is armed on
    //     its own thread;
    //  5. then the schedule starts: it ticks twice a second, and during the minute 00:00 the station
    //     resets executed tasks after a tick every three seconds; the heartbeat goes out every three
    //     seconds from a timer of its own, which neither the tick nor the database holds back.
    void Start();
    // The exit sequence: the automatic shutdown stopped (a power-off call under way given up), the
    // heartbeat, an announcement ended, the playback closed, the schedule stopped, running tasks marked
    // "已执行" (and an emergency ended in the history), every receiver switched off, then every outlet
    // that the operator did not switch on by hand; the frames are given up to a second to leave, then
    // the port closed. Runs once; later calls return at once.
    void Shutdown();

    // --- Commands. Each returns at once. ---
    CPlayback& Playback() { return m_playback; }
    // Live and spoken announcements to chosen receivers.
    CAnnouncer& Announcer() { return m_announcer; }
    // The port list's entry `index` (0 for COM1) was confirmed, and the connect button, `connect`
    // when it read "连  接". Settings: refused (false) unless an administrator may change them.
    bool SelectPort(int index);
    bool ClickConnect(bool connect);
    // Manual switching, through the switch board, and the receiver page's sends. While the
    // emergency lasts each is refused (EmergencyRefusal.h): false, and nothing is sent.
    bool SwitchChannels(const ChannelFlags& flags, bool on);
    bool SwitchAllChannels(bool on);
    // Inverts outlet 1..4 and sends all four.
    bool ToggleOutlet(int outlet);
    // To the receivers of `flags`; also false when a frequency does not fit the frame's five digits.
    bool SendFrequencies(const ChannelFlags& flags, float frequency2, float frequency3);
    bool SendVolume(const ChannelFlags& flags, uint8_t volume);
    // `text` to LED screen `position` (0..127), and its row in the LED table. When the link refuses
    // the text nothing is sent and `*refusal` says why. Throws CDbError when the row cannot be
    // stored; the frame and the history line are queued by then.
    std::optional<LedRow> SendLedText(const std::string& text, int position, std::string* refusal);
    // The database file was replaced (a restore): what the station keeps from it is read again,
    // and the pages that show the switches and the tasks are told.
    void DatabaseReplaced();
    // Who is logged in (empty after logging off) and in which role: the history notes the logoff
    // and the login and names them with each of their actions, and the stores let only an
    // administrator change users and settings (store/LoggedIn.h).
    void SetOperator(const std::string& name, UserRole role);

    // The emergency broadcast: every receiver and outlet on, `chosenAlarm` in a loop in place of
    // whatever played, or the siren when none is chosen or the file is gone (EmergencyAlarm.h), and a
    // spoken text on air stopped. While it lasts the schedule keeps track of its tasks but switches
    // nothing and starts no list; manual commands and spoken texts are refused; live paging still
    // pauses the alarm. A second start only plays the new file; a start within kRestartGuard of a stop
    // is ignored.
    void StartEmergency(const std::string& chosenAlarm);
    // Back to what the tasks powered up or on air need at this second (on the schedule's next
    // tick, half a second at most): their receivers and outlets on, the rest off, a task's list on
    // air played again.
    void StopEmergency();
    bool InEmergency() const { return m_emergency; }

    // The automatic shutdown's setting, stored and armed; a refusal reaches the observer as a
    // database error and the setting stays. Then "取消" during the countdown, and arming again
    // from the stored setting.
    void SaveShutdown(bool enable, int hour, int minute, int second);
    void CancelShutdownToday();
    void RearmShutdown();
    ShutdownView AutoShutdownView() const;

    // --- What the pages read when told. ---
    bool IsLinkUp() const;
    bool Outlet(int number) const;
    const CPortSelection& PortSelection() const { return m_ports; }

    // Runs everything posted to the port thread so far; for tests.
    void FlushPort() {
        m_portThread.Run([] {});
    }

private:
    // ISchedulerOwner, on the schedule thread.
    void PostMessage(WindowMessage message) override;
    void PlayTask(const std::string& taskId, const std::string& playList) override;
    void StopTask(const std::string& taskId) override;
    void BroadcastStep(HistoryKind step, const std::string& taskId, const TaskFields* task,
                       std::time_t second) override;
    void AfterTick(std::time_t now, int64_t steadyMillis) override;
    // ILinkNotifier, on the link's reader thread.
    void PostLinkStatus() override;
    // IPortSelectionView, on the port thread: passed on to the page's view.
    void SelectPortEntry(int index) override;
    void SetConnectButtonText(const std::string& text) override;
    void EnablePortList(bool enable) override;
    void ShowOpenFailed(const std::string& text) override;
    void ShowDatabaseError(const std::string& description) override;

    void Notify(WindowMessage message);
    // Every row in state `from` gets state `to`; false when the database refused.
    bool ChangeTaskStates(TaskState to, TaskState from);
    template <typename F>
    void WithPortView(F&& call);
    // The outlets where the last run left them, for the board and the pages.
    void ReadOutlets();
    void KeepOutlets(const OutletSet& on, const OutletSet& byHand);
    void ReportDatabaseError(const char* what, const std::exception& error);
    // Whether the emergency refuses the operator's `what` (logged).
    bool RefusedInEmergency(const char* what) const;

    CDatabase& m_db;
    CTransmitterLink& m_link;
    IClock& m_clock;
    bool m_started = false;
    std::atomic<bool> m_shutDown{false};  // read by the port thread

    mutable std::mutex m_observerLock;  // guards the two below; held while posting, which never waits
    IStationObserver* m_observer = nullptr;
    IPortSelectionView* m_portView = nullptr;

    // Guards m_emergency with the alarm's start or stop and a task's hand-over, so a list handed
    // over at that moment never replaces the alarm, and m_emergencyStoppedAt. Never held across a
    // database statement.
    std::mutex m_emergencyLock;
    std::atomic<bool> m_emergency{false};
    int64_t m_emergencyStoppedAt = INT64_MIN / 2;  // the steady clock at the last stop

    std::atomic<int> m_recordedLink{-1};  // the link state the history has, -1 until it was first up
    int64_t m_lastMidnightCheck = -1;     // the schedule thread's steady clock then

    CHistoryRecorder m_history;  // before the threads that write to it, so it stops after them
    CPortSelection m_ports;
    CSwitchBoard m_board;  // before everything that switches through it
    CPlayback m_playback;
    CScheduler m_scheduler;
    CAnnouncer m_announcer;
    CJobThread m_outletKeeper{"outlets"};  // stores the outlets' state after every power frame
    CJobThread m_portThread{"port"};
    CJobThread m_heartbeat{"heartbeat"};
    std::unique_ptr<CShutdownThread> m_shutdownThread;  // none without an automatic shutdown
};

}  // namespace lumetra
