// Plays one audio file at a time on the sound output, through typed calls: open, play, pause,
// stop, seek, position, length, and the end of the file as a notice. Opening waits for the file to
// be ready and tries up to three times, which can take seconds: the engine belongs to one thread
// that may wait (the station's playback thread), never to the user-interface thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "audio/GstMedia.h"

namespace lumetra {

// Why a file did not open.
enum class MediaFailure {
    kNone,
    kMissing,     // no such file
    kNotAFile,    // a folder, pipe, device or socket: nothing that can be played
    kNoCdSource,  // a CD track, and no CD source is installed
    kEngine,      // the media engine refused it; the detail is its own text
};

struct MediaOpenResult {
    MediaFailure failure = MediaFailure::kNone;
    std::string detail;    // the engine's text, or the path for the other failures
    int64_t lengthMs = 0;  // 0 when the engine cannot tell
    bool Ok() const { return failure == MediaFailure::kNone; }
};

class CMediaEngine {
public:
    static constexpr int kOpenAttempts = 3;
    static constexpr std::chrono::milliseconds kOpenRetryWait{500};

    // Waits between two tries to open; returns false to give up (a stop or a newer request).
    using RetryWait = std::function<bool(std::chrono::milliseconds)>;

    // Initialises GStreamer (once per process); when that fails, every open reports why.
    CMediaEngine();
    ~CMediaEngine();
    CMediaEngine(const CMediaEngine&) = delete;
    CMediaEngine& operator=(const CMediaEngine&) = delete;

    // Closes what is open, then opens `path` paused at its start. A file the engine refuses is
    // tried again after `wait`, up to three tries in all; a file that is missing or not a file is
    // refused at once.
    MediaOpenResult Open(const std::string& path, const RetryWait& wait);
    void Close();
    bool IsOpen() const { return m_media != nullptr; }

    // Each returns the engine's text of a failure, or an empty text; nothing open is a failure.
    std::string Play();
    std::string Pause();
    // Pauses and returns to the start.
    std::string Stop();
    // Moves to `ms` and plays from there.
    std::string PlayFrom(int64_t ms);

    std::optional<int64_t> PositionMs();
    // An MP3 file's length comes from its frames: the engine only estimates it for a file whose
    // bit rate varies, differently from run to run.
    std::optional<int64_t> LengthMs();
    // The open file has played to its end since it was opened or last moved.
    bool Ended() const { return m_media && m_media->Ended(); }

    // Whom to tell, on a streaming thread, when the open file (or any opened later) plays to its
    // end; an empty function stops it. Once this returns, the old one is never called again.
    void SetEndNotify(MediaEndNotify notify);

    // The address GStreamer opens for `path`: a file URI, or a CD track ("Track03.cda" plays
    // track 3). Fills `failure` and returns nothing when there is none.
    static std::optional<std::string> UriFor(const std::string& path, MediaOpenResult& failure);

private:
    std::string m_initError;  // why GStreamer is unusable; empty when it is fine
    std::shared_ptr<CMediaEndRelay> m_endRelay = std::make_shared<CMediaEndRelay>();
    std::unique_ptr<CGstMedia> m_media;
    std::optional<int64_t> m_mp3LengthMs;  // the open MP3 file's exact length
};

}  // namespace lumetra
