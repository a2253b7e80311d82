// The serial device chosen for each port number on the settings page. The user interface hands
// over the stored choices at start and every change; the port reads them when it opens "comN".
#pragma once

#include <string>

namespace lumetra {

// An empty device clears the choice of port `number`.
void SetChosenPortDevice(int number, const std::string& device);
std::string ChosenPortDevice(int number);

}  // namespace lumetra
