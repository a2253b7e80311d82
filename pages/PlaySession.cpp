#include "pages/PlaySession.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <algorithm>
#include <filesystem>
#include <vector>

#include "audio/MediaPlayer.h"
#include "base/Logger.h"
#include "pages/PlayListModel.h"
#include "store/SplitString.h"
#include "store/StoredPath.h"

namespace lumetra {

namespace {

const char* const kEmptyListText = "请添加歌曲！";

// Posted from the media thread when the open file has played to its end.
QEvent::Type EndNoticeType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// The wait cursor while a file opens: a file that will not open holds the page for a while.
struct WaitCursor {
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
};

}  // namespace

CPlaySession::CPlaySession(CMediaPlayer& player, CPlayListModel& list, QObject* parent)
    : QObject(parent), m_player(player), m_list(list), m_random(std::random_device{}()) {
    m_tick.setTimerType(Qt::PreciseTimer);
    m_tick.setInterval(kTickPeriod);
    connect(&m_tick, &QTimer::timeout, this, &CPlaySession::Tick);
    // Once the operator edits a task's list, it is the operator's: a file that fails says so.
    const auto operatorsList = [this] { m_bTaskList = false; };
    connect(&m_list, &QAbstractItemModel::rowsInserted, this, operatorsList);
    connect(&m_list, &QAbstractItemModel::rowsRemoved, this, operatorsList);
    connect(&m_list, &QAbstractItemModel::modelReset, this, operatorsList);
    m_player.SetEndNotify([this] { QCoreApplication::postEvent(this, new QEvent(EndNoticeType())); });
}

CPlaySession::~CPlaySession() {
    m_player.SetEndNotify({});
    ClosePlayer();
}

void CPlaySession::Play(int selected) {
    PlayEntry(selected < 0 ? 0 : selected);
}

void CPlaySession::Next() {
    if (m_bOpen) m_player.Stop();
    const int count = m_list.Count();
    const std::optional<int> next = NextEntry(m_mode, m_current, count, m_random);
    if (!next && count > 0) {
        Stop();  // past the last entry in sequence mode; the last one stays selected
        return;
    }
    StopCounting();
    emit PositionChanged(0, m_length);
    PlayEntry(next.value_or(0));
}

void CPlaySession::Previous() {
    StopCounting();
    emit PositionChanged(0, m_length);
    if (m_bOpen) m_player.Stop();
    PlayEntry(PreviousEntry(m_mode, m_current, m_list.Count(), m_random).value_or(0));
}

void CPlaySession::PauseResume() {
    if (!m_bOpen) return;
    m_player.PauseResume();
    if (m_player.IsPaused())
        StopCounting();
    else
        StartCounting(m_position);
}

void CPlaySession::Stop() {
    ++m_serial;
    if (m_bOpen) m_player.Stop();
    StopCounting();
    m_position = 0;
    emit PositionChanged(0, m_length);
}

void CPlaySession::Seek(int seconds) {
    if (!m_bOpen) return;
    seconds = std::clamp(seconds, 0, m_length);
    m_player.PlayFromMilliseconds(static_cast<uint32_t>(seconds) * 1000);
    StartCounting(seconds);
}

void CPlaySession::SetPlayListText(const std::string& text) {
    std::lock_guard lock(m_pendingLock);
    m_pendingText = text;
}

void CPlaySession::PlayPendingList() {
    if (m_bOpenFailed) {
        Logger().Log("play: task list refused: an earlier task list failed to open");
        return;
    }
    std::string text;
    {
        std::lock_guard lock(m_pendingLock);
        text = m_pendingText;
    }
    const auto now = std::chrono::steady_clock::now();
    if (m_bTaskList && IsPlaying() && text == m_lastTaskText && now - m_lastTaskStart < kRepeatedHandOver) {
        Logger().Log("play: task list handed over again while it plays; it plays on");
        return;
    }
    std::vector<std::string> files;
    SplitString(text, files, '|');
    // The task row keeps a path's first apostrophe as "$"; open the file the operator chose.
    const auto exists = [](const std::string& path) { return std::filesystem::exists(path); };
    for (std::string& path : files) path = PathFromStored(path, exists);
    m_list.Replace(files);
    m_bTaskList = true;
    m_lastTaskText = text;
    m_lastTaskStart = now;
    m_skipsLeft = m_list.Count();
    ClosePlayer();
    if (files.empty()) {
        ++m_serial;
        Logger().Log("play: the task list is empty");
        emit PositionChanged(0, 0);
        return;
    }
    if (!PlayEntry(0)) m_bOpenFailed = true;
}

void CPlaySession::ClosePlayer() {
    StopCounting();
    if (!m_bOpen) return;
    m_player.Close();
    m_bOpen = false;
}

void CPlaySession::Tick() {
    if (!m_bOpen) return StopCounting();
    if (m_position >= m_length) {
        if (m_player.GetMode() != "playing") return AtEndOfFile();
        m_length = m_position + 1;  // longer than its estimate: the player says when it ends
    }
    ++m_position;
    emit PositionChanged(m_position, m_length);
}

bool CPlaySession::event(QEvent* event) {
    if (event->type() != EndNoticeType()) return QObject::event(event);
    // A notice that arrives after the operator stopped, or after the next file started, is late.
    if (m_bOpen && IsPlaying() && m_player.GetMode() == "stopped") AtEndOfFile();
    return true;
}

bool CPlaySession::PlayEntry(int row) {
    ++m_serial;
    ClosePlayer();
    const int count = m_list.Count();
    if (count == 0) {
        emit PositionChanged(0, 0);
        emit Message(QString::fromUtf8(kEmptyListText));
        return false;
    }
    m_current = std::clamp(row, 0, count - 1);
    emit EntrySelected(m_current);
    const std::string path = m_list.Path(m_current);
    std::string result;
    {
        WaitCursor wait;
        m_player.Open(path, result);
    }
    if (result != "OK") {
        Logger().Log("play: cannot open %s: %s", path.c_str(), result.c_str());
        m_position = m_length = 0;
        emit PositionChanged(0, 0);
        if (m_bTaskList)
            SkipFrom(m_current);
        else
            emit Message(QString::fromStdString(result));
        return false;
    }
    m_player.Play(0);
    m_bOpen = true;
    m_length = std::max(0, m_player.GetLengthSeconds());
    m_skipsLeft = count;
    Logger().Log("play: playing %s (%d s)", path.c_str(), m_length);
    StartCounting(0);
    return true;
}

void CPlaySession::SkipFrom(int failedRow) {
    const int count = m_list.Count();
    const bool pastTheEnd = m_mode == PlayMode::kSequence && failedRow + 1 >= count;
    if (--m_skipsLeft <= 0 || pastTheEnd) {
        Logger().Log("play: no further entry of the task list can be played");
        return;
    }
    // Later, so that a stop or a new list that arrives meanwhile is heard first.
    const unsigned serial = m_serial;
    QTimer::singleShot(0, this, [this, serial, next = (failedRow + 1) % count] {
        if (serial == m_serial && m_bTaskList) PlayEntry(next);
    });
}

void CPlaySession::AtEndOfFile() {
    if (m_bOpen) Logger().Log("play: %s played to its end", m_player.File().c_str());
    Next();
}

void CPlaySession::StartCounting(int position) {
    m_position = position;
    m_tick.start();
    emit PositionChanged(m_position, m_length);
}

void CPlaySession::StopCounting() {
    m_tick.stop();
}

}  // namespace lumetra
