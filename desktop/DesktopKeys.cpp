#include "desktop/DesktopKeys.h"

#include "app/principale.h"
#include "desktop/PlayerRemote.h"

#include <QApplication>
#include <QKeyEvent>

DesktopKeys::DesktopKeys(PlayerRemote& remote) : QObject(&remote), m_Remote(remote)
{
    // The application sees every key before the focused control, so a media key works whichever
    // control of the window has the focus.
    qApp->installEventFilter(this);
    connect(remote.Form().FLB, &TCustomListBox::OnDblClick, this, &DesktopKeys::PlaySelectedLine);
}

bool DesktopKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != &m_Remote.Form())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->isAutoRepeat())
        return false;
    if (MediaKey(key->key()))
        return true;
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (!enter || watched != m_Remote.Form().FLB || key->modifiers() != Qt::NoModifier)
        return false;
    PlaySelectedLine();
    return true;
}

bool DesktopKeys::MediaKey(int key)
{
    switch (key) {
    case Qt::Key_MediaPlay:
        m_Remote.Play();
        return true;
    case Qt::Key_MediaPause:
        m_Remote.Pause();
        return true;
    case Qt::Key_MediaTogglePlayPause:
        m_Remote.PlayPause();
        return true;
    case Qt::Key_MediaStop:
        m_Remote.Stop();
        return true;
    case Qt::Key_MediaNext:
        m_Remote.Next();
        return true;
    case Qt::Key_MediaPrevious:
        m_Remote.Previous();
        return true;
    default:
        return false;
    }
}

void DesktopKeys::PlaySelectedLine()
{
    m_Remote.PlayLine(m_Remote.Form().FLB->ItemIndex());
}
