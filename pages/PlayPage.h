// The instant-play page: a list of audio files played on the sound output that feeds the
// transmitter, in one of four modes, with play, pause, stop, previous, next and a position slider.
// The station plays it (Playback.h); the page edits the operator's list, sends it and every click
// to the playback, and shows what the playback tells: a task's list that replaced the operator's,
// the entry that plays, the position, and the texts of files that would not play.
#pragma once

#include "pages/Page.h"
#include "pages/PlayListModel.h"
#include "store/PlayMode.h"

class QActionGroup;
class QLabel;
class QListView;
class QMenu;
class QSlider;

namespace lumetra {

class CImageButton;
class CDatabase;
class CPlayback;

class CPlayPage : public CPage {
    Q_OBJECT
public:
    // The play mode is kept in `db`'s Dict table.
    CPlayPage(CDatabase& db, CPlayback& playback, QWidget* parent);
    ~CPlayPage() override;

    CPlayback& Playback() { return m_playback; }
    CPlayListModel& List() { return m_list; }

    // The handlers of the page's buttons and menu; tests reach them directly too.
    void AddFiles(const QStringList& paths);
    void AddFolder(const QString& folder);
    void DeleteSelected();
    void ClearList();
    void ChooseMode(PlayMode mode);
    // Takes the stored play mode, stored first when there is none; at start and after a restore.
    void LoadMode();
    int SelectedRow() const;
    PlayMode Mode() const { return m_mode; }

protected:
    bool event(QEvent* event) override;                          // WindowMessage::kPlaybackChanged
    bool eventFilter(QObject* watched, QEvent* event) override;  // keys of the list

private:
    QWidget* BuildListGroup();
    QWidget* BuildControlGroup();
    CImageButton* MakeButton(const char* image, const char* toolTip);
    void ShowMode();
    void ShowPlayback();
    void ShowPosition(int position, int length);
    void SelectRow(int row);
    void SeekToSlider();
    void SendList();

    CDatabase& m_db;
    CPlayback& m_playback;
    CPlayListModel m_list;
    PlayMode m_mode = PlayMode::kRepeatOne;
    unsigned m_listSerial = 0;  // the playback's list this page shows
    int m_shownEntry = -1;      // the playback's entry last selected here
    bool m_takingList = false;  // the list is being replaced by the playback's
    QListView* m_listView;
    QSlider* m_slider;
    QLabel* m_time;
    QMenu* m_modeMenu;
    QActionGroup* m_modeActions;
    bool m_scanning = false;  // a folder scan runs; its box lets other events through
};

}  // namespace lumetra
