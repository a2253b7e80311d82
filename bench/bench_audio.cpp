// Audio figures: the time from CMediaEngine::Open to playback (the position moving once the sink's
// clock runs on the first buffer) for the MP3 and the WAV fixture, next to gst-launch-1.0 playbin
// on the same files (from its start to the sink's first buffer); CMp3Info::Open per file over 1,000
// mixed MP3 files (every kind of stream and tag the fixtures hold); the frame count of a 10 MB file
// whose bit rate varies and that has no VBR header. Audio goes to a silent sink that plays in real time,
// unless LUMETRA_AUDIO_SINK names another.
#include <benchmark/benchmark.h>
#include <gst/gst.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <thread>

#include "audio/MediaEngine.h"
#include "audio/Mp3Info.h"
#include "audio/MpegFrames.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/TestDatabase.h"

namespace {

using namespace lumetra;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

void BM_PlayerOpenToPlayback(benchmark::State& state, const char* fixture) {
    CMediaEngine engine;
    const auto noRetry = [](auto) { return false; };
    engine.Open(test::Fixture(fixture), noRetry);  // the first open loads the plugins; not measured
    engine.Close();
    for (auto _ : state) {
        const auto start = Clock::now();
        const MediaOpenResult opened = engine.Open(test::Fixture(fixture), noRetry);
        if (!opened.Ok()) return state.SkipWithError(opened.detail.c_str());
        engine.Play();
        while (engine.PositionMs().value_or(0) <= 0)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        state.SetIterationTime(Seconds(Clock::now() - start));
        engine.Close();
    }
}

// gst-launch-1.0 as its own process until its first "chain" line (the sink rendering a buffer); the
// process we started is then ended.
void BM_GstLaunchToFirstBuffer(benchmark::State& state, const char* fixture) {
    gchar* uri = gst_filename_to_uri(test::Fixture(fixture).c_str(), nullptr);
    const std::string uriArg = std::string("uri=") + (uri ? uri : "");
    g_free(uri);
    for (auto _ : state) {
        int out[2];
        if (pipe(out) != 0) return state.SkipWithError("pipe failed");
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
        kill(child, SIGTERM);
        std::fclose(lines);
        waitpid(child, nullptr, 0);
        if (!rendered)
            return state.SkipWithError("gst-launch-1.0 rendered nothing (gstreamer1.0-tools missing?)");
        state.SetIterationTime(Seconds(elapsed));
    }
}

void BM_Mp3InfoOpenPerFile(benchmark::State& state) {
    const char* kinds[] = {test::kCbrMp3,       test::kVbrMp3,   test::kV1RockMp3, test::kLongMp3,
                           test::kVbrXingMpeg2, test::kVbrMpeg1, test::kCbrMpeg25, test::kLeadingJunk,
                           test::kJunkInside,   test::kVbrMpeg2};
    test::TempDir dir;
    std::vector<std::string> files;
    std::error_code error;
    for (int i = 0; i < 1000 && !error; ++i) {
        files.push_back(dir.File("file" + std::to_string(i) + ".mp3"));
        std::filesystem::copy_file(test::Fixture(kinds[i % std::size(kinds)]), files.back(), error);
    }
    if (error) return state.SkipWithError(("fixtures missing: " + error.message()).c_str());
    for (auto _ : state) {
        for (const std::string& file : files) {
            CMp3Info info;
            benchmark::DoNotOptimize(info.Open(file));
        }
    }
    state.counters["per_file"] =
        benchmark::Counter(static_cast<double>(state.iterations() * files.size()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The frames of a 10 MB file without a VBR header: the fixture's frames over and over.
void BM_FrameCount10MB(benchmark::State& state) {
    const test::Bytes frames = test::ReadBytes(test::Fixture(test::kVbrMpeg1));
    if (frames.empty()) return state.SkipWithError("fixtures missing");
    test::TempDir dir;
    test::Bytes big;
    while (big.size() < 10u << 20) big.insert(big.end(), frames.begin(), frames.end());
    test::WriteBytes(dir.File("big.mp3"), big);
    for (auto _ : state) benchmark::DoNotOptimize(Mp3LengthMs(dir.File("big.mp3")));
    state.counters["seconds_of_audio"] =
        static_cast<double>(Mp3LengthMs(dir.File("big.mp3")).value_or(0)) / 1000;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("LUMETRA_AUDIO_SINK", "fakesink", 0);
    test::KeepGstRegistryInBuildTree();
    gst_init(&argc, &argv);
    for (const auto& [label, fixture] : {std::pair{"mp3", test::kCbrMp3}, std::pair{"wav", test::kWav}}) {
        benchmark::RegisterBenchmark((std::string("BM_PlayerOpenToPlayback/") + label).c_str(),
                                     BM_PlayerOpenToPlayback, fixture)
            ->UseManualTime()
            ->Iterations(20)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("BM_GstLaunchToFirstBuffer/") + label).c_str(),
                                     BM_GstLaunchToFirstBuffer, fixture)
            ->UseManualTime()
            ->Iterations(5)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("BM_Mp3InfoOpenPerFile", BM_Mp3InfoOpenPerFile)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_FrameCount10MB", BM_FrameCount10MB)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
