#include "common/HelpSteps.h"

#include "common/HelpLoader.h"
#include "common/HelpProbe.h"
#include "common/HookHelpSystem.h"
#include "platform/FileSystem.h"
#include "platform/Module.h"

#include <cctype>

namespace {

// The path with the extension of its last name replaced by ".chm" (appended when it has none).
std::string WithChmExtension(const std::string& path)
{
    const size_t nameStart = path.find_last_of("\\:") + 1; // 0 when there is no separator
    const size_t dot = path.rfind('.');
    return (dot != std::string::npos && dot >= nameStart ? path.substr(0, dot) : path) + ".chm";
}

// FIXME: the start-up units provide HelpFilePath; until they are merged this stands in for it with
// the same rule: the folder "Aide" beside the program's folder, else the file beside the program.
std::string LocalHelpFilePath()
{
    const std::string program = Module::ProgramFilePath();
    const size_t nameStart = program.find_last_of("\\:") + 1;
    std::string parent = program.substr(0, nameStart);
    for (char& c : parent)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (!parent.empty() && parent.back() == '\\')
        parent.pop_back();
    while (!parent.empty() && parent.back() != '\\' && parent.back() != ':')
        parent.pop_back();
    const std::string candidate = parent + "Aide\\" + WithChmExtension(program.substr(nameStart));
    return FileSystem::FileExists(candidate) ? candidate : WithChmExtension(program);
}

} // namespace

namespace HelpSteps {

void LoadHelpControl()
{
    if (HelpControlAutoLoad)
        ::LoadHelpControl();
}

void ProbeAndCreateLog()
{
    HelpUnit::RunProbe();
}

void CreateHelpHook()
{
    HelpSystemHook = std::make_unique<THookHelpSystem>(LocalHelpFilePath(), "", hostHtmlHelp);
}

void FreeHelpHook()
{
    HelpSystemHook.reset();
    CloseHelpWindows();
}

void FreeDebugLog()
{
    HelpUnit::FreeDebugLog();
}

void UnloadHelpControl()
{
    ::UnloadHelpControl();
}

} // namespace HelpSteps
