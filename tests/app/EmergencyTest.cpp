// The emergency button on the main window, run through the program's start path against the
// simulator: logged out, one question, everything on with the generated siren, the state shown
// on the button, the status bar and the page title; a termination signal during it still runs the
// exit sequence; the alarm file chosen on the settings page.
#include <csignal>

#include "AppTestKit.h"
#include "app/EmergencyControl.h"
#include "app/TerminationSignals.h"
#include "audio/SirenTone.h"
#include "pages/AlarmFileGroup.h"
#include "tests/support/AudioFixtures.h"
#include "widgets/StaticEx.h"

using namespace lumetra;
using namespace lumetra::test;

namespace {

const std::time_t kMondayMorning = LocalTime(2026, 3, 2, 9, 0, 0);

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

}  // namespace

class EmergencyTest : public QObject {
    Q_OBJECT

    TempDir m_home;  // the configuration and the siren go here, not into the developer's folders

    QString SirenPath() const { return QString::fromStdString(m_home.Path()) + "/lumetra/siren.wav"; }

private slots:
    void initTestCase() { KeepGstRegistryInBuildTree(); }
    void init() {
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_home.Path()));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(m_home.Path()));
    }

    void confirmedOnceLoggedOutShownAndStopped() {
        CMainRig rig(kMondayMorning);
        CMainWindow& main = *rig.main;
        QPushButton* button = main.Emergency()->Button();
        QVERIFY(main.LoginPage()->isVisible());  // nobody is logged in
        QVERIFY(button->isVisible() && button->isEnabled());
        QCOMPARE(button->text(), Utf8(CEmergencyControl::kStartText));

        rig.boxes.answer = MbResult::kCancel;
        Click(button);
        QCOMPARE(rig.boxes.shown.size(), size_t{1});
        QCOMPARE(rig.boxes.shown.back().buttons, MbButtons::kOkCancel);
        QVERIFY(!rig.Station().InEmergency());

        Click(button);
        QVERIFY(rig.simulator.WaitForFrame("SendAudioCom", "channels on: all", 5000));
        QVERIFY(rig.simulator.WaitForFrame("SendPower", "outlets on: all", 1000));
        QTRY_COMPARE(button->text(), Utf8(CEmergencyControl::kStopText));
        QCOMPARE(main.Emergency()->StatusLine()->text(), Utf8(CEmergencyControl::kOnAirText));
        QVERIFY(main.PageTitle()->text().contains(Utf8(CEmergencyControl::kOnAirText)));
        QVERIFY(main.windowTitle().contains(Utf8(CEmergencyControl::kOnAirText)));
        CPlayback& playback = rig.Station().Playback();
        QTRY_VERIFY(playback.State().playing);
        QCOMPARE(playback.List(), std::vector<std::string>{SirenPath().toStdString()});
        QCOMPARE(QFileInfo(SirenPath()).size(), qint64{44 + 2 * kSirenRate * kSirenSeconds});

        Click(button);  // the stop asks nothing
        QCOMPARE(rig.boxes.shown.size(), size_t{2});
        QVERIFY(rig.simulator.WaitForFrame("SendAudioCom", "channels off: all", 5000));
        QVERIFY(rig.simulator.WaitForFrame("ClosePower", "all outlets off", 1000));
        QTRY_COMPARE(button->text(), Utf8(CEmergencyControl::kStartText));
        QCOMPARE(main.Emergency()->StatusLine()->text(), QString());
        QVERIFY(!main.PageTitle()->text().contains(Utf8(CEmergencyControl::kOnAirText)));
        QTRY_VERIFY(!playback.State().playing);
    }

    void aTerminationSignalDuringAnEmergencyRunsTheExitSequence() {
        CMainRig rig(kMondayMorning);
        CTerminationSignals termination;
        connect(&termination, &CTerminationSignals::TerminationRequested, rig.main, &CMainWindow::Terminate);
        QSignalSpy exited(rig.main, &CMainWindow::Exited);
        Click(rig.main->Emergency()->Button());
        QVERIFY(rig.simulator.WaitForFrame("SendPower", "outlets on: all", 5000));
        ::raise(SIGTERM);
        QVERIFY(exited.wait(5000));
        QVERIFY(rig.simulator.WaitForFrame("SendAudioCom", "channels off: all", 3000));
        QVERIFY(!rig.link.IsRunning());
    }

    void theAlarmChosenOnTheSettingsPage() {
        CMainRig rig(kMondayMorning);
        CAlarmFileGroup& group = *rig.main->SettingsPage()->AlarmGroup();
        const QString chosen = QString::fromStdString(Fixture(kWav));
        group.Choose(chosen);
        QCOMPARE(EmergencyAlarmFile(), chosen);
        QVERIFY(group.FileLabel()->text().endsWith(QFileInfo(chosen).fileName()));

        const QString missing = QString::fromStdString(m_home.Path()) + "/没有.mp3";
        group.Choose(missing);
        QVERIFY(rig.boxes.Texts().back().contains(missing));
        QCOMPARE(EmergencyAlarmFile(), chosen);  // unchanged

        QFile::copy(chosen, QString::fromStdString(m_home.Path()) + "/gone.wav");
        group.Choose(QString::fromStdString(m_home.Path()) + "/gone.wav");
        QFile::remove(QString::fromStdString(m_home.Path()) + "/gone.wav");
        QCOMPARE(EmergencyAlarmFile(), SirenPath());  // a file gone since falls back to the siren

        group.ChooseSiren();
        QCOMPARE(EmergencyAlarmFile(), SirenPath());
        QVERIFY(group.FileLabel()->text().contains(Utf8("警笛")));
    }
};

QTEST_MAIN(EmergencyTest)
#include "EmergencyTest.moc"
