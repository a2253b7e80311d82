// Powers the machine off through systemd-logind on the system bus. Only the program links this
// (library lumetra_power); no test binary can reach it.
#pragma once

#include "schedule/PowerControl.h"

namespace lumetra {

class CLogindPowerControl : public IPowerControl {
public:
    // Asks CanPowerOff first and goes on only when the answer is "yes" (no authentication
    // needed); then PowerOff without interactive authentication.
    bool PowerOff(std::string* reason) override;
};

}  // namespace lumetra
