#pragma once
// Basic idea: the help loader finds the HTML help control (a module of ours, helpctrl/), loads it
// once at start-up and unloads it at exit. Where the control lives is a value of the platform
// layer: $QUELMO_HHCTRL, else the first line of the file "Quelmo/hhctrl.path" in the machine-wide
// application-data folder; the value is a path text (or a POSIX path) that may start with
// "%SYSTEMROOT%". Without a value, or when its file is missing, the control is "hhctrl.ocx" in the
// system folder (WindowsFolder), or, when no such file is there, the installed copy's control
// (InstalledLayout.h). UI thread only.

#include "platform/services/DynamicLibrary.h"
#include "platform/services/HtmlHelpApi.h"

#include <string>

namespace HelpLoader {
// The loaded control and its entry points, all nullptr when none is loaded; HtmlHelp is the entry
// this program calls help through, the ANSI one.
struct TLoadedControl
{
    HMODULE Module = nullptr;
    HtmlHelpAProc HtmlHelpA = nullptr;
    HtmlHelpWProc HtmlHelpW = nullptr;
    HtmlHelpAProc HtmlHelp = nullptr;
};
// The one loaded control of the program. LoadHelpControl and UnloadHelpControl fill and clear it;
// tests put a stand-in entry point in it.
TLoadedControl& Loaded();

// The registered value of the control's path, as it stands (before "%SYSTEMROOT%" is expanded);
// empty when none is set.
std::string RegisteredPath();

// Hands the loaded control the program's way of turning path texts into POSIX paths, and the
// writer of the help debug log.
void SetResolver();
} // namespace HelpLoader

// On: start-up loads the control.
extern bool HelpControlAutoLoad;

// The path text of the help control file, or the empty text.
std::string HelpControlPath();

// Loads the control once; does nothing when it is loaded. A failure leaves everything unset and
// is not reported.
void LoadHelpControl();

// Frees the control and clears the handle and the entry points; nothing when it is not loaded.
void UnloadHelpControl();
