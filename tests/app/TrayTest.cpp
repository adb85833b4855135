// The notification-area icon, minimise and restore: the window's three states and their
// transitions with a stand-in notification area, then the real program on a real X desktop.

#include "TestSupport.h"
#include "app/principale.h"
#include "platform/Application.h"
#include "platform/TrayIcon.h"

#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

namespace {

// Stands for the desktop's notification area and counts the icons it holds.
struct FakeTrayArea
{
    FakeTrayArea()
    {
        SetTrayAreaHook({[this](TTrayIcon&) { return Change(RefuseAdd, +1); },
                         [this](TTrayIcon&) { return Change(RefuseRemove, -1); }});
    }
    ~FakeTrayArea() { SetTrayAreaHook({}); }
    bool Change(bool refuse, int by)
    {
        if (refuse)
            return false;
        Icons += by;
        return true;
    }
    bool RefuseAdd = false;
    bool RefuseRemove = false;
    int Icons = 0;
};

class TrayTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        tree.MakeDir("home/.config");
        ::setenv("XDG_CONFIG_HOME", (tree / "home/.config").c_str(), 1);
    }
    void TearDown() override
    {
        TApplication::Instance()->SetTitle("Quelmo");
        // Leave the application as the next test expects it: nothing minimised.
        TApplication::Instance()->FormRestored();
    }
    TempTree tree;
    DriveScope drives{tree.Path()};
    MessageBoxRecorder boxes;
};

class TrayStateTest : public TrayTest
{
protected:
    FakeTrayArea area;
};

TEST_F(TrayStateTest, IconDesign)
{
    TApplication::Instance()->SetTitle("Quelmo");
    TForm1 form;
    // The tooltip is the title of the moment the window was created, not a later one.
    TApplication::Instance()->SetTitle("chanson.mp3");
    EXPECT_FALSE(form.TrayIcon->Visible());
    EXPECT_EQ(form.TrayIcon->Hint(), "Quelmo");
    EXPECT_EQ(form.TrayIcon->BalloonTitle(), "Lecteur Quelmo");
    EXPECT_EQ(form.TrayIcon->BalloonHint(), "Lecteur Quelmo");
    EXPECT_EQ(form.TrayIcon->BalloonFlags(), TTrayIcon::bfInfo);
    EXPECT_EQ(form.TrayIcon->PopupMenu(), form.PPMenuTray);
    EXPECT_EQ(form.TrayIcon->Icon().pixmap(QSize(64, 64)).size(), QSize(48, 48));
    EXPECT_TRUE(form.TrayIcon->Icon().pixmap(QSize(48, 48)).hasAlphaChannel());
    EXPECT_EQ(form.Agran1->icon().pixmap(QSize(64, 64)).size(), QSize(26, 18));
    EXPECT_EQ(form.Quitter1->icon().pixmap(QSize(64, 64)).size(), QSize(16, 16));
    EXPECT_FALSE(form.TrayIcon->isVisible()) << "the component draws nothing in the window";
}

TEST_F(TrayStateTest, TooltipKeepsAtMost127Characters)
{
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80"); // two UTF-16 units
    const struct
    {
        QString Title;
        QString Hint;
    } rows[] = {
        {"Quelmo", "Quelmo"},
        {QString(127, 'a'), QString(127, 'a')},
        {QString(200, 'b'), QString(127, 'b')},
        {QString(126, 'c') + smile, QString(126, 'c')},
        {QString(125, 'd') + smile + "e", QString(125, 'd') + smile},
    };
    for (const auto& row : rows) {
        TApplication::Instance()->SetTitle(row.Title.toStdString());
        TTrayIcon icon;
        EXPECT_EQ(icon.Hint(), row.Hint) << row.Title.size();
    }
}

// The three states: Normal (shown, no icon), Minimised (minimised, icon), In the notification
// area (hidden, icon). Each step acts as the user would and tells the state it leads to and
// whether the window's show handler ran again.
TEST_F(TrayStateTest, StatesAndTransitions)
{
    TForm1 form;
    form.show();
    enum State
    {
        Normal,
        Minimised,
        InTray
    };
    const struct
    {
        const char* Step;
        std::function<void()> Act;
        State Expected;
        bool ShowRuns;
    } steps[] = {
        {"minimise button", [&] { form.setWindowState(Qt::WindowMinimized); }, Minimised, false},
        {"taskbar restore", [&] { form.setWindowState(Qt::WindowNoState); }, Normal, false},
        {"minimise again", [&] { form.setWindowState(Qt::WindowMinimized); }, Minimised, false},
        {"icon click from minimised", [&] { form.TrayIcon->HandleClick(); }, Normal, false},
        {"BitBtn4", [&] { form.BitBtn4->click(); }, InTray, false},
        {"icon click from the tray", [&] { form.TrayIcon->HandleClick(); }, Normal, true},
        {"BitBtn4 again", [&] { form.BitBtn4->click(); }, InTray, false},
        {"Restaurer", [&] { form.Agran1->trigger(); }, Normal, true},
        {"minimise then Restaurer",
         [&] {
             form.setWindowState(Qt::WindowMinimized);
             form.Agran1->trigger();
         },
         Normal, false},
    };
    for (const auto& step : steps) {
        PlayActive = true; // the show handler clears it
        step.Act();
        TApplication::Instance()->ProcessMessages();
        EXPECT_EQ(form.isVisible(), step.Expected != InTray) << step.Step;
        if (step.Expected != InTray) {
            EXPECT_EQ(form.isMinimized(), step.Expected == Minimised) << step.Step;
        }
        EXPECT_EQ(TApplication::Instance()->IsMinimized(), step.Expected != Normal) << step.Step;
        EXPECT_EQ(form.TrayIcon->Visible(), step.Expected != Normal) << step.Step;
        EXPECT_EQ(area.Icons, step.Expected != Normal ? 1 : 0) << step.Step;
        EXPECT_EQ(PlayActive, !step.ShowRuns) << step.Step;
    }
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(TrayStateTest, EventsOnlyOnARealChange)
{
    TForm1 form;
    form.show();
    QSignalSpy minimised(form.applicationEvents, &TApplicationEvents::OnMinimize);
    QSignalSpy restored(form.applicationEvents, &TApplicationEvents::OnRestore);
    TApplication* app = TApplication::Instance();
    app->Restore();
    EXPECT_EQ(restored.count(), 0) << "restoring a normal application";
    app->Minimize();
    app->Minimize();
    form.setWindowState(Qt::WindowMinimized);
    EXPECT_EQ(minimised.count(), 1) << "minimising a minimised application";
    app->Restore();
    app->Restore();
    EXPECT_EQ(restored.count(), 1);
    EXPECT_EQ(area.Icons, 0);
}

TEST_F(TrayStateTest, RightClickOpensTheMenuAtTheMouseAfterPendingEvents)
{
    TForm1 form;
    form.show();
    form.BitBtn4->click();
    form.TrayIcon->HandleClick();
    EXPECT_FALSE(form.PPMenuTray->isVisible()) << "a left click opens no menu";

    form.BitBtn4->click();
    bool pendingRan = false;
    bool menuOpenBefore = true;
    QTimer::singleShot(0, [&] {
        pendingRan = true;
        menuOpenBefore = form.PPMenuTray->isVisible();
    });
    const QPoint mouse(120, 90);
    form.TrayIcon->HandleContextClick(mouse);
    EXPECT_TRUE(pendingRan);
    EXPECT_FALSE(menuOpenBefore);
    ASSERT_TRUE(form.PPMenuTray->isVisible());
    EXPECT_EQ(form.PPMenuTray->pos(), mouse);
    EXPECT_EQ(form.PPMenuTray->actions().size(), 2);
    EXPECT_FALSE(form.isVisible()) << "the menu does not bring the window back";
    form.PPMenuTray->close();
}

TEST_F(TrayStateTest, QuitterWhileHiddenEndsTheProgram)
{
    auto form = std::make_unique<TForm1>();
    form->show();
    form->BitBtn4->click();
    ASSERT_FALSE(form->isVisible());
    ASSERT_EQ(area.Icons, 1);

    QSignalSpy closing(form.get(), &QObject::destroyed);
    QTimer::singleShot(0, [&] { form->Quitter1->trigger(); });
    // Fails the wait instead of hanging when the program does not end.
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(TApplication::Instance()->exec(), 0) << "the message loop ends";
    EXPECT_FALSE(form->isVisible());
    // FIXME: check that the device is closed and the settings file written once those exist.
    form.reset();
    EXPECT_EQ(area.Icons, 0) << "the icon leaves with the window";
}

TEST_F(TrayStateTest, RefusedIconShowsTheErrorAndKeepsTheWindow)
{
    const char* const addError = "Impossible de créer l'icône de notification de shell.";
    const char* const removeError = "Impossible de supprimer l'icône de notification de shell.";
    TForm1 form;
    form.show();

    area.RefuseAdd = true;
    form.BitBtn4->click();
    EXPECT_TRUE(form.isVisible()) << "the window is not hidden without its icon";
    EXPECT_FALSE(form.isMinimized());
    EXPECT_FALSE(form.TrayIcon->Visible());
    area.RefuseAdd = false;

    form.setWindowState(Qt::WindowMinimized);
    area.RefuseRemove = true;
    form.setWindowState(Qt::WindowNoState);
    EXPECT_TRUE(form.TrayIcon->Visible()) << "an icon that could not be removed stays";
    area.RefuseRemove = false;

    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Boxes[0].Text, addError);
    EXPECT_EQ(boxes.Boxes[1].Text, removeError);
    for (const auto& box : boxes.Boxes) {
        EXPECT_EQ(box.Caption, "Quelmo");
        EXPECT_EQ(box.Icon, MessageIcon::Stop);
    }
}

// No stand-in: the offscreen platform, like a desktop without a notification area, has no place
// for the icon.
TEST_F(TrayTest, NoNotificationAreaKeepsTheWindowShown)
{
    TForm1 form;
    form.show();
    form.BitBtn4->click();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, "Impossible de créer l'icône de notification de shell.");
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.TrayIcon->Visible());
}

// A real X desktop of the test's own: a virtual X server, a window manager, and a panel with a
// notification area (XEmbed). The test finds windows and clicks them as a user would, through the
// X server, with the X utilities.
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
        m_Server.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
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

    const QProcessEnvironment& Env() const { return m_Env; }

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

class TrayDesktopTest : public TrayTest
{
protected:
    void SetUp() override
    {
        TrayTest::SetUp();
        for (const char* tool : {"Xvfb", "openbox", "trayer", "xdotool", "xwininfo", "xprop"})
            ASSERT_FALSE(QStandardPaths::findExecutable(tool).isEmpty())
                << tool << ": run scripts/install-deps";
        const QString failed = desktop.Start();
        ASSERT_TRUE(failed.isEmpty()) << failed.toStdString() << " did not start";
        tree.MakeDir("runtime");
        ::chmod((tree / "runtime").c_str(), 0700);
        QProcessEnvironment env = desktop.Env();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString(tree / "runtime"));
        env.insert("XDG_CONFIG_HOME", QString::fromStdString(tree / "home/.config"));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(QUELMO_PROGRAM, {});
        ASSERT_TRUE(WaitFor([&] { return !(window = desktop.MainWindow()).isEmpty(); }, 15000));
        ASSERT_TRUE(WaitFor([&] { return desktop.WindowState(window) == "Normal"; }, 10000));
    }
    void TearDown() override
    {
        program.kill();
        program.waitForFinished(5000);
        TrayTest::TearDown();
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

    XDesktop desktop;
    QProcess program;
    int clicks = 0;
    QString window;
};

TEST_F(TrayDesktopTest, LeftClickMinimiseAndTaskbarRestore)
{
    SendToTray();
    EXPECT_TRUE(Until([&] { ClickIcon(1); }, [&] { return IsNormal(); }))
        << "a left click on the icon brings the window back";
    EXPECT_TRUE(desktop.Popups().isEmpty()) << "a left click opens no menu";

    desktop.Run("xdotool", {"windowminimize", window});
    ASSERT_TRUE(WaitFor([&] {
        return desktop.WindowState(window) == "Iconic" && desktop.Icons().size() == 1;
    })) << "minimising shows the icon";
    desktop.Run("xdotool", {"windowactivate", window});
    EXPECT_TRUE(WaitFor([&] { return IsNormal(); })) << "restoring from the taskbar removes the icon";

    desktop.Run("xdotool", {"windowminimize", window});
    ASSERT_TRUE(WaitFor([&] { return desktop.Icons().size() == 1; }));
    EXPECT_TRUE(Until([&] { ClickIcon(1); }, [&] { return IsNormal(); }))
        << "a click on the icon restores a minimised window";
}

TEST_F(TrayDesktopTest, PanelRestartMenuAndQuitter)
{
    SendToTray();
    desktop.StopPanel();
    ASSERT_TRUE(desktop.StartPanel());
    EXPECT_TRUE(WaitFor([&] { return desktop.Icons().size() == 1; })) << "a new panel gets the icon again";

    QPoint mouse;
    const QRect menu = OpenMenu(&mouse);
    EXPECT_EQ(menu.topLeft(), mouse) << "the menu opens at the mouse";
    EXPECT_TRUE(desktop.WindowState(window).isEmpty()) << "the window stays hidden";
    EXPECT_TRUE(Choose(0.25, [&] { return IsNormal(); })) << "Restaurer brings the window back";

    SendToTray();
    ASSERT_TRUE(Choose(0.75, [&] { return program.state() == QProcess::NotRunning; })) << "the program ends";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(desktop.Icons().isEmpty());
    // FIXME: check that the device was closed and the settings file written once both exist.
}

} // namespace
