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

} // namespace
