#include "app/U_IconTray.h"

#include "platform/components/Application.h"

#include <QWidget>
#include <vector>

void HideToTray()
{
    TApplication* app = TApplication::Instance();
    app->Minimize();
    // A form's handlers may add or remove forms: walk a copy of the list.
    const std::vector<QWidget*> forms = app->Forms();
    for (QWidget* form : forms)
        form->hide();
}

// Shows a form as a window on the screen. A form hidden while the program was minimised is still
// minimised itself; shown as it is, it would be mapped iconified, and a window manager may handle
// that after the restore that follows and leave the window on the taskbar. A shown form is left
// to the restore.
static void ShowForm(QWidget& form)
{
    if (form.isHidden() && form.isMinimized()) {
        form.showNormal();
        return;
    }
    form.show();
}

void RestoreFromTray()
{
    TApplication* app = TApplication::Instance();
    const std::vector<QWidget*> forms = app->Forms();
    for (auto form = forms.rbegin(); form != forms.rend(); ++form)
        ShowForm(**form);
    app->Restore();
    app->BringToFront();
}
