#pragma once
// Basic idea: a component that relays the application's minimise and restore events to the
// window that holds it, so a window design can bind them to its handlers. Hidden, no drawing.

#include <QWidget>

class TApplicationEvents : public QWidget
{
    Q_OBJECT
public:
    explicit TApplicationEvents(QWidget* parent = nullptr);

signals:
    void OnMinimize();
    void OnRestore();
};
