// The thread that owns the repeating shutdown timer. The station's shutdown thread implements it
// with a timer of its own and calls CAutoShutdown::OnTimer each time that timer fires.
#pragma once

#include <chrono>

namespace lumetra {

class IShutdownTimerOwner {
public:
    virtual ~IShutdownTimerOwner() = default;
    // (Re)starts the repeating timer; it fires first after `period`, then every `period` until
    // killed. A period of 0 fires at once.
    virtual void StartShutdownTimer(std::chrono::milliseconds period) = 0;
    virtual void KillShutdownTimer() = 0;
};

}  // namespace lumetra
