// Starting with the system: an XDG autostart entry "Corvala.desktop" whose Exec= holds the full
// path of the program. The entry exists exactly while starting with the system is on.
#pragma once

#include <string>

namespace lumetra {

// $XDG_CONFIG_HOME/autostart/Corvala.desktop, with ~/.config standing in for an unset variable.
std::string AutostartEntryPath();
bool AutostartEntryExists();

}  // namespace lumetra
