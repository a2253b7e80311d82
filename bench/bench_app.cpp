// Figures of the whole program, measured on the real lumetra binary next to this one, without a
// display and with the transmitter simulator on COM1:
//   - time from process start to the login window shown (median of several starts);
//   - processor time used over 60 s while idle with the link up;
//   - resident memory after start.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
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

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Starts `program` with extra environment entries and standard output and error to `logPath`.
pid_t Spawn(const std::string& program, const std::vector<std::string>& extraEnvironment,
            const std::string& logPath) {
    std::vector<std::string> entries = extraEnvironment;
    for (char** e = environ; *e; ++e) entries.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& entry : entries) envp.push_back(entry.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    std::string path = program;
    char* argv[] = {path.data(), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void Stop(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

// Waits until `text` appears in the file; false after `limit`.
bool WaitForText(const std::string& path, const std::string& text, Clock::duration limit) {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        if (ReadFile(path).find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(2ms);
    }
    return false;
}

// User plus system time of a process, in seconds.
double ProcessorSeconds(pid_t pid) {
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long ResidentKilobytes(pid_t pid) {
    std::istringstream status(ReadFile("/proc/" + std::to_string(pid) + "/status"));
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

struct Setup {
    lumetra::test::TempDir dir;
    std::string program;
    std::string device;
    pid_t simulator = -1;
    ~Setup() { Stop(simulator); }

    bool Prepare(const std::string& bin) {
        program = dir.File("lumetra");
        std::string error;
        if (std::system(("cp '" + bin + "lumetra' '" + program + "'").c_str()) != 0) return false;
        if (!lumetra::MakeDeliveredDatabase(dir.File("dbinfo.mdb"), &error)) return false;
        const std::string log = dir.File("txsim.log");
        simulator = Spawn(bin + "lumetra-txsim", {}, log);
        if (!WaitForText(log, "\n", 5s)) return false;
        device = ReadFile(log).substr(0, ReadFile(log).find('\n'));
        return !device.empty() && device[0] == '/';
    }

    std::vector<std::string> Environment(bool debug) const {
        std::vector<std::string> environment = {"QT_QPA_PLATFORM=offscreen", "LUMETRA_AUDIO_SINK=fakesink",
                                                "LUMETRA_COM1=" + device, "TMPDIR=" + dir.Path(),
                                                "XDG_CONFIG_HOME=" + dir.Path()};
        if (debug) environment.push_back("LUMETRA_DEBUG=1");
        return environment;
    }
};

}  // namespace

int main() {
    const std::string bin = lumetra::ProgramDirectory();
    if (access((bin + "lumetra").c_str(), X_OK) != 0 || access((bin + "lumetra-txsim").c_str(), X_OK) != 0) {
        std::fprintf(stderr, "bench_app: build lumetra and lumetra-txsim first (they belong next to %s)\n",
                     bin.c_str());
        return 1;
    }
    Setup setup;
    if (!setup.Prepare(bin)) {
        std::fprintf(stderr, "bench_app: could not prepare the database or the simulator\n");
        return 1;
    }

    // Start-up: the program logs the moment the login window is shown.
    std::vector<double> startMs;
    for (int run = 0; run < 5; ++run) {
        const std::string log = setup.dir.File("start.log");
        const auto started = Clock::now();
        const pid_t pid = Spawn(setup.program, setup.Environment(true), log);
        const bool shown = WaitForText(log, "login window shown", 20s);
        const auto elapsed = Clock::now() - started;
        Stop(pid);
        if (!shown) {
            std::fprintf(stderr, "bench_app: the login window did not show\n");
            return 1;
        }
        startMs.push_back(std::chrono::duration<double, std::milli>(elapsed).count());
    }
    std::sort(startMs.begin(), startMs.end());
    std::printf("start to login window: median %.0f ms (min %.0f, max %.0f, 5 starts; target < 1000 ms)\n",
                startMs[2], startMs.front(), startMs.back());

    // Idle: without the debug log, link up (the simulator answers the heartbeat), nobody logged in.
    const size_t framesBefore = ReadFile(setup.dir.File("txsim.log")).size();
    const pid_t pid = Spawn(setup.program, setup.Environment(false), setup.dir.File("idle.log"));
    std::this_thread::sleep_for(5s);  // start-up done, first heartbeat answered
    const long residentKb = ResidentKilobytes(pid);
    const double before = ProcessorSeconds(pid);
    const auto from = Clock::now();
    std::this_thread::sleep_for(60s);
    const double used = ProcessorSeconds(pid) - before;
    const double wall = std::chrono::duration<double>(Clock::now() - from).count();
    // About twenty heartbeats went out during the minute; each one the simulator answered.
    const bool linkUp =
        ReadFile(setup.dir.File("txsim.log")).find("SendSCOM", framesBefore) != std::string::npos;
    Stop(pid);
    std::printf(
        "idle over %.0f s with the link %s: %.2f s of processor time = %.2f%% of one core "
        "(target < 1%%)\n",
        wall, linkUp ? "up" : "DOWN", used, 100.0 * used / wall);
    std::printf("resident memory after start: %.1f MB (target < 150 MB)\n", residentKb / 1024.0);
    return 0;
}
