// The serial port over a real pseudo-terminal: names, opening, raw bytes both ways, time-outs,
// failures with their log lines and alerts.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <termios.h>

#include <atomic>
#include <fstream>

#include "link/SerialPort.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using namespace std::chrono_literals;
using test::Alert;
using test::CAlertRecorder;
using test::CLogRecorder;
using test::CPeer;

TEST(SerialPortTest, PortNamesResolve) {
    struct NameCase {
        const char* name;
        const char* value;  // of LUMETRA_COM<N> for the case, unset when null
        const char* device;
    };
    const NameCase cases[] = {
        {"com3", "/tmp/transmitter", "/tmp/transmitter"},
        {"COM2", nullptr, "/dev/ttyS1"},
        {"com12", nullptr, "/dev/ttyS11"},
        {"com4", "", "/dev/ttyS3"},  // empty counts as unset
        {"/dev/pts/7", nullptr, "/dev/pts/7"},
        {"com0", nullptr, "com0"},
        {"comx", nullptr, "comx"},
    };
    for (const NameCase& c : cases) {
        const std::string variable = "LUMETRA_COM" + std::string(c.name).substr(3);
        c.value ? setenv(variable.c_str(), c.value, 1) : unsetenv(variable.c_str());
        EXPECT_EQ(ResolvePortName(c.name), c.device) << c.name;
        unsetenv(variable.c_str());
    }
}

TEST(SerialPortTest, OpenPortPassesBytesBothWaysWithItsSettings) {
    CLogRecorder log;
    CPeer peer;
    CSerialPort port;
    ASSERT_TRUE(port.Open(peer.DevicePath()));
    ASSERT_TRUE(port.SetTimeouts(0, 100, 0, 0, 0));
    ASSERT_TRUE(port.SetState(9600, 8, 0, CSerialPort::kNoParity, CSerialPort::kOneStopBit));
    EXPECT_EQ(log.Count("open port success"), 1u);
    termios tio{};
    ASSERT_EQ(tcgetattr(peer.Fd(), &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), B9600);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | INPCK), 0u);
    EXPECT_EQ(tio.c_lflag & (ECHO | ICANON), 0u);

    // Line ends and flow-control characters pass untouched.
    const std::vector<uint8_t> frame{0x81, 0x0A, 0x0D, 0x07, 0x11, 0x13, 0x03};  // byte 3: its length
    ASSERT_TRUE(port.Write(frame.data(), frame.size()));
    EXPECT_EQ(peer.ReadFrames(1, 1s), std::vector<std::vector<uint8_t>>{frame});
    EXPECT_EQ(log.Count("write byte success"), 1u);
    peer.Send({0x81, 0x0A, 0x00});
    for (uint8_t expected : {0x81, 0x0A, 0x00}) {
        uint8_t byte = 0xEE;
        ASSERT_TRUE(port.ReadByte(byte));
        EXPECT_EQ(byte, expected);
    }
    for (const char* line : {"read byte 81", "read byte a", "read byte 0"})
        EXPECT_EQ(log.Count(line), 1u) << line;

    // With nothing to read, a read waits its time-out, and a waiting read does not hold up a write.
    uint8_t byte = 0xEE;
    const auto start = test::Clock::now();
    EXPECT_FALSE(port.ReadByte(byte));
    EXPECT_GE(test::Clock::now() - start, 95ms);
    EXPECT_LT(test::Clock::now() - start, 300ms) << "a one-byte read returns after about 100 ms";
    EXPECT_EQ(byte, 0);
    EXPECT_EQ(log.Count("read byte fail 0"), 1u);
    ASSERT_TRUE(port.SetTimeouts(0, 2000, 0, 0, 0));
    std::atomic<bool> readDone{false};
    std::thread reader([&] {
        uint8_t b;
        port.ReadByte(b);
        readDone = true;
    });
    std::this_thread::sleep_for(50ms);  // the read is waiting now
    EXPECT_TRUE(port.Write(frame.data(), frame.size()));
    EXPECT_FALSE(readDone) << "the write waited for the read";
    EXPECT_EQ(peer.ReadFrames(2, 1s).size(), 2u);
    peer.Send({0x81});
    reader.join();

    // A pseudo-terminal keeps 8 bits without parity whatever it is asked; the rest it takes.
    ASSERT_TRUE(port.SetState(19200, 8, 1, CSerialPort::kNoParity, CSerialPort::kTwoStopBits));
    ASSERT_EQ(tcgetattr(peer.Fd(), &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), B19200);
    EXPECT_NE(tio.c_cflag & CSTOPB, 0u);
    EXPECT_NE(tio.c_iflag & INPCK, 0u);
}

TEST(SerialPortTest, FailuresAreLoggedAndAlertedAndReopeningClosesFirst) {
    CLogRecorder log;
    CAlertRecorder alerts;
    CPeer peer;
    CSerialPort port(&alerts);
    uint8_t byte;
    const uint8_t data[3] = {0x81, 2, 3};
    // A closed port fails at once without alerts; closing it again logs nothing.
    EXPECT_FALSE(port.Write(data, 1));
    EXPECT_FALSE(port.ReadByte(byte));
    EXPECT_FALSE(port.SetTimeouts(0, 100, 0, 0, 0));
    port.Close();
    EXPECT_EQ(log.Count("com not connect,can not write"), 1u);
    EXPECT_EQ(log.Count("com not connect,can not read"), 1u);
    EXPECT_EQ(log.Items().size(), 2u);
    EXPECT_TRUE(alerts.Items().empty());

    test::TempDir dir;
    std::ofstream(dir.File("plain")) << "not a terminal";
    EXPECT_FALSE(port.Open(dir.File("missing")));
    EXPECT_FALSE(port.Open(dir.File("plain")));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(log.Count("open port err is 2"), 1u);   // no such file
    EXPECT_EQ(log.Count("open port err is 25"), 1u);  // not a terminal
    ASSERT_TRUE(port.Open(peer.DevicePath()));
    ASSERT_TRUE(port.Open(peer.DevicePath()));
    EXPECT_EQ(log.Count("close port success"), 1u);
    if (geteuid() != 0) {  // the superuser may open an exclusive terminal twice
        CSerialPort second;
        EXPECT_FALSE(second.Open(peer.DevicePath()))
            << "the port is not exclusive, or the old descriptor leaked";
        port.Close();
        EXPECT_TRUE(second.Open(peer.DevicePath())) << "closing gives the device up";
    }
    port.Close();

    EXPECT_FALSE(port.SetState(9600, 8, 0, 0, 0));  // nothing open to read the settings from
    ASSERT_TRUE(port.Open(peer.DevicePath()));
    EXPECT_FALSE(port.SetState(1234, 8, 0, 0, 0));
    EXPECT_FALSE(port.SetState(9600, 9, 0, 0, 0));
    peer.HangUp();
    EXPECT_FALSE(port.Write(data, 3));
    EXPECT_EQ(log.Count("write byte fail 5"), 1u);  // EIO
    EXPECT_EQ(alerts.Items(), (std::vector<Alert>{{"GetCommState Error", "Error"},
                                                  {"SetCommState Error", "Error"},
                                                  {"SetCommState Error", "Error"},
                                                  {"写端口失败 5", ""}}));
}

}  // namespace
}  // namespace lumetra
