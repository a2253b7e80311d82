// Broadcasts the operator starts by hand, run through the program's start path against the
// simulator. The emergency button: logged out, one question, everything on with the generated
// siren, the state shown on the button, the status bar and the page title; a termination signal
// during it still runs the exit sequence; the alarm file chosen on the settings page. Announcements
// from the zone control page, with a test tone as the microphone: "讲话" clicked (talks on until the
// next click) or held (ends on release), refused without ticks or without a microphone; the spoken
// text dialog refusing an empty text, saving a file, playing it to the ticked receivers, and
// dropping a render when closed.
#include <climits>
#include <csignal>

#include "AppTestKit.h"
#include "app/EmergencyControl.h"
#include "app/TerminationSignals.h"
#include "audio/AudioOutput.h"
#include "audio/SirenTone.h"
#include "base/WorkerThread.h"
#include "pages/AlarmFileGroup.h"
#include "pages/AnnouncementGroup.h"
#include "pages/AudioOutputBox.h"
#include "pages/DlgSpeech.h"
#include "pages/ZoneControlPage.h"
#include "station/EmergencyAlarm.h"
#include "station/EmergencyRefusal.h"
#include "store/HistoryTable.h"
#include "tests/support/TestSoundCard.h"
#include "widgets/CheckTree.h"
#include "widgets/PathLabel.h"
#include "widgets/TransparentLabel.h"
#include "widgets/UserSettings.h"

using namespace lumetra;
using namespace lumetra::test;

namespace {

const std::time_t kMondayMorning = LocalTime(2026, 3, 2, 9, 0, 0);

}  // namespace

class OperatorBroadcastTest : public QObject {
    Q_OBJECT

    CPrivateHome m_home;  // the configuration and the siren go here

    QString SirenPath() const { return m_home.File("lumetra/siren.wav"); }
    // What an emergency would play now.
    static QString Alarm() { return ToQ(EmergencyAlarmFile(CUserSettings().AlarmFile())); }

    // Outlet 4 switched on now reaches the transmitter with no receiver switched on before it.
    static void ExpectNoReceiverSwitchedOn(CMainRig& rig) {
        rig.Station().ToggleOutlet(4);
        std::vector<std::string> before;
        QVERIFY(rig.simulator.WaitForFrame("SendPower", "outlets on: 4", 5000, nullptr, &before));
        for (const std::string& frame : before)
            QVERIFY2(frame.find("channels on") == std::string::npos, frame.c_str());
    }

    // Lines of the history other than the link's.
    static size_t NonLinkLines() {
        std::vector<HistoryRecord> lines = CHistoryTable(AppConnection()).Records(0, INT_MAX);
        return std::count_if(lines.begin(), lines.end(),
                             [](const HistoryRecord& line) { return line.kind != RecordKind::kLink; });
    }

private slots:
    // "试听" plays on the tests' own sound card.
    void initTestCase() {
        QVERIFY(RegisterTestSoundCard());
        SetChosenMonitorOutput(kTestCardName);
    }
    void init() { qputenv("LUMETRA_PAGING_SOURCE", "audiotestsrc is-live=true wave=sine freq=440"); }

    // The frames of an emergency's start and stop: HistoryTest.SendsAnnouncementsEmergencies...
    // The alarm file chosen on the settings page: a missing one refused, one gone since falls back
    // to the siren, which the emergency then plays. While it lasts the zone control page's switches
    // are refused; its start asks with 取消 as the default, and a start right after the stop is
    // ignored.
    void emergencyIsConfirmedOnceLoggedOutShownAndStopped() {
        CMainRig rig(kMondayMorning);
        rig.LogIn();  // the alarm file is an administrator's setting
        CAlarmFileGroup& group = *rig.main->SettingsPage()->AlarmGroup();
        const QString chosen = QString::fromStdString(Fixture(kWav));
        group.Choose(chosen);
        QCOMPARE(Alarm(), chosen);
        QVERIFY(group.FileLabel()->text().endsWith(QFileInfo(chosen).fileName()));

        group.Choose(m_home.File("没有.mp3"));
        QVERIFY(rig.boxes.Texts().back().contains(m_home.File("没有.mp3")));
        QCOMPARE(Alarm(), chosen);  // unchanged

        QVERIFY(QFile::copy(chosen, m_home.File("gone.wav")));
        group.Choose(m_home.File("gone.wav"));
        QVERIFY(QFile::remove(m_home.File("gone.wav")));
        QCOMPARE(Alarm(), SirenPath());  // a file gone since falls back to the siren

        group.ChooseSiren();
        QCOMPARE(Alarm(), SirenPath());
        QVERIFY(group.FileLabel()->text().contains(QString("警笛")));
        Click(rig.main->Button(CMainWindow::kLogoff));
        rig.boxes.shown.clear();

        CMainWindow& main = *rig.main;
        QPushButton* button = main.Emergency()->Button();
        CPlayback& playback = rig.Station().Playback();
        // The station's emergency, the button, the status line, the titles and the playback.
        const auto seen = [&] {
            const QString onAir = CEmergencyControl::kOnAirText;
            const bool titled =
                main.PageTitle()->text().contains(onAir) && main.windowTitle().contains(onAir);
            return QString("%1|%2|%3|%4|%5")
                .arg(rig.Station().InEmergency())
                .arg(button->text(), main.Emergency()->StatusLine()->text())
                .arg(titled)
                .arg(playback.State().status == PlayStatus::kPlaying);
        };
        const QString off = QString("0|%1||0|0").arg(CEmergencyControl::kStartText);
        QVERIFY(main.LoginDialog()->isVisible());  // nobody is logged in
        rig.boxes.answer = MbResult::kCancel;
        Click(button);
        QCOMPARE(rig.boxes.shown.back().buttons, MbButtons::kOkCancelSafe);
        QCOMPARE(seen(), off);
        Click(button);
        QTRY_COMPARE(seen(),
                     QString("1|%1|%2|1|1").arg(CEmergencyControl::kStopText, CEmergencyControl::kOnAirText));
        QCOMPARE(playback.List(), std::vector<std::string>{SirenPath().toStdString()});
        QCOMPARE(QFileInfo(SirenPath()).size(), qint64{44 + 2 * kSirenRate * kSirenSeconds});
        // Manual switching is refused while it lasts: the page says why and everything stays on.
        CZoneControlPage& zones = *main.ZoneControlPage();
        QTRY_VERIFY(zones.PowerButton(1)->isChecked());
        Click(zones.CloseAllButton());
        Click(zones.PowerButton(1));
        QCOMPARE(rig.boxes.Texts().mid(2), QStringList(2, QString::fromUtf8(kEmergencyRefusal)));
        QVERIFY(zones.PowerButton(1)->isChecked() && rig.Station().Outlet(1));
        Click(button);  // the stop asks nothing
        QCOMPARE(rig.boxes.shown.size(), size_t{4});
        QTRY_COMPARE(seen(), off);
        Click(button);  // the second click of a double click, answered as Enter would
        QCOMPARE(rig.boxes.shown.size(), size_t{5});
        QCOMPARE(seen(), off);
    }

    // A termination signal during an emergency, while a box waits for an operator who is not there:
    // the exit sequence runs at once, the box goes, the window ends, the all-off frames for the
    // receivers and the outlets go out.
    void aTerminationSignalDuringAnEmergencyRunsTheExitSequence() {
        CMainRig rig(kMondayMorning);
        CTerminationSignals termination;
        connect(&termination, &CTerminationSignals::TerminationRequested, rig.main, &CMainWindow::Terminate);
        QSignalSpy exited(rig.main, &CMainWindow::Exited);
        // Frames are refused until the port is open, which a loaded machine may take a while to do.
        QTRY_VERIFY_WITH_TIMEOUT(rig.link.IsLinkUp(), 10000);
        Click(rig.main->Emergency()->Button());
        QVERIFY(rig.simulator.WaitForFrame("SendPower", "outlets on: all", 5000));
        QMessageBox box(QMessageBox::Question, "Lumetra", "确定要退出吗？",
                        QMessageBox::Ok | QMessageBox::Cancel, rig.main);
        QElapsedTimer elapsed;
        QTimer::singleShot(0, &box, [&] {  // runs in the box's own loop
            QCOMPARE(QApplication::activeModalWidget(), &box);
            elapsed.start();
            ::raise(SIGTERM);
        });
        box.exec();
        QTRY_COMPARE(exited.count(), 1);
        QVERIFY2(elapsed.elapsed() < 3000, qPrintable(QString("%1 ms").arg(elapsed.elapsed())));
        QVERIFY(rig.simulator.WaitForFrame("SendAudioCom", "channels off: all", 3000));
        QVERIFY(rig.simulator.WaitForFrame("ClosePower", "all outlets off", 3000));
        QVERIFY(!rig.link.IsRunning() && !rig.main->isVisible());
    }

    // On the zone control page with 005CH ticked. "讲话" clicked talks on until the next click, held
    // it ends on release; refused without ticks or without a microphone, it switches nothing. The
    // spoken text dialog refuses an empty text, saves a file and plays it to the ticked receivers.
    void announcementsReachTheTickedReceivers() {
        CMainRig rig(kMondayMorning);
        rig.LogIn();
        Click(rig.main->Button(CMainWindow::kPlay));
        QTreeWidgetItem* ticked = Item(rig.main->ZoneControlPage()->Tree(), "005CH");
        CCheckTree::SetCheck(ticked, true);
        CAnnouncementGroup& group = *rig.main->ZoneControlPage()->Announcement();
        QPushButton* talk = group.TalkButton();
        CAnnouncer& announcer = rig.Station().Announcer();
        for (const bool held : {false, true}) {
            held ? QTest::mousePress(talk, Qt::LeftButton) : Click(talk);
            QVERIFY(rig.simulator.WaitForFrame("SendAudioCom", "channels on: 5", 5000));
            QTRY_VERIFY_WITH_TIMEOUT(announcer.IsLive(), 5000);
            if (!held) QCOMPARE(talk->text(), QString(CAnnouncementGroup::kEndTalkText));
            held ? QTest::mouseRelease(talk, Qt::LeftButton, {}, {}, CAnnouncementGroup::kHoldMs)
                 : Click(talk);
            QVERIFY(rig.simulator.WaitForFrame("SendAudioCom", "channels off: 5", 5000));
            QTRY_VERIFY(!announcer.IsOn());
            QCOMPARE(talk->text(), QString(CAnnouncementGroup::kTalkText));
        }

        CCheckTree::SetCheck(ticked, false);
        Click(talk);
        QCOMPARE(rig.boxes.Texts(), QStringList{"请先勾选要讲话的区域。"});
        qputenv("LUMETRA_PAGING_SOURCE", "none");
        CCheckTree::SetCheck(ticked, true);
        Click(talk);
        QTRY_COMPARE(rig.boxes.Texts().size(), 2);
        QCOMPARE(rig.boxes.Texts().back(), QString(CAnnouncer::kNoMicrophoneText));
        QCOMPARE(talk->text(), QString(CAnnouncementGroup::kTalkText));
        ExpectNoReceiverSwitchedOn(rig);  // after both refusals

        Click(group.SpeechButton());
        CDlgSpeech& dialog = *group.SpeechDialog();
        QSignalSpy done(&dialog, &CDlgSpeech::Done);
        Click(dialog.PlayButton());
        QVERIFY(done.wait(5000));
        QCOMPARE(rig.boxes.Texts().back(), QString("请输入要朗读的文字。"));
        dialog.TextEdit()->setPlainText("请注意，下午三点开会。");
        dialog.SaveTo(m_home.File("通知.wav"));
        QVERIFY(done.wait(5000));
        QVERIFY(QFileInfo(m_home.File("通知.wav")).size() > 22050);  // more than half a second of speech
        Click(dialog.PlayButton());
        QVERIFY(done.wait(5000));
        QVERIFY(rig.simulator.WaitForFrame("SendAudioCom", "channels on: 5", 5000));
        QVERIFY(rig.simulator.WaitForFrame("SendAudioCom", "channels off: 5", 15000));
        QCOMPARE(rig.boxes.Texts().size(), 3);

        // Closed mid-render, the dialog drops the render: its buttons work again at once, and the
        // next text is the only one heard and the only one kept.
        const QString longText = QStringLiteral("各位同学请注意，现在进行消防疏散演练。").repeated(20);
        dialog.TextEdit()->setPlainText(longText);
        dialog.SpeedSlider()->setValue(CSpeechRenderer::kSlowest);
        done.clear();
        Click(dialog.ListenButton());
        QVERIFY(!dialog.ListenButton()->isEnabled());
        dialog.close();
        Click(group.SpeechButton());
        dialog.TextEdit()->setPlainText("好");
        Click(dialog.ListenButton());
        QVERIFY(done.wait(5000));
        QCOMPARE(done.count(), 1);
        QCOMPARE(JoinLingeringThreads(std::chrono::seconds(5)), size_t(0));
        const CSpeechRenderer cache(SpeechCacheFolder());
        QVERIFY(QFileInfo::exists(ToQ(cache.CachePath("好", CSpeechRenderer::kSlowest))));
        QVERIFY(!QFileInfo::exists(ToQ(cache.CachePath(longText.toStdString(), CSpeechRenderer::kSlowest))));
    }

    // "试听" plays on the monitor output chosen on the settings page, and only there: the operator's
    // list plays on, no receiver is switched, no history line is written. Without a monitor it is
    // disabled and says where to choose one; its stop button and closing the dialog stop it; an
    // emergency stops it and refuses it.
    void listeningPlaysOnTheMonitorOnly() {
        SetChosenMonitorOutput("");
        CMainRig rig(kMondayMorning);
        rig.LogIn();
        Click(rig.main->Button(CMainWindow::kPlay));
        CAnnouncementGroup& group = *rig.main->ZoneControlPage()->Announcement();
        Click(group.SpeechButton());
        CDlgSpeech& dialog = *group.SpeechDialog();
        QPushButton* listen = dialog.ListenButton();
        QVERIFY(!listen->isEnabled());
        QVERIFY(listen->toolTip().contains("监听输出"));

        CAudioOutputBox& monitor = *rig.main->SettingsPage()->MonitorOutput();
        const QString card = QString::fromUtf8(kTestCardName);
        QTRY_VERIFY_WITH_TIMEOUT(monitor.findData(card) > 0, 5000);
        monitor.setCurrentIndex(monitor.findData(card));
        emit monitor.activated(monitor.currentIndex());
        QVERIFY(listen->isEnabled());
        QCOMPARE(CUserSettings().MonitorOutput(), std::string(kTestCardName));

        CPlayback& playback = rig.Station().Playback();
        playback.SetOperatorList({Fixture(kWav)});
        playback.Play(-1);
        QTRY_COMPARE(playback.State().status, PlayStatus::kPlaying);
        const size_t lines = NonLinkLines();
        QSignalSpy done(&dialog, &CDlgSpeech::Done);
        dialog.TextEdit()->setPlainText(QStringLiteral("请注意，这是试听。").repeated(4));
        const int64_t heard = TestCardBuffers();
        Click(listen);
        QVERIFY(done.wait(10000));
        QTRY_VERIFY(TestCardBuffers() > heard);
        QCOMPARE(playback.State().status, PlayStatus::kPlaying);
        QVERIFY(dialog.StopListeningButton()->isEnabled());
        Click(dialog.StopListeningButton());
        QTRY_COMPARE(TestCardSinks(), 0);
        QVERIFY(!dialog.StopListeningButton()->isEnabled());

        Click(listen);
        QVERIFY(done.wait(5000));
        QTRY_COMPARE(TestCardSinks(), 1);
        dialog.close();
        QTRY_COMPARE(TestCardSinks(), 0);
        QCOMPARE(NonLinkLines(), lines);
        ExpectNoReceiverSwitchedOn(rig);

        Click(group.SpeechButton());
        Click(listen);
        QVERIFY(done.wait(5000));
        QTRY_COMPARE(TestCardSinks(), 1);
        rig.Station().StartEmergency("");
        QTRY_COMPARE(TestCardSinks(), 0);
        Click(listen);
        QCOMPARE(rig.boxes.Texts().back(), QString::fromUtf8(kEmergencyRefusal));
        rig.Station().StopEmergency();
    }

    // "讲话" while a spoken text plays to 005CH: the text ends at once, the talk's receivers come on
    // without any going off between, the microphone goes on air, and the history keeps the text's
    // start and end before the talk's.
    void aTalkTakesOverFromASpokenText() {
        CMainRig rig(kMondayMorning);
        rig.LogIn();
        Click(rig.main->Button(CMainWindow::kPlay));
        CCheckTree::SetCheck(Item(rig.main->ZoneControlPage()->Tree(), "005CH"), true);
        CAnnouncementGroup& group = *rig.main->ZoneControlPage()->Announcement();
        CAnnouncer& announcer = rig.Station().Announcer();
        Click(group.SpeechButton());
        CDlgSpeech& dialog = *group.SpeechDialog();
        QSignalSpy done(&dialog, &CDlgSpeech::Done);
        dialog.TextEdit()->setPlainText(
            QStringLiteral("请各位老师同学注意，下午三点在礼堂开会。").repeated(3));
        dialog.SpeedSlider()->setValue(CSpeechRenderer::kSlowest);
        Click(dialog.PlayButton());
        QVERIFY(done.wait(10000));
        QVERIFY(rig.simulator.WaitForFrame("SendAudioCom", "channels on: 5", 5000));
        QTRY_VERIFY(announcer.IsOn());

        CCheckTree::SetCheck(Item(rig.main->ZoneControlPage()->Tree(), "006CH"), true);
        Click(group.TalkButton());
        std::vector<std::string> between;
        QVERIFY(rig.simulator.WaitForFrame("SendAudioCom", "channels on: 5-6", 5000, nullptr, &between));
        for (const std::string& frame : between)
            QVERIFY2(frame.find("channels off") == std::string::npos, frame.c_str());
        QTRY_VERIFY_WITH_TIMEOUT(announcer.IsLive(), 5000);
        QCOMPARE(group.TalkButton()->text(), QString(CAnnouncementGroup::kEndTalkText));
        Click(group.TalkButton());
        QVERIFY(rig.simulator.WaitForFrame("SendAudioCom", "channels off: 5-6", 5000));
        QTRY_VERIFY(!announcer.IsOn());

        auto kinds = [] {
            CHistoryTable history(AppConnection());
            std::vector<HistoryKind> found;
            for (const HistoryRecord& line : history.Records(0, INT_MAX))
                for (const HistoryEventRow& event : history.Events(line.id))
                    if (event.kind >= HistoryKind::kTalkStart && event.kind <= HistoryKind::kSpeechEnd)
                        found.push_back(event.kind);
            return found;
        };
        using enum HistoryKind;
        QTRY_COMPARE(kinds(), (std::vector<HistoryKind>{kSpeechStart, kSpeechEnd, kTalkStart, kTalkEnd}));
    }
};

QTEST_MAIN(OperatorBroadcastTest)
#include "OperatorBroadcastTest.moc"
