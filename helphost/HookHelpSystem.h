#pragma once
// Basic idea: the help-system hook routes the application's help requests (TApplication::OnHelp)
// to compiled HTML help. A context request becomes a call of the help control (HelpLoader.h), or
// the start of one of the two help viewer programs of the system folder, and a failure shows its
// own message box. Every step writes a line to the debug log (DebugLog.h). One hook,
// HelpSystemHook, lives from start-up to exit. UI thread only; the message boxes are modal.

#include "platform/components/Application.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// Host types: how a context is shown.
constexpr uint8_t hostHtmlHelp = 0; // the help control's entry point
constexpr uint8_t hostKeyHH = 1;    // the program "KeyHH.EXE" in the Windows folder
constexpr uint8_t hostHHExe = 2;    // the program "HH.EXE" in the Windows folder

// Help result codes of ShowContext and HHHelpContext.
constexpr int HH_OK = 0;
constexpr int HH_NOT_INSTALLED = 1;
constexpr int HH_KEYHH_MISSING = 2;
constexpr int HH_HHEXE_MISSING = 3;

// The platform's help command numbers that the hook acts on.
constexpr uint16_t HELP_CONTEXT = 1;
constexpr uint16_t HELP_CONTENTS = 3;
constexpr uint16_t HELP_CONTEXTPOPUP = 8;
constexpr uint16_t HELP_SETPOPUP_POS = 13;

struct TPoint
{
    int32_t x = 0;
    int32_t y = 0;
};

class THookHelpSystem
{
public:
    // Stores the defaults and installs HelpHook as the application's help event at once.
    THookHelpSystem(std::string defaultHelpFile, std::string defaultWinDef, uint8_t hostType);
    // Closes the help windows (host type 0) and gives the application its old help event back.
    virtual ~THookHelpSystem();
    THookHelpSystem(const THookHelpSystem&) = delete;
    THookHelpSystem& operator=(const THookHelpSystem&) = delete;

    // The application's help event: shows help for context requests (1 and 8), stores the popup
    // position (13) and leaves every other command to the application (callHelp true). A negative
    // context number raises ERangeError before anything is shown.
    bool HelpHook(uint16_t command, int32_t data, bool& callHelp);

    TApplication::HelpHandler SavedHelpEvent;
    std::string ChmFile;
    std::string WinDef;
    uint8_t HostType = hostHtmlHelp;
    TPoint PopupPos;
    std::function<void(int32_t context)> OnHelpContext;
    std::function<void(int32_t context, int32_t x, int32_t y)> OnHelpPopup;
    bool ChainOldHandler = false;
};

// The one hook, created at start-up and freed at exit.
extern std::unique_ptr<THookHelpSystem> HelpSystemHook;

// The log's text for a help command: "1 (HELP_CONTEXT)", "99 (??)".
std::string HelpCommandText(uint16_t command);

// Shows help for a context of a help file; returns a help result code.
int HHHelpContext(const std::string& helpFile, int32_t context, const std::string& winDef, uint8_t hostType);

// Shows a context of a help path by the host type; returns a help result code.
int ShowContext(const std::string& helpPath, int32_t context, uint8_t hostType);

// "file::/topic>window" with "%20" read as blanks and blanks trimmed; prefix kind 1 puts
// "mk:@MSITStore:" in front, 2 "ms-its:".
std::string MakeHelpPath(std::string helpFile, std::string topic, std::string winDef, int prefixKind);

// Shows the message of a help result code, if any.
void HHShowError(int code);
std::string HHErrorText(int code);

// Closes every window of the help control, when it is loaded.
void CloseHelpWindows();

// Starts a program (path text) with its arguments, detached; failures show the "Function
// ShellExecute" box and are logged.
bool ShellRun(const std::string& program, const std::string& arguments);

// "[Error:n] message" for the calling thread's last error.
std::string LastErrorText();
