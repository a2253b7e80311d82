#include "pages/AnnouncementGroup.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <algorithm>
#include <utility>
#include <vector>

#include "pages/DlgSpeech.h"
#include "station/Station.h"
#include "widgets/MessageBox.h"

namespace lumetra {

CAnnouncementGroup::CAnnouncementGroup(CStation& station, std::function<ChannelFlags()> tickedZones,
                                       QWidget* parent)
    : QGroupBox(QStringLiteral("广播讲话"), parent),
      m_station(station),
      m_tickedZones(std::move(tickedZones)) {
    m_talk = new QPushButton(QString::fromUtf8(kTalkText), this);
    m_speechButton = new QPushButton(QStringLiteral("文字广播..."), this);
    auto* row = new QHBoxLayout(this);
    row->addWidget(m_talk);
    row->addWidget(m_speechButton);
    connect(m_talk, &QPushButton::pressed, this, &CAnnouncementGroup::OnPressed);
    connect(m_talk, &QPushButton::released, this, &CAnnouncementGroup::OnReleased);
    connect(m_speechButton, &QPushButton::clicked, this, [this] {
        if (!m_speech) m_speech = new CDlgSpeech(m_station, m_tickedZones, this);
        m_speech->show();
        m_speech->raise();
    });
}

void CAnnouncementGroup::OnPressed() {
    m_startedByPress = false;
    if (m_talking) {
        m_station.Announcer().StopPaging();
        m_talking = false;
        m_talk->setText(QString::fromUtf8(kTalkText));
        return;
    }
    const ChannelFlags zones = m_tickedZones();
    if (std::none_of(zones.begin(), zones.end(), [](uint8_t flag) { return flag != 0; })) {
        ShowMessage(this, QStringLiteral("请先勾选要讲话的区域。"), MbButtons::kOk, MbIcon::kWarning);
        return;
    }
    m_station.Announcer().StartPaging(zones);
    m_talking = m_startedByPress = true;
    m_seenOn = false;
    m_talk->setText(QString::fromUtf8(kEndTalkText));
    m_pressed.start();
}

void CAnnouncementGroup::OnReleased() {
    const bool started = std::exchange(m_startedByPress, false);
    if (!started || m_pressed.elapsed() < kHoldMs) return;  // a click: it talks on
    m_station.Announcer().StopPaging();
    m_talking = false;
    m_talk->setText(QString::fromUtf8(kTalkText));
}

void CAnnouncementGroup::ShowAnnouncement() {
    const std::vector<std::string> messages = m_station.Announcer().TakeMessages();
    for (const std::string& text : messages)
        ShowMessage(this, QString::fromStdString(text), MbButtons::kOk, MbIcon::kWarning);
    if (m_station.Announcer().IsOn()) {
        m_seenOn = true;
        return;
    }
    // A talk that could not begin, or has ended, frees the button.
    if (m_talking && (m_seenOn || !messages.empty())) {
        m_talking = m_startedByPress = m_seenOn = false;
        m_talk->setText(QString::fromUtf8(kTalkText));
    }
}

}  // namespace lumetra
