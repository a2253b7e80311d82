// The zone control page's "广播讲话" group: "讲话" puts the microphone on air to the ticked
// receivers, held down (it ends on release) or clicked (it ends on the next click); "文字广播..."
// opens the spoken text dialog. The station says when an announcement begins or ends
// (WindowMessage::kAnnouncement), and why one could not begin.
#pragma once

#include <QElapsedTimer>
#include <QGroupBox>
#include <functional>

#include "store/Labels.h"

class QPushButton;

namespace lumetra {

class CDlgSpeech;
class CStation;

class CAnnouncementGroup : public QGroupBox {
    Q_OBJECT
public:
    static constexpr int kHoldMs = 600;  // a press held longer is push-to-talk
    static constexpr const char* kTalkText = "讲话";
    static constexpr const char* kEndTalkText = "结束讲话";

    CAnnouncementGroup(CStation& station, std::function<ChannelFlags()> tickedZones, QWidget* parent);

    // WindowMessage::kAnnouncement: the button follows the station; its messages are shown.
    void ShowAnnouncement();

    QPushButton* TalkButton() const { return m_talk; }
    QPushButton* SpeechButton() const { return m_speechButton; }
    CDlgSpeech* SpeechDialog() const { return m_speech; }

private:
    void OnPressed();
    void OnReleased();

    CStation& m_station;
    std::function<ChannelFlags()> m_tickedZones;
    QPushButton* m_talk;
    QPushButton* m_speechButton;
    CDlgSpeech* m_speech = nullptr;  // made on first use
    bool m_talking = false;
    bool m_startedByPress = false;  // the press under way started the talk
    bool m_seenOn = false;          // the station has said the talk is on air
    QElapsedTimer m_pressed;
};

}  // namespace lumetra
