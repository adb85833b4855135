#pragma once
// Basic idea: the shell's "open" of a program, as the help code asks for it (ShellExecuteA). The
// program is a path text; the arguments are one text, split into words the way a command line is
// (blanks separate, double quotes group). The program starts detached: it outlives us and we never
// wait for it. UI thread only.

#include "platform/services/HtmlHelpApi.h"

#include <cstdint>
#include <string>

constexpr int SW_SHOWDEFAULT = 10;

// Starts the program. Returns a value above 32 on success; otherwise a value of 32 or less (2 file
// missing, 3 path missing, 5 access refused, 31 nothing to open it with) and the last error set.
// A failure whose Windows code is above 32 (an unknown share, a verb other than "open", a program
// that cannot start) answers 31. The working folder is the current directory when `folder` is
// empty. Throws nothing.
intptr_t ShellExecuteA(HWND owner, const std::string& verb, const std::string& file,
                       const std::string& parameters, const std::string& folder, int showCommand);
