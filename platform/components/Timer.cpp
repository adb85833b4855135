#include "platform/components/Timer.h"

#include "platform/components/Application.h"

TTimer::TTimer(QWidget* parent) : QWidget(parent)
{
    hide();
    m_Timer.setInterval(1000);
    connect(&m_Timer, &QTimer::timeout, this, [this] { RunHandler([this] { emit OnTimer(); }); });
    m_Timer.start();
}

void TTimer::SetInterval(int milliseconds)
{
    m_Timer.setInterval(milliseconds);
    Update();
}

void TTimer::SetEnabled(bool enabled)
{
    m_Active = enabled;
    Update();
}

// An interval of 0 stops the timer, as a timer component's does, instead of ticking at every pass
// of the event loop and keeping a core busy.
void TTimer::Update()
{
    if (m_Active && m_Timer.interval() > 0)
        m_Timer.start();
    else
        m_Timer.stop();
}
