#pragma once
// Basic idea: the help code's part of the program's start-up and exit order. The start-up order
// (Startup.h) calls these at their places; the help units fill them in.

namespace HelpSteps {

// Start-up, before the main window exists, in this order among the other steps.
void LoadHelpControl();   // the HTML help control is loaded
void ProbeAndCreateLog(); // the help unit's probe and its debug log
void CreateHelpHook();    // the help hook for the program's help file

// Exit, in this order.
void FreeHelpHook();      // the hook freed, the help windows closed
void FreeDebugLog();      // the debug log freed
void UnloadHelpControl(); // the help control unloaded

} // namespace HelpSteps
