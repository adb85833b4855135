#pragma once
// Basic idea: the help window's own small pictures, drawn here rather than kept as image files:
// the closed and the open book and the page of the contents tree, and the toolbar's pictures for
// hiding the navigation pane, for the home page and for printing (the arrows come from the style).
// UI thread only.

#include <QIcon>

namespace HelpIcons {
QIcon Book();
QIcon OpenBook();
QIcon Page();
QIcon Pane();
QIcon Home();
QIcon Print();
} // namespace HelpIcons
