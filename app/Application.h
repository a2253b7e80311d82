// The program from start to end: a single instance, the database, the station and its main window
// run until the exit button or a termination signal ends them, then the database closed. With
// --headless the station runs alone, without any window.
#pragma once

#include <string>

namespace lumetra {

class CAutoShutdown;
struct CommandLine;

// Opens the application connection on `path`. When that fails the operator is shown the
// database's description once, and the program goes on without a database.
bool OpenAppDatabase(const std::string& path);

// `shutdown` is the one object that can switch the machine off; only the program passes a real one.
// `line` holds the program's own options, already read.
int RunLumetra(int& argc, char** argv, CAutoShutdown& shutdown, const CommandLine& line);

}  // namespace lumetra
