// Powers the machine off through systemd-logind on the system bus. Only the program links this
// (library lumetra_power), and the power-off benchmark with a private bus; no test binary can
// reach it.
#pragma once

#include <atomic>
#include <chrono>
#include <string>

#include "schedule/PowerControl.h"

namespace lumetra {

class CLogindPowerControl : public IPowerControl {
public:
    // How long one call may wait for its answer, as sd-bus allows by default.
    static constexpr std::chrono::seconds kCallLimit{25};

    // `busAddress` empty: the system bus. Otherwise that bus (a benchmark's private one).
    explicit CLogindPowerControl(std::string busAddress = {}) : m_busAddress(std::move(busAddress)) {}

    // Asks CanPowerOff first and goes on only when the answer is "yes" (no authentication
    // needed); then PowerOff without interactive authentication. Each call waits for its answer
    // in short steps, so CancelCalls ends the wait within one step.
    bool PowerOff(std::string* reason) override;
    void CancelCalls() override { m_cancelled = true; }

private:
    const std::string m_busAddress;
    std::atomic<bool> m_cancelled{false};
};

}  // namespace lumetra
