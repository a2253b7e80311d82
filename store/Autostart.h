// Starting with the system: an XDG autostart entry "Corvala.desktop" whose Exec= holds the full
// path of the program. The entry exists exactly while starting with the system is on.
#pragma once

#include <string>

namespace lumetra {

// $XDG_CONFIG_HOME/autostart/Corvala.desktop, with ~/.config standing in for an unset variable.
std::string AutostartEntryPath();
bool AutostartEntryExists();

// The full path of the running program file, wherever it was started from.
std::string RunningProgramPath();
// The Exec= value that starts `path` with no arguments: always quoted, so blanks and non-ASCII
// names start too, with the characters the entry format reserves escaped.
std::string DesktopExecValue(const std::string& path);

// Returns false with the reason in *error when the file system refuses; the entry is written
// whole or not at all.
bool WriteAutostartEntry(const std::string& programPath, std::string* error);

enum class EntryRemoval { kRemoved, kAbsent, kRefused };
// kRefused comes with the reason in *error.
EntryRemoval RemoveAutostartEntry(std::string* error);

}  // namespace lumetra
