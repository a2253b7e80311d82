// The main window: a frameless, skinned 1024 x 668 window that hosts the eight pages, switches them
// with its image buttons, shows the page title, the link state, a clock and the automatic
// shutdown's notice. It shows the station (Station.h) and asks it for the exit sequence; it starts nothing.
// The station's threads reach it and its pages only through posted events.
#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <chrono>
#include <map>
#include <memory>
#include <vector>

#include "station/StationObserver.h"
#include "store/LoggedIn.h"

class QMenu;
class QAbstractButton;
class QPushButton;

namespace lumetra {

class CImageButton;
class CDatabase;
class CHistoryPage;
class CLedPage;
class CEmergencyControl;
class CDlgLogin;
class CPlayPage;
class CReceiverPage;
class CSettingsPage;
class CTaskListPage;
class CUserPage;
class CZoneControlPage;
class CKeySwallower;
class CShutdownNotice;
class CTransparentLabel;
class CStation;
class IClock;

// What the main window shows and drives; the program passes its own objects, tests theirs.
struct MainServices {
    IClock& clock;  // the window's clock line and the LED history's times
    CStation& station;
    CDatabase& database;
};

class CMainWindow : public QWidget, public IStationObserver {
    Q_OBJECT
public:
    // The window's image buttons: each shows a page or does one thing.
    enum ButtonId {
        kNoButton,  // a page shown only beside another one
        kTasks,
        kPlay,
        kReceiver,
        kLED,
        kUsers,
        kSettings,
        kLogin,
        kLogoff,
        kExit,
        kMinimise,
        kHistory,
    };
    static constexpr auto kClockPeriod = std::chrono::milliseconds(1000);

    // Observes `services.station` from here on; the caller starts it.
    explicit CMainWindow(const MainServices& services, QWidget* parent = nullptr);
    ~CMainWindow() override;

    // IStationObserver: called on the station's threads.
    void Notify(WindowMessage message) override;
    void ShowDatabaseError(const std::string& description) override;

    // Restores the window if minimised and brings it, or the window it shows on top, to the front.
    void BringToFront();

    // The clock timer's body, also reached directly by tests.
    void RefreshClock();
    // The exit button: confirmation, then the exit sequence. Returns false when not confirmed.
    bool Exit();
    // The exit sequence without the question: the station's, then the window goes and Exited is
    // emitted. Also run when the program is asked to terminate.
    void RunExitSequence();
    // A termination signal: the exit sequence, then every box and dialog still open on top is
    // closed, so the program ends even while one waits for an operator who is not there.
    void Terminate();

    QAbstractButton* Button(ButtonId id) const;
    CTransparentLabel* PageTitle() const { return m_pageTitle; }
    CTransparentLabel* LinkStatus() const { return m_linkStatus; }
    // Shown when a broadcast failed since the history was last looked at; a click opens it there.
    QPushButton* FailureMark() const { return m_failureMark; }
    CTransparentLabel* Clock() const { return m_clock; }
    CEmergencyControl* Emergency() const { return m_emergency; }
    QMenu* SystemMenu() const { return m_systemMenu; }
    CShutdownNotice* ShutdownNotice() const { return m_shutdownNotice.get(); }

    CTaskListPage* TaskListPage() const { return m_taskListPage; }
    CPlayPage* PlayPage() const { return m_playPage; }
    CReceiverPage* ReceiverPage() const { return m_receiverPage; }
    CLedPage* LEDPage() const { return m_ledPage; }
    CSettingsPage* SettingsPage() const { return m_settingsPage; }
    CUserPage* UserPage() const { return m_userPage; }
    CZoneControlPage* ZoneControlPage() const { return m_zoneControlPage; }
    CDlgLogin* LoginDialog() const { return m_loginDialog; }
    CHistoryPage* HistoryPage() const { return m_historyPage; }

signals:
    // The exit sequence has run: the program may end.
    void Exited();

protected:
    // WindowMessage::kLinkStatus, kEmergency, kHistoryFailure and kShutdown
    bool event(QEvent* event) override;
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

    void SetUpWindow();
    void SetUpTimers();
    void CreateControls();
    void OnButton(ButtonId id);
    void CreatePages();
    void ConnectZonePages();
    // After a restore, once the station has been told (it arms the automatic shutdown from the
    // restored setting): every page that shows stored rows or settings reads them again.
    void ReloadPages();
    void ShowZoneControl();
    template <typename Page>
    Page* AddPage(ButtonId button, Page* page, bool withZoneControl = false);
    void ShowPage(ButtonId id);
    void HidePagesBut(const QWidget* keep);
    void LogOff();
    void OnLoggedIn(const QString& name, UserRole role);
    // Enables what the logged-in user's role allows.
    void ApplyRole();
    void RunLogin();
    void ShowAbout();
    void OnLinkStatus();
    void OnFailureMark();
    void OnShutdownChanged();
    void RebuildBackground();
    void CentreOnScreen();

    MainServices m_services;
    CKeySwallower* m_keySwallower;
    QImage m_backgroundImage;
    QPixmap m_background;  // the image stretched over the client area
    std::map<int, CImageButton*> m_buttons;
    CTransparentLabel* m_pageTitle;
    CTransparentLabel* m_linkStatus;
    QPushButton* m_failureMark;
    CTransparentLabel* m_clock;
    CEmergencyControl* m_emergency;
    QMenu* m_systemMenu;

    // The page table, in creation order, and each page by its type.
    std::vector<PageSlot> m_pages;
    CTaskListPage* m_taskListPage;
    CPlayPage* m_playPage;
    CReceiverPage* m_receiverPage;
    CLedPage* m_ledPage;
    CSettingsPage* m_settingsPage;
    CUserPage* m_userPage;
    CZoneControlPage* m_zoneControlPage;
    CDlgLogin* m_loginDialog;
    CHistoryPage* m_historyPage;

    QTimer m_clockTimer;   // refreshes the clock line every kClockPeriod
    QTimer m_modalCloser;  // after a termination signal, closes what opens while the rest unwinds
    // A window of its own, not one the main window owns: it shows even while that is minimised.
    std::unique_ptr<CShutdownNotice> m_shutdownNotice;
    bool m_started = false;  // the first show ran the rest of the start-up
    bool m_exiting = false;
    QPoint m_dragOffset;
    bool m_dragging = false;
};

}  // namespace lumetra
