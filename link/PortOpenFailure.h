// What the operator reads when a serial port cannot be opened: the device, the reason (missing,
// busy, refused) and what fixes it.
#pragma once

#include <string>

namespace lumetra {

// `error` is the errno of the failed open.
std::string PortOpenFailureText(const std::string& device, int error);

}  // namespace lumetra
