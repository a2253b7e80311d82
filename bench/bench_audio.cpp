// Audio figures: the time from CMediaPlayer::Open to playback (the sink's clock running on the
// first buffer) for the MP3 and the WAV fixture, next to a bare playbin in this process and to
// gst-launch-1.0 playbin as a separate program on the same files; and CMp3Info::Open per file
// over 100 MP3 files. Audio goes to a silent sink that plays in real time, unless
// LUMETRA_AUDIO_SINK names another.
#include <benchmark/benchmark.h>
#include <gst/gst.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "audio/GstMediaControl.h"
#include "audio/MediaPlayer.h"
#include "audio/Mp3Info.h"
#include "store/Recordset.h"
#include "tests/audio/fixtures/AudioFixtures.h"
#include "tests/support/TestDatabase.h"

namespace {

using namespace lumetra;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

bool HaveFixture(benchmark::State& state, const std::string& path) {
    if (std::filesystem::exists(path)) return true;
    state.SkipWithError(("missing " + path + " (build the audio_fixtures target)").c_str());
    return false;
}

// Open, play from the start, and wait until the position moves.
void BM_PlayerOpenToPlayback(benchmark::State& state, const char* fixture) {
    const std::string path = test::Fixture(fixture);
    if (!HaveFixture(state, path)) return;
    CGstMediaControl control;
    CMediaPlayer player(control);
    std::string warmUp;  // the first open loads the plugins; that is not what is measured
    player.Open(path, warmUp);
    player.Close();
    for (auto _ : state) {
        const auto start = Clock::now();
        std::string result;
        player.Open(path, result);
        if (result != "OK") {
            state.SkipWithError(result.c_str());
            return;
        }
        player.Play(0);
        while (LeadingInt(control.Send("status myMedia position").text) <= 0) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        state.SetIterationTime(Seconds(Clock::now() - start));
        player.Close();
    }
}

void OnHandoff(GstElement*, GstBuffer*, GstPad*, gpointer flag) {
    static_cast<std::atomic<bool>*>(flag)->store(true);
}

// The same with a bare playbin and a sink that signals its first rendered buffer.
void BM_BarePlaybinToFirstBuffer(benchmark::State& state, const char* fixture) {
    const std::string path = test::Fixture(fixture);
    if (!HaveFixture(state, path)) return;
    gchar* uri = gst_filename_to_uri(path.c_str(), nullptr);
    for (auto _ : state) {
        std::atomic<bool> rendered{false};
        const auto start = Clock::now();
        GstElement* playbin = gst_element_factory_make("playbin", nullptr);
        GstElement* sink = gst_element_factory_make("fakesink", nullptr);
        g_object_set(sink, "sync", TRUE, "signal-handoffs", TRUE, nullptr);
        g_signal_connect(sink, "handoff", G_CALLBACK(OnHandoff), &rendered);
        g_object_set(playbin, "uri", uri, "audio-sink", sink, nullptr);
        gst_element_set_state(playbin, GST_STATE_PLAYING);
        while (!rendered.load()) std::this_thread::sleep_for(std::chrono::microseconds(200));
        state.SetIterationTime(Seconds(Clock::now() - start));
        gst_element_set_state(playbin, GST_STATE_NULL);
        gst_object_unref(playbin);
    }
    g_free(uri);
}

// gst-launch-1.0 as its own process, from its start to its first "chain" line (the sink
// rendering a buffer); the process is then ended.
void BM_GstLaunchToFirstBuffer(benchmark::State& state, const char* fixture) {
    const std::string path = test::Fixture(fixture);
    if (!HaveFixture(state, path)) return;
    gchar* uri = gst_filename_to_uri(path.c_str(), nullptr);
    const std::string uriArg = std::string("uri=") + uri;
    g_free(uri);
    for (auto _ : state) {
        int out[2];
        if (pipe(out) != 0) {
            state.SkipWithError("pipe failed");
            return;
        }
        const auto start = Clock::now();
        const pid_t child = fork();
        if (child == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            execlp("gst-launch-1.0", "gst-launch-1.0", "-v", "playbin", uriArg.c_str(),
                   "audio-sink=fakesink sync=true silent=false", "video-sink=fakesink", nullptr);
            _exit(127);
        }
        close(out[1]);
        FILE* lines = fdopen(out[0], "r");
        char line[4096];
        bool rendered = false;
        while (!rendered && std::fgets(line, sizeof line, lines))
            rendered = std::strstr(line, "chain") != nullptr;
        const auto elapsed = Clock::now() - start;
        kill(child, SIGTERM);  // the program we started, no longer needed
        std::fclose(lines);
        waitpid(child, nullptr, 0);
        if (!rendered) {
            state.SkipWithError("gst-launch-1.0 rendered nothing (is gstreamer1.0-tools installed?)");
            return;
        }
        state.SetIterationTime(Seconds(elapsed));
    }
}

void BM_Mp3InfoOpenPerFile(benchmark::State& state) {
    const char* kinds[] = {test::kCbrMp3, test::kVbrMp3, test::kV1RockMp3, test::kLongMp3};
    for (const char* kind : kinds) {
        if (!HaveFixture(state, test::Fixture(kind))) return;
    }
    test::TempDir dir;
    std::vector<std::string> files;
    for (int i = 0; i < 100; ++i) {
        files.push_back(dir.File("file" + std::to_string(i) + ".mp3"));
        std::filesystem::copy_file(test::Fixture(kinds[i % 4]), files.back());
    }
    for (auto _ : state) {
        for (const std::string& file : files) {
            CMp3Info info;
            benchmark::DoNotOptimize(info.Open(file));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(files.size()));
    state.counters["per_file"] =
        benchmark::Counter(static_cast<double>(state.iterations() * files.size()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK_CAPTURE(BM_PlayerOpenToPlayback, mp3, test::kCbrMp3)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlayerOpenToPlayback, wav, test::kWav)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BarePlaybinToFirstBuffer, mp3, test::kCbrMp3)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BarePlaybinToFirstBuffer, wav, test::kWav)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GstLaunchToFirstBuffer, mp3, test::kCbrMp3)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GstLaunchToFirstBuffer, wav, test::kWav)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mp3InfoOpenPerFile)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("LUMETRA_AUDIO_SINK", "fakesink", 0);
    test::KeepGstRegistryInBuildTree();
    gst_init(&argc, &argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
