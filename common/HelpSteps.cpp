#include "common/HelpSteps.h"

#include "common/HelpLoader.h"
#include "common/HelpProbe.h"
#include "common/HookHelpSystem.h"
#include "common/SharedFolders.h"

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
