// The main window: a frameless, skinned 1024 x 668 window that hosts the eight pages, switches them
// with its image buttons, shows the page title, the link state and a clock, runs the heartbeat,
// the midnight reset and the shutdown timer, starts the scheduler and carries out the exit
// sequence. Threads reach it and its pages only through posted events.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <array>
#include <chrono>
#include <map>
#include <memory>
#include <vector>

#include "schedule/SchedulerOwner.h"
#include "schedule/ShutdownTimerOwner.h"

class QMenu;
class QAbstractButton;

namespace lumetra {

class CAutoShutdown;
class CButtonEx;
class CDatabase;
class CDlgLED;
class CDlgLogin;
class CDlgPlay;
class CDlgReceiver;
class CDlgSYS;
class CDlgTaskList;
class CDlgUser;
class CDlgZoneControl;
class CKeySwallower;
class CScheduler;
class CShutdownNotice;
class CStaticEx;
class CTransmitterLink;
class IClock;

// What the main window drives; the program passes the process-wide objects, tests their own.
struct MainServices {
    IClock& clock;
    CTransmitterLink& link;
    CScheduler& scheduler;
    CAutoShutdown& shutdown;
    CDatabase& database;
};

class CDlgMain : public QDialog, public ISchedulerOwner, public IShutdownTimerOwner {
    Q_OBJECT
public:
    // Control numbers of the buttons.
    enum ButtonId {
        kNoButton = 0,  // a page shown only beside another one
        kTasks = 1000,
        kPlay = 1001,
        kReceiver = 1002,
        kLED = 1003,
        kUsers = 1004,
        kSettings = 1005,
        kLogin = 1006,
        kLogoff = 1007,
        kExit = 1008,
        kMinimise = 1039,
    };
    static constexpr auto kHeartbeatPeriod = std::chrono::milliseconds(3000);
    static constexpr auto kClockPeriod = std::chrono::milliseconds(1000);
    static constexpr auto kExitWriterWait = std::chrono::milliseconds(1000);  // at most

    explicit CDlgMain(const MainServices& services, QWidget* parent = nullptr);
    ~CDlgMain() override;

    // ISchedulerOwner: called on the scheduler thread.
    void PostMessage(WindowMessage message) override;
    void SetPlayListText(const std::string& text) override;
    void ClearOpenFailure() override;
    // IShutdownTimerOwner
    void StartShutdownTimer(std::chrono::milliseconds period) override;
    void KillShutdownTimer() override;

    // Restores the window if minimised and brings it, or the window it shows on top, to the front.
    void BringToFront();

    // Timer bodies, also reached directly by tests.
    void OnHeartbeat();
    void RefreshClock();
    // The exit button: confirmation, then the exit sequence. Returns false when not confirmed.
    bool Exit();
    // The exit sequence without the question: media closed, scheduler stopped, running tasks
    // marked done, receivers switched off. Also run when the program is asked to terminate.
    void RunExitSequence();
    // A termination signal: the exit sequence, then every box and dialog still open on top is
    // closed, so the program ends even while one waits for an operator who is not there.
    void Terminate();

    QAbstractButton* Button(ButtonId id) const;
    CStaticEx* PageTitle() const { return m_pageTitle; }
    CStaticEx* LinkStatus() const { return m_linkStatus; }
    CStaticEx* Clock() const { return m_clock; }
    QMenu* SystemMenu() const { return m_systemMenu; }
    const QTimer& ShutdownTimer() const { return m_shutdownTimer; }
    CShutdownNotice* ShutdownNotice() const { return m_shutdownNotice.get(); }

    CDlgTaskList* TaskListPage() const { return m_pTaskList; }
    CDlgPlay* PlayPage() const { return m_pPlay; }
    CDlgReceiver* ReceiverPage() const { return m_pReceiver; }
    CDlgLED* LEDPage() const { return m_pLED; }
    CDlgSYS* SettingsPage() const { return m_pSYS; }
    CDlgUser* UserPage() const { return m_pUser; }
    CDlgZoneControl* ZoneControlPage() const { return m_pZoneControl; }
    CDlgLogin* LoginPage() const { return m_pLogin; }

protected:
    bool event(QEvent* event) override;  // WM_LINK_STATUS
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // One row of the page table: the page and the button that shows it.
    struct PageSlot {
        ButtonId button;
        QWidget* page;
        bool withZoneControl;  // the zone control page shows beside it
    };

    void SetUpShutdown();
    void SetUpWindow();
    void SetUpTimers();
    void CreateControls();
    void OnButton(ButtonId id);
    void CreatePages();
    void ConnectZonePages();
    // After a restore: every page that shows stored rows reads them again, and the automatic
    // shutdown is armed from the restored setting.
    void ReloadPages();
    void ShowZoneControl();
    template <typename Page>
    Page* AddPage(ButtonId button, Page* page, bool withZoneControl = false);
    void ShowPage(ButtonId id);
    void HidePagesBut(const QWidget* keep);
    void StopBroadcasting();
    void LogOff();
    void OnLoggedIn();
    void RunLogin();
    void ShowAbout();
    void OnLinkStatus();
    void ResetTaskStates(const char* to, const char* from);
    void RebuildBackground();
    void CentreOnScreen();

    MainServices m_services;
    CKeySwallower* m_keySwallower;
    QImage m_backgroundImage;
    QPixmap m_background;  // the image stretched over the client area
    std::map<int, CButtonEx*> m_buttons;
    CStaticEx* m_pageTitle;   // 1009
    CStaticEx* m_linkStatus;  // 1011
    CStaticEx* m_clock;       // 1044
    QMenu* m_systemMenu;

    // The page table, in creation order, and each page by its type.
    std::vector<PageSlot> m_pages;
    CDlgTaskList* m_pTaskList;
    CDlgPlay* m_pPlay;
    CDlgReceiver* m_pReceiver;
    CDlgLED* m_pLED;
    CDlgSYS* m_pSYS;
    CDlgUser* m_pUser;
    CDlgZoneControl* m_pZoneControl;
    CDlgLogin* m_pLogin;

    QTimer m_heartbeatTimer;  // timer 1
    QTimer m_clockTimer;      // timer 5
    QTimer m_shutdownTimer;   // timer 10
    QTimer m_modalCloser;     // after a termination signal, closes what opens while the rest unwinds
    // A window of its own, not one the main window owns: it shows even while that is minimised.
    std::unique_ptr<CShutdownNotice> m_shutdownNotice;
    bool m_bStarted = false;  // the first show ran the rest of the start-up
    bool m_bExiting = false;
    QPoint m_dragOffset;
    bool m_bDragging = false;
};

}  // namespace lumetra
