#pragma once
// Basic idea: where the program's shared settings and help files live. The maker's folder
// convention puts shared data under an application-data folder followed by Varentis\CAO\; the
// optional "commun.ini" beside the program redirects the settings folder; the compiled help file
// lies in a folder "Aide" beside the program's folder, else beside the program. The start-up order
// (Startup.h) computes PaletteFileName with these; the help hook takes HelpFilePath. Apart from
// the two globals they keep no state. Nothing here reports an error: a missing or unreadable
// "commun.ini", section, key or number falls back as told below, and folder creation failures are
// ignored. UI thread only (they read the emulated current directory).

#include "platform/services/Version.h"

#include <cstdint>
#include <string>

// Path of the colour palette file "CouleurPerso.ini"; set at start-up, read by nothing else.
extern std::string PaletteFileName;

// The help hook for the program's help file, HelpSystemHook, is declared with its class in
// HookHelpSystem.h.

// The program's folder, with its final "\".
std::string ProgramFolder();

// The folder that contains the program's folder, in lower case, with its final "\" (or ":" alone
// for a program at a drive root: "c:").
std::string ProgramParentFolder();

// Path of the program's compiled help file (the program's name with ".chm"): in the folder "Aide"
// beside the program's folder when such a file exists there, else beside the program, unless no
// file is there and an installed copy's help file is (InstalledLayout.h).
std::string HelpFilePath();

// Folder kinds of SharedDataFolder.
constexpr int MachineWideFolder = 0;
constexpr int PerUserFolder = 1;

// The machine-wide (0) or per-user (1) application-data folder followed by Varentis\CAO\; both
// levels are created when missing.
std::string SharedDataFolder(int kind);

// The settings folder: selector 0 asks for the folder of the common settings, any other value for
// the folder of other settings (the player passes 2). "commun.ini" may redirect it.
std::string CommonSettingsFolder(uint8_t selector);

// The code 0 to 9 of the running system's version (6 and above for current systems).
uint8_t WindowsVersionCode();
uint8_t WindowsVersionCodeOf(const Version::OSVersionInfo& info);
