#include "audio/LiveAudio.h"

#include <algorithm>
#include <cstdlib>

#include "audio/AudioOutput.h"
#include "base/Logger.h"

namespace lumetra {

namespace {

// Small buffers on every element that has them, including those autoaudiosrc picks inside itself.
void KeepBuffersSmall(GstElement* element) {
    GObjectClass* type = G_OBJECT_GET_CLASS(element);
    if (g_object_class_find_property(type, "buffer-time"))
        g_object_set(element, "buffer-time", CLiveAudio::kSourceBufferUs * 2, nullptr);
    if (g_object_class_find_property(type, "latency-time"))
        g_object_set(element, "latency-time", CLiveAudio::kSourcePeriodUs, nullptr);
}

void OnDeepElementAdded(GstBin*, GstBin*, GstElement* element, gpointer) {
    KeepBuffersSmall(element);
}

void LinkDecodedPad(GstElement*, GstPad* pad, gpointer convert) {
    GstPad* target = gst_element_get_static_pad(static_cast<GstElement*>(convert), "sink");
    if (!gst_pad_is_linked(target)) gst_pad_link(pad, target);  // the first stream only
    gst_object_unref(target);
}

}  // namespace

CLiveAudio::~CLiveAudio() {
    Stop();
}

std::string CLiveAudio::Start(const std::string& source) {
    Stop();
    GError* error = nullptr;
    GstElement* input = gst_parse_bin_from_description(source.c_str(), TRUE, &error);
    if (!input) {
        std::string text = error ? error->message : "unknown source";
        g_clear_error(&error);
        return "the input cannot be built: " + text;
    }
    return Run(input, true);
}

std::string CLiveAudio::StartFile(const std::string& path) {
    Stop();
    GstElement* input = gst_element_factory_make("uridecodebin", nullptr);
    gchar* uri = gst_filename_to_uri(path.c_str(), nullptr);
    if (!input || !uri) {
        g_free(uri);
        if (input) gst_object_unref(gst_object_ref_sink(input));
        return "the file cannot be opened: " + path;
    }
    g_object_set(input, "uri", uri, nullptr);
    g_free(uri);
    return Run(input, false);
}

std::string CLiveAudio::Run(GstElement* input, bool linkNow) {
    m_buffers = 0;
    m_peak = 0;
    m_arrivalNs = -1;
    std::string sinkError;
    GstElement* sink =
        m_route == AudioRoute::kMonitor ? MakeMonitorSink(&sinkError) : MakeAudioSink(&sinkError);
    if (!sink) {
        gst_object_unref(gst_object_ref_sink(input));
        return sinkError;
    }
    m_pipeline = gst_pipeline_new("live");
    g_signal_connect(m_pipeline, "deep-element-added", G_CALLBACK(OnDeepElementAdded), nullptr);
    GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
    GstElement* resample = gst_element_factory_make("audioresample", nullptr);
    GstElement* format = gst_element_factory_make("capsfilter", nullptr);
    GstCaps* caps = gst_caps_from_string("audio/x-raw,format=S16LE");
    g_object_set(format, "caps", caps, nullptr);
    gst_caps_unref(caps);
    KeepBuffersSmall(sink);
    gst_bin_add_many(GST_BIN(m_pipeline), input, convert, resample, format, sink, nullptr);
    const bool linked =
        gst_element_link_many(convert, resample, format, sink, nullptr) &&
        (linkNow ? gst_element_link(input, convert)
                 // A decoder's output appears once it knows the stream.
                 : g_signal_connect(input, "pad-added", G_CALLBACK(LinkDecodedPad), convert) != 0);
    if (!linked) {
        Stop();
        return "the input cannot be linked to the output";
    }
    GstPad* pad = gst_element_get_static_pad(sink, "sink");
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &CLiveAudio::OnBuffer, this, nullptr);
    gst_object_unref(pad);
    if (gst_element_set_state(m_pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        Stop();
        return "the input does not start";
    }
    return {};
}

bool CLiveAudio::WaitForEnd(std::chrono::milliseconds limit, std::string* error) {
    if (!m_pipeline) return true;
    GstBus* bus = gst_element_get_bus(m_pipeline);
    GstMessage* message =
        gst_bus_timed_pop_filtered(bus, static_cast<GstClockTime>(limit.count()) * GST_MSECOND,
                                   static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    gst_object_unref(bus);
    if (!message) return false;
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
        GError* failure = nullptr;
        gst_message_parse_error(message, &failure, nullptr);
        *error = failure ? failure->message : "GStreamer error";
        Logger().Log("live audio: %s", error->c_str());
        g_clear_error(&failure);
    }
    gst_message_unref(message);
    return true;
}

void CLiveAudio::Stop() {
    if (!m_pipeline) return;
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    gst_object_unref(m_pipeline);
    m_pipeline = nullptr;
}

GstPadProbeReturn CLiveAudio::OnBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer self) {
    auto* live = static_cast<CLiveAudio*>(self);
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    GstElement* sink = gst_pad_get_parent_element(pad);
    GstClock* clock = sink ? gst_element_get_clock(sink) : nullptr;
    if (clock && GST_BUFFER_PTS_IS_VALID(buffer)) {
        const GstClockTime now = gst_clock_get_time(clock) - gst_element_get_base_time(sink);
        live->m_arrivalNs = static_cast<int64_t>(now) - static_cast<int64_t>(GST_BUFFER_PTS(buffer));
        if (live->m_buffers == 0 && live->m_pipeline) {
            GstQuery* query = gst_query_new_latency();
            if (gst_element_query(live->m_pipeline, query)) {
                GstClockTime minimum = 0;
                gst_query_parse_latency(query, nullptr, &minimum, nullptr);
                live->m_pipelineLatencyNs = static_cast<int64_t>(minimum);
            }
            gst_query_unref(query);
        }
    }
    if (clock) gst_object_unref(clock);
    if (sink) gst_object_unref(sink);
    GstMapInfo map;
    if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        const auto* samples = reinterpret_cast<const int16_t*>(map.data);
        int peak = live->m_peak;
        for (size_t i = 0; i < map.size / 2; ++i)
            peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
        live->m_peak = peak;
        gst_buffer_unmap(buffer, &map);
    }
    ++live->m_buffers;
    return GST_PAD_PROBE_OK;
}

std::optional<double> CLiveAudio::LatencyMs() const {
    const int64_t arrival = m_arrivalNs;
    if (arrival < 0) return std::nullopt;
    return static_cast<double>(std::max<int64_t>(arrival, 0) + m_pipelineLatencyNs) / 1e6;
}

std::string MicrophoneSource() {
    if (const char* source = std::getenv("LUMETRA_PAGING_SOURCE"); source && *source)
        return std::string(source) == "none" ? std::string() : source;
    GstDeviceMonitor* monitor = gst_device_monitor_new();
    gst_device_monitor_add_filter(monitor, "Audio/Source", nullptr);
    GList* devices = gst_device_monitor_get_devices(monitor);
    const bool any = devices != nullptr;
    g_list_free_full(devices, gst_object_unref);
    gst_object_unref(monitor);
    return any ? "autoaudiosrc" : std::string();
}

}  // namespace lumetra
