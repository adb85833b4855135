#pragma once
// Basic idea: the shell's special folders, carried to Linux. Folder 26 (the user's application
// data) is $XDG_CONFIG_HOME or ~/.config; folder 35 (machine-wide application data) is the first
// entry of $XDG_CONFIG_DIRS or /etc/xdg. Tests point both elsewhere through the environment.
// Asking for folder 26 creates its missing levels (mode 0700), as on a new account; folder 35 is
// never created here.

#include <string>

namespace SpecialFolders {

constexpr int AppData = 26;       // CSIDL_APPDATA
constexpr int CommonAppData = 35; // CSIDL_COMMON_APPDATA

// The POSIX path of a special folder, without a final "/"; empty for a number we do not know. A
// folder 26 that cannot be created is still returned (the first write then fails). Throws nothing.
std::string PosixPath(int csidl);

// The same as a path text ("c:\home\ana\.config"), without a final "\"; empty when unknown or
// when no drive holds it. Throws nothing.
std::string PathText(int csidl);

} // namespace SpecialFolders
