#pragma once
// Basic idea: where the running program lives, as a path text: the module path that Windows gives
// through GetModuleFileName. It is read from /proc/self/exe; QUELMO_PROGRAM_PATH (a POSIX path)
// or SetProgramPosixPath() put it elsewhere, so tests can give the program a folder of their own.

#include <string>

namespace Module {

// The program's POSIX path; "/quelmo" when /proc/self/exe cannot be read. Throws nothing.
std::string ProgramPosixPath();
// The program's path text ("c:\usr\bin\quelmo"); "c:\quelmo" when no drive holds the program.
// Throws nothing.
std::string ProgramFilePath();
// Tests: use this POSIX path instead; an empty text returns to the real one. Throws nothing.
void SetProgramPosixPath(const std::string& posixPath);

// The folder of the system components (the Windows directory of the program's world), as a POSIX
// path without a final "/": $QUELMO_WINDIR when set (an absolute path), else the program's own
// folder; "/" when that is the root. Throws nothing.
std::string WindowsPosixFolder();

} // namespace Module
