#pragma once
// Basic idea: a timer that can stand in a window design as a component: a hidden widget with an
// interval and an "active" switch, raising OnTimer on the UI thread. Each tick runs as an event
// handler (RunHandler), so an error in the bound handler is shown and the timer goes on.

#include <QTimer>
#include <QWidget>

class TTimer : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int Interval READ Interval WRITE SetInterval)
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
public:
    // Ticks every second from its creation on, until the design says otherwise.
    explicit TTimer(QWidget* parent = nullptr);

    // The interval in milliseconds; 0 stops the timer until an interval is given again. Setting it
    // starts a full interval anew. Plain accessors; throw nothing.
    int Interval() const { return m_Timer.interval(); }
    void SetInterval(int milliseconds);
    // The switch of the component, apart from QWidget::isEnabled (the timer is never seen). Turning
    // it on starts a full interval anew. Plain accessors; throw nothing.
    bool Enabled() const { return m_Active; }
    void SetEnabled(bool enabled);

signals:
    void OnTimer();

private:
    QTimer m_Timer;
    bool m_Active = true;

    void Update();
};
