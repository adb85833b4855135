// The notification-area icon of the real program on a real X desktop: a virtual X server, a
// window manager and a panel with a notification area, driven through the X server as a user would.

#include "TestSupport.h"
#include "XDesktop.h"

#include <gtest/gtest.h>

namespace {

using TrayDesktopTest = PlayerOnDesktop;

TEST_F(TrayDesktopTest, LeftClickMinimiseAndTaskbarRestore)
{
    Launch();
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
    Launch();
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
    const std::string ini = tree.ReadFile("home/.config/Quelmo.ini");
    EXPECT_NE(ini.find("Drive_Source=c\n"), std::string::npos) << "the settings are saved: " << ini;
}

// A desktop without a notification area that gets one later: until then the button and the title
// bar's minimise put the window on the taskbar with no box; then the button hides it in the area.
TEST_F(TrayDesktopTest, NoAreaUntilAPanelComes)
{
    desktop.StopPanel();
    Launch();
    // The window has one size: it asks the window manager for no maximise button and no maximise.
    const QStringList hints =
        desktop.Run("xprop", {"-id", window, "_MOTIF_WM_HINTS"}).section('=', 1).split(',');
    ASSERT_EQ(hints.size(), 5) << hints.join(',').toStdString();
    EXPECT_EQ(hints[1].trimmed().toUInt(nullptr, 16) & 0x10, 0u) << "maximise function";
    EXPECT_EQ(hints[2].trimmed().toUInt(nullptr, 16) & 0x40, 0u) << "maximise button";

    auto iconic = [&] { return desktop.WindowState(window) == "Iconic"; };
    auto restore = [&] {
        desktop.Run("xdotool", {"windowactivate", window});
        return WaitFor([&] { return desktop.WindowState(window) == "Normal"; });
    };
    EXPECT_TRUE(Until(
        [&] {
            desktop.Click(window, {632 + 29, 510 + 10}, 1);
        },
        iconic))
        << "the button minimises the window";
    ASSERT_TRUE(restore());
    desktop.Run("xdotool", {"windowminimize", window});
    EXPECT_TRUE(WaitFor(iconic));
    ASSERT_TRUE(restore());
    EXPECT_TRUE(desktop.Titled(R"("Quelmo")").isEmpty()) << "a box";

    ASSERT_TRUE(desktop.StartPanel());
    SendToTray();
}

} // namespace
