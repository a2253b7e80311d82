#include "audio/MediaPlayer.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <climits>
#include <thread>

#include "audio/GstMediaControl.h"
#include "audio/MpegFrames.h"
#include "base/NumberText.h"

namespace lumetra {

namespace {

constexpr const char* kAlias = "myMedia";
constexpr int kOpenAttempts = 3;
constexpr auto kOpenRetryWait = std::chrono::milliseconds(500);

struct DeviceChoice {
    const char* deviceType;
    bool frames;
};

// Which device plays an extension, and whether it counts in frames.
DeviceChoice DeviceFor(const std::string& extension) {
    if (extension == "avi") return {"avivideo", true};
    if (extension == "wav") return {"waveaudio", false};
    if (extension == "cda") return {"cdaudio", false};
    if (extension == "mp3") return {"mpegvideo", false};
    return {"mpegvideo", true};
}

}  // namespace

CMediaPlayer::CMediaPlayer() : CMediaPlayer(ProcessMediaControl()) {}

CMediaPlayer::CMediaPlayer(IMediaControl& control) : m_control(control) {}

CMediaPlayer::~CMediaPlayer() = default;

std::string CMediaPlayer::ExtensionOf(const std::string& path) {
    const size_t dot = path.rfind('.');
    std::string extension = dot == std::string::npos ? path.substr(0, 3) : path.substr(dot + 1, 3);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

void CMediaPlayer::Open(const std::string& path, std::string& result) {
    m_nMp3LengthMs.reset();
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        m_strFile = path;
        m_strExt = ExtensionOf(path);
        const DeviceChoice device = DeviceFor(m_strExt);
        m_bFrames = device.frames;
        const MediaResult opened = m_control.Open({device.deviceType, path, kAlias});
        if (opened.error == kMediaOk) {
            m_nMp3LengthMs = m_strExt == "mp3" ? Mp3LengthMs(path) : std::nullopt;
            result = "OK";
            return;
        }
        result = opened.text;
        std::this_thread::sleep_for(kOpenRetryWait);
    }
}

void CMediaPlayer::Play(uint32_t from) {
    m_bPaused = false;
    if (from == kFromCurrent) {
        m_control.Send("play myMedia");
    } else {
        m_control.Send("play myMedia from " + std::to_string(static_cast<int32_t>(from)));
    }
}

void CMediaPlayer::PlayFromMilliseconds(uint32_t milliseconds) {
    if (!m_bFrames) return Play(milliseconds);
    m_control.Send("set myMedia time format milliseconds");
    Play(milliseconds);
    m_control.Send("set myMedia time format frames");
}

std::string CMediaPlayer::GetMode() {
    const MediaResult mode = m_control.Send("status myMedia mode");
    return mode.error == kMediaOk ? mode.text : std::string();
}

void CMediaPlayer::SetEndNotify(MediaEndNotify notify) {
    m_control.SetEndNotify(kAlias, std::move(notify));
}

int CMediaPlayer::Close() {
    return m_control.Send("close myMedia").error;
}

void CMediaPlayer::Stop() {
    m_control.Send("stop myMedia");
    m_control.Send("seek myMedia to start");
}

void CMediaPlayer::PauseResume() {
    m_control.Send(m_bPaused ? "resume myMedia" : "pause myMedia");
    m_bPaused = !m_bPaused;
}

int32_t CMediaPlayer::GetLength() {
    m_control.Send(m_bFrames ? "set myMedia time format frames" : "set myMedia time format milliseconds");
    const MediaResult length = m_control.Send("status myMedia length");
    if (length.error != kMediaOk) return 0;
    if (m_nMp3LengthMs && !m_bFrames)
        return static_cast<int32_t>(std::min<int64_t>(*m_nMp3LengthMs, INT32_MAX));
    return LeadingInt(length.text);
}

int32_t CMediaPlayer::GetFrameRate() {
    // A failed query leaves the reply empty, which reads as a rate of 0.
    const MediaResult rate = m_control.Send("status myMedia frame rate");
    return (rate.error == kMediaOk ? LeadingInt(rate.text) : 0) / 1000;
}

int32_t CMediaPlayer::GetLengthSeconds() {
    if (!m_bFrames) return GetLength() / 1000;
    const int32_t rate = GetFrameRate();
    if (rate == 0) return 3600;
    return GetLength() / rate;
}

}  // namespace lumetra
