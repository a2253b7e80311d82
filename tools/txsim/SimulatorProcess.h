// Runs the transmitter simulator as its own process with --json, for programs that drive it (the
// integration tests, the link benchmark): they read its lines and type commands on its input.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace lumetra::txsim {

class CSimulatorProcess {
public:
    // Starts the simulator `program` with --json and `arguments` and reads the device path from
    // its first line. Throws std::runtime_error when it does not start. With LUMETRA_TXSIM_WATCH
    // set (to a terminal or a file), the simulator also writes its readable lines there.
    explicit CSimulatorProcess(const std::string& program, const std::vector<std::string>& arguments = {});
    // Asks it to quit and waits for it; ends it with SIGTERM if it does not.
    ~CSimulatorProcess();
    CSimulatorProcess(const CSimulatorProcess&) = delete;
    CSimulatorProcess& operator=(const CSimulatorProcess&) = delete;

    const std::string& DevicePath() const { return m_device; }
    // The next line, or nothing when none came within the limit.
    std::optional<std::string> ReadLine(std::chrono::milliseconds limit);
    // Reads lines until one contains `needle`; every line read is kept in History().
    std::optional<std::string> WaitForLine(const std::string& needle, std::chrono::milliseconds limit);
    void Command(const std::string& line);
    const std::vector<std::string>& History() const { return m_history; }

private:
    pid_t m_pid = -1;
    int m_input = -1;   // its standard input
    int m_output = -1;  // its standard output
    std::string m_buffer;
    std::string m_device;
    std::vector<std::string> m_history;
};

// The value of "key" in a one-line JSON object: the text of a string (escapes left as they are),
// or the literal of a number or boolean. Empty when the key is missing.
std::string JsonField(const std::string& line, const std::string& key);

}  // namespace lumetra::txsim
