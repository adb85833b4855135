#include "platform/components/WindowHandle.h"

#include <QApplication>
#include <QWidget>

namespace {
// Any address that no widget can have will do; a static object's address is such a value.
const char desktopWindow = 0;
} // namespace

HWND GetDesktopWindow()
{
    return const_cast<char*>(&desktopWindow);
}

HWND WindowHandle(QWidget* widget)
{
    return widget != nullptr ? static_cast<HWND>(widget->window()) : nullptr;
}

QWidget* WidgetOfHandle(HWND handle)
{
    if (handle == nullptr || QApplication::instance() == nullptr)
        return nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (static_cast<HWND>(widget) == handle)
            return widget;
    return nullptr;
}

bool SetForegroundWindow(HWND handle)
{
    QWidget* window = WidgetOfHandle(handle);
    if (window == nullptr)
        return false;
    if (window->isMinimized())
        window->showNormal();
    window->raise();
    window->activateWindow();
    return true;
}
