// The serial port over a real pseudo-terminal: which device a port name opens, the adapters offered
// for choosing, raw bytes both ways with their settings and time-outs, failures and their alerts.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "link/PortDevices.h"
#include "link/SerialDevices.h"
#include "link/SerialPort.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/support/Eventually.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::Alert;
using test::CAlertRecorder;
using test::CPeer;

// The environment variable wins over the device chosen on the settings page, which wins over the
// fixed node; anything but "comN" with N from 1 is a path. Each case: the name, LUMETRA_COM<N> (unset
// when null, empty counts as unset), the chosen device and the device opened.
TEST(SerialPortTest, PortNamesResolve) {
    const char* cases[][4] = {
        {"com3", "/tmp/transmitter", "/dev/serial/by-id/usb-a", "/tmp/transmitter"},
        {"COM3", nullptr, "/dev/serial/by-id/usb-a", "/dev/serial/by-id/usb-a"},
        {"com4", "", "", "/dev/ttyS3"},
        {"com12", nullptr, "", "/dev/ttyS11"},
        {"/dev/pts/7", nullptr, "", "/dev/pts/7"},
        {"com0", nullptr, "", "com0"},
        {"comx", nullptr, "", "comx"},
    };
    for (const auto& [name, variable, chosen, device] : cases) {
        const std::string key = "LUMETRA_COM" + std::string(name).substr(3);
        variable ? setenv(key.c_str(), variable, 1) : unsetenv(key.c_str());
        SetChosenPortDevice(3, chosen);
        EXPECT_EQ(ResolvePortName(name), device) << name;
        unsetenv(key.c_str());
    }
    SetChosenPortDevice(3, "");
}

TEST(SerialPortTest, AdaptersAreListedByTheirStableNamesReadablyThenTheNodesInNaturalOrder) {
    test::TempDir dev;
    CPeer adapter;
    fs::create_directories(dev.File("serial/by-id"));
    for (const char* name : {"usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "usb-1a86_USB_Serial-if00-port0",
                             "pci-WCH_PCIe_Serial-if01", "usb-Prolific_PL2303"})
        fs::create_symlink(adapter.DevicePath(), dev.File("serial/by-id/") + name);
    fs::create_symlink(dev.File("ttyUSB7"),
                       dev.File("serial/by-id/usb-gone_adapter-if00-port0"));  // unplugged
    for (const char* node : {"ttyS1", "ttyUSB10", "ttyS0", "ttyUSB9", "ttyACM0", "tty0", "ttyS", "null"})
        std::ofstream(dev.File(node)).close();

    std::vector<std::string> shown;
    for (const SerialDevice& device : ListSerialDevices(dev.Path()))
        shown.push_back(device.label + " = " + fs::path(device.path).lexically_relative(dev.Path()).string());
    const std::string pts = " (" + fs::path(adapter.DevicePath()).filename().string() + ") = serial/by-id/";
    EXPECT_EQ(shown,
              (std::vector<std::string>{
                  "WCH PCIe Serial" + pts + "pci-WCH_PCIe_Serial-if01",
                  "1a86 USB Serial" + pts + "usb-1a86_USB_Serial-if00-port0",
                  "FTDI FT232R USB UART A50285BI" + pts + "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0",
                  "Prolific PL2303" + pts + "usb-Prolific_PL2303", "ttyACM0 = ttyACM0", "ttyUSB9 = ttyUSB9",
                  "ttyUSB10 = ttyUSB10", "ttyS0 = ttyS0", "ttyS1 = ttyS1"}));
    EXPECT_TRUE(ListSerialDevices(dev.File("missing")).empty());
}

// The state letter of thread `tid` of this process ('S' while it sleeps in a call).
char ThreadState(pid_t tid) {
    std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    return text.size() > text.rfind(')') + 2 ? text[text.rfind(')') + 2] : '?';
}

TEST(SerialPortTest, OpenPortPassesBytesBothWaysWithItsSettings) {
    CPeer peer;
    CSerialPort port;
    ASSERT_TRUE(port.Open(peer.DevicePath()));
    ASSERT_TRUE(port.SetTimeouts(0, 100, 0, 0, 0));
    ASSERT_TRUE(port.SetState(9600, 8, 0, CSerialPort::kNoParity, CSerialPort::kOneStopBit));
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
    peer.Send({0x81, 0x0A, 0x00});
    for (uint8_t expected : {0x81, 0x0A, 0x00}) {
        uint8_t byte = 0xEE;
        ASSERT_TRUE(port.ReadByte(byte));
        EXPECT_EQ(byte, expected);
    }

    // With nothing to read, a read waits its time-out, and a waiting read does not hold up a write.
    uint8_t byte = 0xEE;
    const auto start = test::Clock::now();
    EXPECT_FALSE(port.ReadByte(byte));
    EXPECT_GE(test::Clock::now() - start, 95ms);
    EXPECT_LT(test::Clock::now() - start, 300ms) << "a one-byte read returns after about 100 ms";
    EXPECT_EQ(byte, 0);
    ASSERT_TRUE(port.SetTimeouts(0, 2000, 0, 0, 0));
    std::atomic<pid_t> readerId{0};
    std::atomic<bool> readDone{false};
    std::thread reader([&] {
        readerId = gettid();
        uint8_t b;
        port.ReadByte(b);
        readDone = true;
    });
    ASSERT_TRUE(test::Eventually([&] { return readerId && ThreadState(readerId) == 'S'; }));
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

TEST(SerialPortTest, FailuresAreAlertedAndReopeningClosesFirst) {
    CAlertRecorder alerts;
    CPeer peer;
    CSerialPort port(&alerts);
    uint8_t byte;
    const uint8_t data[3] = {0x81, 2, 3};
    // A closed port fails at once without alerts.
    EXPECT_FALSE(port.Write(data, 1));
    EXPECT_FALSE(port.ReadByte(byte));
    EXPECT_FALSE(port.SetTimeouts(0, 100, 0, 0, 0));
    port.Close();
    EXPECT_TRUE(alerts.Items().empty());

    test::TempDir dir;
    std::ofstream(dir.File("plain")) << "not a terminal";
    EXPECT_FALSE(port.Open(dir.File("missing")));
    EXPECT_FALSE(port.Open(dir.File("plain")));
    EXPECT_FALSE(port.IsOpen());
    ASSERT_TRUE(port.Open(peer.DevicePath()));
    ASSERT_TRUE(port.Open(peer.DevicePath()));
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
    EXPECT_EQ(alerts.Items(), (std::vector<Alert>{{"GetCommState Error", "Error"},
                                                  {"SetCommState Error", "Error"},
                                                  {"SetCommState Error", "Error"},
                                                  {"写端口失败 5", ""}}));  // EIO
}

// As root every node opens, so the opening runs in a child that has become an ordinary user.
TEST(SerialPortTest, ADeviceTheUserMayNotOpenIsRefusedWithoutABoxOfItsOwn) {
    CPeer adapter;
    const std::string node = adapter.DevicePath();
    ASSERT_EQ(::chmod(node.c_str(), 0), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && ::setuid(65534) != 0) ::_exit(3);
        CAlertRecorder alert;
        CSerialPort port(&alert);
        const bool opened = port.Open(node);
        // The port selection tells the operator, from the reason the port keeps.
        ::_exit(!opened && port.OpenError() == EACCES && alert.Items().empty() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

}  // namespace
}  // namespace lumetra
