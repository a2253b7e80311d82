// The database of this start: chosen by the data-location rules, made on an installed program's
// first start, checked, then opened as the application connection. A file that cannot be used ends
// the start before anything runs on it: no schedule, no frame, no login.
#pragma once

#include <string>

namespace lumetra {

// `option` is the --database PATH of the command line, or empty. A file that is missing, not a
// database, empty, unreadable or without a table the program needs is refused: false, with
// *failure saying which file, what is wrong and what to do, also written to standard error. When
// the database was just made, *created tells the operator so, with the delivered login; the main
// window shows it once it is there (CRunningProgram).
bool OpenStartDatabase(const std::string& option, std::string* created, std::string* failure);

}  // namespace lumetra
