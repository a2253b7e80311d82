// What the instant-play page decides, apart from its widgets: which entry plays, when a file has
// ended, what each mode makes of "next" and "previous", and how a task's list handed over by the
// scheduler is played. It drives the page's one media player and tells the page what to show
// through signals. Lives on the user-interface thread; only SetPlayListText and the latch are
// touched by the scheduler thread.
#pragma once

#include <QObject>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <mutex>
#include <random>
#include <string>

#include "pages/PlayMode.h"

namespace lumetra {

class CMediaPlayer;
class CPlayListModel;

class CPlaySession : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kTickPeriod{1000};
    // A task list handed over again this soon, while the same list plays, is the scheduler's
    // second look at the same start second, not a new broadcast.
    static constexpr std::chrono::milliseconds kRepeatedHandOver{3000};

    CPlaySession(CMediaPlayer& player, CPlayListModel& list, QObject* parent = nullptr);
    // Withdraws the end notice and closes the media.
    ~CPlaySession() override;

    // The operator's controls. `selected` is the selected entry, or -1.
    void Play(int selected);
    void Next();
    void Previous();
    void PauseResume();
    void Stop();
    // Plays on from `seconds` into the current file.
    void Seek(int seconds);

    PlayMode Mode() const { return m_mode; }
    void SetMode(PlayMode mode) { m_mode = mode; }

    // The scheduler's hand-over: called on its thread just before it posts WM_PLAY_TASK.
    void SetPlayListText(const std::string& text);
    void ClearOpenFailure() { m_bOpenFailed = false; }
    bool OpenFailed() const { return m_bOpenFailed; }
    // WM_PLAY_TASK: the handed-over list replaces the page's list and plays from its first entry.
    void PlayPendingList();

    // Closes the media if one is open (the exit sequence does this first).
    void ClosePlayer();
    bool IsMediaOpen() const { return m_bOpen; }
    // Playing and counting seconds: neither paused nor stopped.
    bool IsPlaying() const { return m_tick.isActive(); }
    int Current() const { return m_current; }
    int Position() const { return m_position; }
    int Length() const { return m_length; }

    // The one-second count; the timer calls it, tests may too.
    void Tick();

signals:
    void EntrySelected(int row);
    // The slider runs from 0 to `length`; both in seconds.
    void PositionChanged(int position, int length);
    // A text for the operator in a message box.
    void Message(const QString& text);

protected:
    bool event(QEvent* event) override;  // the player's end notice

private:
    // Opens `row` and plays it from the start. On failure a task's list goes on with the next
    // entry that opens; the operator's list shows the player's text and stays still.
    bool PlayEntry(int row);
    void SkipFrom(int failedRow);
    void AtEndOfFile();
    void StartCounting(int position);
    void StopCounting();

    CMediaPlayer& m_player;
    CPlayListModel& m_list;
    QTimer m_tick;
    PlayMode m_mode = PlayMode::kRepeatOne;
    std::mt19937 m_random;     // seeded once, so quick draws differ
    bool m_bOpen = false;      // a media is open under the player's alias
    int m_current = 0;         // the entry that plays or last played
    int m_position = 0;        // seconds counted since the file started or was moved
    int m_length = 0;          // the file's length in whole seconds
    bool m_bTaskList = false;  // the list is a task's, untouched by the operator since
    int m_skipsLeft = 0;       // entries a task's list may still pass over before it gives up
    unsigned m_serial = 0;     // grows with every start, so a skip planned earlier can tell it is stale
    std::string m_lastTaskText;
    std::chrono::steady_clock::time_point m_lastTaskStart;

    std::mutex m_pendingLock;  // guards m_pendingText between the scheduler thread and this one
    std::string m_pendingText;
    std::atomic<bool> m_bOpenFailed{false};  // the latch: refuse task lists until cleared
};

}  // namespace lumetra
