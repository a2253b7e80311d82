// Starting with the system: an XDG autostart entry named with Lumetra's desktop id, whose Exec=
// holds the full path of the program. The entry exists exactly while starting with the system is on.
#pragma once

#include <string>

namespace lumetra {

// $XDG_CONFIG_HOME/autostart/org.lumetra.Lumetra.desktop, with ~/.config standing in for an
// unset variable.
std::string AutostartEntryPath();
bool AutostartEntryExists();
// Run at start, before the entry is read: an entry written under the program's former name becomes
// the entry, so a school that chose to start with the system still does. Where both exist the
// current one stays and the former goes. A refusal of the file system is logged.
void MoveFormerAutostartEntry();

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
