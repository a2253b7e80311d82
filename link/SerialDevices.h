// The machine's serial devices, for choosing the transmitter's adapter: the stable names under
// serial/by-id first (they survive unplugging and replugging), with readable labels, then the
// ttyUSB, ttyACM and ttyS nodes that exist.
#pragma once

#include <string>
#include <vector>

namespace lumetra {

struct SerialDevice {
    std::string path;   // what the port opens
    std::string label;  // what the operator reads
};

// `devRoot` is "/dev" on a real machine.
std::vector<SerialDevice> ListSerialDevices(const std::string& devRoot = "/dev");

// "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0" reads "FTDI FT232R USB UART A50285BI".
std::string ReadableAdapterName(const std::string& byIdName);

}  // namespace lumetra
