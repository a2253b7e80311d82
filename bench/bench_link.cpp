// The transmitter link against the simulator process on a pseudo-terminal:
//  - the delay the writer adds: from Enqueue to the frame's last byte read by the simulator, for
//    100 OpenChannels frames sent one at a time, each after the 100 ms spacing has passed;
//  - the processor time the link's two threads use while idle with the link up (heartbeat
//    every 3 s), scaled to a minute. LUMETRA_BENCH_IDLE_SECONDS sets the measured span (20 s);
//  - after the simulator hangs up for a second and comes back on a new device, the time from its
//    return to the first heartbeat it answers, over five hang-ups.
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <thread>
#include <vector>

#include "link/TransmitterLink.h"
#include "tools/txsim/SimulatorProcess.h"

using namespace lumetra;
using namespace std::chrono_literals;

static double ClockMs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The transmitter unplugged and plugged in again, with the main window's heartbeat every 3 s.
static int HangUpFigures(const std::string& simulatorPath) {
    const std::string stable =
        (std::filesystem::temp_directory_path() / ("lumetra-bench-" + std::to_string(getpid()))).string();
    txsim::CSimulatorProcess simulator(simulatorPath, {"--link", stable, "--down-for", "1"});
    setenv("LUMETRA_COM4", stable.c_str(), 1);
    CTransmitterLink link;
    if (!link.OpenPort("com4", 9600, 8)) return std::puts("the link cannot open the port"), 1;
    std::jthread heartbeat([&](std::stop_token stop) {
        while (!stop.stop_requested()) {
            link.SendSCOM();
            for (int i = 0; i < 30 && !stop.stop_requested(); ++i) std::this_thread::sleep_for(100ms);
        }
    });
    std::this_thread::sleep_for(4s);
    std::vector<double> waits;
    for (int round = 0; round < 5; ++round) {
        simulator.Command("hangup");
        const auto back = simulator.WaitForLine("\"event\":\"back\"", 10s);
        if (!back) return std::puts("the simulator did not come back"), 1;
        std::optional<std::string> answered;
        while ((answered = simulator.WaitForLine("\"event\":\"frame\"", 10s)) &&
               txsim::JsonField(*answered, "reply").empty()) {
        }
        if (!answered) return std::puts("no heartbeat was answered after the return"), 1;
        waits.push_back(static_cast<double>(std::stoll(txsim::JsonField(*answered, "t_us")) -
                                            std::stoll(txsim::JsonField(*back, "t_us"))) /
                        1e6);
        std::this_thread::sleep_for(2s);
    }
    std::sort(waits.begin(), waits.end());
    std::printf(
        "Simulator back after a 1 s hang-up to the first answered heartbeat (every 3 s), %zu times: median "
        "%.2f s, max %.2f s, min %.2f s.\n",
        waits.size(), waits[waits.size() / 2], waits.back(), waits.front());
    heartbeat.request_stop();
    link.CloseLink(false);
    return 0;
}

int main() {
    const auto simulatorPath =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "lumetra-txsim";
    txsim::CSimulatorProcess simulator(simulatorPath.string(), {"--hide-heartbeat"});
    CTransmitterLink link;
    if (!link.OpenPort(simulator.DevicePath(), 9600, 8)) return std::puts("the link cannot open the port"), 1;

    ChannelFlags flags{};
    for (size_t i = 0; i < flags.size(); i += 3) flags[i] = 1;
    std::vector<double> delays;
    for (int i = 0; i < 100; ++i) {
        std::this_thread::sleep_for(120ms);  // the writer's spacing after the last frame has passed
        const double enqueued = ClockMs(CLOCK_MONOTONIC);
        OpenChannels(link, flags);
        const auto line = simulator.WaitForLine("\"event\":\"frame\"", 2s);
        if (!line) return std::puts("a frame did not arrive"), 1;
        delays.push_back(static_cast<double>(std::stoll(txsim::JsonField(*line, "t_us"))) / 1e3 - enqueued);
    }
    std::sort(delays.begin(), delays.end());
    std::printf(
        "Enqueue to last byte at the simulator, %zu OpenChannels frames (71 bytes): median %.3f ms, max %.3f "
        "ms, "
        "min %.3f ms.\nOn a real 9600-baud line the same frame needs %.1f ms on the wire.\n",
        delays.size(), (delays[49] + delays[50]) / 2, delays.back(), delays.front(),
        71 * 10 * 1000.0 / 9600);  // start bit, 8 data bits, stop bit

    const char* configured = std::getenv("LUMETRA_BENCH_IDLE_SECONDS");
    const double seconds = configured ? std::max(1, std::atoi(configured)) : 20;
    std::jthread heartbeat([&](std::stop_token stop) {  // the main window's, every 3 s
        for (; !stop.stop_requested(); std::this_thread::sleep_for(3s)) link.SendSCOM();
    });
    std::this_thread::sleep_for(1s);  // settle: link up, first heartbeat answered
    const double cpuBefore = ClockMs(CLOCK_PROCESS_CPUTIME_ID), wallBefore = ClockMs(CLOCK_MONOTONIC);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double wall = ClockMs(CLOCK_MONOTONIC) - wallBefore;
    const double perMinute = (ClockMs(CLOCK_PROCESS_CPUTIME_ID) - cpuBefore) * 60000.0 / wall;
    std::printf(
        "Idle link with heartbeat every 3 s, link %s: %.1f ms processor time per minute "
        "(%.2f%% of one core), measured over %.0f s.\n",
        link.IsLinkUp() ? "up" : "DOWN", perMinute, perMinute / 600.0, wall / 1000);
    heartbeat.request_stop();
    link.CloseLink(false);
    return HangUpFigures(simulatorPath.string());
}
