#pragma once
// Basic idea: the program names files with Windows path texts ("c:\home\ana\Musique\a.mp3",
// "\\server\share\x") and this layer turns them into POSIX paths only at the last step, before a
// system call. Drive letters come from the drive table (Drives.h); relative texts resolve against
// the emulated current directory (CurrentDir.h). A Linux name may hold "\" or ":", which would
// break a path text, and control characters (a newline) would break the texts that hold paths
// (the settings file), so these travel inside path texts as the private-use characters U+F000 plus
// their code (U+F05C, U+F03A, U+F00A...) and are turned back at the last step. Any other bytes,
// UTF-8 or not, pass unchanged.
// UI thread only, like the current directory it reads.

#include <optional>
#include <string>

namespace Paths {

// A POSIX file name as it appears in a path text, and back. Throw nothing.
std::string NameFromPosix(const std::string& posixName);
std::string NameToPosix(const std::string& name);

// The text's drive part: "c:" for "c:\x" or "c:x"; "\\server\share" for a network path; else empty.
// Throws nothing.
std::string DrivePart(const std::string& text);

// The full absolute form of a path text, as the system would report it: relative texts resolved
// against the current directory, "d:" against drive d's current directory, "\x" against the
// current drive's root; "/" taken as "\"; empty components and "." dropped, ".." stepping up but
// never above the root; no final "\" except at a root ("c:\"). Throws nothing.
std::string ExpandPath(const std::string& text);

// The POSIX path of a path text (expanded first). Returns 0, or the Windows error code (WinError.h):
// PathNotFound for a drive letter that names no drive, BadNetPath for a network share that no drive
// maps. Throws nothing.
int ToPosix(const std::string& text, std::string& posixPath);

// The path text of an absolute POSIX path, through the drive with the longest mount root that
// holds it; nullopt when no drive holds it. Throws nothing.
std::optional<std::string> FromPosix(const std::string& posixPath);

} // namespace Paths
