#include "helphost/HookHelpSystem.h"

#include "common/PathHelpers.h"
#include "helphost/DebugLog.h"
#include "helphost/HelpLoader.h"
#include "helphost/HelpProbe.h"
#include "platform/components/MessageBox.h"
#include "platform/components/WindowHandle.h"
#include "platform/paths/FileSystem.h"
#include "platform/services/Exceptions.h"
#include "platform/services/Shell.h"
#include "platform/services/WinError.h"
#include "texts/French.h"

#include <QApplication>
#include <QThread>
#include <QWidget>

std::unique_ptr<THookHelpSystem> HelpSystemHook;

namespace {

// The program's own texts for the help result codes.
const char* const NotInstalledText = Texts::HelpNotInstalled;
const char* const KeyHHMissingText = Texts::HelpKeyHHMissing;
const char* const HHExeMissingText = Texts::HelpHHExeMissing;
const char* const UnknownErrorText = Texts::HelpUnknownError;

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') + 1 - first);
}

// A help viewer program of the Windows folder, started on a context; `missing` when it is absent.
int RunViewer(const char* program, const std::string& arguments, int missing)
{
    const std::string path = WindowsDirectory() + "\\" + program;
    if (!FileSystem::FileExists(path))
        return missing;
    ShellRun(path, arguments);
    return HH_OK;
}

int ShowInControl(const std::string& helpPath, int32_t context)
{
    // The control's file is there but could not be loaded: as good as not installed.
    if (HelpLoader::Loaded().HtmlHelp == nullptr)
        return HH_NOT_INSTALLED;
    const HWND window = HelpLoader::Loaded().HtmlHelp(GetDesktopWindow(), helpPath.c_str(), HH_HELP_CONTEXT,
                                                      uintptr_t(uint32_t(context)));
    if (window != nullptr)
        SetForegroundWindow(window);
    return HH_OK;
}

void CheckContext(int32_t context)
{
    if (context < 0)
        throw ERangeError();
}

} // namespace

THookHelpSystem::THookHelpSystem(std::string defaultHelpFile, std::string defaultWinDef, uint8_t hostType)
    : ChmFile(std::move(defaultHelpFile)), WinDef(std::move(defaultWinDef)), HostType(hostType)
{
    if (TApplication* app = TApplication::Instance()) {
        SavedHelpEvent = app->OnHelp;
        app->OnHelp = [this](uint16_t command, int32_t data, bool& callHelp) {
            return HelpHook(command, data, callHelp);
        };
    }
    ChainOldHandler = false;
    DebugLog("THookHelpSystem.Create(\"%s\",\"%s\", %d)", ChmFile, WinDef, int(HostType));
}

THookHelpSystem::~THookHelpSystem()
{
    if (HostType == hostHtmlHelp)
        CloseHelpWindows();
    if (TApplication* app = TApplication::Instance())
        app->OnHelp = SavedHelpEvent;
    DebugLog("THookHelpSystem.Destroy");
}

bool THookHelpSystem::HelpHook(uint16_t command, int32_t data, bool& callHelp)
{
    bool result = true;
    DebugLog("THookHelpSystem.HelpHook(%s, %d)", HelpCommandText(command), data);
    if (ChainOldHandler && SavedHelpEvent)
        result = SavedHelpEvent(command, data, callHelp);
    callHelp = false;
    switch (command) {
    case HELP_CONTEXTPOPUP:
        if (OnHelpPopup) {
            CheckContext(data);
            OnHelpPopup(data, PopupPos.x, PopupPos.y);
            break;
        }
        [[fallthrough]]; // without a popup handler, the topic is shown as a normal one
    case HELP_CONTEXT:
        CheckContext(data);
        if (OnHelpContext)
            OnHelpContext(data);
        else
            HHShowError(HHHelpContext(ChmFile, data, WinDef, HostType));
        break;
    case HELP_SETPOPUP_POS:
        PopupPos.x = int16_t(uint32_t(data) & 0xFFFF);
        PopupPos.y = int16_t(uint32_t(data) >> 16);
        break;
    default:
        callHelp = true;
        break;
    }
    return result;
}

std::string HelpCommandText(uint16_t command)
{
    static const std::pair<uint16_t, const char*> names[] = {
        {1, "HELP_CONTEXT"},
        {2, "HELP_QUIT"},
        {3, "HELP_INDEX or HELP_CONTENTS"},
        {4, "HELP_HELPONHELP"},
        {5, "HELP_SETINDEX or HELP_SETCONTENTS"},
        {8, "HELP_CONTEXTPOPUP"},
        {9, "HELP_FORCEFILE"},
        {10, "HELP_CONTEXTMENU"},
        {11, "HELP_FINDER"},
        {12, "HELP_WM_HELP"},
        {13, "HELP_SETPOPUP_POS"},
        {257, "HELP_KEY"},
        {258, "HELP_COMMAND"},
        {261, "HELP_PARTIALKEY"},
        {513, "HELP_MULTIKEY"},
        {515, "HELP_SETWINPOS"},
    };
    const char* name = "??";
    for (const auto& [number, text] : names)
        if (number == command)
            name = text;
    return std::to_string(command) + " (" + name + ")";
}

int HHHelpContext(const std::string& helpFile, int32_t context, const std::string& winDef, uint8_t hostType)
{
    DebugLog("HHHelpContext(\"%s\", %d, \"%s\", %d)", helpFile, context, winDef, int(hostType));
    const std::string path = MakeHelpPath(helpFile, "", winDef, hostType == hostHHExe ? 1 : 0);
    return ShowContext(path, context, hostType);
}

int ShowContext(const std::string& helpPath, int32_t context, uint8_t hostType)
{
    DebugLog("ShowContext(\"%s\", %d)", helpPath, int(hostType));
    int code = HH_OK;
    if (!HelpUnit::HhInstalled)
        code = HH_NOT_INSTALLED;
    else if (hostType == hostHtmlHelp)
        code = ShowInControl(helpPath, context);
    else if (hostType == hostKeyHH)
        code = RunViewer("KeyHH.EXE", "-win -#mapid " + std::to_string(context) + " " + helpPath,
                         HH_KEYHH_MISSING);
    else if (hostType == hostHHExe)
        code = RunViewer("HH.EXE", "-mapid " + std::to_string(context) + " " + helpPath, HH_HHEXE_MISSING);
    DebugLog("  returned - %d", code);
    return code;
}

std::string MakeHelpPath(std::string helpFile, std::string topic, std::string winDef, int prefixKind)
{
    helpFile = Trimmed(ReplaceAll(helpFile, "%20", " "));
    topic = Trimmed(ReplaceAll(topic, "%20", " "));
    winDef = Trimmed(ReplaceAll(winDef, "%20", " "));
    std::string path = helpFile;
    if (!topic.empty()) {
        topic = ReplaceAll(topic, "\\", "/");
        if (topic[0] != '/')
            topic.insert(0, "/");
        path = helpFile.empty() ? topic : helpFile + "::" + topic;
    }
    if (!winDef.empty())
        path += ">" + winDef;
    if (prefixKind == 1)
        path.insert(0, "mk:@MSITStore:");
    else if (prefixKind == 2)
        path.insert(0, "ms-its:");
    return path;
}

std::string HHErrorText(int code)
{
    switch (code) {
    case HH_OK:
        return {};
    case HH_NOT_INSTALLED:
        return NotInstalledText;
    case HH_KEYHH_MISSING:
        return KeyHHMissingText;
    case HH_HHEXE_MISSING:
        return HHExeMissingText;
    default:
        return UnknownErrorText;
    }
}

void HHShowError(int code)
{
    if (code == HH_OK)
        return;
    const std::string text = HHErrorText(code);
    const TApplication* app = TApplication::Instance();
    MessageBoxA(text, app != nullptr ? app->Title() : "Quelmo", 48);
    DebugLog("HHShowError(%d), \"%s\"", code, text);
}

void CloseHelpWindows()
{
    if (HelpLoader::Loaded().HtmlHelp == nullptr) // the control is not loaded
        return;
    HelpLoader::Loaded().HtmlHelp(nullptr, nullptr, HH_CLOSE_ALL, 0);
    QThread::yieldCurrentThread();
}

bool ShellRun(const std::string& program, const std::string& arguments)
{
    HWND owner = nullptr;
    if (QWidget* active = QApplication::activeWindow())
        owner = WindowHandle(active);
    else if (const TApplication* app = TApplication::Instance(); app != nullptr && !app->Forms().empty())
        owner = WindowHandle(app->Forms().front());
    const bool success = ShellExecuteA(owner, "open", program, arguments, "", SW_SHOWDEFAULT) > 32;
    if (!success)
        DebugLogBox("Function ShellExecute(%s)\rReturned: %s", program + ", " + arguments, LastErrorText());
    return success;
}

std::string LastErrorText()
{
    struct Entry
    {
        int Code;
        const char* Message;
    };
    static const Entry messages[] = {
        {2, "File Not Found"},
        {3, "Path Not Found"},
        {5, "Access Denied"},
        {8, "Insufficient Memory"},
        {19, "Media Is Write Protected"},
        {21, "Device Not Ready"},
        {32, "File In Use"},
        {33, "File In Use"},
        {39, "Disk Full"},
        {112, "Disk Full"},
        {1150, "Windows Version Incorrect"},
        {1151, "Not A Windows Or MSDos Program"},
        {276, "Corrupt File Or Disk"},
        {1005, "Corrupt File Or Disk"},
        {1392, "Corrupt File Or Disk"},
        {1393, "Corrupt File Or Disk"},
        {1009, "Corrupt Registry"},
        {1358, "Corrupt Registry"},
    };
    const int code = GetLastError();
    const char* message = "General Failure";
    for (const Entry& entry : messages)
        if (entry.Code == code)
            message = entry.Message;
    return "[Error:" + std::to_string(code) + "] " + message;
}
