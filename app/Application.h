// The program from start to end: a single instance, the database, the station and its main window
// run until the exit button or a termination signal ends them, then the database closed. With
// --headless the station runs alone, without any window. A database that cannot be used ends the
// program at once with a non-zero status.
#pragma once

namespace lumetra {

class CAutoShutdown;
struct CommandLine;

// `shutdown` is the one object that can switch the machine off; only the program passes a real one.
// `line` holds the program's own options, already read.
int RunLumetra(int& argc, char** argv, CAutoShutdown& shutdown, const CommandLine& line);

}  // namespace lumetra
