#pragma once
// Basic idea: window handles as the help code passes them around. A handle (HWND) is the address
// of a top-level Qt widget of this process, shown to callers as an opaque value; the desktop is a
// handle of its own that names no widget. A handle is only ever used after checking that it still
// names a live top-level widget, so a stale or foreign value does nothing. UI thread only.

#include "platform/services/HtmlHelpApi.h"

class QWidget;

// The desktop window: the caller for requests made on behalf of no window of ours. Never nullptr.
// Throws nothing.
HWND GetDesktopWindow();

// The handle of a widget's window; nullptr for none. Throws nothing.
HWND WindowHandle(QWidget* widget);

// The live top-level widget a handle names; nullptr for a null, stale or foreign handle, the
// desktop's, or when no application object exists. Throws nothing.
QWidget* WidgetOfHandle(HWND handle);

// Raises and activates the window, restoring it when minimised; false when the handle names no
// live window. Throws nothing.
bool SetForegroundWindow(HWND handle);
