// The notification-area handlers of TForm1.

#include "app/U_IconTray.h"
#include "app/principale.h"
#include "platform/components/Application.h"

void TForm1::BitBtn4Click()
{
    // Without a notification area there is nowhere to hide to: the window is minimised as by its
    // title bar. When the desktop refuses the icon, the error ends the handler and the window stays.
    RunHandler([this] {
        if (!TrayIcon->AreaExists()) {
            TApplication::Instance()->Minimize();
            return;
        }
        TrayIcon->SetInTray(true);
        HideToTray();
    });
}

void TForm1::TrayIconClick()
{
    RunHandler([] { RestoreFromTray(); });
}

void TForm1::Agran1Click()
{
    RunHandler([] { RestoreFromTray(); });
}

void TForm1::Quitter1Click()
{
    // As the close box: FormClose closes the device, and closing the main window ends the program.
    // Qt ends the program itself only when its last visible window closes; a window hidden in the
    // notification area is not visible, so this handler ends the program once the window closed.
    RunHandler([this] {
        if (close())
            TApplication::Instance()->quit();
    });
}

void TForm1::applicationEventsMinimize()
{
    // A desktop without a notification area (as some have by default) takes the minimised window
    // on its taskbar or overview alone: an error about an icon it has no place for would tell the
    // user nothing they can act on.
    RunHandler([this] {
        if (TrayIcon->AreaExists())
            TrayIcon->SetInTray(true);
    });
}

void TForm1::applicationEventsRestore()
{
    RunHandler([this] { TrayIcon->SetInTray(false); });
}
