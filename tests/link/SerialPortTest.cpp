// The serial port over a real pseudo-terminal: names, opening, raw bytes both ways, time-outs,
// failures with their log lines and alerts.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "link/SerialPort.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::CAlertRecorder;
using test::CLogRecorder;
using test::CPeer;

struct NameCase {
    const char* name;
    const char* variable;  // set to `value` for the case, unset when null
    const char* value;
    const char* device;
};

TEST(SerialPortTest, PortNamesResolve) {
    const NameCase cases[] = {
        {"com3", "LUMETRA_COM3", "/tmp/transmitter", "/tmp/transmitter"},
        {"com1", nullptr, nullptr, "/dev/ttyS0"},
        {"COM2", nullptr, nullptr, "/dev/ttyS1"},
        {"com12", nullptr, nullptr, "/dev/ttyS11"},
        {"com4", "LUMETRA_COM4", "", "/dev/ttyS3"},  // empty counts as unset
        {"/dev/pts/7", nullptr, nullptr, "/dev/pts/7"},
        {"com", nullptr, nullptr, "com"},
        {"com0", nullptr, nullptr, "com0"},
        {"comx", nullptr, nullptr, "comx"},
    };
    for (const NameCase& c : cases) {
        for (const char* v :
             {"LUMETRA_COM1", "LUMETRA_COM2", "LUMETRA_COM3", "LUMETRA_COM4", "LUMETRA_COM12"})
            unsetenv(v);
        if (c.variable) setenv(c.variable, c.value, 1);
        EXPECT_EQ(ResolvePortName(c.name), c.device) << c.name;
        if (c.variable) unsetenv(c.variable);
    }
}

TEST(SerialPortTest, OpenFailuresAreLoggedWithTheSystemError) {
    CLogRecorder log;
    test::TempDir dir;
    std::ofstream(dir.File("plain")) << "not a terminal";
    CSerialPort port;
    EXPECT_FALSE(port.Open(dir.File("missing")));
    EXPECT_FALSE(port.Open(dir.File("plain")));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(log.Count("open port err is 2"), 1u);   // no such file
    EXPECT_EQ(log.Count("open port err is 25"), 1u);  // not a terminal
}

TEST(SerialPortTest, BytesPassBothWaysUnchanged) {
    CLogRecorder log;
    CPeer peer;
    CSerialPort port;
    ASSERT_TRUE(port.Open(peer.DevicePath()));
    ASSERT_TRUE(port.SetTimeouts(0, 100, 0, 0, 0));
    ASSERT_TRUE(port.SetState(9600, 8, 0, CSerialPort::kNoParity, CSerialPort::kOneStopBit));
    EXPECT_EQ(log.Count("open port success"), 1u);

    // Line ends and flow-control characters must pass untouched.
    const std::vector<uint8_t> frame{0x81, 0x0A, 0x0D, 0x07, 0x11, 0x13, 0x03};  // byte 3: its length
    ASSERT_TRUE(port.Write(frame.data(), frame.size()));
    const auto frames = peer.ReadFrames(1, 1000ms);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, frame);
    EXPECT_EQ(log.Count("write byte success"), 1u);

    peer.Send({0x81, 0x0A, 0x00});
    for (uint8_t expected : {0x81, 0x0A, 0x00}) {
        uint8_t byte = 0xEE;
        ASSERT_TRUE(port.ReadByte(byte));
        EXPECT_EQ(byte, expected);
    }
    EXPECT_EQ(log.Count("read byte 81"), 1u);
    EXPECT_EQ(log.Count("read byte a"), 1u);
    EXPECT_EQ(log.Count("read byte 0"), 1u);
}

TEST(SerialPortTest, LineSettingsReachTheDevice) {
    CPeer peer;
    CSerialPort port;
    ASSERT_TRUE(port.Open(peer.DevicePath()));
    ASSERT_TRUE(port.SetState(9600, 8, 0, CSerialPort::kNoParity, CSerialPort::kOneStopBit));
    termios tio{};
    ASSERT_EQ(tcgetattr(peer.Fd(), &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), B9600);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | INPCK), 0u);
    EXPECT_EQ(tio.c_lflag & (ECHO | ICANON), 0u);

    // A pseudo-terminal keeps 8 bits without parity whatever it is asked; the rest it takes.
    ASSERT_TRUE(port.SetState(19200, 8, 1, CSerialPort::kNoParity, CSerialPort::kTwoStopBits));
    ASSERT_EQ(tcgetattr(peer.Fd(), &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), B19200);
    EXPECT_NE(tio.c_cflag & CSTOPB, 0u);
    EXPECT_NE(tio.c_iflag & INPCK, 0u);
}

TEST(SerialPortTest, ReadWithNothingWaitsItsTimeOut) {
    CLogRecorder log;
    CPeer peer;
    CSerialPort port;
    ASSERT_TRUE(port.Open(peer.DevicePath()));
    ASSERT_TRUE(port.SetTimeouts(0, 100, 0, 0, 0));
    uint8_t byte = 0xEE;
    const auto start = Clock::now();
    EXPECT_FALSE(port.ReadByte(byte));
    EXPECT_GE(Clock::now() - start, 95ms);
    EXPECT_EQ(byte, 0);
    EXPECT_EQ(log.Count("read byte fail 0"), 1u);
}

TEST(SerialPortTest, WaitingReadDoesNotHoldUpAWrite) {
    CPeer peer;
    CSerialPort port;
    ASSERT_TRUE(port.Open(peer.DevicePath()));
    ASSERT_TRUE(port.SetTimeouts(0, 2000, 0, 0, 0));
    std::atomic<bool> readDone{false};
    std::thread reader([&] {
        uint8_t byte;
        port.ReadByte(byte);
        readDone = true;
    });
    std::this_thread::sleep_for(50ms);  // the read is waiting now
    const std::vector<uint8_t> frame{0x81, 0x40, 0x01, 0x07, 0xAA, 0x00, 0xEC};
    EXPECT_TRUE(port.Write(frame.data(), frame.size()));
    EXPECT_FALSE(readDone) << "the write waited for the read";
    EXPECT_EQ(peer.ReadFrames(1, 1000ms).size(), 1u);
    peer.Send({0x81});
    reader.join();
}

TEST(SerialPortTest, ClosedPortFailsFastWithoutAlerts) {
    CLogRecorder log;
    CAlertRecorder alerts;
    CSerialPort port(&alerts);
    uint8_t byte;
    const uint8_t data[1] = {0x81};
    EXPECT_FALSE(port.Write(data, 1));
    EXPECT_FALSE(port.ReadByte(byte));
    EXPECT_FALSE(port.SetTimeouts(0, 100, 0, 0, 0));
    port.Close();
    EXPECT_EQ(log.Count("com not connect,can not write"), 1u);
    EXPECT_EQ(log.Count("com not connect,can not read"), 1u);
    EXPECT_EQ(log.Lines().size(), 2u) << "closing a closed port logs nothing";
    EXPECT_TRUE(alerts.Alerts().empty());
}

TEST(SerialPortTest, LineSettingFailuresAreAlerted) {
    CAlertRecorder alerts;
    CPeer peer;
    CSerialPort port(&alerts);
    EXPECT_FALSE(port.SetState(9600, 8, 0, 0, 0));  // nothing open to read the settings from
    ASSERT_TRUE(port.Open(peer.DevicePath()));
    EXPECT_FALSE(port.SetState(1234, 8, 0, 0, 0));
    EXPECT_FALSE(port.SetState(9600, 9, 0, 0, 0));
    using Alert = std::pair<std::string, std::string>;
    EXPECT_EQ(alerts.Alerts(), (std::vector<Alert>{{"GetCommState Error", "Error"},
                                                   {"SetCommState Error", "Error"},
                                                   {"SetCommState Error", "Error"}}));
}

TEST(SerialPortTest, WriteToAHungUpLineFailsWithAlert) {
    CLogRecorder log;
    CAlertRecorder alerts;
    CPeer peer;
    CSerialPort port(&alerts);
    ASSERT_TRUE(port.Open(peer.DevicePath()));
    peer.HangUp();
    const uint8_t data[3] = {1, 2, 3};
    EXPECT_FALSE(port.Write(data, 3));
    ASSERT_EQ(alerts.Alerts().size(), 1u);
    EXPECT_EQ(alerts.Alerts()[0].first, "写端口失败 5");  // EIO
    EXPECT_EQ(alerts.Alerts()[0].second, "");
    EXPECT_EQ(log.Count("write byte fail 5"), 1u);
}

TEST(SerialPortTest, OpenPortIsExclusive) {
    if (geteuid() == 0) GTEST_SKIP() << "the superuser may open an exclusive terminal";
    CPeer peer;
    CSerialPort first;
    CSerialPort second;
    ASSERT_TRUE(first.Open(peer.DevicePath()));
    EXPECT_FALSE(second.Open(peer.DevicePath()));
    first.Close();
    EXPECT_TRUE(second.Open(peer.DevicePath())) << "closing gives the device up";
}

TEST(SerialPortTest, ReopeningClosesTheOldDescriptor) {
    CLogRecorder log;
    CPeer peer;
    CSerialPort port;
    ASSERT_TRUE(port.Open(peer.DevicePath()));
    ASSERT_TRUE(port.Open(peer.DevicePath())) << "a leaked exclusive descriptor would refuse this";
    EXPECT_EQ(log.Count("close port success"), 1u);
}

}  // namespace
}  // namespace lumetra
