// Announcements from the zone control page, run through the program's start path against the
// simulator, with a test tone as the microphone: "讲话" clicked (talks on until the next click) or
// held (ends on release), refused without ticks or without a microphone; the spoken text dialog
// refusing an empty text, saving a file and playing it to the ticked receivers.
#include "AppTestKit.h"
#include "pages/AnnouncementGroup.h"
#include "pages/DlgSpeech.h"
#include "widgets/CheckTree.h"

using namespace lumetra;
using namespace lumetra::test;

namespace {

const std::time_t kMondayMorning = LocalTime(2026, 3, 2, 9, 0, 0);

// The main window logged in with the zone control page shown and receiver 005CH ticked.
CAnnouncementGroup& ShowTicked(CMainRig& rig) {
    CMainWindow& main = *rig.main;
    main.LoginPage()->UserEdit()->setText("admin");
    main.LoginPage()->PasswordEdit()->setText("admin");
    Click(main.LoginPage()->LoginButton());
    Click(main.Button(CMainWindow::kPlay));
    CCheckTree* tree = main.ZoneControlPage()->Tree();
    CCheckTree::SetCheck(tree->findItems("005CH", Qt::MatchExactly | Qt::MatchRecursive).front(), true);
    return *main.ZoneControlPage()->Announcement();
}

}  // namespace

class AnnouncementTest : public QObject {
    Q_OBJECT

    TempDir m_home;

private slots:
    void init() {
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_home.Path()));
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(m_home.Path()));
        qputenv("LUMETRA_PAGING_SOURCE", "audiotestsrc is-live=true wave=sine freq=440");
    }

    void talkClickedThenHeld() {
        CMainRig rig(kMondayMorning);
        CAnnouncementGroup& group = ShowTicked(rig);
        QPushButton* talk = group.TalkButton();
        CAnnouncer& announcer = rig.Station().Announcer();

        Click(talk);  // a click: it talks on after the release
        QVERIFY(rig.simulator.WaitForFrame("SendAudioCom", "channels on: 5", 5000));
        QTRY_VERIFY_WITH_TIMEOUT(announcer.IsLive(), 5000);
        QCOMPARE(talk->text(), Utf8(CAnnouncementGroup::kEndTalkText));
        Click(talk);
        QVERIFY(rig.simulator.WaitForFrame("SendAudioCom", "channels off: 5", 5000));
        QTRY_VERIFY(!announcer.IsOn());
        QCOMPARE(talk->text(), Utf8(CAnnouncementGroup::kTalkText));

        QTest::mousePress(talk, Qt::LeftButton);  // held: it ends on the release
        QVERIFY(rig.simulator.WaitForFrame("SendAudioCom", "channels on: 5", 5000));
        QTRY_VERIFY_WITH_TIMEOUT(announcer.IsLive(), 5000);
        QTest::mouseRelease(talk, Qt::LeftButton, {}, {}, CAnnouncementGroup::kHoldMs);
        QVERIFY(rig.simulator.WaitForFrame("SendAudioCom", "channels off: 5", 5000));
        QCOMPARE(talk->text(), Utf8(CAnnouncementGroup::kTalkText));
        QVERIFY(rig.boxes.shown.empty());
    }

    void talkRefusedWithoutTicksOrMicrophone() {
        CMainRig rig(kMondayMorning);
        CAnnouncementGroup& group = ShowTicked(rig);
        CCheckTree* tree = rig.main->ZoneControlPage()->Tree();
        CCheckTree::SetCheck(tree->findItems("005CH", Qt::MatchExactly | Qt::MatchRecursive).front(), false);
        Click(group.TalkButton());
        QCOMPARE(rig.boxes.Texts(), QStringList{"请先勾选要讲话的区域。"});

        qputenv("LUMETRA_PAGING_SOURCE", "none");
        CCheckTree::SetCheck(tree->findItems("005CH", Qt::MatchExactly | Qt::MatchRecursive).front(), true);
        Click(group.TalkButton());
        QTRY_COMPARE(rig.boxes.Texts().size(), 2);
        QCOMPARE(rig.boxes.Texts().back(), Utf8(CAnnouncer::kNoMicrophoneText));
        QCOMPARE(group.TalkButton()->text(), Utf8(CAnnouncementGroup::kTalkText));
        QVERIFY(!rig.simulator.WaitForFrame("SendAudioCom", "channels on", 500));
    }

    void spokenTextRefusedSavedAndPlayed() {
        CMainRig rig(kMondayMorning);
        CAnnouncementGroup& group = ShowTicked(rig);
        Click(group.SpeechButton());
        CDlgSpeech& dialog = *group.SpeechDialog();
        QSignalSpy done(&dialog, &CDlgSpeech::Done);

        Click(dialog.PlayButton());
        QVERIFY(done.wait(5000));
        QCOMPARE(rig.boxes.Texts(), QStringList{"请输入要朗读的文字。"});

        dialog.TextEdit()->setPlainText("请注意，下午三点开会。");
        const QString saved = QString::fromStdString(m_home.File("通知.wav"));
        dialog.SaveTo(saved);
        QVERIFY(done.wait(5000));
        QVERIFY(QFileInfo(saved).size() > 22050);  // more than half a second of speech

        Click(dialog.PlayButton());
        QVERIFY(done.wait(5000));
        QVERIFY(rig.simulator.WaitForFrame("SendAudioCom", "channels on: 5", 5000));
        QVERIFY(rig.simulator.WaitForFrame("SendAudioCom", "channels off: 5", 15000));
        QCOMPARE(rig.boxes.Texts().size(), 1);
    }

private:
    static QString Utf8(const char* text) { return QString::fromUtf8(text); }
};

QTEST_MAIN(AnnouncementTest)
#include "AnnouncementTest.moc"
