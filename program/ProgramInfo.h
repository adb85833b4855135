#pragma once
// Basic idea: the two arguments that a program on a Linux desktop answers without starting,
// "--version" and "--help". main() asks before it creates the application, so that neither needs a
// display. Every other argument is left as it was: the help code reads "-debug" and "/debug", and
// the rest is ignored.

#include <optional>
#include <string>
#include <vector>

namespace ProgramInfo {

// "Quelmo 1.3.0": the program's name and version.
std::string VersionText();
// The short French usage that "--help" prints.
std::string UsageText();

// When one of the arguments (after argument 0) is "--version" or "--help", the text to print and
// end with; the first of them decides. Otherwise nothing: the program starts.
std::optional<std::string> InfoRequested(const std::vector<std::string>& arguments);

// main()'s side of it: prints the text to standard output and returns the exit code (0), or
// returns nothing when the program is to start.
std::optional<int> AnswerInfoArguments(int argc, char** argv);

} // namespace ProgramInfo
