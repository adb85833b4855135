#pragma once
// Basic idea: the application object. It wraps QApplication and adds what the program's
// components expect of their framework: a title (the caption of message boxes), ProcessMessages,
// the default error handler that shows an escaping Exception in the standard error box and lets
// the program go on, the help request by context, and minimise and restore of the whole program
// with their events. One instance, created by main() (or a test) on the UI thread.
//
// Exceptions never cross into Qt: every handler that Qt calls runs inside RunHandler(), and
// notify() catches whatever still escapes an event.
//
// The program's lifetime is its main form's: the message loop ends when the main form's close
// completes, however it was asked for (its close box, a button, the notification area's menu, the
// session manager's quit request, a termination signal), and never because some other window
// closed or because no window is left on the screen (a window hidden in the notification area).

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TApplication : public QApplication
{
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    // The application object, or nullptr when none exists (plain unit tests).
    static TApplication* Instance();

    // The title: captions the standard error box; "Quelmo" until the program sets another.
    const std::string& Title() const { return m_Title; }
    void SetTitle(const std::string& title) { m_Title = title; }

    // Handles every pending event, posted ones included, then returns.
    void ProcessMessages();

    // The default error handler: the standard error box (stop icon, one OK button, the title of
    // the moment as caption, the message with "." appended by ErrorBoxText).
    void HandleException(const std::exception& error);
    static std::string ErrorBoxText(const std::string& message);

    bool notify(QObject* receiver, QEvent* event) override;

    // The main form: once its close completes the message loop ends. A quit request of the
    // session (QEvent::Quit, as the session manager sends at logout) closes it first, so that it
    // runs its close handler and the program saves what it saves at its end.
    void SetMainForm(QWidget* form);
    QWidget* MainForm() const { return m_MainForm; }
    // Asks the main form to close; with none (its end has begun), ends every loop that waits.
    void CloseMainForm();
    // SIGTERM, SIGHUP and SIGINT close the main form from then on. The signal handler only writes
    // the signal's number to a pipe; the UI thread reads it from its event loop.
    void CloseMainFormOnSignals();
    // What the program saves at its end, run when the process exits while the form that would
    // save it still lives: the window system ends the process from inside the message loop when
    // the X server goes away. No box can show then, so an error is dropped. An empty function
    // (the form's normal end has come) cancels it.
    void SetSaveAtAbruptExit(std::function<void()> save);

    // Help requests. The handler gets the help command, its data and "call help" (true when the
    // application should still do its own help); returns its result. HELP_CONTEXT is 1.
    using HelpHandler = std::function<bool(uint16_t command, int32_t data, bool& callHelp)>;
    HelpHandler OnHelp;
    bool HelpCommand(uint16_t command, int32_t data);
    bool HelpContext(int32_t context) { return HelpCommand(1, context); }

    // The application's forms in creation order; each top-level form registers itself.
    const std::vector<QWidget*>& Forms() const { return m_Forms; }
    void AddForm(QWidget* form);
    void RemoveForm(QWidget* form);

    // Minimise and restore the whole program. Minimise raises OnMinimize only when the program
    // was not minimised; Restore raises OnRestore only when it was.
    void Minimize();
    void Restore();
    void BringToFront();
    bool IsMinimized() const { return m_Minimized; }
    // A form reports the window system's minimise or restore of itself.
    void FormMinimized();
    void FormRestored();

signals:
    void OnMinimize();
    void OnRestore();

protected:
    bool event(QEvent* event) override;

private:
    std::string m_Title = "Quelmo";
    QPointer<QWidget> m_MainForm;
    std::vector<QWidget*> m_Forms;
    bool m_Minimized = false;
};

namespace HandlerGuard {
int& Depth();
void Show(const std::exception& error);
} // namespace HandlerGuard

// Runs an event handler. Called by Qt (no handler running), an exception that escapes the body
// is shown in the standard error box and the program goes on. Called from inside another handler
// (a handler that calls another directly), the exception ends both, as it would in a program
// whose handlers call each other.
template <typename Body> void RunHandler(Body&& body)
{
    int& depth = HandlerGuard::Depth();
    ++depth;
    try {
        body();
    } catch (const std::exception& error) {
        --depth;
        if (depth > 0)
            throw;
        HandlerGuard::Show(error);
        return;
    }
    --depth;
}
