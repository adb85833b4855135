// The program: the application object, the common units' start-up, the main window, the message
// loop, and the exit in reverse order (Startup.h).

#include "app/principale.h"
#include "desktop/Desktop.h"
#include "desktop/OpenWith.h"
#include "desktop/SessionBus.h"
#include "platform/components/Application.h"
#include "platform/components/FirstFrame.h"
#include "platform/components/HelpKey.h"
#include "platform/paths/DriveWait.h"
#include "program/ProgramInfo.h"
#include "program/Startup.h"

#include <QFont>
#include <cstdio>
#include <cstdlib>
#include <fontconfig/fontconfig.h>
#include <optional>
#include <string>
#include <thread>

namespace {

// The MP3 file the program was started with (the file manager's "Open with"), as `file`; empty
// when none. True when a player that runs already took it: this copy has nothing more to do.
bool HandedToRunningPlayer(int argc, char** argv, std::string& file)
{
    file = OpenWith::FileArgument(argc, argv);
    return !file.empty() && OpenWith::HandToRunningPlayer(file);
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> exitCode = ProgramInfo::AnswerInfoArguments(argc, argv))
        return *exitCode;
    // Reading the font configuration is the longest single step before the window can draw text;
    // it runs on a second core while the application connects to the display and the start-up
    // steps run, and is joined before the window's fonts are first needed.
    std::jthread fontConfiguration([] { FcInit(); });
    // Qt reads none of the program's arguments (its -platform, -display, -reverse...): the program
    // reads only its own debug switch, from the process's command line, and an MP3 file to play,
    // and ignores every other word. Qt's environment variables keep working.
    // A session bus that does not answer would hold the window back for ever: it is set aside
    // before Qt connects to it.
    SessionBus::SetAsideIfSilent();
    int qtArgc = 1;
    TApplication app(qtArgc, argv);
    std::string fileToOpen;
    if (HandedToRunningPlayer(argc, argv, fileToOpen))
        return EXIT_SUCCESS;
    app.CloseMainFormOnSignals(); // a logout's SIGTERM or SIGHUP ends the program as "Quitter" does
    // The design's fonts are Windows fonts; Liberation Sans has Arial's metrics. Set before the
    // start-up steps, whose message boxes use them.
    QFont::insertSubstitution("MS Sans Serif", "Liberation Sans");
    QFont::insertSubstitution("Arial", "Liberation Sans");
    InstallHelpKey(app); // F1 in a form asks for help
    const int result = Startup::Run(app, [&fontConfiguration, &fileToOpen] {
        fontConfiguration.join();
        auto form = std::make_unique<TForm1>();
        Desktop::Attach(*form, fileToOpen);
        // The start-up benchmark: the time the first frame is on screen, on the standard error,
        // then the end.
        if (std::getenv("QUELMO_QUIT_AFTER_FIRST_FRAME") != nullptr)
            ReportFirstFrameAndQuit(*form);
        return form;
    });
    // A read of a drive that stopped answering may wait in the kernel for ever. The settings are
    // saved by now; the program ends without the exit handlers, which would wait for that thread.
    if (DriveWait::AnyLate()) {
        std::fflush(nullptr);
        std::_Exit(result);
    }
    return result;
}
