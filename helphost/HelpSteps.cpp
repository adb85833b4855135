#include "helphost/HelpSteps.h"

#include "common/SharedFolders.h"
#include "helphost/HelpLoader.h"
#include "helphost/HelpProbe.h"
#include "helphost/HookHelpSystem.h"

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
    HelpSystemHook = std::make_unique<THookHelpSystem>(HelpFilePath(), "", hostHtmlHelp);
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
