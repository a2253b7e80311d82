#include "audio/GstMedia.h"

#include "audio/AudioOutput.h"

namespace lumetra {

namespace {

// Ready in milliseconds when the file is good, and a bad one reports its error at once; only a
// file whose data stops coming (a hung disk or share) is waited for this long.
constexpr GstClockTime kPrerollTimeout = 1 * GST_SECOND;
constexpr GstClockTime kSeekTimeout = 2 * GST_SECOND;
// An error may reach the bus a little after the failed state change returns.
constexpr GstClockTime kErrorGrace = 500 * GST_MSECOND;
// playbin's GST_PLAY_FLAG_SOFT_VOLUME, from a header the plugin does not install.
constexpr guint kSoftVolumeFlag = 0x10;
const char* const kStateChangeFailed = "The media engine could not change its state.";
const char* const kNotReadyInTime = "The media did not become ready in time.";
// Some streams tell their duration only after a moment.
constexpr GstClockTime kDurationGrace = 200 * GST_MSECOND;

std::string TakeError(GstBus* bus, GstClockTime timeout) {
    GstMessage* message = gst_bus_timed_pop_filtered(bus, timeout, GST_MESSAGE_ERROR);
    if (!message) return {};
    GError* error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    std::string text = error && error->message ? error->message : "";
    g_clear_error(&error);
    gst_message_unref(message);
    return text;
}

}  // namespace

void CMediaEndRelay::Set(MediaEndNotify notify) {
    std::lock_guard lock(m_lock);
    m_notify = std::move(notify);
}

void CMediaEndRelay::Notify() {
    std::lock_guard lock(m_lock);
    if (m_notify) m_notify();
}

std::unique_ptr<CGstMedia> CGstMedia::Open(const std::string& uri, std::string& error,
                                           std::shared_ptr<CMediaEndRelay> endRelay) {
    GstElement* audioSink = MakeAudioSink(&error);
    if (!audioSink) return nullptr;
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    if (!playbin) {
        gst_object_unref(gst_object_ref_sink(audioSink));
        error = "The GStreamer element \"playbin\" is not available.";
        return nullptr;
    }
    g_object_set(playbin, "uri", uri.c_str(), "audio-sink", audioSink, "video-sink",
                 MakeRealTimeSink("fakesink"), nullptr);
    // No software volume: the player never sets one, and the volume element the pipeline would
    // add for it is never released, so every playback would leave one behind.
    guint flags = 0;
    g_object_get(playbin, "flags", &flags, nullptr);
    g_object_set(playbin, "flags", flags & ~kSoftVolumeFlag, nullptr);
    std::unique_ptr<CGstMedia> media(new CGstMedia(playbin, std::move(endRelay)));
    error = media->Preroll();
    if (!error.empty()) return nullptr;
    return media;
}

CGstMedia::CGstMedia(GstElement* playbin, std::shared_ptr<CMediaEndRelay> endRelay)
    : m_playbin(playbin), m_bus(gst_element_get_bus(playbin)), m_endRelay(std::move(endRelay)) {
    gst_bus_set_sync_handler(m_bus, OnBusMessage, this, nullptr);
}

// Runs on a streaming thread. Only errors, duration changes and the end of a state change stay on
// the bus for the commands to read; the end of the stream is noted and told at once; everything else is
// dropped so that nothing piles up on a bus that nobody watches between commands.
GstBusSyncReply CGstMedia::OnBusMessage(GstBus*, GstMessage* message, gpointer self) {
    const GstMessageType type = GST_MESSAGE_TYPE(message);
    if (type == GST_MESSAGE_EOS) {
        auto* media = static_cast<CGstMedia*>(self);
        media->m_ended = true;
        if (media->m_endRelay) media->m_endRelay->Notify();
    }
    if (type == GST_MESSAGE_ERROR || type == GST_MESSAGE_DURATION_CHANGED || type == GST_MESSAGE_ASYNC_DONE)
        return GST_BUS_PASS;
    // A dropped message is the handler's to release: each one holds its source element, and
    // through it the whole pipeline with its bus and that bus's socket pair.
    gst_message_unref(message);
    return GST_BUS_DROP;
}

CGstMedia::~CGstMedia() {
    gst_element_set_state(m_playbin, GST_STATE_NULL);
    gst_bus_set_sync_handler(m_bus, nullptr, nullptr, nullptr);
    gst_bus_set_flushing(m_bus, TRUE);  // drops what is still queued
    gst_object_unref(m_bus);
    gst_object_unref(m_playbin);
}

void CGstMedia::DrainBus() {
    while (GstMessage* message = gst_bus_pop(m_bus)) gst_message_unref(message);
}

std::string CGstMedia::ChangeState(GstState state) {
    DrainBus();
    if (gst_element_set_state(m_playbin, state) != GST_STATE_CHANGE_FAILURE) return {};
    std::string text = TakeError(m_bus, kErrorGrace);
    return text.empty() ? kStateChangeFailed : text;
}

std::string CGstMedia::Preroll() {
    DrainBus();
    const GstStateChangeReturn change = gst_element_set_state(m_playbin, GST_STATE_PAUSED);
    if (change == GST_STATE_CHANGE_SUCCESS || change == GST_STATE_CHANGE_NO_PREROLL) return {};
    if (change == GST_STATE_CHANGE_FAILURE) {
        std::string text = TakeError(m_bus, kErrorGrace);
        return text.empty() ? kStateChangeFailed : text;
    }
    // Ready or failed, whichever comes first: a decoder that fails on a streaming thread posts
    // its error without ending the state change, which would otherwise be waited out in full.
    GstMessage* message = gst_bus_timed_pop_filtered(
        m_bus, kPrerollTimeout, static_cast<GstMessageType>(GST_MESSAGE_ERROR | GST_MESSAGE_ASYNC_DONE));
    if (!message) return kNotReadyInTime;
    std::string result;
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        result = error && error->message ? error->message : "The media cannot be played.";
        g_clear_error(&error);
    }
    gst_message_unref(message);
    return result;
}

std::string CGstMedia::Settle(GstClockTime timeout) {
    const GstStateChangeReturn change = gst_element_get_state(m_playbin, nullptr, nullptr, timeout);
    if (change == GST_STATE_CHANGE_SUCCESS || change == GST_STATE_CHANGE_NO_PREROLL) return {};
    std::string text = TakeError(m_bus, kErrorGrace);
    if (!text.empty()) return text;
    return change == GST_STATE_CHANGE_ASYNC ? kNotReadyInTime : kStateChangeFailed;
}

std::string CGstMedia::Play() {
    return ChangeState(GST_STATE_PLAYING);
}

std::string CGstMedia::Pause() {
    return ChangeState(GST_STATE_PAUSED);
}

std::string CGstMedia::SeekTo(int64_t position) {
    DrainBus();
    m_ended = false;
    if (!gst_element_seek_simple(m_playbin, GST_FORMAT_TIME,
                                 static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                                 position)) {
        return "The media cannot move to that position.";
    }
    // Wait for the new position to be ready, so that a following query already reports it.
    return Settle(kSeekTimeout);
}

std::optional<int64_t> CGstMedia::Duration() {
    gint64 duration = 0;
    if (gst_element_query_duration(m_playbin, GST_FORMAT_TIME, &duration)) return duration;
    if (const std::optional<int64_t> estimate = EstimatedDuration()) return estimate;
    GstMessage* changed = gst_bus_timed_pop_filtered(m_bus, kDurationGrace, GST_MESSAGE_DURATION_CHANGED);
    if (changed) gst_message_unref(changed);
    if (gst_element_query_duration(m_playbin, GST_FORMAT_TIME, &duration)) return duration;
    return std::nullopt;
}

std::optional<int64_t> CGstMedia::EstimatedDuration() {
    // An MP3 without a VBR header tells its duration only after some fifty frames have played;
    // until then its size over its bit rate gives it, as the parser itself will later.
    gint64 bytes = 0;
    if (!gst_element_query_duration(m_playbin, GST_FORMAT_BYTES, &bytes) || bytes <= 0) return std::nullopt;
    GstTagList* tags = nullptr;
    g_signal_emit_by_name(m_playbin, "get-audio-tags", 0, &tags);
    if (!tags) return std::nullopt;
    guint bitrate = 0;
    if (!gst_tag_list_get_uint(tags, GST_TAG_NOMINAL_BITRATE, &bitrate) || bitrate == 0) {
        gst_tag_list_get_uint(tags, GST_TAG_BITRATE, &bitrate);
    }
    gst_tag_list_unref(tags);
    if (bitrate == 0) return std::nullopt;
    return static_cast<int64_t>(gst_util_uint64_scale(static_cast<guint64>(bytes) * 8, GST_SECOND, bitrate));
}

std::optional<int64_t> CGstMedia::Position() {
    gint64 position = 0;
    if (gst_element_query_position(m_playbin, GST_FORMAT_TIME, &position)) return position;
    return std::nullopt;
}

}  // namespace lumetra
