// The Lumetra program. Only this file links the real automatic shutdown, which can switch the
// machine off; everything else lives in lumetra_app, which the tests use.
#include "app/Application.h"
#include "app/CommandLine.h"
#include "schedule/AutoShutdownInstance.h"

int main(int argc, char** argv) {
    const lumetra::CommandLine line = lumetra::ParseCommandLine(argc, argv);
    if (line.exitCode) {
        lumetra::PrintCommandLineOutput(line);
        return *line.exitCode;
    }
    return lumetra::RunLumetra(argc, argv, lumetra::AutoShutdown(), line);
}
