#include "platform/Application.h"

#include "platform/Exceptions.h"
#include "platform/MessageBox.h"

#include <QWidget>
#include <algorithm>

namespace HandlerGuard {

int& Depth()
{
    static int depth = 0;
    return depth;
}

void Show(const std::exception& error)
{
    if (TApplication* app = TApplication::Instance()) {
        app->HandleException(error);
        return;
    }
    MessageBoxRequest request;
    request.Text = TApplication::ErrorBoxText(error.what());
    request.Caption = "Quelmo";
    request.Icon = MessageIcon::Stop;
    ShowMessageBox(request);
}

} // namespace HandlerGuard

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
}

TApplication::~TApplication() = default;

TApplication* TApplication::Instance()
{
    return qobject_cast<TApplication*>(QCoreApplication::instance());
}

void TApplication::ProcessMessages()
{
    // Handlers run by the events handled here stand on their own: an error in one of them is
    // shown there and does not end the handler that is pumping.
    int& depth = HandlerGuard::Depth();
    const int saved = depth;
    depth = 0;
    sendPostedEvents();
    processEvents(QEventLoop::AllEvents);
    sendPostedEvents();
    depth = saved;
}

std::string TApplication::ErrorBoxText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

void TApplication::HandleException(const std::exception& error)
{
    MessageBoxRequest request;
    request.Text = ErrorBoxText(error.what());
    request.Caption = m_Title;
    request.Icon = MessageIcon::Stop;
    ShowMessageBox(request);
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        HandleException(error);
    }
    return false;
}

bool TApplication::HelpCommand(uint16_t command, int32_t data)
{
    if (!OnHelp)
        return false;
    bool callHelp = true;
    return OnHelp(command, data, callHelp);
}

void TApplication::AddForm(QWidget* form)
{
    if (std::find(m_Forms.begin(), m_Forms.end(), form) == m_Forms.end())
        m_Forms.push_back(form);
}

void TApplication::RemoveForm(QWidget* form)
{
    m_Forms.erase(std::remove(m_Forms.begin(), m_Forms.end(), form), m_Forms.end());
}

void TApplication::Minimize()
{
    if (m_Minimized)
        return;
    for (QWidget* form : m_Forms)
        if (form->isVisible())
            form->showMinimized();
    FormMinimized();
}

void TApplication::Restore()
{
    if (!m_Minimized)
        return;
    for (QWidget* form : m_Forms)
        if (form->isVisible() && form->isMinimized())
            form->showNormal();
    FormRestored();
}

void TApplication::BringToFront()
{
    for (QWidget* form : m_Forms) {
        if (form->isVisible()) {
            form->raise();
            form->activateWindow();
        }
    }
}

void TApplication::FormMinimized()
{
    if (m_Minimized)
        return;
    m_Minimized = true;
    emit OnMinimize();
}

void TApplication::FormRestored()
{
    if (!m_Minimized)
        return;
    m_Minimized = false;
    emit OnRestore();
}
