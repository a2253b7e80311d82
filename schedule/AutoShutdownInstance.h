// The process-wide automatic shutdown of the program, on the application connection and the
// wall clock, powering off through systemd-logind. Part of lumetra_power, which only the program
// links, so that nothing in a test binary can switch the machine off.
#pragma once

#include "schedule/AutoShutdown.h"

namespace lumetra {

CAutoShutdown& AutoShutdown();

}  // namespace lumetra
