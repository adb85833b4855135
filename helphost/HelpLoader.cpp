#include "helphost/HelpLoader.h"

#include "common/InstalledLayout.h"
#include "common/PathHelpers.h"
#include "helphost/DebugLog.h"
#include "platform/paths/FileSystem.h"
#include "platform/paths/Paths.h"
#include "platform/paths/SpecialFolders.h"
#include "platform/profiles/RegularFile.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace HelpLoader {

TLoadedControl& Loaded()
{
    static TLoadedControl control;
    return control;
}

namespace {

// A POSIX path becomes a path text; anything else is taken as a path text already.
std::string AsPathText(const std::string& value)
{
    if (value.empty() || value[0] != '/')
        return value;
    return Paths::FromPosix(value).value_or(std::string());
}

std::string FirstLineOf(const std::string& posixPath)
{
    std::string text;
    RegularFile::Read(posixPath, 65536, text);
    std::string line = text.substr(0, text.find('\n'));
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.pop_back();
    return line;
}

// The control turns the path texts it is given into POSIX paths through the program's drives.
int ResolvePath(const char* pathText, char* posixPath, size_t size)
{
    std::string posix;
    if (pathText == nullptr || Paths::ToPosix(pathText, posix) != 0 || posix.size() >= size)
        return -1;
    std::memcpy(posixPath, posix.c_str(), posix.size() + 1);
    return int(posix.size());
}

// The control's own lines (a help file cut down to its limits, or not opened) go to the help log.
void WriteDebugLog(const char* line)
{
    if (line != nullptr)
        DebugLog("%s", std::string(line));
}

} // namespace

void SetResolver()
{
    auto set = reinterpret_cast<HtmlHelpSetPathResolverProc>(
        GetProcAddress(Loaded().Module, "HtmlHelpSetPathResolver"));
    if (set != nullptr)
        set(&ResolvePath);
    auto setLog =
        reinterpret_cast<HtmlHelpSetDebugLogProc>(GetProcAddress(Loaded().Module, "HtmlHelpSetDebugLog"));
    if (setLog != nullptr)
        setLog(&WriteDebugLog);
}

std::string RegisteredPath()
{
    if (const char* env = std::getenv("QUELMO_HHCTRL"); env != nullptr && env[0] != '\0')
        return AsPathText(env);
    const std::string machine = SpecialFolders::PosixPath(SpecialFolders::CommonAppData);
    if (machine.empty())
        return {};
    return AsPathText(FirstLineOf(machine + "/Quelmo/hhctrl.path"));
}

} // namespace HelpLoader

bool HelpControlAutoLoad = true;

std::string HelpControlPath()
{
    std::string path = HelpLoader::RegisteredPath();
    constexpr size_t RootLength = 12; // "%SYSTEMROOT%"
    if (path.size() >= RootLength && path[0] == '%' && path[RootLength - 1] == '%' &&
        ::strncasecmp(path.c_str() + 1, "SYSTEMROOT", RootLength - 2) == 0)
        path.replace(0, RootLength, WindowsDirectory());
    if (!path.empty() && !FileSystem::FileExists(path))
        path.clear();
    if (!path.empty())
        return path;
    path = WindowsDirectory() + "\\hhctrl.ocx";
    // An installed copy keeps its control in the library folder, not beside the program.
    if (!FileSystem::FileExists(path))
        return InstalledLayout::ExistingFile(InstalledLayout::HelpControlFromProgram()).value_or(path);
    return path;
}

void LoadHelpControl()
{
    HelpLoader::TLoadedControl& control = HelpLoader::Loaded();
    if (control.Module != nullptr)
        return;
    const std::string path = HelpControlPath();
    if (path.empty() || !FileSystem::FileExists(path))
        return;
    control.Module = LoadLibraryA(path);
    if (control.Module == nullptr)
        return;
    control.HtmlHelpA = reinterpret_cast<HtmlHelpAProc>(GetProcAddress(control.Module, "HtmlHelpA"));
    control.HtmlHelp = control.HtmlHelpA;
    control.HtmlHelpW = reinterpret_cast<HtmlHelpWProc>(GetProcAddress(control.Module, "HtmlHelpW"));
    HelpLoader::SetResolver();
}

void UnloadHelpControl()
{
    HelpLoader::TLoadedControl& control = HelpLoader::Loaded();
    if (control.Module == nullptr)
        return;
    FreeLibrary(control.Module);
    control = {};
}
