#include "app/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <ctime>

#include "app/ClockLineText.h"
#include "app/DlgAbout.h"
#include "app/EmergencyControl.h"
#include "app/ExitQuestion.h"
#include "app/KeySwallower.h"
#include "app/ShutdownNotice.h"
#include "app/TerminationSignals.h"
#include "base/Logger.h"
#include "pages/AnnouncementGroup.h"
#include "pages/AudioOutputBox.h"
#include "pages/DatabaseGroup.h"
#include "pages/DbErrorReport.h"
#include "pages/DlgLogin.h"
#include "pages/DlgSpeech.h"
#include "pages/HistoryPage.h"
#include "pages/LedPage.h"
#include "pages/PlayPage.h"
#include "pages/ReceiverPage.h"
#include "pages/RetentionGroup.h"
#include "pages/SettingsPage.h"
#include "pages/ShutdownGroup.h"
#include "pages/TaskListPage.h"
#include "pages/UserPage.h"
#include "pages/ZoneControlPage.h"
#include "pages/ZoneEditor.h"
#include "schedule/Clock.h"
#include "station/Station.h"
#include "store/Autostart.h"
#include "store/Database.h"
#include "store/DbError.h"
#include "store/LoggedIn.h"
#include "widgets/AdministratorOnly.h"
#include "widgets/ImageButton.h"
#include "widgets/MessageBox.h"
#include "widgets/TransparentLabel.h"
#include "widgets/WindowEvent.h"

static void InitLumetraResources() {
    Q_INIT_RESOURCE(lumetra);
}

namespace lumetra {
namespace {

const QString kLinkUpText = QStringLiteral("联机控制:联机正常");
const QString kLinkDownText = QStringLiteral("联机控制:联机异常");
// On the status bar's blue, each link state in a colour of its own, all easy to read.
const QColor kLinkUpColour(144, 238, 144);
const QColor kLinkDownColour(255, 200, 60);
const QColor kClockColour(255, 255, 255);

struct ButtonLayout {
    CMainWindow::ButtonId id;
    QRect place;
    const char* image;
    const char* title;  // the page title it shows, or the button's tip
};

const ButtonLayout kButtonLayout[] = {
    {CMainWindow::kTasks, {32, 132, 118, 60}, ":/images/btn_tasks.png", "任务列表"},
    {CMainWindow::kPlay, {32, 202, 118, 60}, ":/images/btn_play.png", "即时播放"},
    {CMainWindow::kReceiver, {32, 272, 118, 60}, ":/images/btn_receiver.png", "接收管理"},
    {CMainWindow::kLED, {32, 342, 118, 60}, ":/images/btn_led.png", "LED管理"},
    {CMainWindow::kUsers, {32, 412, 118, 60}, ":/images/btn_users.png", "用户管理"},
    {CMainWindow::kSettings, {32, 482, 118, 60}, ":/images/btn_settings.png", "系统设置"},
    {CMainWindow::kHistory, {32, 552, 118, 60}, ":/images/btn_history.png", "播放记录"},
    {CMainWindow::kLogin, {780, 8, 44, 54}, ":/images/btn_login.png", "登录"},
    {CMainWindow::kLogoff, {830, 8, 44, 54}, ":/images/btn_logoff.png", "注销"},
    {CMainWindow::kMinimise, {880, 8, 59, 54}, ":/images/btn_minimise.png", "最小化"},
    {CMainWindow::kExit, {945, 8, 44, 54}, ":/images/btn_exit.png", "退出"},
};

// The buttons that stay locked until an operator logs in.
constexpr CMainWindow::ButtonId kLockedButtons[] = {
    CMainWindow::kTasks, CMainWindow::kPlay,     CMainWindow::kReceiver, CMainWindow::kLED,
    CMainWindow::kUsers, CMainWindow::kSettings, CMainWindow::kHistory,  CMainWindow::kLogoff};

}  // namespace

CMainWindow::CMainWindow(const MainServices& services, QWidget* parent)
    : QWidget(parent), m_services(services), m_keySwallower(new CKeySwallower(this)) {
    InitLumetraResources();
    // From here on users and settings change only while an administrator is logged in.
    StartLoginGuard();
    qApp->installEventFilter(m_keySwallower);
    CKeySwallower::Mark(this);

    m_shutdownNotice = std::make_unique<CShutdownNotice>(m_services.station, this);
    SetUpWindow();
    CreateControls();
    CreatePages();
    m_services.station.SetObserver(this);

    m_settingsPage->SetStartWithSystem(AutostartEntryExists());
    LogOff();
    RefreshClock();
    SetUpTimers();
}

void CMainWindow::SetUpWindow() {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
    setWindowTitle(QStringLiteral("Lumetra"));
    setWindowIcon(QIcon(QStringLiteral(":/images/icon.png")));
    setFixedSize(1024, 668);
    CentreOnScreen();
    m_backgroundImage.load(QStringLiteral(":/images/background.png"));
    RebuildBackground();

    m_systemMenu = new QMenu(this);
    m_systemMenu->addAction(QStringLiteral("最小化(&N)"), this, &QWidget::showMinimized);
    m_systemMenu->addSeparator();
    m_systemMenu->addAction(QStringLiteral("关于 Lumetra(&A)..."), this, &CMainWindow::ShowAbout);
}

// The clock is set up here and started once the window is first shown.
void CMainWindow::SetUpTimers() {
    m_clockTimer.setInterval(kClockPeriod);
    m_clockTimer.callOnTimeout(this, &CMainWindow::RefreshClock);
}

CMainWindow::~CMainWindow() {
    // The pages the station posts to go away now.
    m_services.station.SetObserver(nullptr);
    m_services.station.SetPortView(nullptr);
    DbErrorBox().Close();
    qApp->removeEventFilter(m_keySwallower);
    EndLoginGuard();
}

void CMainWindow::CreateControls() {
    for (const ButtonLayout& layout : kButtonLayout) {
        auto* button =
            new CImageButton(QString::fromUtf8(layout.image), QString::fromUtf8(layout.title), this);
        button->setGeometry(layout.place);
        m_buttons[layout.id] = button;
        connect(button, &QAbstractButton::clicked, this, [this, id = layout.id] { OnButton(id); });
    }
    m_pageTitle = new CTransparentLabel(QColor(0, 0, 255), 20, this);
    m_pageTitle->setGeometry(211, 98, 400, 32);
    m_pageTitle->setText(QStringLiteral("任务列表"));
    m_linkStatus = new CTransparentLabel(kLinkDownColour, 14, this);
    m_linkStatus->setGeometry(20, 639, 180, 20);
    m_linkStatus->setText(kLinkDownText);
    m_failureMark = new QPushButton(QStringLiteral("● 有播放失败"), this);
    m_failureMark->setGeometry(622, 637, 124, 24);  // between the emergency line and the clock
    m_failureMark->setFlat(true);
    m_failureMark->setCursor(Qt::PointingHandCursor);
    m_failureMark->setToolTip(QStringLiteral("有广播未能按计划播放，点击查看播放记录"));
    m_failureMark->setStyleSheet(
        QStringLiteral("QPushButton { color: rgb(255, 90, 90); font-weight: bold; border: none; }"));
    m_failureMark->hide();
    connect(m_failureMark, &QPushButton::clicked, this, &CMainWindow::OnFailureMark);
    m_clock = new CTransparentLabel(kClockColour, 14, this);
    m_clock->setGeometry(750, 639, 250, 20);
    m_emergency = new CEmergencyControl(m_services.station, this, m_pageTitle);
}

void CMainWindow::OnButton(ButtonId id) {
    switch (id) {
        case kLogin:
            RunLogin();
            break;
        case kLogoff:
            // The way back in opens at once; no page, and no page's title, stays behind.
            LogOff();
            m_emergency->SetPageTitle({});
            m_loginDialog->ShowCentred();
            break;
        case kMinimise:
            showMinimized();
            break;
        case kExit:
            Exit();
            break;
        default:
            ShowPage(id);
            break;
    }
}

void CMainWindow::CreatePages() {
    CDatabase& db = m_services.database;
    m_taskListPage = AddPage(kTasks, new CTaskListPage(db, this));
    m_playPage = AddPage(kPlay, new CPlayPage(db, m_services.station.Playback(), this), true);
    m_receiverPage = AddPage(kReceiver, new CReceiverPage(m_services.station, this), true);
    m_ledPage = AddPage(kLED, new CLedPage(m_services.station, db, this));
    m_settingsPage = AddPage(kSettings, new CSettingsPage(m_services.station, db, this));
    m_userPage = AddPage(kUsers, new CUserPage(db, this));
    m_zoneControlPage = AddPage(kNoButton, new CZoneControlPage(m_services.station, db, this));
    m_historyPage = AddPage(kHistory, new CHistoryPage(db, m_services.clock, this));
    ConnectZonePages();
    connect(m_settingsPage->DatabaseGroup(), &CDatabaseGroup::Restored, this, &CMainWindow::ReloadPages);
    m_loginDialog = new CDlgLogin(db, this);
    connect(m_loginDialog, &CDlgLogin::LoggedIn, this, &CMainWindow::OnLoggedIn);
    connect(m_userPage, &CUserPage::OwnRoleChanged, this, &CMainWindow::ApplyRole);
    m_taskListPage->LoadTasks();
    HidePagesBut(m_taskListPage);
    m_loginDialog->hide();
}

void CMainWindow::ConnectZonePages() {
    m_receiverPage->SetFlagSource(
        [page = m_zoneControlPage]() -> const ChannelFlags& { return page->RefreshFlags(); });
    CZoneEditor* editor = m_settingsPage->ZoneEditor();
    connect(m_zoneControlPage, &CZoneControlPage::ChannelMoved, editor,
            [editor](const std::string& target, const std::string& former) {
                editor->RememberMoveZones(target, former);
                editor->LoadZoneTree();
            });
    connect(m_settingsPage->MonitorOutput(), &CAudioOutputBox::Chosen, this, [this] {
        if (CDlgSpeech* speech = m_zoneControlPage->Announcement()->SpeechDialog())
            speech->ShowMonitorChoice();
    });
}

void CMainWindow::ReloadPages() {
    m_taskListPage->LoadTasks();
    m_userPage->LoadUserList();
    m_settingsPage->ZoneEditor()->LoadZoneTree();
    m_zoneControlPage->ReloadTree();
    m_playPage->LoadMode();
    m_ledPage->LoadHistory();
    m_settingsPage->RetentionGroup()->ShowSetting();
    if (m_historyPage->isVisible()) m_historyPage->Load();
}

template <typename Page>
Page* CMainWindow::AddPage(ButtonId button, Page* page, bool withZoneControl) {
    m_pages.push_back({button, page, withZoneControl});
    return page;
}

QAbstractButton* CMainWindow::Button(ButtonId id) const {
    return m_buttons.at(id);
}

void CMainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_started) return;
    m_started = true;
    // The rest of the start-up needs the window on screen: the login window centres over it.
    m_loginDialog->ShowCentred();
    Logger().Log("main window: login window shown");
    m_clockTimer.start();
}

void CMainWindow::ShowPage(ButtonId id) {
    const auto slot =
        std::find_if(m_pages.begin(), m_pages.end(), [id](const PageSlot& s) { return s.button == id; });
    if (id == kNoButton || slot == m_pages.end()) return;
    if (id == kSettings && !MayAdminister()) return;
    // The chosen page is never hidden on the way, so it sees no hide and show it did not need.
    HidePagesBut(slot->page);
    if (id == kSettings) m_settingsPage->ZoneEditor()->LoadZoneTree();
    if (id == kHistory) {
        m_failureMark->hide();  // looked at
        m_historyPage->Load();
    }
    slot->page->show();
    if (slot->withZoneControl) ShowZoneControl();
    for (const ButtonLayout& layout : kButtonLayout)
        if (layout.id == id) m_emergency->SetPageTitle(QString::fromUtf8(layout.title));
}

void CMainWindow::ShowZoneControl() {
    // Zones changed on the settings page: the ticks survive the reload as switched-on marks.
    bool& zonesChanged = m_settingsPage->ZoneEditor()->m_zonesChanged;
    if (zonesChanged) m_zoneControlPage->ReloadZones();
    zonesChanged = false;
    m_zoneControlPage->show();
}

void CMainWindow::HidePagesBut(const QWidget* keep) {
    for (const PageSlot& slot : m_pages)
        if (slot.page != keep) slot.page->hide();
}

void CMainWindow::LogOff() {
    for (ButtonId id : kLockedButtons) m_buttons.at(id)->setEnabled(false);
    HidePagesBut(nullptr);
    // A password half typed on any page goes with the operator who typed it.
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        if (edit->echoMode() != QLineEdit::Normal) edit->clear();
    m_services.station.SetOperator({}, UserRole::kOperator);
}

void CMainWindow::OnLoggedIn(const QString& name, UserRole role) {
    m_services.station.SetOperator(name.toStdString(), role);
    for (ButtonId id : kLockedButtons) m_buttons.at(id)->setEnabled(true);
    ApplyRole();
    ShowPage(kTasks);
}

void CMainWindow::ApplyRole() {
    // An operator runs the broadcast; settings, the calendar and other users are the administrators'.
    const bool administrator = MayAdminister();
    AllowAdministratorsOnly(m_buttons.at(kSettings), administrator);
    AllowAdministratorsOnly(m_taskListPage->CalendarButton(), administrator);
    m_userPage->LoadUserList();
    if (!administrator && m_settingsPage->isVisible()) ShowPage(kTasks);
}

void CMainWindow::RunLogin() {
    m_loginDialog->exec();
}

void CMainWindow::ShowAbout() {
    CDlgAbout about(this);
    about.exec();
}

void CMainWindow::BringToFront() {
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
    // The window it shows on top of itself comes first: a box, a modal dialog, or the login.
    QWidget* front = QApplication::activeModalWidget();
    if (!front && m_loginDialog->isVisible()) front = m_loginDialog;
    if (front) {
        front->raise();
        front->activateWindow();
    }
}

void CMainWindow::RefreshClock() {
    const std::time_t now = m_services.clock.Now();
    std::tm local{};
    localtime_r(&now, &local);
    m_clock->setText(QString::fromStdString(ClockLineText(local)));
}

bool CMainWindow::Exit() {
    if (m_exiting) return false;
    if (ShowMessage(this, ExitQuestion(m_services.station), MbButtons::kOkCancel, MbIcon::kQuestion) !=
        MbResult::kOk)
        return false;
    RunExitSequence();
    return true;
}

void CMainWindow::RunExitSequence() {
    if (m_exiting) return;
    m_exiting = true;
    m_services.station.Shutdown();
    m_clockTimer.stop();
    m_loginDialog->hide();
    hide();
    emit Exited();
}

void CMainWindow::Terminate() {
    RunExitSequence();
    CloseModalWindows(this);
    m_modalCloser.callOnTimeout(this, [this] { CloseModalWindows(this); });
    m_modalCloser.start(50);
}

void CMainWindow::closeEvent(QCloseEvent* event) {
    // A close request from the desktop takes the same road as the exit button.
    event->ignore();
    Exit();
}

bool CMainWindow::event(QEvent* event) {
    if (event->type() == CWindowEvent::TypeOf(WindowMessage::kLinkStatus)) {
        OnLinkStatus();
        return true;
    }
    if (event->type() == CWindowEvent::TypeOf(WindowMessage::kEmergency)) {
        m_emergency->Show();
        // Its start stops 试听 too.
        CDlgSpeech* speech = m_zoneControlPage->Announcement()->SpeechDialog();
        if (speech && m_services.station.InEmergency()) speech->StopListening();
        return true;
    }
    if (event->type() == CWindowEvent::TypeOf(WindowMessage::kHistoryFailure)) {
        m_failureMark->show();
        return true;
    }
    if (event->type() == CWindowEvent::TypeOf(WindowMessage::kShutdown)) {
        OnShutdownChanged();
        return true;
    }
    return QWidget::event(event);
}

void CMainWindow::OnFailureMark() {
    // The history is an operator's page like the others: without a login the login comes first.
    if (!m_buttons.at(kHistory)->isEnabled()) {
        m_loginDialog->ShowCentred();
        return;
    }
    ShowPage(kHistory);
    m_historyPage->ShowLatestFailure();
}

void CMainWindow::OnLinkStatus() {
    const bool up = m_services.station.IsLinkUp();
    m_linkStatus->setText(up ? kLinkUpText : kLinkDownText);
    m_linkStatus->SetTextColour(up ? kLinkUpColour : kLinkDownColour);
}

void CMainWindow::Notify(WindowMessage message) {
    switch (message) {
        case WindowMessage::kZoneRefresh:
        case WindowMessage::kPowerRefresh:
        case WindowMessage::kAnnouncement:
            PostWindowMessage(m_zoneControlPage, message);
            break;
        case WindowMessage::kPlaybackChanged:
            PostWindowMessage(m_playPage, message);
            break;
        case WindowMessage::kTasksChanged:
            PostWindowMessage(m_taskListPage, message);
            break;
        case WindowMessage::kLinkStatus:
        case WindowMessage::kEmergency:
        case WindowMessage::kHistoryFailure:
        case WindowMessage::kShutdown:
            PostWindowMessage(this, message);
            break;
    }
}

void CMainWindow::ShowDatabaseError(const std::string& description) {
    DbErrorBox().Report(description);
}

void CMainWindow::OnShutdownChanged() {
    m_shutdownNotice->Follow(m_services.station.AutoShutdownView());
    m_settingsPage->ShutdownGroup()->ShowSetting();
}

void CMainWindow::CentreOnScreen() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void CMainWindow::RebuildBackground() {
    m_background =
        QPixmap::fromImage(m_backgroundImage.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    update();
}

void CMainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    RebuildBackground();
}

void CMainWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_background);
}

void CMainWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    // Any free point of the background drags the window; the desktop does it where it can.
    if (windowHandle() && windowHandle()->startSystemMove()) return;
    m_dragging = true;
    m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void CMainWindow::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - m_dragOffset);
}

void CMainWindow::mouseReleaseEvent(QMouseEvent* event) {
    m_dragging = false;
    QWidget::mouseReleaseEvent(event);
}

void CMainWindow::contextMenuEvent(QContextMenuEvent* event) {
    m_systemMenu->exec(event->globalPos());
}

}  // namespace lumetra
