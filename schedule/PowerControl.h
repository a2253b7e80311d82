// Switching the machine off. The program powers off through the operating system's login
// manager (LogindPowerControl.h, linked into the program only); tests use a recording fake.
#pragma once

#include <string>

namespace lumetra {

class IPowerControl {
public:
    virtual ~IPowerControl() = default;
    // Asks for the machine to power off now, closing every application. Returns true when the
    // request was accepted; otherwise false with the reason in *reason.
    virtual bool PowerOff(std::string* reason) = 0;
};

}  // namespace lumetra
