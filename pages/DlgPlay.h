// The instant-play page. It owns the media player through which every playback runs. For now it
// plays what the scheduler hands over: the first file of a task's list from its start to its
// end; the playlist controls and play modes come with a later version.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "audio/MediaPlayer.h"
#include "pages/Page.h"

class QLabel;
class QListWidget;

namespace lumetra {

class CDlgPlay : public CPage {
    Q_OBJECT
public:
    explicit CDlgPlay(QWidget* parent);

    // Called by the scheduler thread just before it posts WM_PLAY_TASK.
    void SetPlayListText(const std::string& text);
    void ClearOpenFailure() { m_bOpenFailed = false; }
    bool OpenFailed() const { return m_bOpenFailed; }

    // Closes the media if one is open (the exit sequence does this first).
    void ClosePlayer();
    bool IsMediaOpen() const { return m_bMediaOpen; }

protected:
    bool event(QEvent* event) override;  // WM_PLAY_TASK, WM_STOP_TASK

private:
    void PlayHandedOverList();
    void StopPlayback();

    CMediaPlayer m_player;
    bool m_bMediaOpen = false;   // a file is open under the player's alias
    std::mutex m_listLock;       // guards m_playListText between the scheduler thread and this page
    std::string m_playListText;  // 节目内容 of the task to play next
    std::atomic<bool> m_bOpenFailed{false};
    QListWidget* m_list;
    QLabel* m_status;
};

}  // namespace lumetra
