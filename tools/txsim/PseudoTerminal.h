// The transmitter's end of a pseudo-terminal: the program opens the other end (the device path)
// as its serial port, and whatever it writes arrives here.
#pragma once

#include <string>

namespace lumetra::txsim {

class CPseudoTerminal {
public:
    CPseudoTerminal() = default;
    ~CPseudoTerminal() { Close(); }
    CPseudoTerminal(const CPseudoTerminal&) = delete;
    CPseudoTerminal& operator=(const CPseudoTerminal&) = delete;

    // Opens a new pair in raw mode. False with `*error` set when the system has none to give.
    bool Open(std::string* error);
    // Hangs up: the program's end reads end-of-file and its writes fail.
    void Close();
    bool IsOpen() const { return m_master >= 0; }
    int Fd() const { return m_master; }
    const std::string& DevicePath() const { return m_devicePath; }

private:
    int m_master = -1;
    std::string m_devicePath;
};

}  // namespace lumetra::txsim
