#pragma once
// The program's command line, read with wx's parser before any window
// exists: --help and --version answer on the terminal without a display.
// The program takes no other options and no arguments.

#include <iosfwd>

namespace tonvale {

// Exit status of a command line the parser refuses.
inline constexpr int usageExitStatus = 2;

struct CommandLineOutcome {
    bool run;       // no options: start the program
    int exitStatus; // otherwise: end at once with this status
};

// --version and --help print to out; an unknown option or an argument
// prints the parser's message and the usage to err.
CommandLineOutcome handleCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err);

} // namespace tonvale
