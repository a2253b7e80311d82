// The Lumetra program. Only this file links the real automatic shutdown, which can switch the
// machine off; everything else lives in lumetra_app, which the tests use.
#include "app/Application.h"
#include "app/CommandLine.h"
#include "base/WorkerThread.h"
#include "schedule/AutoShutdownInstance.h"

int main(int argc, char** argv) {
    const lumetra::CommandLine line = lumetra::ParseCommandLine(argc, argv);
    if (line.exitCode) {
        lumetra::PrintCommandLineOutput(line);
        return *line.exitCode;
    }
    const int exitCode = lumetra::RunLumetra(argc, argv, lumetra::AutoShutdown(), line);
    // A folder scan or a device probe still blocked in the system gets two seconds more; past
    // them it is logged and ends with the process.
    lumetra::JoinLingeringThreads(std::chrono::seconds(2));
    return exitCode;
}
