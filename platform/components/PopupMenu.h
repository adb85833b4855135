#pragma once
// Basic idea: a pop-up menu that can stand in a window design; its items are the design's actions.

#include <QMenu>

class TPopupMenu : public QMenu
{
    Q_OBJECT
public:
    explicit TPopupMenu(QWidget* parent = nullptr) : QMenu(parent) {}
};
