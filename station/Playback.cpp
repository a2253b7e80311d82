#include "station/Playback.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "base/Logger.h"
#include "store/PlayList.h"
#include "store/StoredPath.h"

namespace lumetra {

namespace {

const char* const kEmptyListText = "请添加歌曲！";

int WholeSeconds(int64_t ms) {
    return static_cast<int>(std::max<int64_t>(0, ms) / 1000);
}

}  // namespace

std::string OpenFailureText(const std::string& path, const MediaOpenResult& result) {
    const std::string name = "无法播放“" + path + "”：";
    switch (result.failure) {
        case MediaFailure::kNone:
            return {};
        case MediaFailure::kMissing:
            return name + "文件不存在。";
        case MediaFailure::kNotAFile:
            return name + "这不是可以播放的文件。";
        case MediaFailure::kNoCdSource:
            return name + "本机没有安装 CD 音轨的播放组件。";
        case MediaFailure::kEngine:
            return name + "文件无法解码（" + result.detail + "）。";
    }
    return name;
}

CPlayback::CPlayback(std::function<void()> changed) : m_changed(std::move(changed)) {}

CPlayback::~CPlayback() {
    Stop();
}

void CPlayback::Start() {
    m_thread.Start();
    m_thread.Post([this] {
        m_engine.SetEndNotify([this] {
            // From a streaming thread: only a job is queued; the beat looks at the engine itself.
            m_thread.Post([this] {
                if (m_state.status == PlayStatus::kPlaying && m_engine.Ended()) AtEndOfFile();
            });
        });
    });
}

void CPlayback::Stop() {
    m_thread.Post([this] {
        m_engine.SetEndNotify({});
        Close();
        Publish();
    });
    m_thread.Stop();
}

void CPlayback::Flush() {
    m_thread.Run([] {});
}

bool CPlayback::SetOperatorList(std::vector<std::string> files) {
    if (RefusedForAlarm("a list edit")) return false;
    m_thread.Post([this, files = std::move(files)]() mutable {
        {
            std::lock_guard lock(m_lock);
            m_list = std::move(files);
        }
        // Once the operator edits a task's list, it is the operator's: a file that fails says so.
        m_taskList = false;
        m_alarm = false;
        RestoreOperatorMode();
    });
    return true;
}

bool CPlayback::Play(int selected) {
    if (RefusedForAlarm("play")) return false;
    m_thread.Post([this, selected] {
        // The operator chose what plays: the end of a task no longer stops it, nor resumes another.
        Change([](PlaybackState& s) { s.task.clear(); });
        m_cut.clear();
        m_alarm = false;
        PlayEntry(selected < 0 ? 0 : selected);
    });
    return true;
}

bool CPlayback::Next() {
    if (RefusedForAlarm("next")) return false;
    m_thread.Post([this] { GoNext(); });
    return true;
}

bool CPlayback::Previous() {
    if (RefusedForAlarm("previous")) return false;
    m_thread.Post([this] {
        const int count = static_cast<int>(List().size());
        PlayEntry(PreviousEntry(m_state.mode, m_state.current, count, m_random).value_or(0));
    });
    return true;
}

bool CPlayback::PauseResume() {
    if (RefusedForAlarm("pause")) return false;
    m_thread.Post([this] {
        if (!m_engine.IsOpen() || m_state.status == PlayStatus::kStopped) return;
        const bool pause = m_state.status == PlayStatus::kPlaying;
        const std::string error = pause ? m_engine.Pause() : m_engine.Play();
        if (!error.empty()) Logger().Log("play: %s failed: %s", pause ? "pause" : "resume", error.c_str());
        Change([pause](PlaybackState& s) { s.status = pause ? PlayStatus::kPaused : PlayStatus::kPlaying; });
        Publish();
    });
    return true;
}

bool CPlayback::StopPlaying() {
    if (RefusedForAlarm("stop")) return false;
    m_thread.Post([this] {
        ++m_serial;
        Halt();
        Publish();
    });
    return true;
}

bool CPlayback::Seek(int seconds) {
    if (RefusedForAlarm("seek")) return false;
    m_thread.Post([this, seconds] {
        if (!m_engine.IsOpen()) return;
        const int to = std::clamp(seconds, 0, m_state.length);
        const std::string error = m_engine.PlayFrom(static_cast<int64_t>(to) * 1000);
        if (!error.empty()) Logger().Log("play: seek to %d s failed: %s", to, error.c_str());
        Change([to](PlaybackState& s) {
            s.position = to;
            s.status = PlayStatus::kPlaying;
        });
        m_thread.StartTimer(kBeat, [this] { OnBeat(); });
        Publish();
    });
    return true;
}

void CPlayback::SetMode(PlayMode mode) {
    m_thread.Post([this, mode] {
        m_operatorMode = mode;
        if (!m_taskMode) Change([mode](PlaybackState& s) { s.mode = mode; });
    });
}

void CPlayback::PlayTask(const std::string& taskId, const std::string& playList,
                         std::optional<PlayMode> mode) {
    m_thread.Post([this, taskId, playList, mode] { ReplaceWithTask(taskId, playList, mode); });
}

void CPlayback::StopTask(const std::string& taskId) {
    m_thread.Post([this, taskId] {
        std::erase_if(m_cut, [&taskId](const CutList& cut) { return cut.task == taskId; });
        if (m_state.task != taskId) return;  // another broadcast, or the operator's, plays now
        ++m_serial;
        Halt();
        RestoreOperatorMode();
        if (!m_cut.empty()) ResumeCut();
        Publish();
    });
}

void CPlayback::Interrupt(bool interrupt) {
    m_thread.Post([this, interrupt] {
        if (interrupt == m_interrupted) return;
        if (interrupt && m_state.status != PlayStatus::kPlaying) return;  // nothing to resume afterwards
        m_interrupted = interrupt;
        // What the operator did meanwhile stands: only a playback still paused resumes.
        if (!interrupt && (m_state.status != PlayStatus::kPaused || !m_engine.IsOpen())) return;
        const std::string error = interrupt ? m_engine.Pause() : m_engine.Play();
        if (!error.empty())
            Logger().Log("play: %s failed: %s", interrupt ? "pause" : "resume", error.c_str());
        Change([interrupt](PlaybackState& s) {
            s.status = interrupt ? PlayStatus::kPaused : PlayStatus::kPlaying;
        });
        if (!interrupt) m_thread.StartTimer(kBeat, [this] { OnBeat(); });
        Publish();
    });
}

void CPlayback::PlayAlarm(const std::string& path) {
    m_alarmOn = true;
    m_thread.Post([this, path] {
        {
            std::lock_guard lock(m_lock);
            m_list = {path};
            ++m_state.listSerial;
            m_state.task.clear();
        }
        m_taskList = false;
        m_alarm = true;
        RestoreOperatorMode();
        m_lastTask.clear();  // a task handed over after the alarm starts afresh
        m_cut.clear();       // the emergency's end hands every task on air over again
        PlayEntry(0);
    });
}

void CPlayback::StopAlarm() {
    m_alarmOn = false;
    m_thread.Post([this] {
        if (!m_alarm) return;  // the operator has played something else since
        m_alarm = false;
        ++m_serial;
        Halt();
        Publish();
    });
}

PlaybackState CPlayback::State() const {
    std::lock_guard lock(m_lock);
    return m_state;
}

std::vector<std::string> CPlayback::List() const {
    std::lock_guard lock(m_lock);
    return m_list;
}

std::vector<std::string> CPlayback::TakeMessages() {
    std::lock_guard lock(m_lock);
    return std::exchange(m_messages, {});
}

void CPlayback::RestoreOperatorMode() {
    if (!m_taskMode) return;
    m_taskMode = false;
    Change([this](PlaybackState& s) { s.mode = m_operatorMode; });
}

void CPlayback::ReplaceWithTask(const std::string& taskId, const std::string& playList,
                                std::optional<PlayMode> mode) {
    const auto now = std::chrono::steady_clock::now();
    if (taskId == m_lastTask && now - m_lastTaskAt < kRepeatedHandOver) {
        Logger().Log("play: task %s handed over again; it plays on", taskId.c_str());
        return;
    }
    m_lastTask = taskId;
    m_lastTaskAt = now;
    if (m_taskList && !m_state.task.empty() && m_state.task != taskId &&
        m_state.status != PlayStatus::kStopped)
        CutOff(taskId);
    // The task row keeps a path's first apostrophe as "$"; open the file the operator chose.
    const auto exists = [](const std::string& path) { return std::filesystem::exists(path); };
    std::vector<std::string> files = PlayListOf(playList, exists);
    const bool empty = files.empty();
    {
        std::lock_guard lock(m_lock);
        m_list = std::move(files);
        ++m_state.listSerial;
        m_state.task = taskId;
        m_state.mode = mode.value_or(m_operatorMode);
    }
    m_taskMode = mode.has_value();
    m_taskList = true;
    m_alarm = false;
    m_skipsLeft = static_cast<int>(List().size());
    ++m_serial;
    Close();
    if (empty) {
        Logger().Log("play: the list of task %s is empty", taskId.c_str());
        Change([](PlaybackState& s) { s.position = s.length = 0; });
        Publish();
        return;
    }
    PlayEntry(0);
}

void CPlayback::CutOff(const std::string& byTask) {
    Logger().Log("play: the list of task %s is cut off by task %s", m_state.task.c_str(), byTask.c_str());
    if (!m_taskFile.empty())
        TellFile(HistoryKind::kFileInterrupted, m_taskFileTask, std::exchange(m_taskFile, {}), byTask);
    m_cut.push_back({m_state.task, List(), m_state.mode, m_taskMode, m_state.current});
}

void CPlayback::ResumeCut() {
    CutList cut = std::move(m_cut.back());
    m_cut.pop_back();
    Logger().Log("play: the list of task %s resumes", cut.task.c_str());
    {
        std::lock_guard lock(m_lock);
        m_list = std::move(cut.list);
        ++m_state.listSerial;
        m_state.task = cut.task;
        m_state.mode = cut.mode;
    }
    m_taskMode = cut.taskMode;
    m_taskList = true;
    m_skipsLeft = static_cast<int>(List().size());
    m_lastTask = cut.task;
    m_lastTaskAt = std::chrono::steady_clock::now();
    PlayEntry(cut.current);
}

bool CPlayback::PlayEntry(int row) {
    ++m_serial;
    Close();
    const std::vector<std::string> list = List();
    const int count = static_cast<int>(list.size());
    if (count == 0) {
        Say(kEmptyListText);
        Publish();
        return false;
    }
    const int current = std::clamp(row, 0, count - 1);
    Change([current](PlaybackState& s) {
        s.current = current;
        s.position = s.length = 0;
    });
    Publish();
    const std::string& path = list[static_cast<size_t>(current)];
    const MediaOpenResult opened =
        m_engine.Open(path, [this](auto wait) { return m_thread.WaitUnlessBusy(wait); });
    if (!opened.Ok()) {
        const std::string text = OpenFailureText(path, opened);
        Logger().Log("play: %s", text.c_str());
        TellFile(HistoryKind::kFileFailed, m_state.task, text);
        if (m_taskList)
            SkipFrom(current);
        else
            Say(text);
        Publish();
        return false;
    }
    const std::string error = m_engine.Play();
    if (!error.empty()) Logger().Log("play: %s does not start: %s", path.c_str(), error.c_str());
    m_skipsLeft = count;
    Change([&opened](PlaybackState& s) {
        s.length = WholeSeconds(opened.lengthMs);
        s.status = PlayStatus::kPlaying;
    });
    Logger().Log("play: playing %s (%d s)", path.c_str(), m_state.length);
    TellFile(HistoryKind::kFileStart, m_state.task, path);
    m_taskFileTask = m_state.task;
    m_taskFile = path;
    m_thread.StartTimer(kBeat, [this] { OnBeat(); });
    Publish();
    return true;
}

void CPlayback::SkipFrom(int failedRow) {
    const int count = static_cast<int>(List().size());
    const bool pastTheEnd = m_state.mode == PlayMode::kSequence && failedRow + 1 >= count;
    if (--m_skipsLeft <= 0 || pastTheEnd) {
        Logger().Log("play: no further entry of the task list can be played");
        return;
    }
    // Later, so that a stop or a new list that arrives meanwhile is heard first.
    m_thread.Post([this, serial = m_serial, next = (failedRow + 1) % count] {
        if (serial == m_serial && m_taskList) PlayEntry(next);
    });
}

void CPlayback::GoNext() {
    const int count = static_cast<int>(List().size());
    const std::optional<int> next = NextEntry(m_state.mode, m_state.current, count, m_random);
    if (!next && count > 0) {
        Halt();  // past the last entry in sequence mode; the last one stays selected
        Publish();
        return;
    }
    PlayEntry(next.value_or(0));
}

// Stopped at the start of the current file, which stays open.
void CPlayback::Halt() {
    EndTaskFile();
    if (m_engine.IsOpen()) m_engine.Stop();
    m_thread.StopTimer();
    Change([](PlaybackState& s) {
        s.position = 0;
        s.status = PlayStatus::kStopped;
    });
}

void CPlayback::OnBeat() {
    if (m_state.status != PlayStatus::kPlaying) return m_thread.StopTimer();
    if (m_engine.Ended()) return AtEndOfFile();
    const int position = m_engine.PositionMs() ? WholeSeconds(*m_engine.PositionMs()) : m_state.position + 1;
    // Some files tell their length only once they play.
    const int length = m_state.length > 0 ? m_state.length : WholeSeconds(m_engine.LengthMs().value_or(0));
    Change([&](PlaybackState& s) {
        s.position = position;
        s.length = std::max(length, position);
    });
    Publish();
}

void CPlayback::AtEndOfFile() {
    Logger().Log("play: entry %d played to its end", m_state.current + 1);
    // The alarm starts over without closing, so it never falls silent between two rounds.
    if (m_alarm && m_engine.PlayFrom(0).empty()) {
        Change([](PlaybackState& s) { s.position = 0; });
        Publish();
        return;
    }
    GoNext();
}

void CPlayback::Close() {
    EndTaskFile();
    m_thread.StopTimer();
    m_engine.Close();
    Change([](PlaybackState& s) { s.status = PlayStatus::kStopped; });
}

void CPlayback::Say(std::string text) {
    std::lock_guard lock(m_lock);
    m_messages.push_back(std::move(text));
}

void CPlayback::TellFile(HistoryKind kind, const std::string& taskId, const std::string& detail,
                         const std::string& byTask) {
    if (m_fileListener && !taskId.empty()) m_fileListener(kind, taskId, detail, byTask);
}

void CPlayback::EndTaskFile() {
    if (m_taskFile.empty()) return;
    TellFile(HistoryKind::kFileEnd, m_taskFileTask, std::exchange(m_taskFile, {}));
}

bool CPlayback::RefusedForAlarm(const char* what) const {
    if (!m_alarmOn) return false;
    Logger().Log("play: the operator's %s is refused while the alarm plays", what);
    return true;
}

void CPlayback::Publish() {
    if (m_changed) m_changed();
}

template <typename F>
void CPlayback::Change(F&& change) {
    std::lock_guard lock(m_lock);
    change(m_state);
}

}  // namespace lumetra
