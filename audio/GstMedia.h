// One open media: a GStreamer playbin driven synchronously from the caller's thread. The bus is
// read with timed pops, so no GLib main loop has to run. Audio goes to the output in force
// (AudioOutput.h); video always goes to a silent sink, the system only feeds sound. Every call
// that can fail returns GStreamer's own text of the failure, or an empty text.
#pragma once

#include <gst/gst.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace lumetra {

// Called on a streaming thread when a media has played to its end. It must return at once (post a
// job, set a flag) and never call back into the media.
using MediaEndNotify = std::function<void()>;

// Carries a media's end from its streaming thread to whoever the control names. The control
// changes the receiver, the media calls it; the lock makes a change wait for a call under way.
class CMediaEndRelay {
public:
    void Set(MediaEndNotify notify);
    void Notify();

private:
    std::mutex m_lock;  // guards m_notify
    MediaEndNotify m_notify;
};

class CGstMedia {
public:
    // Builds a playbin for `uri` and waits until it is ready to play (paused at the start).
    // Returns nullptr and GStreamer's own error text when it cannot. The relay, when given, hears
    // of every end of the stream.
    static std::unique_ptr<CGstMedia> Open(const std::string& uri, std::string& error,
                                           std::shared_ptr<CMediaEndRelay> endRelay = nullptr);
    ~CGstMedia();
    CGstMedia(const CGstMedia&) = delete;
    CGstMedia& operator=(const CGstMedia&) = delete;

    std::string Play();
    std::string Pause();
    // Moves to `position` nanoseconds, keeping the playing or paused state.
    std::string SeekTo(int64_t position);
    std::optional<int64_t> Duration();
    std::optional<int64_t> Position();
    // The stream has played to its end since it was opened or last moved.
    bool Ended() const { return m_ended; }

private:
    CGstMedia(GstElement* playbin, std::shared_ptr<CMediaEndRelay> endRelay);
    static GstBusSyncReply OnBusMessage(GstBus* bus, GstMessage* message, gpointer self);
    std::string ChangeState(GstState state);
    // Pauses at the start and waits until the media is ready or has failed.
    std::string Preroll();
    // Waits up to `timeout` for the pending state change, then takes any error off the bus.
    std::string Settle(GstClockTime timeout);
    std::optional<int64_t> EstimatedDuration();
    // Drops the messages gathered since the last command.
    void DrainBus();

    GstElement* m_playbin;  // owned
    GstBus* m_bus;          // owned
    std::shared_ptr<CMediaEndRelay> m_endRelay;
    std::atomic<bool> m_ended{false};  // set on a streaming thread, cleared by a seek
};

}  // namespace lumetra
