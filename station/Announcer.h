// Announcements made while the broadcast goes on: the operator's live voice through the microphone
// and a spoken text file, each to the receivers the operator ticked. They run on a thread of their
// own: the receivers are switched on, what plays is paused, a chime sounds, then the voice or the
// file; at the end the receivers go back to what the scheduled tasks need and what played resumes.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "audio/LiveAudio.h"
#include "station/JobThread.h"
#include "store/HistoryEvent.h"
#include "store/Labels.h"

namespace lumetra {

class CPlayback;
class CScheduler;
class CSwitchBoard;

class CAnnouncer {
public:
    static constexpr const char* kNoMicrophoneText = "没有找到麦克风，无法讲话。";
    // The chime before every announcement: two tones, high then low.
    static constexpr int kChimeHighHz = 784;
    static constexpr int kChimeLowHz = 659;
    static constexpr std::chrono::milliseconds kChimeTone{350};

    // `changed` is called on the announcer's thread when an announcement begins or ends or has a
    // message for the operator; it must only post. `recorded` gets each begin and end for the
    // history, with the receivers.
    using Recorder = std::function<void(HistoryKind, const ChannelFlags&)>;
    CAnnouncer(CSwitchBoard& board, CPlayback& playback, CScheduler& scheduler, std::function<void()> changed,
               Recorder recorded);
    ~CAnnouncer();

    void Start();
    // Ends an announcement on air, then the thread.
    void Stop();

    // The microphone to `zones` until StopPaging. Without a microphone nothing is switched and the
    // operator is told. A spoken file on air gives way to it: it ends at once, and the talk follows
    // with what played still paused.
    void StartPaging(const ChannelFlags& zones);
    // Ends the live announcement, or a spoken file before its end.
    void StopPaging();
    // `file` (a rendered text) to `zones`, once, after the chime; dropped while speech is held.
    void Speak(const ChannelFlags& zones, const std::string& file);
    // While held (the emergency), no spoken text starts and the one on air stops; paging goes on.
    void HoldSpeech(bool held) { m_speechHeld = held; }

    bool IsOn() const { return m_on; }
    // The microphone is on air (the chime has sounded).
    bool IsLive() const { return m_microphoneOn; }
    std::vector<std::string> TakeMessages();
    // What reached the output: of the last chime, and of the voice or file now or last on air.
    int64_t ChimeBuffers() const { return m_chimeBuffers; }
    const CLiveAudio& Voice() const { return m_live; }

private:
    void Begin(const ChannelFlags& zones, bool spoken);
    // `next`: the receivers of the announcement that takes over at once.
    void End(std::optional<ChannelFlags> next = {});
    bool PlayChime();
    // Plays a source that ends (a launch description, or else `file`) to its end; false when cut
    // short or when it would not play.
    bool PlayThrough(const std::string& source, const std::string& file = {});
    void Say(std::string text);
    // A stop was asked for, or the spoken file on air gives way to a talk or is held.
    bool CutShort() const { return m_stopAsked || (m_spoken && (m_talkWaiting || m_speechHeld)); }

    CSwitchBoard& m_board;
    CPlayback& m_playback;
    CScheduler& m_scheduler;
    std::function<void()> m_changed;
    Recorder m_recorded;
    CLiveAudio m_live;  // only the thread touches it; its counters are read by anyone
    ChannelFlags m_zones{};
    bool m_spoken = false;  // what is on air is a spoken file, not the microphone
    std::atomic<bool> m_on{false};
    std::atomic<bool> m_stopAsked{false};
    std::atomic<bool> m_talkWaiting{false};  // a talk is asked for: a spoken file gives way
    std::atomic<bool> m_speechHeld{false};
    std::atomic<bool> m_microphoneOn{false};
    std::atomic<int64_t> m_chimeBuffers{0};
    std::mutex m_lock;
    std::vector<std::string> m_messages;
    CJobThread m_thread{"announce"};  // last: it stops before the rest goes
};

}  // namespace lumetra
