// Choosing the transmitter's serial adapter: the device list on a /dev-like folder, which device
// a port name opens, the message for a device the user may not open, and a chosen by-id name
// followed through the adapter's unplugging and replugging.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "link/PortDevices.h"
#include "link/SerialDevices.h"
#include "link/SerialPort.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/support/TestDatabase.h"
#include "tools/txsim/SimulatorProcess.h"

namespace lumetra {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::TempDir;

TEST(SerialDevices, ListsByIdNamesReadablyThenTheNodesInNaturalOrder) {
    TempDir dev;
    txsim::CPseudoTerminal adapter;
    std::string error;
    ASSERT_TRUE(adapter.Open(&error)) << error;
    fs::create_directories(dev.File("serial/by-id"));
    fs::create_symlink(adapter.DevicePath(),
                       dev.File("serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"));
    fs::create_symlink(dev.File("ttyUSB7"),
                       dev.File("serial/by-id/usb-gone_adapter-if00-port0"));  // unplugged
    for (const char* node : {"ttyS1", "ttyUSB10", "ttyS0", "ttyUSB9", "ttyACM0", "tty0", "ttyS", "null"})
        std::ofstream(dev.File(node)).close();

    std::vector<std::string> shown;
    for (const SerialDevice& device : ListSerialDevices(dev.Path()))
        shown.push_back(device.label + " = " + fs::path(device.path).lexically_relative(dev.Path()).string());
    const std::string pts = fs::path(adapter.DevicePath()).filename().string();
    EXPECT_EQ(shown,
              (std::vector<std::string>{"FTDI FT232R USB UART A50285BI (" + pts +
                                            ") = serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0",
                                        "ttyACM0 = ttyACM0", "ttyUSB9 = ttyUSB9", "ttyUSB10 = ttyUSB10",
                                        "ttyS0 = ttyS0", "ttyS1 = ttyS1"}));
    EXPECT_TRUE(ListSerialDevices(dev.File("missing")).empty());
}

TEST(SerialDevices, ReadableNamesOfByIdLinks) {
    const std::pair<const char*, const char*> names[] = {
        {"usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "FTDI FT232R USB UART A50285BI"},
        {"usb-1a86_USB_Serial-if00-port0", "1a86 USB Serial"},
        {"pci-WCH_PCIe_Serial-if01", "WCH PCIe Serial"},
        {"usb-Prolific_PL2303", "Prolific PL2303"},
    };
    for (const auto& [link, readable] : names) EXPECT_EQ(ReadableAdapterName(link), readable);
}

TEST(SerialDevices, PortNameOpensTheVariableElseTheChoiceElseTheFixedNode) {
    unsetenv("LUMETRA_COM3");
    EXPECT_EQ(ResolvePortName("com3"), "/dev/ttyS2");
    SetChosenPortDevice(3, "/dev/serial/by-id/usb-a-if00-port0");
    EXPECT_EQ(ResolvePortName("COM3"), "/dev/serial/by-id/usb-a-if00-port0");
    EXPECT_EQ(ResolvePortName("com2"), "/dev/ttyS1");
    setenv("LUMETRA_COM3", "/dev/ttyUSB5", 1);
    EXPECT_EQ(ResolvePortName("com3"), "/dev/ttyUSB5");
    unsetenv("LUMETRA_COM3");
    SetChosenPortDevice(3, "");
    EXPECT_EQ(ResolvePortName("com3"), "/dev/ttyS2");
}

TEST(SerialDevices, ADeviceTheUserMayNotOpenNamesTheDeviceAndTheGroupOnce) {
    txsim::CPseudoTerminal adapter;
    std::string error;
    ASSERT_TRUE(adapter.Open(&error)) << error;
    const std::string node = adapter.DevicePath();
    ASSERT_EQ(::chmod(node.c_str(), 0), 0);
    // As root every node opens, so the opening runs in a child that has become an ordinary user.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && ::setuid(65534) != 0) ::_exit(3);
        test::CAlertRecorder alert;
        CSerialPort port(&alert);
        const bool opened = port.Open(node) || port.Open(node);
        const auto texts = alert.Items();
        const bool told = texts.size() == 1 && texts[0].first.find(node) != std::string::npos &&
                          texts[0].first.find("dialout") != std::string::npos;
        ::_exit(!opened && told ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

TEST(SerialDevices, ChosenByIdNameReachesTheLinkAndFindsTheAdapterAgainAfterReplugging) {
    TempDir dev;
    fs::create_directories(dev.File("serial/by-id"));
    const std::string byId = dev.File("serial/by-id/usb-FTDI_FT232R_USB_UART_A1-if00-port0");
    txsim::CSimulatorProcess simulator(LUMETRA_TXSIM_PATH, {"--link", byId, "--down-for", "1"});
    ASSERT_EQ(ListSerialDevices(dev.Path()).at(0).path, byId);
    unsetenv("LUMETRA_COM2");
    SetChosenPortDevice(2, byId);
    test::CNotifyRecorder notes;
    CTransmitterLink link(&notes);
    notes.Attach(&link);
    ASSERT_TRUE(link.OpenPort("com2", 9600, 8));
    std::jthread heartbeat([&link](std::stop_token stop) {
        for (; !stop.stop_requested(); std::this_thread::sleep_for(300ms)) link.SendSCOM();
    });
    ASSERT_TRUE(notes.WaitFor(true, 0, 3s));
    simulator.Command("hangup");  // unplugged; back a second later on another pseudo-terminal
    ASSERT_TRUE(notes.WaitFor(false, 0, 3s));
    EXPECT_TRUE(notes.WaitFor(true, notes.Items().size(), 6s));
    heartbeat = {};
    link.CloseLink(false);
    SetChosenPortDevice(2, "");
}

}  // namespace
}  // namespace lumetra
