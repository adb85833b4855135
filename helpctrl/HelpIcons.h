#pragma once
// Basic idea: the help window's own small pictures, drawn here rather than kept as image files:
// the closed and the open book and the page of the contents tree, and the toolbar's pictures for
// hiding the navigation pane, Back and Forward, the home page and printing. (The style's own arrows
// would be looked up in the desktop's icon theme, which costs a first window tens of ms.)
// UI thread only.

#include <QIcon>

namespace HelpIcons {
QIcon Book();
QIcon OpenBook();
QIcon Page();
QIcon Pane();
QIcon Arrow(bool right);
QIcon Home();
QIcon Print();
} // namespace HelpIcons
