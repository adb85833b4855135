// The help control's benchmark program, run by bench/help-open.sh:
//   helpbench FILE COUNT     with a window of its own up, as the player has, opens FILE (a compiled
//                            help file, POSIX path) COUNT times in a new help window through the
//                            real control, each time until the window is on the screen, and closes
//                            it; prints the first and the median open in ms
//   helpbench damaged FILE   opens FILE and says whether it failed cleanly (no window), in ms
// The control is the one $QUELMO_HHCTRL names.

#include "common/HelpLoader.h"
#include "platform/Application.h"
#include "platform/Paths.h"
#include "platform/WindowHandle.h"

#include <QElapsedTimer>
#include <QTabWidget>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Opens the file at its default topic; the time until its window is exposed, or -1 without one.
double OpenOnce(const std::string& pathText, QWidget** window)
{
    QElapsedTimer timer;
    timer.start();
    *window = WidgetOfHandle(HelpLoader::Loaded().HtmlHelpA(nullptr, pathText.c_str(), HH_HELP_CONTEXT, 0));
    if (*window == nullptr)
        return -1;
    if (std::getenv("HELPBENCH_SPLIT") != nullptr)
        std::printf("returned %.1f ms\n", double(timer.nsecsElapsed()) / 1e6);
    while (!(*window)->windowHandle()->isExposed() && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    return double(timer.nsecsElapsed()) / 1e6;
}

void CloseAll()
{
    HelpLoader::Loaded().HtmlHelpA(nullptr, nullptr, HH_CLOSE_ALL, 0);
    QCoreApplication::processEvents();
}

int Measure(const std::string& pathText, int count)
{
    std::vector<double> times;
    QWidget* window = nullptr;
    for (int i = 0; i < count; ++i) {
        const double ms = OpenOnce(pathText, &window);
        if (ms < 0) {
            std::printf("no window for %s\n", pathText.c_str());
            return 1;
        }
        if (i == 0) {
            const auto* tabs = window->findChild<QTabWidget*>("navigation");
            std::printf("window \"%s\", tabs:", window->windowTitle().toUtf8().constData());
            for (int tab = 0; tabs != nullptr && tab < tabs->count(); ++tab)
                std::printf(" %s", tabs->tabText(tab).toUtf8().constData());
            std::printf("\n");
        }
        times.push_back(ms);
        CloseAll();
    }
    const double first = times.front();
    std::sort(times.begin(), times.end());
    std::printf("help-open ms: first %.1f, median %.1f, max %.1f over %d\n", first, times[times.size() / 2],
                times.back(), count);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    if (argc < 3)
        return std::fprintf(stderr, "usage: helpbench FILE COUNT | helpbench damaged FILE\n"), 2;
    LoadHelpControl();
    if (HelpLoader::Loaded().HtmlHelpA == nullptr)
        return std::fprintf(stderr, "no help control (QUELMO_HHCTRL)\n"), 1;
    const bool damaged = std::string(argv[1]) == "damaged";
    const std::string posix = damaged ? argv[2] : argv[1];
    const std::string pathText = Paths::FromPosix(posix).value_or(posix);
    if (!damaged) {
        // As in the player, a window of the program is up before help is asked for, so Qt's own
        // first-use set-up (style, fonts) is not counted as the help's.
        QWidget main;
        main.show();
        while (!main.windowHandle()->isExposed())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        return Measure(pathText, std::max(1, std::atoi(argv[2])));
    }
    QWidget* window = nullptr;
    QElapsedTimer timer;
    timer.start();
    const double ms = OpenOnce(pathText, &window);
    std::printf("damaged file: %s in %.1f ms\n", ms < 0 ? "no window, no message" : "a window",
                double(timer.nsecsElapsed()) / 1e6);
    CloseAll();
    return ms < 0 ? 0 : 1;
}
