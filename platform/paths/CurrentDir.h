#pragma once
// Basic idea: the program's current directory, kept here instead of the process's (nothing calls
// chdir). As on Windows there is one current directory per drive, so that "d:" means drive d's
// current directory, and a process-wide current one whose drive is the current drive. Texts are
// path texts (Paths.h); Get() returns the full form as it was made current. UI thread only.

#include <string>

namespace CurrentDir {

// The current directory, e.g. "c:\home\ana"; at first use, the process's working directory, or
// the first drive's root when no drive holds it. Throws nothing.
std::string Get();

// Makes a directory current. Returns 0, or the Windows error code (WinError.h: FileNotFound or
// PathNotFound when it does not exist, NotADirectory when it is a file, AccessDenied when it may not
// be entered, NotReady when its drive is not ready or did not answer within DriveWait::LimitMs, PathNotFound
// for an unknown drive letter) and then changes nothing. Throws nothing.
int Set(const std::string& text);

// Drive letter's current directory: the last one made current on that drive, else its root
// ("d:\", with the letter as given). Throws nothing.
std::string OfDrive(char letter);

// Forgets every drive's current directory and starts again from the process's working directory
// (tests use this after replacing the drive table). Throws nothing.
void Reset();

} // namespace CurrentDir
