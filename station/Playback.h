// What plays on the sound output that feeds the transmitter: one list of files, in one of four
// modes, whether it is the operator's own list from the instant-play page or a task's list handed
// over by the schedule. Every command returns at once; the work runs on the playback thread, which
// alone touches the media engine, so a file that takes seconds to open or fails never holds the
// caller. Whoever shows the playback is told through `changed` and reads State() and List().
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "audio/MediaEngine.h"
#include "station/JobThread.h"
#include "station/PlayOrder.h"
#include "store/HistoryEvent.h"

namespace lumetra {

// Whether a file is open and sounding: paused keeps the file open at its position, stopped does not.
enum class PlayStatus { kStopped, kPlaying, kPaused };

struct PlaybackState {
    unsigned listSerial = 0;  // grows whenever the playback replaced the list (a task's list)
    int current = 0;          // the entry that plays or last played
    int position = 0;         // seconds into the file
    int length = 0;           // the file's length in whole seconds
    PlayStatus status = PlayStatus::kStopped;
    PlayMode mode = PlayMode::kRepeatOne;
    std::string task;  // the ID of the task whose list plays; empty for the operator's
};

class CPlayback {
public:
    static constexpr std::chrono::milliseconds kBeat{1000};
    // A task handed over again this soon is the schedule's second look at the same start second.
    static constexpr std::chrono::milliseconds kRepeatedHandOver{3000};

    // `changed` is called on the playback thread after every change of the state, the list or the
    // messages; it must only post.
    explicit CPlayback(std::function<void()> changed);
    ~CPlayback();

    // Told on the playback thread when a file of a task's list starts, ends, fails to open or is
    // cut off by another task's list (kFileStart, kFileEnd, kFileFailed, kFileInterrupted), with the
    // path or the failure's text, and the ID of the task that cut it off; it must only post.
    using FileListener = std::function<void(HistoryKind kind, const std::string& taskId,
                                            const std::string& detail, const std::string& byTask)>;
    void SetFileListener(FileListener listener) { m_fileListener = std::move(listener); }  // before Start

    void Start();
    // Closes the media and ends the thread; commands after it are dropped.
    void Stop();

    // The operator's commands. The list is the instant-play page's, sent after every edit. While
    // the alarm plays each is refused: false, and nothing changes.
    bool SetOperatorList(std::vector<std::string> files);
    bool Play(int selected);  // -1 plays the first entry
    bool Next();
    bool Previous();
    bool PauseResume();
    bool StopPlaying();
    bool Seek(int seconds);
    void SetMode(PlayMode mode);

    // The schedule's: `playList` is the task's 节目内容, played in the task's own mode when it has
    // one, else in the operator's. The operator's mode returns when the task's list stops. Another
    // task's list that played is cut off, and resumes (from the start of the file that was cut)
    // when this one stops before it.
    void PlayTask(const std::string& taskId, const std::string& playList, std::optional<PlayMode> mode = {});
    // Stops the playback if it is this task's, and resumes the list it cut off; a cut-off list of
    // this task no longer resumes.
    void StopTask(const std::string& taskId);

    // An announcement's: what plays is paused while it lasts (true) and resumes after it (false).
    void Interrupt(bool interrupt);
    // The emergency's: `path` plays in a loop, in place of whatever played, until StopAlarm.
    void PlayAlarm(const std::string& path);
    void StopAlarm();
    // From PlayAlarm to StopAlarm.
    bool AlarmOn() const { return m_alarmOn; }

    PlaybackState State() const;
    std::vector<std::string> List() const;
    // The texts for the operator since the last call (a file that would not play), oldest first.
    std::vector<std::string> TakeMessages();

    // Runs everything posted so far; for tests and benchmarks.
    void Flush();

private:
    // On the playback thread.
    void ReplaceWithTask(const std::string& taskId, const std::string& playList,
                         std::optional<PlayMode> mode);
    void RestoreOperatorMode();
    // A task's list cut off by another's, to resume.
    struct CutList {
        std::string task;
        std::vector<std::string> list;
        PlayMode mode;
        bool taskMode;
        int current;
    };
    void CutOff(const std::string& byTask);
    void ResumeCut();
    bool PlayEntry(int row);
    void SkipFrom(int failedRow);
    void GoNext();
    void Halt();
    void OnBeat();
    void AtEndOfFile();
    void Close();
    void Say(std::string text);
    void TellFile(HistoryKind kind, const std::string& taskId, const std::string& detail,
                  const std::string& byTask = {});
    void EndTaskFile();
    void Publish();
    // Whether the alarm refuses the operator's `what` (logged).
    bool RefusedForAlarm(const char* what) const;
    template <typename F>
    void Change(F&& change);

    std::function<void()> m_changed;
    FileListener m_fileListener;
    std::atomic<bool> m_alarmOn{false};
    std::string m_taskFileTask, m_taskFile;  // the task's file that plays, until its end is told
    CMediaEngine m_engine;
    std::mt19937 m_random{std::random_device{}()};
    unsigned m_serial = 0;       // grows with every start, so a skip planned earlier can tell it is stale
    bool m_taskList = false;     // the list is a task's, untouched by the operator since
    bool m_alarm = false;        // the list is the alarm, which starts over at its end
    bool m_interrupted = false;  // paused by an announcement, to resume after it
    PlayMode m_operatorMode = PlayMode::kRepeatOne;  // the instant-play page's
    bool m_taskMode = false;                         // a task's own mode is in force
    int m_skipsLeft = 0;         // entries a task's list may still pass over before it gives up
    std::vector<CutList> m_cut;  // the latest last
    std::string m_lastTask;      // the task handed over last, and when
    std::chrono::steady_clock::time_point m_lastTaskAt;

    mutable std::mutex m_lock;  // guards the three below, read by other threads
    PlaybackState m_state;
    std::vector<std::string> m_list;
    std::vector<std::string> m_messages;

    CJobThread m_thread{"playback"};  // last: it stops before the rest goes
};

// The operator's text for a file that did not open.
std::string OpenFailureText(const std::string& path, const MediaOpenResult& result);

}  // namespace lumetra
