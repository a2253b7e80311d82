// The directory of the running program, where "dbinfo.mdb" lives.
#pragma once

#include <string>

namespace lumetra {

// Absolute directory of the running executable, with a trailing "/".
std::string ProgramDirectory();

}  // namespace lumetra
