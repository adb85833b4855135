// The help control's benchmark program, run by bench/help-open.sh:
//   helpbench FILE COUNT     with a window of its own up, as the player has, opens FILE (a compiled
//                            help file, POSIX path) COUNT times in a new help window through the
//                            real control, each time until the window is on the screen, and closes
//                            it; prints the first and the median open in ms, and the longest time
//                            the window thread spent away from its event loop meanwhile (how long
//                            the player's window would stop answering)
//   helpbench damaged FILE   opens FILE and says whether it failed cleanly (no window), in ms
// The control is the one $QUELMO_HHCTRL names.

#include "helphost/HelpLoader.h"
#include "platform/components/Application.h"
#include "platform/components/WindowHandle.h"
#include "platform/paths/Paths.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The longest gap between two turns of the window thread's event loop while it is running.
class StallWatch
{
public:
    StallWatch()
    {
        m_Since.start();
        m_Tick.setInterval(0);
        QObject::connect(&m_Tick, &QTimer::timeout, [this] { Turn(); });
        m_Tick.start();
    }
    // Counts the gap up to now too: a call that never returns to the loop is one long stall.
    double LongestMs()
    {
        Turn();
        return m_Longest;
    }

private:
    void Turn()
    {
        m_Longest = std::max(m_Longest, double(m_Since.nsecsElapsed()) / 1e6);
        m_Since.restart();
    }
    QElapsedTimer m_Since;
    QTimer m_Tick;
    double m_Longest = 0;
};

double g_LongestStall = 0;
// How long the window is watched after it is on the screen.
constexpr qint64 SettleMs = 1500;

// Opens the file at its default topic; the time until its window is exposed, or -1 without one.
double OpenOnce(const std::string& pathText, QWidget** window)
{
    QElapsedTimer timer;
    timer.start();
    StallWatch watch;
    *window = WidgetOfHandle(HelpLoader::Loaded().HtmlHelpA(nullptr, pathText.c_str(), HH_HELP_CONTEXT, 0));
    if (*window == nullptr) {
        g_LongestStall = std::max(g_LongestStall, watch.LongestMs());
        return -1;
    }
    if (std::getenv("HELPBENCH_SPLIT") != nullptr)
        std::printf("returned %.1f ms\n", double(timer.nsecsElapsed()) / 1e6);
    while (!(*window)->windowHandle()->isExposed() && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    const double exposed = double(timer.nsecsElapsed()) / 1e6;
    // The window fills its lists and lays its page out after it is shown: the watch runs on for
    // a while, so that work is counted too.
    QElapsedTimer after;
    after.start();
    while (after.elapsed() < SettleMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    g_LongestStall = std::max(g_LongestStall, watch.LongestMs());
    return exposed;
}

double ResidentMb()
{
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return double(resident) * double(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
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
    std::printf("window thread away from its event loop: at most %.1f ms\n", g_LongestStall);
    std::printf("resident memory after the windows closed: %.0f MB\n", ResidentMb());
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
        // As in the player, a window of the program with its texts, list and buttons is up before
        // help is asked for, so Qt's own first-use set-up (style, fonts) is not counted as the
        // help's.
        QWidget main;
        auto* layout = new QVBoxLayout(&main);
        layout->addWidget(new QLabel(QStringLiteral("00:00 / 03:25"), &main));
        auto* files = new QListWidget(&main);
        files->addItems({QStringLiteral("Première.mp3"), QStringLiteral("Deuxième.mp3")});
        layout->addWidget(files);
        layout->addWidget(new QPushButton(QStringLiteral("&Lecture"), &main));
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
