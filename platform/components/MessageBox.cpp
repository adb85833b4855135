#include "platform/components/MessageBox.h"

#include "platform/components/Application.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>

namespace {

MessageBoxHook& Hook()
{
    static MessageBoxHook hook;
    return hook;
}

QMessageBox::Icon ToQt(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Stop:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The window a box opens over: the modal box or the window the user works in, else the program's
// first form on the screen (a box from the message loop while no window has the focus). Without a
// parent, a compositor places the box anywhere and a window manager lets it fall behind the window.
// A form hidden in the notification area is no place for a box: the box then stands alone.
QWidget* BoxParent()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    if (const TApplication* app = TApplication::Instance())
        for (QWidget* form : app->Forms())
            if (form->isVisible())
                return form;
    return nullptr;
}

} // namespace

void SetMessageBoxHook(MessageBoxHook hook)
{
    Hook() = std::move(hook);
}

int ShowMessageBox(const MessageBoxRequest& request)
{
    if (Hook())
        return Hook()(request);
    QMessageBox box(ToQt(request.Icon), QString::fromUtf8(request.Caption), QString::fromUtf8(request.Text),
                    QMessageBox::Ok, BoxParent());
    box.setTextFormat(Qt::PlainText);
    if (request.CenterOnScreen) {
        box.adjustSize();
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            box.move(screen->availableGeometry().center() - box.rect().center());
    }
    box.exec();
    return IDOK;
}

int MessageBoxA(const std::string& text, const std::string& caption, unsigned flags)
{
    MessageBoxRequest request;
    request.Text = text;
    request.Caption = caption;
    switch (flags & 0xF0) {
    case 16:
        request.Icon = MessageIcon::Stop;
        break;
    case 32:
        request.Icon = MessageIcon::Question;
        break;
    case 48:
        request.Icon = MessageIcon::Exclamation;
        break;
    case 64:
        request.Icon = MessageIcon::Information;
        break;
    default:
        break;
    }
    return ShowMessageBox(request);
}
