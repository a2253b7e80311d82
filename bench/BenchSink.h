// A sink of the benchmarks' own that notes, in real time and silently, when the first buffer of
// each file is played and when each file ends; installed as the output of every playback with
// UseBenchSink(). Included by one source file of each benchmark program.
#pragma once

#include <gst/base/gstbasesink.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "BenchFigures.h"
#include "tests/support/AudioFixtures.h"

namespace bench {

// When the newest file's first buffer was played, and when the last file ended (0: not yet).
inline std::atomic<int64_t> g_firstBufferAt{0};
inline std::atomic<int64_t> g_endAt{0};
inline std::atomic<int64_t> g_lastBufferEndsAt{0};  // when the buffer played last runs out

inline int64_t Now() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

struct BenchSink {
    GstBaseSink parent;
    gboolean rendered;
};
struct BenchSinkClass {
    GstBaseSinkClass parent_class;
};

G_DEFINE_TYPE(BenchSink, bench_sink, GST_TYPE_BASE_SINK)

static GstFlowReturn Render(GstBaseSink* sink, GstBuffer* buffer) {
    auto* self = reinterpret_cast<BenchSink*>(sink);
    const int64_t now = Now();
    if (!self->rendered) g_firstBufferAt = now;
    self->rendered = TRUE;
    // Synchronised to the clock, a buffer is played from now for its duration.
    g_lastBufferEndsAt =
        now + (GST_BUFFER_DURATION_IS_VALID(buffer) ? GST_BUFFER_DURATION(buffer) / 1000 : 0);
    return GST_FLOW_OK;
}

// The file ends when its last buffer has run out.
static gboolean Event(GstBaseSink* sink, GstEvent* event) {
    if (GST_EVENT_TYPE(event) == GST_EVENT_EOS) g_endAt = g_lastBufferEndsAt.load();
    return GST_BASE_SINK_CLASS(bench_sink_parent_class)->event(sink, event);
}

static void bench_sink_init(BenchSink* self) {
    self->rendered = FALSE;
}

static void bench_sink_class_init(BenchSinkClass* klass) {
    GstElementClass* element = GST_ELEMENT_CLASS(klass);
    gst_element_class_add_pad_template(
        element, gst_pad_template_new("sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_CAPS_ANY));
    gst_element_class_set_static_metadata(element, "Lumetra bench sink", "Sink", "Notes when buffers play",
                                          "Lumetra");
    GST_BASE_SINK_CLASS(klass)->render = Render;
    GST_BASE_SINK_CLASS(klass)->event = Event;
}

// Every output from here on is the bench sink.
inline void UseBenchSink() {
    setenv("LUMETRA_AUDIO_SINK", "lumetrabenchsink", 1);
    lumetra::test::KeepGstRegistryInBuildTree();
    gst_init(nullptr, nullptr);
    gst_element_register(nullptr, "lumetrabenchsink", GST_RANK_NONE, bench_sink_get_type());
}

}  // namespace bench
