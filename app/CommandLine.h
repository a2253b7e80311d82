// The program's own options. Read before Qt starts, so --version and --help work without a display;
// options with one dash (-platform NAME, -style NAME) are Qt's and pass on untouched.
#pragma once

#include <optional>
#include <string>

namespace lumetra {

struct CommandLine {
    std::string database;          // --database PATH; empty when not given
    bool headless = false;         // --headless: the station alone, without any window
    std::optional<int> exitCode;   // set when the program ends after printing `output`
    std::string output;            // version, help or the error, with its final newline
    bool toStandardError = false;  // `output` is an error
};

CommandLine ParseCommandLine(int argc, const char* const* argv);

// Prints what ParseCommandLine left to print.
void PrintCommandLineOutput(const CommandLine& line);

}  // namespace lumetra
