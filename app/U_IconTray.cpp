#include "app/U_IconTray.h"

#include "platform/Application.h"

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

void RestoreFromTray()
{
    TApplication* app = TApplication::Instance();
    const std::vector<QWidget*> forms = app->Forms();
    for (auto form = forms.rbegin(); form != forms.rend(); ++form)
        (*form)->show();
    app->Restore();
    app->BringToFront();
}
