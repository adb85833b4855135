#pragma once
// Basic idea: the program's command line as the help code reads it. Argument 0 is the program's
// path text (the module path, as the system reports it for argument 0); arguments 1 to n are the
// words the program was started with. They are read from /proc/self/cmdline; tests put others in
// place with SetArguments. UI thread only.

#include <string>
#include <vector>

namespace CommandLine {

// Argument 0 (the program's path text; "c:\quelmo" when no drive holds the program) and arguments
// 1 to n; only argument 0 when the process's command line cannot be read. Throws nothing.
std::vector<std::string> Arguments();

// The command line as it was given: every word, blank-separated, words holding blanks quoted; word
// 0 as the process got it. Empty when the process's own cannot be read. Throws nothing.
std::string RawCommandLine();

// Tests: arguments 1 to n from now on (argument 0 stays the program's); ResetArguments returns to
// the process's own. Throw nothing.
void SetArguments(std::vector<std::string> arguments);
void ResetArguments();

} // namespace CommandLine
