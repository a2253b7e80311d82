// What an emergency broadcast plays in a loop: the operator's own alarm file, or the siren Lumetra
// makes itself (audio/SirenTone.h) when none is chosen or the chosen file is gone. The same with or
// without a window.
#pragma once

#include <string>

namespace lumetra {

// `chosen` when it is a file; otherwise the siren in the user's data folder (beside the database
// of an installed Lumetra), written there the first time. Empty when even the siren cannot be
// written.
std::string EmergencyAlarmFile(const std::string& chosen);

}  // namespace lumetra
