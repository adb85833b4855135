#pragma once
// Basic idea: where an installed copy of the player keeps the files that a copy run from its
// build tree has beside the program: the help control in the library folder
// (lib/quelmo/hhctrl.ocx) and the help file in the data folder (share/quelmo/quelmo.chm). The
// places are fixed when the program is built, as POSIX paths relative to the program's folder, so
// that a copy installed under any prefix, or staged under a DESTDIR, finds its own files. The help
// loader and HelpFilePath try them after their own places. UI thread only.

#include <optional>
#include <string>

namespace InstalledLayout {

// From the program's folder to the installed help control ("../lib/quelmo/hhctrl.ocx").
const char* HelpControlFromProgram();
// From the program's folder to the folder of the installed help file ("../share/quelmo").
const char* HelpFolderFromProgram();

// The path text of the file at `relative` (a POSIX path from the program's folder) when such a
// file exists and a drive holds it; nothing otherwise.
std::optional<std::string> ExistingFile(const std::string& relative);

} // namespace InstalledLayout
