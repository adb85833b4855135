#include "desktop/Desktop.h"

#include "app/principale.h"
#include "desktop/AccessibleDriveList.h"
#include "desktop/AccessibleWindow.h"
#include "desktop/DesktopKeys.h"
#include "desktop/MprisService.h"
#include "desktop/OpenWith.h"
#include "desktop/PlayerRemote.h"
#include "platform/components/FirstFrame.h"

#include <QGuiApplication>

namespace Desktop {

void Attach(TForm1& form, const std::string& fileToOpen)
{
    InstallAccessibleWindow(form);
    InstallAccessibleDriveList(*form.LSource);
    // The desktop matches the windows to the menu entry quelmo.desktop (and its icon) by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("quelmo"));
    auto* remote = new PlayerRemote(form);
    new DesktopKeys(*remote);
    auto* mpris = new MprisService(*remote);
    // The listeners hear of what the window's own handlers change, once each handler has run:
    // these connections come after the window's own, so they run after them.
    for (QPushButton* button : {form.BtnL, form.BitBtn3, form.BtnS, form.BitBtn1, form.BitBtn4})
        QObject::connect(button, &QPushButton::clicked, mpris, &MprisService::Refresh);
    QObject::connect(form.FLB, &TCustomListBox::OnClick, mpris, &MprisService::Refresh);
    QObject::connect(form.RSource, &TCustomListBox::OnClick, mpris, &MprisService::Refresh);
    QObject::connect(form.Media1, &TMediaPlayer::OnNotify, mpris, &MprisService::Refresh);
    QObject::connect(form.Timer1, &TTimer::OnTimer, mpris, &MprisService::Refresh);
    // Taking the name on the session bus waits on the bus daemon: done once the window is on
    // screen, so that it never delays the window.
    AfterFirstFrame(form, [mpris, remote, fileToOpen] {
        mpris->Register();
        if (!fileToOpen.empty())
            OpenWith::Play(*remote, fileToOpen);
    });
}

} // namespace Desktop
