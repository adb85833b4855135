#pragma once
// Basic idea: a timer that can stand in a window design as a component: a hidden widget with an
// interval and an "active" switch, raising OnTimer on the UI thread. Each tick runs as an event
// handler (RunHandler), so an error in the bound handler is shown and the timer goes on.

#include <QTimer>
#include <QWidget>

class TTimer : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int Interval READ interval WRITE setInterval)
    Q_PROPERTY(bool Enabled READ active WRITE setActive)
public:
    explicit TTimer(QWidget* parent = nullptr);

    int interval() const { return m_Timer.interval(); }
    void setInterval(int milliseconds);
    bool active() const { return m_Active; }
    void setActive(bool active);

signals:
    void OnTimer();

private:
    QTimer m_Timer;
    bool m_Active = true;
};
