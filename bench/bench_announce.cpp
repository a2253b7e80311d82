// Figures of the emergency broadcast and the announcements, on real GStreamer with a sink of this
// program's own that notes when the first buffer plays (in real time, silently), and the
// transmitter simulator on a pseudo-terminal:
//   - from the confirmed emergency to the all-on frame at the transmitter, and to the alarm's
//     first buffer played;
//   - the live announcement's latency from the source's capture to the output;
//   - rendering a 50-character spoken announcement.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "BenchSink.h"
#include "audio/LiveAudio.h"
#include "audio/SpeechRenderer.h"
#include "link/TransmitterLink.h"
#include "schedule/SystemClock.h"
#include "station/Station.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/TestDatabase.h"
#include "tools/txsim/SimulatorProcess.h"

namespace {

using namespace lumetra;
using namespace std::chrono_literals;

double MsSince(int64_t startUs, int64_t endUs) {
    return static_cast<double>(endUs - startUs) / 1000;
}

// Reads the simulator until a frame whose text is `text`; when it was read, or 0.
int64_t FrameAt(txsim::CSimulatorProcess& simulator, const std::string& text) {
    while (const auto line = simulator.ReadLine(3s))
        if (txsim::JsonField(*line, "event") == "frame" && txsim::JsonField(*line, "text") == text)
            return bench::Now();
    return 0;
}

void Emergency(std::vector<double>& toFrame, std::vector<double>& toBuffer) {
    txsim::CSimulatorProcess simulator(LUMETRA_TXSIM_PATH);
    setenv("LUMETRA_COM1", simulator.DevicePath().c_str(), 1);
    test::TestDatabase database;
    CTransmitterLink link;
    CSystemClock clock;
    CStation station(database.Db(), link, clock);
    station.Start();
    simulator.WaitForLine("SendSCOM", 10s);  // connected
    for (int run = 0; run < 20; ++run) {
        bench::g_firstBufferAt = 0;
        const int64_t start = bench::Now();
        station.StartEmergency(test::Fixture(test::kWav));
        const int64_t frame = FrameAt(simulator, "channels on: all");
        while (bench::g_firstBufferAt == 0 && bench::Now() - start < 5'000'000)
            std::this_thread::sleep_for(100us);
        if (frame) toFrame.push_back(MsSince(start, frame));
        if (bench::g_firstBufferAt) toBuffer.push_back(MsSince(start, bench::g_firstBufferAt));
        station.StopEmergency();
        FrameAt(simulator, "all outlets off");
        // The link sends a frame at most every 100 ms: the next run starts from an idle link.
        std::this_thread::sleep_for(300ms);
    }
    station.Shutdown();
}

void Paging(std::vector<double>& latency) {
    for (int run = 0; run < 10; ++run) {
        CLiveAudio live;
        if (!live.Start("audiotestsrc is-live=true wave=sine freq=440").empty()) return;
        const int64_t start = bench::Now();
        while (live.Buffers() < 50 && bench::Now() - start < 3'000'000) std::this_thread::sleep_for(1ms);
        if (const auto ms = live.LatencyMs()) latency.push_back(*ms);
    }
}

void Speech(std::vector<double>& render) {
    test::TempDir cache;
    const CSpeechRenderer renderer(cache.Path());
    const std::string text =
        "各位老师同学请注意，今天下午三点在操场举行消防疏散演练，请按照指定路线有序撤离，不要拥挤，谢谢合"
        "作";  // with the number: 50
    for (int run = 0; run < 10; ++run) {
        const int64_t start = bench::Now();
        const SpeechResult result = renderer.Render(text + std::to_string(run), CSpeechRenderer::kNormal);
        if (result.Ok()) render.push_back(MsSince(start, bench::Now()));
    }
}

}  // namespace

int main() {
    bench::UseBenchSink();
    std::vector<double> toFrame, toBuffer, latency, render;
    Emergency(toFrame, toBuffer);
    Paging(latency);
    Speech(render);
    bench::Print("emergency: confirmed -> all-on frame at the transmitter", toFrame, 200);
    bench::Print("emergency: confirmed -> first alarm buffer played", toBuffer, 200);
    bench::Print("live announcement: capture -> output", latency, 100);
    bench::Print("spoken announcement: render 50 characters", render, 1000);
    return toFrame.empty() || toBuffer.empty() || latency.empty() || render.empty();
}
