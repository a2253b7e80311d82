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
    // From any thread: a PowerOff waiting for its answer gives up at once, and every later one
    // fails; for the exit sequence, which must not wait for the operating system.
    virtual void CancelCalls() {}
};

}  // namespace lumetra
