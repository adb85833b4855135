#include "common/HelpSteps.h"

// FIXME: the help units fill these steps in.
namespace HelpSteps {
void LoadHelpControl()
{
}
void ProbeAndCreateLog()
{
}
void CreateHelpHook()
{
}
void FreeHelpHook()
{
}
void FreeDebugLog()
{
}
void UnloadHelpControl()
{
}
} // namespace HelpSteps
