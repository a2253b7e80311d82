#include "pages/DlgPlay.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>
#include <vector>

#include "base/Logger.h"
#include "store/SplitString.h"
#include "widgets/WindowEvent.h"

namespace lumetra {

CDlgPlay::CDlgPlay(QWidget* parent) : CPage(QRect(600, 140, 390, 470), parent) {
    auto* group = new QGroupBox(QStringLiteral("播放列表"), this);
    m_list = new QListWidget(group);
    m_status = new QLabel(QStringLiteral("停止"), group);
    auto* inner = new QVBoxLayout(group);
    inner->addWidget(m_list);
    inner->addWidget(m_status);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(group);
}

void CDlgPlay::SetPlayListText(const std::string& text) {
    std::lock_guard lock(m_listLock);
    m_playListText = text;
}

void CDlgPlay::ClosePlayer() {
    if (!m_bMediaOpen) return;
    m_player.Close();
    m_bMediaOpen = false;
}

bool CDlgPlay::event(QEvent* event) {
    if (event->type() == CWindowEvent::TypeOf(WM_PLAY_TASK)) {
        PlayHandedOverList();
        return true;
    }
    if (event->type() == CWindowEvent::TypeOf(WM_STOP_TASK)) {
        StopPlayback();
        return true;
    }
    return CPage::event(event);
}

void CDlgPlay::PlayHandedOverList() {
    std::vector<std::string> files;
    {
        std::lock_guard lock(m_listLock);
        SplitString(m_playListText, files, '|');
    }
    ClosePlayer();
    m_list->clear();
    for (const std::string& file : files) m_list->addItem(QString::fromStdString(file));
    if (files.empty()) {
        m_status->setText(QStringLiteral("停止"));
        return;
    }
    std::string result;
    m_player.Open(files.front(), result);
    if (result != "OK") {
        Logger().Log("play task: cannot open %s: %s", files.front().c_str(), result.c_str());
        m_bOpenFailed = true;
        m_status->setText(QString::fromStdString(result));
        return;
    }
    m_bMediaOpen = true;
    m_player.Play(0);
    m_list->setCurrentRow(0);
    m_status->setText(QStringLiteral("正在播放"));
}

void CDlgPlay::StopPlayback() {
    ClosePlayer();
    m_status->setText(QStringLiteral("停止"));
}

}  // namespace lumetra
