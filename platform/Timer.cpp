#include "platform/Timer.h"

#include "platform/Application.h"

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
}

void TTimer::SetEnabled(bool enabled)
{
    m_Active = enabled;
    if (enabled)
        m_Timer.start();
    else
        m_Timer.stop();
}
