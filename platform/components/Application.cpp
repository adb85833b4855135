#include "platform/components/Application.h"

#include "platform/components/MessageBox.h"
#include "platform/services/Exceptions.h"

#include <QSocketNotifier>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

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

namespace {
bool g_Running = false;
void OnProcessExit(int status, void* unused);
} // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    g_Running = true;
    ::on_exit(OnProcessExit, nullptr);
}

TApplication::~TApplication()
{
    g_Running = false;
}

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
        const bool result = QApplication::notify(receiver, event);
        // The main form has closed: the program ends, whatever other windows are still open.
        if (event->type() == QEvent::Close && receiver == m_MainForm && m_MainForm != nullptr &&
            event->isAccepted())
            exit(0);
        return result;
    } catch (const std::exception& error) {
        HandleException(error);
    }
    return false;
}

bool TApplication::event(QEvent* event)
{
    if (event->type() == QEvent::Quit && m_MainForm != nullptr) {
        CloseMainForm();
        return true;
    }
    return QApplication::event(event);
}

void TApplication::SetMainForm(QWidget* form)
{
    m_MainForm = form;
    // Closing some other window (the help, an error box) never ends the program, nor does hiding
    // the main form in the notification area; nor, after the main form, any box of its last words.
    if (form != nullptr)
        setQuitOnLastWindowClosed(false);
}

int TApplication::RunMessageLoop()
{
    m_LoopRunning = true;
    const int result = exec();
    m_LoopRunning = false;
    return result;
}

void TApplication::CloseMainForm()
{
    if (m_MainForm != nullptr)
        m_MainForm->close();
    else
        exit(0);
}

namespace {

int SignalPipe[2] = {-1, -1};

// Async-signal-safe: one write to a non-blocking pipe, errno kept.
void OnTerminationSignal(int number)
{
    const int saved = errno;
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t written = ::write(SignalPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

namespace {

// Never destroyed: the exit handler that reads it may run after the static destructors.
std::function<void()>& AbruptExitSave()
{
    static auto* save = new std::function<void()>;
    return *save;
}

// An exit while the application runs is an abrupt one: the window system ends the process from
// inside the message loop when the X server goes away, with its own code on the stack. The
// program then saves what it keeps and ends at once: the finalisers and destructors of a normal
// end would destroy windows under that code. Nothing can be shown any more, so an error of the
// save is dropped.
void OnProcessExit(int status, void* /*unused*/)
{
    // The application object exists: the process ends from inside it, not by returning from main().
    if (!g_Running)
        return;
    g_Running = false;
    std::function<void()> save = std::exchange(AbruptExitSave(), nullptr);
    if (save) {
        try {
            save();
        } catch (...) {
            // The settings file keeps what it had.
        }
    }
    std::fflush(nullptr);
    ::_exit(status);
}

} // namespace

void TApplication::SetSaveAtAbruptExit(std::function<void()> save)
{
    // Exit handlers run last registered first: registered again here, the handler also comes
    // before the destructors of whatever was made since the application started (the help
    // control's windows among them).
    if (save)
        ::on_exit(OnProcessExit, nullptr);
    AbruptExitSave() = std::move(save);
}

void TApplication::CloseMainFormOnSignals()
{
    if (SignalPipe[0] >= 0 || ::pipe2(SignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[64];
        while (::read(SignalPipe[0], bytes, sizeof bytes) > 0) {
        }
        // Before the message loop runs (a box of the start-up is up, perhaps in the middle of the
        // main form's show), the request only ends that box, and the start-up ends the program
        // once the box has returned (Startup.h).
        m_EndRequested = true;
        if (m_LoopRunning)
            CloseMainForm();
        else
            exit(0);
    });
    struct sigaction action
    {
    };
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(number, &action, nullptr);
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
    // The window system is asked for the activation whatever Qt believes of the window's focus:
    // on Wayland a program cannot raise or restore its window itself, and the activation
    // (xdg-activation, with a token for the last input the program received) is what lets the
    // compositor bring a minimised or covered window back.
    for (QWidget* form : m_Forms) {
        if (!form->isVisible())
            continue;
        form->raise();
        if (QWindow* window = form->windowHandle())
            window->requestActivate();
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
