#pragma once
// A real X desktop for tests that drive the built program as a user would: a virtual X server of
// the test's own, a window manager and a panel with a notification area (XEmbed), and the X
// utilities to find windows, read their state and click them.

#include "ProgramLaunch.h"
#include "TestSupport.h"

#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

class XDesktop
{
public:
    XDesktop()
    {
        m_Env = QProcessEnvironment::systemEnvironment();
        m_Env.remove("DBUS_SESSION_BUS_ADDRESS"); // no StatusNotifier host: the panel is the area
        m_Env.remove("WAYLAND_DISPLAY");
    }
    ~XDesktop()
    {
        // Politely, so that the X server removes its lock file and socket.
        for (auto* process : {&m_Panel, &m_WindowManager, &m_Server}) {
            process->terminate();
            if (!process->waitForFinished(5000))
                process->kill();
        }
    }

    // Empty when the desktop is up, else what did not start.
    QString Start()
    {
        // Nobody reads what the desktop's programs print: a full pipe would stop them.
        for (auto* process : {&m_Panel, &m_WindowManager, &m_Server}) {
            process->setStandardErrorFile(QProcess::nullDevice());
            if (process != &m_Server)
                process->setStandardOutputFile(QProcess::nullDevice());
        }
        m_Server.setProcessEnvironment(m_Env);
        // -noreset: the server would otherwise reset when its last client leaves and pick its
        // display anew, under the clients that come next.
        m_Server.start("Xvfb",
                       {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"});
        if (!m_Server.waitForStarted() || !WaitFor([&] { return m_Server.canReadLine(); }, 10000))
            return "Xvfb";
        m_Env.insert("DISPLAY", ":" + QString::fromUtf8(m_Server.readLine()).trimmed());
        if (!StartWindowManager() && !StartWindowManager())
            return "openbox on " + m_Env.value("DISPLAY");
        return StartPanel() ? QString() : "trayer on " + m_Env.value("DISPLAY");
    }
    bool StartWindowManager()
    {
        m_WindowManager.kill();
        m_WindowManager.waitForFinished(5000);
        m_WindowManager.setProcessEnvironment(m_Env);
        m_WindowManager.start("openbox", {"--sm-disable"});
        return WaitFor(
            [&] {
                return Run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id");
            },
            10000);
    }

    // The panel sits at the top left, so its icons and their menus are away from the screen's edges.
    bool StartPanel()
    {
        m_Panel.setProcessEnvironment(m_Env);
        m_Panel.start("trayer", {"--edge", "top", "--align", "left", "--widthtype", "pixel", "--width", "200",
                                 "--height", "32", "--SetDockType", "true"});
        return WaitFor([&] { return !Panel().isEmpty(); }, 10000);
    }
    void StopPanel()
    {
        m_Panel.kill();
        m_Panel.waitForFinished(5000);
    }

    // Ends the X server at once, as a crash or the end of the session does.
    void KillServer()
    {
        m_Server.kill();
        m_Server.waitForFinished(5000);
    }

    const QProcessEnvironment& Env() const { return m_Env; }

    // Keys pressed in a window as the keyboard gives them (the window is activated first), so that
    // the window manager's own keys (Alt+F4) work too.
    void Keys(const QString& window, const QString& keys) const
    {
        Run("xdotool", {"windowactivate", "--sync", window, "key", keys});
    }
    // The first viewable window whose title matches the pattern, other than the one given.
    QString Titled(const QString& pattern, const QString& other = {}) const
    {
        for (const QString& found : Windows({"-root", "-tree"}, pattern))
            if (found != other && Viewable(found))
                return found;
        return {};
    }

    QString Run(const QString& program, const QStringList& arguments) const
    {
        QProcess process;
        process.setProcessEnvironment(m_Env);
        process.start(program, arguments);
        process.waitForFinished(10000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    // Window identifiers of the lines of "xwininfo -tree" that match.
    QStringList Windows(const QStringList& treeOf, const QString& pattern) const
    {
        QStringList found;
        const QRegularExpression line(R"(^\s*(0x[0-9a-f]+) )" + pattern);
        for (const QString& text : Run("xwininfo", treeOf).split('\n')) {
            const QRegularExpressionMatch match = line.match(text);
            if (match.hasMatch())
                found << match.captured(1);
        }
        return found;
    }
    QString Panel() const { return Windows({"-root", "-tree"}, R"(.*\("panel" "trayer"\))").value(0); }
    // The program's icons in the panel.
    QStringList Icons() const
    {
        const QString panel = Panel();
        if (panel.isEmpty())
            return {};
        QStringList shown;
        for (const QString& icon : Windows({"-tree", "-id", panel}, R"(.*\("quelmo" "quelmo"\))"))
            if (Viewable(icon))
                shown << icon;
        return shown;
    }
    bool Viewable(const QString& window) const
    {
        return Run("xwininfo", {"-id", window}).contains("IsViewable");
    }
    QString MainWindow() const { return Windows({"-root", "-tree"}, R"("Lecteur MP3 - Quelmo")").value(0); }
    // "Normal", "Iconic", or empty for a hidden window.
    QString WindowState(const QString& window) const
    {
        static const QRegularExpression state("window state: (\\w+)");
        return state.match(Run("xprop", {"-id", window, "WM_STATE"})).captured(1);
    }
    QRect Geometry(const QString& window) const
    {
        const QString info = Run("xwininfo", {"-id", window});
        auto value = [&](const char* name) {
            return QRegularExpression(QString(name) + R"(:\s+(-?\d+))").match(info).captured(1).toInt();
        };
        return {value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"),
                value("Height")};
    }
    void Click(const QString& window, QPoint at, int button) const
    {
        Run("xdotool", {"mousemove", "--window", window, QString::number(at.x()), QString::number(at.y()),
                        "click", QString::number(button)});
    }
    // Moves onto the place first, so that a menu sees the mouse come before the click.
    void ClickScreen(QPoint at, int button) const
    {
        Run("xdotool", {"mousemove", QString::number(at.x() - 2), QString::number(at.y())});
        Run("xdotool", {"mousemove", QString::number(at.x()), QString::number(at.y()), "click",
                        QString::number(button)});
    }
    // The program's pop-up windows on the screen (menus): they stand directly on the root window,
    // where the window manager has framed every ordinary window.
    QStringList Popups() const
    {
        QStringList shown;
        for (const QString& popup : Windows({"-root", "-children"}, R"(.*\("quelmo" "quelmo"\))"))
            if (Viewable(popup))
                shown << popup;
        return shown;
    }

private:
    QProcessEnvironment m_Env;
    QProcess m_Server, m_WindowManager, m_Panel;
};

// The built program on its own X desktop, over a temporary tree that is drive c, with the user's
// application-data folder c:\home\.config and the silent paced sound output.
class PlayerOnDesktop : public ::testing::Test
{
protected:
    void SetUp() override
    {
        tree.MakeDir("home/.config");
        for (const char* tool : {"Xvfb", "openbox", "trayer", "xdotool", "xwininfo", "xprop"})
            ASSERT_FALSE(QStandardPaths::findExecutable(tool).isEmpty())
                << tool << ": run scripts/install-deps";
        const QString failed = desktop.Start();
        ASSERT_TRUE(failed.isEmpty()) << failed.toStdString() << " did not start";
        tree.MakeDir("runtime");
        ::chmod((tree / "runtime").c_str(), 0700);
        tree.MakeDir("etc");
        QProcessEnvironment env = desktop.Env();
        UseTreeAsSystem(env, tree);
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString(tree / "runtime"));
        env.insert("QUELMO_AUDIO_OUTPUT", "null");
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
    }
    // Starts the program and waits for its window on the screen.
    void Launch(const QStringList& arguments = {})
    {
        program.start(QUELMO_PROGRAM, arguments);
        ASSERT_TRUE(WaitFor([&] { return !(window = desktop.MainWindow()).isEmpty(); }, 15000));
        ASSERT_TRUE(WaitFor([&] { return desktop.WindowState(window) == "Normal"; }, 10000));
    }
    bool Ended(int timeoutMs = 10000)
    {
        return WaitFor([&] { return program.state() == QProcess::NotRunning; }, timeoutMs);
    }
    void TearDown() override
    {
        program.kill();
        program.waitForFinished(5000);
    }
    // A click that the X server delivers while a window is still being mapped or embedded can be
    // lost on a loaded machine: the action is tried again, up to three times, until it shows its
    // effect. A fault of the program fails every try.
    static bool Until(const std::function<void()>& act, const std::function<bool()>& done)
    {
        for (int attempt = 0; attempt < 3; ++attempt) {
            act();
            if (WaitFor(done, 3000))
                return true;
        }
        return false;
    }
    bool IsInTray() { return desktop.WindowState(window).isEmpty() && desktop.Icons().size() == 1; }
    bool IsNormal() { return desktop.WindowState(window) == "Normal" && desktop.Icons().isEmpty(); }
    void SendToTray()
    {
        ASSERT_TRUE(Until(
            [&] {
                desktop.Click(window, {632 + 29, 510 + 10}, 1);
            }, // BitBtn4
            [&] { return IsInTray(); }))
            << "the window hides and the icon appears";
    }
    // Opens the icon's menu; returns its place on the screen and where the mouse was.
    QRect OpenMenu(QPoint* mouse = nullptr)
    {
        QStringList menus;
        QPoint at;
        Until([&] { at = ClickIcon(3); }, [&] { return (menus = desktop.Popups()).size() == 1; });
        if (mouse != nullptr)
            *mouse = at;
        return menus.isEmpty() ? QRect() : desktop.Geometry(menus[0]);
    }

    // Chooses the item at the given height (a fraction of the menu's) in the icon's menu, opening
    // the menu again when a lost click closed it.
    bool Choose(double fraction, const std::function<bool()>& done)
    {
        return Until(
            [&] {
                const QStringList menus = desktop.Popups();
                const QRect menu = menus.isEmpty() ? OpenMenu() : desktop.Geometry(menus[0]);
                desktop.ClickScreen(menu.topLeft() + QPoint(menu.width() / 2, int(menu.height() * fraction)),
                                    1);
            },
            done);
    }

    // Successive clicks on the icon land apart, so that two of them never make a double click.
    // Returns the place clicked on the screen.
    QPoint ClickIcon(int button)
    {
        const QPoint at = (++clicks % 2) ? QPoint(4, 4) : QPoint(16, 22);
        const QString icon = desktop.Icons().value(0);
        const QPoint onScreen = desktop.Geometry(icon).topLeft() + at;
        desktop.Click(icon, at, button);
        return onScreen;
    }

    TempTree tree;
    XDesktop desktop;
    QProcess program;
    int clicks = 0;
    QString window;
};
