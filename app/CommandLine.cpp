#include "app/CommandLine.h"

#include <cstdio>
#include <string_view>

#include "base/Version.h"

namespace lumetra {
namespace {

constexpr const char* kUsage =
    "usage: lumetra [--database PATH] [--headless]\n"
    "Controls a wireless FM public-address network: the transmitter on a serial port, scheduled\n"
    "broadcasts and the sound output that feeds them.\n"
    "\n"
    "  --database PATH   use this database file (it must exist; lumetra-initdb PATH makes one)\n"
    "  --headless        run the schedule and the transmitter link without any window, the log on\n"
    "                    standard error; SIGTERM or Ctrl+C switches the receivers off and ends it\n"
    "  --version         print the version and exit\n"
    "  --help            print this help and exit\n"
    "\n"
    "The database is otherwise LUMETRA_DATABASE, else dbinfo.mdb beside the program when its\n"
    "folder is writable and not under /usr, else $XDG_DATA_HOME/lumetra/dbinfo.mdb (made on the\n"
    "first start). LUMETRA_COM<N> names the serial device of port N; LUMETRA_AUDIO_SINK a GStreamer\n"
    "element that takes the audio. Qt's own options (-platform NAME, ...) are passed on.\n";

CommandLine Finish(int code, std::string output, bool toStandardError = false) {
    CommandLine line;
    line.exitCode = code;
    line.output = std::move(output);
    line.toStandardError = toStandardError;
    return line;
}

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--version") return Finish(0, std::string("lumetra ") + ProgramVersion() + "\n");
        if (argument == "--help" || argument == "-h") return Finish(0, kUsage);
        if (argument == "--headless") {
            line.headless = true;
            continue;
        }
        if (argument == "--database" || argument.starts_with("--database=")) {
            if (argument == "--database") {
                if (i + 1 >= argc) return Finish(2, "lumetra: --database needs a PATH\n", true);
                line.database = argv[++i];
            } else {
                line.database = argument.substr(std::string_view("--database=").size());
            }
            if (line.database.empty()) return Finish(2, "lumetra: --database needs a PATH\n", true);
        } else if (argument.starts_with("--")) {
            return Finish(2, "lumetra: unknown option " + std::string(argument) + "\n" + kUsage, true);
        }
    }
    return line;
}

void PrintCommandLineOutput(const CommandLine& line) {
    std::fputs(line.output.c_str(), line.toStandardError ? stderr : stdout);
}

}  // namespace lumetra
