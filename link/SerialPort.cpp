#include "link/SerialPort.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <optional>
#include <thread>

#include "base/Logger.h"
#include "link/PortDevices.h"

namespace lumetra {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Used when no write time-out is set: far longer than any frame takes at 9600 baud.
constexpr milliseconds kDefaultWriteLimit{2000};

CLoggingPortAlert g_loggingAlert;

std::optional<speed_t> SpeedOf(uint32_t baudRate) {
    switch (baudRate) {
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        default:
            return std::nullopt;
    }
}

std::optional<tcflag_t> SizeOf(uint8_t byteSize) {
    switch (byteSize) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        case 8:
            return CS8;
        default:
            return std::nullopt;
    }
}

// Waits without the port lock until `fd` is readable or the deadline passes. Returns 0 when a
// byte can be read, ETIMEDOUT when none came, else the error. A hung-up line is waited out like a
// silent one, so the reader keeps its pace instead of spinning.
int WaitReadable(int fd, Clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left > 0 ? left : 0));
        if (ready < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (ready == 0) return ETIMEDOUT;
        if (p.revents & POLLIN) return 0;
        std::this_thread::sleep_until(deadline);
        return (p.revents & POLLNVAL) ? EBADF : EIO;
    }
}

}  // namespace

std::string ResolvePortName(std::string_view portName) {
    const bool comName = portName.size() > 3 &&
                         std::tolower(static_cast<unsigned char>(portName[0])) == 'c' &&
                         std::tolower(static_cast<unsigned char>(portName[1])) == 'o' &&
                         std::tolower(static_cast<unsigned char>(portName[2])) == 'm';
    if (!comName) return std::string(portName);
    int number = 0;
    for (char c : portName.substr(3)) {
        if (!std::isdigit(static_cast<unsigned char>(c)) || number > 1000) return std::string(portName);
        number = number * 10 + (c - '0');
    }
    if (number < 1) return std::string(portName);
    if (std::string device = PortDeviceOverride(number); !device.empty()) return device;
    if (std::string chosen = ChosenPortDevice(number); !chosen.empty()) return chosen;
    return "/dev/ttyS" + std::to_string(number - 1);
}

void CLoggingPortAlert::ShowPortError(const std::string& text, const std::string& caption) {
    const char* title = caption.empty() ? "Lumetra" : caption.c_str();
    if (m_told.exchange(true))
        Logger().Debug("%s: %s", title, text.c_str());
    else
        Logger().Log("%s: %s", title, text.c_str());
}

void CLoggingPortAlert::LinkRestored() {
    m_told = false;
}

CSerialPort::CSerialPort(IPortAlert* alert) : m_alert(alert ? alert : &g_loggingAlert) {}

CSerialPort::~CSerialPort() {
    Close();
}

void CSerialPort::SetAlert(IPortAlert* alert) {
    m_alert = alert ? alert : &g_loggingAlert;
}

void CSerialPort::LinkRestored() {
    m_alert.load()->LinkRestored();
}

void CSerialPort::Alert(const std::string& text, const char* caption) {
    m_alert.load()->ShowPortError(text, caption);
}

bool CSerialPort::Open(const std::string& portName) {
    std::lock_guard lock(m_lock);
    // A second open would leak the descriptor the threads are still using.
    CloseLocked();
    m_devicePath = ResolvePortName(portName);
    const int fd = ::open(m_devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_openError = errno;
        Logger().Debug("open port err is %d", m_openError);
        return false;
    }
    // Exclusive like a serial device, and raw from the start: a terminal's default echo and line
    // editing would corrupt frames before the line settings arrive.
    termios tio{};
    if (::ioctl(fd, TIOCEXCL) != 0 || ::tcgetattr(fd, &tio) != 0) {
        m_openError = errno;
        ::close(fd);
        Logger().Debug("open port err is %d", m_openError);
        return false;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        m_openError = errno;
        ::close(fd);
        Logger().Debug("open port err is %d", m_openError);
        return false;
    }
    m_fd = fd;
    ++m_generation;
    m_openError = 0;
    Logger().Debug("open port success");
    return true;
}

bool CSerialPort::IsOpen() const {
    std::lock_guard lock(m_lock);
    return m_fd >= 0;
}

bool CSerialPort::SetState(uint32_t baudRate, uint8_t byteSize, int parityEnable, uint8_t parity,
                           uint8_t stopBits) {
    const char* failure = nullptr;
    {
        std::lock_guard lock(m_lock);
        termios tio{};
        if (m_fd < 0 || ::tcgetattr(m_fd, &tio) != 0) {
            failure = "GetCommState Error";
        } else {
            const auto speed = SpeedOf(baudRate);
            const auto size = SizeOf(byteSize);
            if (!speed || !size || parity > kSpaceParity || stopBits > kTwoStopBits) {
                failure = "SetCommState Error";
            } else {
                // No flow control of any kind, DTR and RTS left alone, nothing translated.
                tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | HUPCL);
                tio.c_cflag |= *size | CLOCAL | CREAD;
                if (parity != kNoParity) tio.c_cflag |= PARENB;
                if (parity == kOddParity || parity == kMarkParity) tio.c_cflag |= PARODD;
                if (parity == kMarkParity || parity == kSpaceParity) tio.c_cflag |= CMSPAR;
                if (stopBits != kOneStopBit) tio.c_cflag |= CSTOPB;
                tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
                if (parityEnable & 1) tio.c_iflag |= INPCK;
                ::cfsetispeed(&tio, *speed);
                ::cfsetospeed(&tio, *speed);
                if (::tcsetattr(m_fd, TCSANOW, &tio) != 0) failure = "SetCommState Error";
            }
        }
    }
    if (!failure) return true;
    Alert(failure, "Error");
    return false;
}

bool CSerialPort::SetTimeouts(uint32_t readInterval, uint32_t readTotalMultiplier, uint32_t readTotalConstant,
                              uint32_t writeTotalMultiplier, uint32_t writeTotalConstant) {
    (void)readInterval;  // reads are one byte long, so the gap between bytes never matters
    bool refused = false;
    {
        std::lock_guard lock(m_lock);
        termios tio{};
        if (m_fd < 0 || ::tcgetattr(m_fd, &tio) != 0) return false;
        m_readTotalMultiplier = readTotalMultiplier;
        m_readTotalConstant = readTotalConstant;
        m_writeTotalMultiplier = writeTotalMultiplier;
        m_writeTotalConstant = writeTotalConstant;
        const uint64_t tenths = (uint64_t{readTotalMultiplier} + readTotalConstant + 99) / 100;
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = static_cast<cc_t>(tenths > 255 ? 255 : tenths);
        refused = ::tcsetattr(m_fd, TCSANOW, &tio) != 0;
    }
    if (!refused) return true;
    Alert("StCommTimeouts function failed", "Com Port Error");
    return false;
}

std::chrono::milliseconds CSerialPort::ReadTimeout() const {
    return milliseconds(uint64_t{m_readTotalMultiplier} + m_readTotalConstant);
}

std::chrono::milliseconds CSerialPort::WriteLimit(size_t length) const {
    const uint64_t limit = uint64_t{m_writeTotalMultiplier} * length + m_writeTotalConstant;
    return limit == 0 ? kDefaultWriteLimit : milliseconds(limit);
}

bool CSerialPort::Write(const uint8_t* data, size_t length) {
    int error = 0;
    {
        std::lock_guard lock(m_lock);
        if (m_fd < 0) {
            Logger().Debug("com not connect,can not write");
            return false;
        }
        const auto deadline = Clock::now() + WriteLimit(length);
        size_t written = 0;
        while (written < length) {
            const ssize_t n = ::write(m_fd, data + written, length - written);
            if (n > 0) {
                written += static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN) {
                error = errno;
                break;
            }
            // The device buffer is full: wait for room, but not past the write limit.
            const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
            pollfd p{m_fd, POLLOUT, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0 || !(p.revents & POLLOUT)) {
                error = (p.revents & (POLLHUP | POLLERR)) ? EIO : ETIMEDOUT;
                break;
            }
        }
        if (written == length) {
            Logger().Debug("write byte success");
            return true;
        }
        Logger().Debug("write byte fail %d", error);
    }
    // Told without the port lock, so the reader and a closing link never wait behind it.
    Alert("写端口失败 " + std::to_string(error), "");
    return false;
}

bool CSerialPort::ReadByte(uint8_t& byte) {
    byte = 0;
    std::unique_lock lock(m_lock);
    if (m_fd < 0) {
        Logger().Debug("com not connect,can not read");
        return false;
    }
    const int fd = m_fd;
    const uint64_t generation = m_generation;
    const auto deadline = Clock::now() + ReadTimeout();
    lock.unlock();
    int error = WaitReadable(fd, deadline);
    lock.lock();
    if (generation != m_generation) {
        error = EBADF;  // closed (and maybe reopened) while we waited
    } else if (error == 0) {
        uint8_t value = 0;
        const ssize_t n = ::read(fd, &value, 1);
        if (n == 1) {
            byte = value;
            Logger().Debug("read byte %x", value);
            return true;
        }
        error = n < 0 ? errno : EIO;  // nothing to read although ready: the line hung up
    }
    // A plain time-out is no system error, as on the serial line.
    Logger().Debug("read byte fail %d", error == ETIMEDOUT ? 0 : error);
    lock.unlock();
    // A failed read takes its full time-out, so a dead line is polled at the pace of a silent one.
    std::this_thread::sleep_until(deadline);
    return false;
}

void CSerialPort::Close() {
    std::lock_guard lock(m_lock);
    CloseLocked();
}

void CSerialPort::CloseLocked() {
    if (m_fd < 0) return;
    ::ioctl(m_fd, TIOCNXCL);
    // The descriptor is gone after close() even when it reports an error, so it is never kept.
    if (::close(m_fd) == 0)
        Logger().Debug("close port success");
    else
        Logger().Log("close port fail");
    m_fd = -1;
    ++m_generation;
}

std::string CSerialPort::DevicePath() const {
    std::lock_guard lock(m_lock);
    return m_devicePath;
}

int CSerialPort::OpenError() const {
    std::lock_guard lock(m_lock);
    return m_openError;
}

}  // namespace lumetra
