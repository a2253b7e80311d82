// The transmitter link against the simulator process on a pseudo-terminal:
//  - the delay the writer adds: from Enqueue to the frame's last byte read by the simulator, for
//    OpenChannels frames sent one at a time, each after the 100 ms spacing has passed;
//  - the processor time the link's two threads use while idle with the link up (heartbeat
//    every 3 s), scaled to a minute. LUMETRA_BENCH_IDLE_SECONDS sets the measured span (20 s).
#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "link/TransmitterLink.h"
#include "tools/txsim/SimulatorProcess.h"

namespace {

using namespace lumetra;
using namespace std::chrono_literals;

constexpr int kFrames = 100;
constexpr double kLineMsFor71Bytes = 71 * 10 * 1000.0 / 9600;  // start, 8 data bits, stop

std::string SimulatorPath() {
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "lumetra-txsim").string();
}

long long MonotonicMicros() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

double ProcessCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

void BM_EnqueueToLastByte(benchmark::State& state) {
    txsim::CSimulatorProcess simulator(SimulatorPath(), {"--hide-heartbeat"});
    CTransmitterLink link;
    if (!link.OpenPort(simulator.DevicePath(), 9600, 8)) {
        state.SkipWithError("the link cannot open the simulator's port");
        return;
    }
    ChannelFlags flags{};
    for (size_t i = 0; i < flags.size(); i += 3) flags[i] = 1;

    std::vector<double> delays;
    for (auto _ : state) {
        delays.clear();
        for (int i = 0; i < kFrames; ++i) {
            std::this_thread::sleep_for(120ms);  // the writer's spacing after the last frame has passed
            const long long enqueued = MonotonicMicros();
            OpenChannels(link, flags);
            const auto line = simulator.WaitForLine("\"event\":\"frame\"", 2s);
            if (!line) {
                state.SkipWithError("a frame did not arrive");
                return;
            }
            delays.push_back(static_cast<double>(std::stoll(txsim::JsonField(*line, "t_us")) - enqueued) /
                             1000.0);
        }
    }
    std::sort(delays.begin(), delays.end());
    const double median = (delays[kFrames / 2 - 1] + delays[kFrames / 2]) / 2;
    state.counters["median_ms"] = median;
    state.counters["max_ms"] = delays.back();
    std::printf(
        "Enqueue to last byte at the simulator, %d OpenChannels frames (71 bytes): median %.3f ms, "
        "max %.3f ms, min %.3f ms.\nOn a real 9600-baud line the same frame needs %.1f ms on the wire.\n",
        kFrames, median, delays.back(), delays.front(), kLineMsFor71Bytes);
}
BENCHMARK(BM_EnqueueToLastByte)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_IdleLinkCpuPerMinute(benchmark::State& state) {
    const char* configured = std::getenv("LUMETRA_BENCH_IDLE_SECONDS");
    const int seconds = configured ? std::max(1, std::atoi(configured)) : 20;
    txsim::CSimulatorProcess simulator(SimulatorPath(), {"--hide-heartbeat"});
    CTransmitterLink link;
    if (!link.OpenPort(simulator.DevicePath(), 9600, 8)) {
        state.SkipWithError("the link cannot open the simulator's port");
        return;
    }
    for (auto _ : state) {
        // The main window's heartbeat, every 3 s, keeps the link up.
        std::mutex lock;
        std::condition_variable_any wake;
        std::jthread heartbeat([&](std::stop_token stop) {
            std::unique_lock guard(lock);
            do link.SendSCOM();
            while (!wake.wait_for(guard, stop, 3s, [] { return false; }) && !stop.stop_requested());
        });
        std::this_thread::sleep_for(1s);  // settle: link up, first heartbeat answered
        const double cpuBefore = ProcessCpuMs();
        const auto wallBefore = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        const double cpu = ProcessCpuMs() - cpuBefore;
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
        const double perMinute = cpu * 60.0 / wall;
        state.counters["cpu_ms_per_min"] = perMinute;
        std::printf(
            "Idle link with heartbeat every 3 s, link %s: %.1f ms processor time per minute "
            "(%.2f%% of one core), measured over %.0f s.\n",
            link.IsLinkUp() ? "up" : "DOWN", perMinute, perMinute / 600.0, wall);
    }
}
BENCHMARK(BM_IdleLinkCpuPerMinute)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
