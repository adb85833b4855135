#pragma once
// Basic idea: the program's start-up and exit order. The common units' initialisers run first, in
// a fixed order, after the application object exists (message boxes need it) and before the main
// window is created; then the application is initialised, the main window is created and shown,
// and the message loop runs until the window closes; after the window is destroyed the units'
// finalisers run in the reverse order of their initialisers. main() calls Run(); tests call it with
// a window of their own and read back the steps in the order they ran. UI thread only.
//
// An error that escapes a step shows in the application's standard error box and the order goes
// on: a broken step must not keep the player from starting, nor leave the later finalisers undone.
// A termination signal during the start-up (seen while one of its boxes is up) ends it as a
// signal ends the running program: no further step, the window closed (and destroyed, saving
// where the user was once it has shown), the finalisers of the units initialised.

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;
class TApplication;

namespace Startup {

// The initialisers, in the order they run.
void RunInitialisers();
// The finalisers of the units initialised, in reverse order; each runs once.
void RunFinalisers();

// The whole program: initialisers, application set-up, the main window from the factory, the
// message loop, the window destroyed, finalisers. Returns the message loop's result (1 when the
// window could not be created).
using MainWindowFactory = std::function<std::unique_ptr<QWidget>()>;
int Run(TApplication& app, const MainWindowFactory& createMainWindow);

// The names of the steps that ran, in order, start-up and exit both; each step records itself
// before it starts. Others (a test's window) may record theirs among them.
const std::vector<std::string>& StepsRun();
void RecordStep(const std::string& name);
void ClearSteps();

} // namespace Startup
