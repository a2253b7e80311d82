// One open media: a GStreamer playbin driven synchronously from the caller's thread. The bus is
// read with timed pops, so no GLib main loop has to run. Audio goes to the default output, or to
// the element named by the environment variable LUMETRA_AUDIO_SINK (for example "fakesink" on
// machines without sound); video always goes to a silent sink, the system only feeds sound.
#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "audio/MediaControl.h"

namespace lumetra {

// Frames per second as a fraction.
struct FrameRate {
    int numerator = 1000;
    int denominator = 1;
};

class CGstMedia {
public:
    // Builds a playbin for `uri` and waits until it is ready to play (paused at the start).
    // Returns nullptr and GStreamer's own error text when it cannot.
    static std::unique_ptr<CGstMedia> Open(const std::string& uri, std::string& error);
    ~CGstMedia();
    CGstMedia(const CGstMedia&) = delete;
    CGstMedia& operator=(const CGstMedia&) = delete;

    MediaResult Play();
    MediaResult Pause();
    // Moves to `position` nanoseconds, keeping the playing or paused state.
    MediaResult SeekTo(int64_t position);
    std::optional<int64_t> Duration();
    std::optional<int64_t> Position();
    // The rate of the video; media without video (or with a variable rate) count a frame as
    // one millisecond, so frames and milliseconds agree for them.
    FrameRate Rate();

private:
    explicit CGstMedia(GstElement* playbin);
    MediaResult ChangeState(GstState state);
    // Waits up to `timeout` for the pending state change, then takes any error off the bus.
    MediaResult Settle(GstClockTime timeout);
    std::optional<int64_t> EstimatedDuration();
    // Drops the messages gathered since the last command.
    void DrainBus();

    GstElement* m_playbin;  // owned
    GstBus* m_bus;          // owned
};

}  // namespace lumetra
