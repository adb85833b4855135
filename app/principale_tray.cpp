// The notification-area handlers of TForm1.

#include "app/principale.h"

// FIXME: the notification area comes with the tray icon.
void TForm1::BitBtn4Click()
{
}
void TForm1::TrayIconClick()
{
}
void TForm1::Agran1Click()
{
}
void TForm1::Quitter1Click()
{
}
void TForm1::applicationEventsMinimize()
{
}
void TForm1::applicationEventsRestore()
{
}
