#include "platform/MessageBox.h"

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
                    QMessageBox::Ok);
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
