// Live sound to the output that feeds the transmitter: the PC's microphone (or another source)
// through a GStreamer pipeline with small buffers, for the operator's spoken announcements; or a
// file to the monitor output, which only the operator hears. What reaches the output is watched at
// the output's input: how many buffers, how loud, how late.
#pragma once

#include <gst/gst.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <string>

namespace lumetra {

enum class AudioRoute { kBroadcast, kMonitor };

class CLiveAudio {
public:
    static constexpr gint64 kSourceBufferUs = 20000;  // what the source holds before it hands on
    static constexpr gint64 kSourcePeriodUs = 10000;  // the size of one captured buffer

    explicit CLiveAudio(AudioRoute route = AudioRoute::kBroadcast) : m_route(route) {}
    ~CLiveAudio();
    CLiveAudio(const CLiveAudio&) = delete;
    CLiveAudio& operator=(const CLiveAudio&) = delete;

    // Builds `source` (a launch description such as "autoaudiosrc") -> convert -> resample -> the
    // output in force (the broadcast's or the monitor), and starts it. Returns an error text, empty on
    // success.
    std::string Start(const std::string& source);
    // The same with the decoded audio file at `path` as the source.
    std::string StartFile(const std::string& path);
    // True once a source that ends (a file, a tone) has played out or failed (`error` then says
    // why); waits up to `limit`.
    bool WaitForEnd(std::chrono::milliseconds limit, std::string* error);
    void Stop();
    bool IsRunning() const { return m_pipeline != nullptr; }

    // What has reached the output since the start.
    int64_t Buffers() const { return m_buffers; }
    int PeakLevel() const { return m_peak; }  // of the 16-bit samples
    // How long after its capture the last buffer will be heard: the time it reached the output
    // after its capture, plus the latency the output adds before it plays a buffer.
    std::optional<double> LatencyMs() const;

private:
    std::string Run(GstElement* input, bool linkNow);
    static GstPadProbeReturn OnBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer self);

    const AudioRoute m_route;
    GstElement* m_pipeline = nullptr;
    std::atomic<int64_t> m_buffers{0};
    std::atomic<int> m_peak{0};
    std::atomic<int64_t> m_arrivalNs{-1};  // of the last buffer
    std::atomic<int64_t> m_pipelineLatencyNs{0};
};

// The launch description of the microphone: LUMETRA_PAGING_SOURCE when set ("none" for a machine
// without one), else autoaudiosrc when the machine has an audio input; empty when it has none.
// May take a moment.
std::string MicrophoneSource();

}  // namespace lumetra
