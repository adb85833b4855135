#include "program/Startup.h"

#include "common/SharedFolders.h"
#include "helphost/HelpSteps.h"
#include "platform/components/Application.h"

#include <QWidget>

namespace Startup {

namespace {

std::vector<std::string>& Steps()
{
    static std::vector<std::string> steps;
    return steps;
}

// The palette file beside the program, until the common settings say where it lies.
void SetPaletteBesideProgram()
{
    PaletteFileName = ProgramFolder() + "CouleurPerso.ini";
}

// Message dialogs are the program's own classic boxes, never a desktop's native dialog.
void UseClassicMessageBoxes()
{
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, true);
}

// Reads "commun.ini" and creates the shared data folders on the way.
void SetPaletteInSettingsFolder()
{
    PaletteFileName = CommonSettingsFolder(2) + "CouleurPerso.ini";
}

struct Unit
{
    const char* InitName;
    void (*Initialise)();
    const char* FinalName; // null: the unit has no finaliser
    void (*Finalise)();
};

const Unit Units[] = {
    {"PaletteFileName", SetPaletteBesideProgram, nullptr, nullptr},
    {"ClassicMessageBoxes", UseClassicMessageBoxes, nullptr, nullptr},
    {"LoadHelpControl", HelpSteps::LoadHelpControl, "UnloadHelpControl", HelpSteps::UnloadHelpControl},
    {"ProbeAndCreateLog", HelpSteps::ProbeAndCreateLog, "FreeDebugLog", HelpSteps::FreeDebugLog},
    {"CreateHelpHook", HelpSteps::CreateHelpHook, "FreeHelpHook", HelpSteps::FreeHelpHook},
    {"CommonSettings", SetPaletteInSettingsFolder, nullptr, nullptr},
};

// The units initialised and not yet finalised, in initialisation order.
std::vector<const Unit*>& Initialised()
{
    static std::vector<const Unit*> units;
    return units;
}

// A termination signal came during the start-up (while one of its boxes was up).
bool EndRequested()
{
    const TApplication* app = TApplication::Instance();
    return app != nullptr && app->EndRequested();
}

// Records the step and runs it; an error it raises shows in the standard error box.
void RunStep(const char* name, void (*step)())
{
    RecordStep(name);
    RunHandler(step);
}

} // namespace

void RunInitialisers()
{
    for (const Unit& unit : Units) {
        if (EndRequested())
            return;
        Initialised().push_back(&unit);
        RunStep(unit.InitName, unit.Initialise);
    }
}

void RunFinalisers()
{
    auto& units = Initialised();
    while (!units.empty()) {
        const Unit* unit = units.back();
        units.pop_back();
        if (unit->Finalise != nullptr)
            RunStep(unit->FinalName, unit->Finalise);
    }
}

int Run(TApplication& app, const MainWindowFactory& createMainWindow)
{
    RunInitialisers();
    int result = EndRequested() ? 0 : 1;
    std::unique_ptr<QWidget> window;
    if (!EndRequested()) {
        // The player sets no title of its own: the application keeps its default one.
        RecordStep("InitializeApplication");
        RecordStep("CreateMainWindow");
        RunHandler([&] { window = createMainWindow(); });
    }
    if (window != nullptr) {
        result = 0;
        if (!EndRequested()) {
            RecordStep("RunApplication");
            app.SetMainForm(window.get());
            window->show();
            // A signal during the show (while a box of FormShow was up) closes the window now that
            // the show is over, as it would have in the message loop.
            if (EndRequested())
                window->close();
            else
                result = app.RunMessageLoop();
        }
        RecordStep("DestroyMainWindow");
        // From here on a termination signal ends whatever waits (a box about a failed save), so that a
        // shutdown is never held up by the program's last words.
        app.SetMainForm(nullptr);
        window.reset();
    }
    RunFinalisers();
    return result;
}

const std::vector<std::string>& StepsRun()
{
    return Steps();
}

void RecordStep(const std::string& name)
{
    Steps().push_back(name);
}

void ClearSteps()
{
    Steps().clear();
}

} // namespace Startup
