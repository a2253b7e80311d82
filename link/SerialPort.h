// The serial port that carries frames to the transmitter, on POSIX termios. The link's reader
// and writer threads and the user-interface thread all call one port, so every operation is
// serialised by the port's lock; a one-byte read waits for data without holding it, so a write
// never queues behind a read that is waiting for the transmitter. Every operation reports success
// by its result and writes a log line; four failures are also shown to the operator (IPortAlert).
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "link/PortAlert.h"

namespace lumetra {

// "comN" names the device in the environment variable LUMETRA_COM<N> when that is set, else the
// device chosen for N on the settings page, else /dev/ttyS<N-1>; any other name is taken as a
// device path.
std::string ResolvePortName(std::string_view portName);

class CSerialPort {
public:
    // Parity values as SetState takes them.
    enum Parity : uint8_t {
        kNoParity = 0,
        kOddParity = 1,
        kEvenParity = 2,
        kMarkParity = 3,
        kSpaceParity = 4
    };
    // Stop-bit values as SetState takes them.
    enum StopBits : uint8_t { kOneStopBit = 0, kOneAndHalfStopBits = 1, kTwoStopBits = 2 };

    explicit CSerialPort(IPortAlert* alert = nullptr);
    ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // nullptr restores the default, which only logs.
    void SetAlert(IPortAlert* alert);
    // Tells the alert that the transmitter answers again.
    void LinkRestored();

    // Opens the device exclusively, in raw mode. An open port is closed first. A device the user
    // may not open is reported through the alert, with the fix, once until an open succeeds.
    bool Open(const std::string& portName);
    bool IsOpen() const;
    // Line settings: baud rate, 5..8 data bits, parity check (bit 0 of parityEnable), parity, stop bits.
    bool SetState(uint32_t baudRate, uint8_t byteSize, int parityEnable, uint8_t parity, uint8_t stopBits);
    // Milliseconds. A one-byte read waits readTotalMultiplier + readTotalConstant; when both are
    // zero it takes only a byte that is already there. A write may take writeTotalMultiplier per
    // byte plus writeTotalConstant; zero for both means a generous fixed limit, so that a peer that
    // stops reading cannot hold the port forever.
    bool SetTimeouts(uint32_t readInterval, uint32_t readTotalMultiplier, uint32_t readTotalConstant,
                     uint32_t writeTotalMultiplier, uint32_t writeTotalConstant);
    // True only when every byte was written.
    bool Write(const uint8_t* data, size_t length);
    // True when one byte arrived within the read time-out.
    bool ReadByte(uint8_t& byte);
    void Close();

    // The device path of the last Open, resolved from the port name.
    std::string DevicePath() const;
    // The errno of the last Open when it failed, else 0.
    int OpenError() const;

private:
    void Alert(const std::string& text, const char* caption);
    std::chrono::milliseconds ReadTimeout() const;              // caller holds m_lock
    std::chrono::milliseconds WriteLimit(size_t length) const;  // caller holds m_lock
    void CloseLocked();
    bool OpenLocked(const std::string& portName);

    std::atomic<IPortAlert*> m_alert;
    mutable std::mutex m_lock;  // guards every field below and every call on the device
    int m_fd = -1;
    uint64_t m_generation = 0;  // changes at every open and close, so a read that waited unlocked
                                // notices that its descriptor went away meanwhile
    std::string m_devicePath;
    int m_openError = 0;
    uint32_t m_readTotalMultiplier = 0;
    uint32_t m_readTotalConstant = 0;
    uint32_t m_writeTotalMultiplier = 0;
    uint32_t m_writeTotalConstant = 0;
};

}  // namespace lumetra
