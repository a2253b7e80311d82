// The program from start to end: a single instance, the database, the main window run until its
// exit button ends it, then the database closed.
#pragma once

namespace lumetra {

class CAutoShutdown;

// `shutdown` is the one object that can switch the machine off; only the program passes a real one.
int RunLumetra(int& argc, char** argv, CAutoShutdown& shutdown);

}  // namespace lumetra
