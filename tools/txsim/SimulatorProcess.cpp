#include "tools/txsim/SimulatorProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace lumetra::txsim {

using Clock = std::chrono::steady_clock;

CSimulatorProcess::CSimulatorProcess(const std::string& program, const std::vector<std::string>& arguments) {
    int toChild[2];
    int fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0)
        throw std::runtime_error("no pipes for the simulator");
    std::vector<std::string> args{program, "--json"};
    args.insert(args.end(), arguments.begin(), arguments.end());
    // A person can watch a test run: the readable lines go where this variable says.
    if (const char* watch = std::getenv("LUMETRA_TXSIM_WATCH"); watch && *watch) {
        args.push_back("--watch");
        args.push_back(watch);
    }
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    m_pid = ::fork();
    if (m_pid < 0) throw std::runtime_error("cannot start the simulator");
    if (m_pid == 0) {
        // Ends with its driver, even one that crashes before it can say quit.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::dup2(toChild[0], STDIN_FILENO);
        ::dup2(fromChild[1], STDOUT_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    m_input = toChild[1];
    m_output = fromChild[0];
    const auto first = ReadLine(std::chrono::seconds(5));
    if (!first || first->empty() || (*first)[0] != '/')
        throw std::runtime_error("the simulator did not start");
    m_device = *first;
}

CSimulatorProcess::~CSimulatorProcess() {
    if (m_pid > 0) {
        Command("quit");
        int status = 0;
        const auto deadline = Clock::now() + std::chrono::seconds(2);
        while (::waitpid(m_pid, &status, WNOHANG) == 0) {
            if (Clock::now() > deadline) {
                ::kill(m_pid, SIGTERM);
                ::waitpid(m_pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    if (m_input >= 0) ::close(m_input);
    if (m_output >= 0) ::close(m_output);
}

std::optional<std::string> CSimulatorProcess::ReadLine(std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    for (;;) {
        const size_t end = m_buffer.find('\n');
        if (end != std::string::npos) {
            std::string line = m_buffer.substr(0, end);
            m_buffer.erase(0, end + 1);
            m_history.push_back(line);
            return line;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return std::nullopt;
        pollfd p{m_output, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
        char chunk[4096];
        const ssize_t n = ::read(m_output, chunk, sizeof chunk);
        if (n <= 0) return std::nullopt;
        m_buffer.append(chunk, static_cast<size_t>(n));
    }
}

std::optional<std::string> CSimulatorProcess::WaitForLine(const std::string& needle,
                                                          std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        const auto line =
            ReadLine(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
        if (!line) return std::nullopt;
        if (line->find(needle) != std::string::npos) return line;
    }
    return std::nullopt;
}

void CSimulatorProcess::Command(const std::string& line) {
    const std::string text = line + "\n";
    if (::write(m_input, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        throw std::runtime_error("the simulator does not take commands");
}

std::string JsonField(const std::string& line, const std::string& key) {
    const std::string marker = "\"" + key + "\":";
    size_t at = line.find(marker);
    if (at == std::string::npos) return {};
    at += marker.size();
    if (line[at] == '"') {
        size_t end = at + 1;
        while (end < line.size() && line[end] != '"') end += line[end] == '\\' ? 2 : 1;
        return line.substr(at + 1, end - at - 1);
    }
    const size_t end = line.find_first_of(",}", at);
    return line.substr(at, end - at);
}

}  // namespace lumetra::txsim
