#include "platform/components/ApplicationEvents.h"

#include "platform/components/Application.h"

TApplicationEvents::TApplicationEvents(QWidget* parent) : QWidget(parent)
{
    hide();
    if (TApplication* app = TApplication::Instance()) {
        connect(app, &TApplication::OnMinimize, this, [this] { RunHandler([this] { emit OnMinimize(); }); });
        connect(app, &TApplication::OnRestore, this, [this] { RunHandler([this] { emit OnRestore(); }); });
    }
}
