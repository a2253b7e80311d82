// Figures of the whole program, measured on the real lumetra binary next to this one, without a
// display and with the transmitter simulator on COM1:
//   - time from process start to the login window shown (median of five starts);
//   - processor time used over 60 s while idle with the link up;
//   - resident memory after start.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "store/DeliveredDatabase.h"
#include "store/ProgramDir.h"
#include "tests/support/TestDatabase.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Starts `program` with `environment` added ("NAME=value"), its output going to `logPath`.
pid_t Spawn(const std::string& program, const std::vector<std::string>& environment,
            const std::string& logPath) {
    // Opened here, not in the child, so the log is empty before this returns.
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644),
              none = open("/dev/null", O_RDONLY);
    const pid_t pid = fork();
    if (pid == 0) {
        for (const std::string& entry : environment) putenv(const_cast<char*>(entry.c_str()));
        dup2(none, STDIN_FILENO);
        dup2(log, STDOUT_FILENO);
        dup2(log, STDERR_FILENO);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(log);
    close(none);
    return pid;
}

void Stop(pid_t pid) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

// Waits until `text` appears in the file; false after `limit`.
bool WaitForText(const std::string& path, const std::string& text, Clock::duration limit) {
    for (const auto deadline = Clock::now() + limit; Clock::now() < deadline;
         std::this_thread::sleep_for(2ms))
        if (ReadFile(path).find(text) != std::string::npos) return true;
    return false;
}

// User plus system time of a process, in seconds (fields 14 and 15 of its stat line).
double ProcessorSeconds(pid_t pid) {
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    unsigned long utime = 0, stime = 0;
    std::sscanf(stat.c_str() + stat.rfind(')') + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu",
                &utime, &stime);
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double ResidentMegabytes(pid_t pid) {
    const std::string status = ReadFile("/proc/" + std::to_string(pid) + "/status");
    const size_t at = status.find("VmRSS:");
    return at == std::string::npos ? -1 : std::atol(status.c_str() + at + 6) / 1024.0;
}

int Fail(const char* what) {
    std::fprintf(stderr, "bench_app: %s\n", what);
    return 1;
}

}  // namespace

int main() {
    const std::string bin = lumetra::ProgramDirectory();
    if (access((bin + "lumetra").c_str(), X_OK) != 0 || access((bin + "lumetra-txsim").c_str(), X_OK) != 0)
        return Fail("build lumetra and lumetra-txsim first (they belong next to bench_app)");
    // The program keeps its database next to itself: it runs from a copy in a private directory.
    lumetra::test::TempDir dir;
    const std::string program = dir.File("lumetra"), simLog = dir.File("txsim.log");
    std::string error;
    if (std::system(("cp '" + bin + "lumetra' '" + program + "'").c_str()) != 0 ||
        !lumetra::MakeDeliveredDatabase(dir.File("dbinfo.mdb"), &error))
        return Fail("could not prepare the program and its database");
    const pid_t simulator = Spawn(bin + "lumetra-txsim", {}, simLog);
    const bool simulatorUp = WaitForText(simLog, "\n", 5s);
    const std::string device = ReadFile(simLog).substr(0, ReadFile(simLog).find('\n'));
    if (!simulatorUp || device.empty() || device[0] != '/') {
        Stop(simulator);
        return Fail("the simulator did not start");
    }
    std::vector<std::string> environment = {"QT_QPA_PLATFORM=offscreen",     "LUMETRA_AUDIO_SINK=fakesink",
                                            "LUMETRA_COM1=" + device,        "TMPDIR=" + dir.Path(),
                                            "XDG_CONFIG_HOME=" + dir.Path(), "LUMETRA_DEBUG=1"};

    // Start-up: with LUMETRA_DEBUG the program logs the moment the login window is shown.
    std::vector<double> startMs;
    for (int run = 0; run < 5; ++run) {
        const auto started = Clock::now();
        const pid_t pid = Spawn(program, environment, dir.File("start.log"));
        const bool shown = WaitForText(dir.File("start.log"), "login window shown", 20s);
        startMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - started).count());
        Stop(pid);
        if (!shown) {
            Stop(simulator);
            return Fail("the login window did not show");
        }
    }
    std::sort(startMs.begin(), startMs.end());
    std::printf("start to login window: median %.0f ms (min %.0f, max %.0f, 5 starts; target < 1000 ms)\n",
                startMs[2], startMs.front(), startMs.back());

    // Idle: without the debug log, link up (the simulator answers the heartbeat), nobody logged in.
    environment.pop_back();
    const size_t framesBefore = ReadFile(simLog).size();
    const pid_t pid = Spawn(program, environment, dir.File("idle.log"));
    std::this_thread::sleep_for(5s);  // start-up done, first heartbeat answered
    const double residentMb = ResidentMegabytes(pid), before = ProcessorSeconds(pid);
    const auto from = Clock::now();
    std::this_thread::sleep_for(60s);
    const double used = ProcessorSeconds(pid) - before;
    const double wall = std::chrono::duration<double>(Clock::now() - from).count();
    // About twenty heartbeats went out during the minute; the simulator logged each one.
    const bool linkUp = ReadFile(simLog).find("SendSCOM", framesBefore) != std::string::npos;
    Stop(pid);
    Stop(simulator);
    std::printf(
        "idle over %.0f s with the link %s: %.2f s of processor time = %.2f%% of one core (target < 1%%)\n",
        wall, linkUp ? "up" : "DOWN", used, 100.0 * used / wall);
    std::printf("resident memory after start: %.1f MB (target < 150 MB)\n", residentMb);
    return 0;
}
