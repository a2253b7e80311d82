// Plays one media file at a time under the alias "myMedia" by sending command strings to a
// media-control interface. The owner counts elapsed seconds itself and may also be told, from a
// media thread, when a file has played to its end. Used on the user-interface thread only; holds
// no lock.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "audio/MediaControl.h"

namespace lumetra {

class CMediaPlayer {
public:
    static constexpr uint32_t kFromCurrent = 0xFFFFFFFF;  // Play() without a position

    // Uses the process-wide GStreamer media control.
    CMediaPlayer();
    explicit CMediaPlayer(IMediaControl& control);
    virtual ~CMediaPlayer();
    CMediaPlayer(const CMediaPlayer&) = delete;
    CMediaPlayer& operator=(const CMediaPlayer&) = delete;

    // Opens `path` under the alias; `result` becomes "OK" or the error text of the last of at
    // most three attempts, each failed one followed by a 500 ms wait. Does not close first.
    void Open(const std::string& path, std::string& result);
    // Plays from `from` (in the current time format), or from where it is with kFromCurrent.
    void Play(uint32_t from = kFromCurrent);
    // Plays from a position in milliseconds whatever the media counts in: a frame-measured media
    // takes the command in milliseconds and returns to frames afterwards.
    void PlayFromMilliseconds(uint32_t milliseconds);
    // "playing", "paused" or "stopped" (also after the media played to its end); empty when no
    // media is open.
    std::string GetMode();
    // Whom to tell, on a media thread, when the open media (or any opened later) plays to its
    // end; an empty function stops it. Once this returns, the old one is never called again.
    void SetEndNotify(MediaEndNotify notify);
    int Close();
    // Stops and returns to the start.
    void Stop();
    // Sends "pause" and "resume" in turn.
    void PauseResume();
    // Length in the current time format (frames or milliseconds); 0 when the device cannot say.
    // An MP3 file's comes from its frames (MpegFrames.h): the engine only estimates it for a file
    // whose bit rate varies, differently from run to run.
    int32_t GetLength();
    // Whole frames per second.
    int32_t GetFrameRate();
    // Length in whole seconds; 3600 for a frame-measured media that reports no frame rate.
    int32_t GetLengthSeconds();

    bool IsFrames() const { return m_bFrames; }
    const std::string& Extension() const { return m_strExt; }
    bool IsPaused() const { return m_bPaused; }
    const std::string& File() const { return m_strFile; }

    // The extension rule: the three characters after the last ".", or the first three
    // characters when there is none, lower-cased.
    static std::string ExtensionOf(const std::string& path);

private:
    IMediaControl& m_control;
    bool m_bFrames = false;  // lengths and positions are frames, not milliseconds
    std::string m_strExt;
    bool m_bPaused = false;  // the next PauseResume sends "resume"
    std::string m_strFile;
    std::optional<int64_t> m_nMp3LengthMs;  // the open MP3 file's exact length
};

}  // namespace lumetra
