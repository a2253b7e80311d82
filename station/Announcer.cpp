#include "station/Announcer.h"

#include <utility>

#include "base/Logger.h"
#include "schedule/Scheduler.h"
#include "schedule/SwitchBoard.h"
#include "schedule/SwitchLedger.h"
#include "station/Playback.h"

namespace lumetra {

namespace {

constexpr std::chrono::milliseconds kStopCheck{20};

std::string ToneSource(int hz) {
    // 441 samples per buffer at the tone's 44.1 kHz: one buffer every 10 ms.
    const auto buffers = CAnnouncer::kChimeTone.count() / 10;
    return "audiotestsrc wave=sine volume=0.5 samplesperbuffer=441 freq=" + std::to_string(hz) +
           " num-buffers=" + std::to_string(buffers);
}

}  // namespace

CAnnouncer::CAnnouncer(CSwitchBoard& board, CPlayback& playback, CScheduler& scheduler,
                       std::function<void()> changed, Recorder recorded)
    : m_board(board),
      m_playback(playback),
      m_scheduler(scheduler),
      m_changed(std::move(changed)),
      m_recorded(std::move(recorded)) {}

CAnnouncer::~CAnnouncer() {
    Stop();
}

void CAnnouncer::Start() {
    m_thread.Start();
}

void CAnnouncer::Stop() {
    StopPaging();
    m_thread.Stop();
}

void CAnnouncer::StartPaging(const ChannelFlags& zones) {
    m_stopAsked = false;
    m_talkWaiting = true;
    m_thread.Post([this, zones] {
        m_talkWaiting = false;
        const bool speaking = m_on && m_spoken;  // a spoken file cut short for this talk
        if (m_on && !speaking) return;
        // Ended by the operator before it began: nothing is switched on for it.
        if (m_stopAsked) {
            if (speaking) End();
            return;
        }
        const std::string microphone = MicrophoneSource();
        if (microphone.empty()) {
            Logger().Log("announce: no microphone");
            if (speaking) End();
            Say(kNoMicrophoneText);
            return;
        }
        if (speaking) End(zones);
        Begin(zones, false);
        if (!PlayChime()) return End();
        if (const std::string error = m_live.Start(microphone); !error.empty()) {
            Logger().Log("announce: the microphone does not start: %s", error.c_str());
            Say("麦克风无法打开（" + error + "）。");
            return End();
        }
        m_microphoneOn = true;
        Logger().Log("announce: the microphone is on air");
        // It stays on air until StopPaging's job.
    });
}

void CAnnouncer::StopPaging() {
    m_stopAsked = true;
    m_thread.Post([this] {
        if (m_on) End();
    });
}

void CAnnouncer::Speak(const ChannelFlags& zones, const std::string& file) {
    m_stopAsked = false;
    m_thread.Post([this, zones, file] {
        if (m_on) return;
        if (m_speechHeld) {
            Logger().Log("announce: a spoken text is refused during the emergency");
            return;
        }
        Begin(zones, true);
        if (PlayChime()) PlayThrough({}, file);
        // A talk asked for meanwhile takes over from here, so what played stays paused.
        if (m_talkWaiting && !m_stopAsked) return;
        End();
    });
}

void CAnnouncer::Begin(const ChannelFlags& zones, bool spoken) {
    m_on = true;
    m_zones = zones;
    m_spoken = spoken;
    if (m_recorded) m_recorded(spoken ? HistoryKind::kSpeechStart : HistoryKind::kTalkStart, zones);
    m_chimeBuffers = 0;
    m_playback.Interrupt(true);
    m_scheduler.KeepChannels(zones);  // the last announcement's release must not cut this one off
    m_board.SwitchChannels(zones, true, SwitchSource::kAnnouncement);
    if (m_changed) m_changed();
}

void CAnnouncer::End(std::optional<ChannelFlags> next) {
    m_microphoneOn = false;
    m_live.Stop();
    if (next) {
        // The next announcement follows at once: its receivers stay on and what played stays paused.
        m_scheduler.ReleaseChannels(ChannelsNotIn(m_zones, *next));
        Logger().Log("announce: the spoken text gives way to the microphone");
    } else {
        m_scheduler.ReleaseChannels(m_zones);
        m_playback.Interrupt(false);
        m_on = false;
        Logger().Log("announce: ended");
    }
    if (m_recorded) m_recorded(m_spoken ? HistoryKind::kSpeechEnd : HistoryKind::kTalkEnd, m_zones);
    if (m_changed) m_changed();
}

bool CAnnouncer::PlayChime() {
    int64_t buffers = 0;
    for (int hz : {kChimeHighHz, kChimeLowHz}) {
        if (!PlayThrough(ToneSource(hz))) return false;
        buffers += m_live.Buffers();
    }
    m_chimeBuffers = buffers;
    return true;
}

bool CAnnouncer::PlayThrough(const std::string& source, const std::string& file) {
    if (const std::string error = file.empty() ? m_live.Start(source) : m_live.StartFile(file);
        !error.empty()) {
        Logger().Log("announce: %s", error.c_str());
        Say("无法播放（" + error + "）。");
        return false;
    }
    std::string error;
    while (!m_live.WaitForEnd(kStopCheck, &error))
        if (CutShort()) return false;
    if (!error.empty()) Say("无法播放（" + error + "）。");
    return error.empty() && !CutShort();
}

std::vector<std::string> CAnnouncer::TakeMessages() {
    std::lock_guard lock(m_lock);
    return std::exchange(m_messages, {});
}

void CAnnouncer::Say(std::string text) {
    {
        std::lock_guard lock(m_lock);
        m_messages.push_back(std::move(text));
    }
    if (m_changed) m_changed();
}

}  // namespace lumetra
