// What the operator sees of an automatic shutdown that is about to happen. The station's shutdown
// thread keeps it for the main window, which shows it as a small window that never blocks: a countdown with a
// button that cancels today's shutdown, a note while a broadcast holds the shutdown back, and the reason when
// the operating system refused to power off.
#pragma once

#include <string>

namespace lumetra {

class IShutdownNotice {
public:
    virtual ~IShutdownNotice() = default;
    // The machine powers off in `secondsLeft` seconds unless the operator cancels.
    virtual void ShowCountdown(long secondsLeft) = 0;
    // The time has come, but a broadcast task is still on the air or its outlets still on.
    virtual void ShowWaitingForBroadcast() = 0;
    // The power-off was refused; the next try is at tomorrow's time.
    virtual void ShowPowerOffRefused(const std::string& reason) = 0;
    virtual void HideNotice() = 0;
};

}  // namespace lumetra
