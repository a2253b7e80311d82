// The instant-play page: a list of audio files played on the sound output that feeds the
// transmitter, in one of four modes, with play, pause, stop, previous, next and a position slider.
// Scheduled tasks play through it too: the scheduler hands over a task's list and posts
// WM_PLAY_TASK, and WM_STOP_TASK at the task's end. What the page decides sits in CPlaySession;
// this class shows it and turns clicks into its calls.
#pragma once

#include <string>

#include "audio/MediaPlayer.h"
#include "pages/Page.h"
#include "pages/PlayListModel.h"
#include "pages/PlayMode.h"
#include "pages/PlaySession.h"

class QActionGroup;
class QLabel;
class QListView;
class QMenu;
class QSlider;

namespace lumetra {

class CButtonEx;
class CDatabase;

class CDlgPlay : public CPage {
    Q_OBJECT
public:
    // The play mode is kept in `db`'s Dict table.
    CDlgPlay(CDatabase& db, QWidget* parent);
    ~CDlgPlay() override;

    // Called by the scheduler thread just before it posts WM_PLAY_TASK.
    void SetPlayListText(const std::string& text) { m_session.SetPlayListText(text); }
    void ClearOpenFailure() { m_session.ClearOpenFailure(); }
    bool OpenFailed() const { return m_session.OpenFailed(); }

    // Closes the media if one is open (the exit sequence does this first).
    void ClosePlayer() { m_session.ClosePlayer(); }
    bool IsMediaOpen() const { return m_session.IsMediaOpen(); }

    CPlaySession& Session() { return m_session; }
    CPlayListModel& List() { return m_list; }

    // The handlers of the page's buttons and menu; tests reach them directly too.
    void AddFiles(const QStringList& paths);
    void AddFolder(const QString& folder);
    void DeleteSelected();
    void ClearList();
    void ChooseMode(PlayMode mode);
    int SelectedRow() const;

protected:
    bool event(QEvent* event) override;                          // WM_PLAY_TASK, WM_STOP_TASK
    bool eventFilter(QObject* watched, QEvent* event) override;  // keys of the list

private:
    QWidget* BuildListGroup();
    QWidget* BuildControlGroup();
    CButtonEx* MakeButton(const char* image, const char* toolTip);
    void LoadMode();
    void ShowMode();
    void ShowPosition(int position, int length);
    void SelectRow(int row);
    void SeekToSlider();

    CDatabase& m_db;
    CMediaPlayer m_player;
    CPlayListModel m_list;
    CPlaySession m_session;
    QListView* m_listView;
    QSlider* m_slider;
    QLabel* m_time;
    QMenu* m_modeMenu;
    QActionGroup* m_modeActions;
    bool m_bScanning = false;  // a folder scan runs; its box lets other events through
};

}  // namespace lumetra
