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

    // The application object, or nullptr when none exists (plain unit tests). Throws nothing.
    static TApplication* Instance();

    // The title: captions the standard error box; "Quelmo" until the program sets another. Plain
    // accessors; throw nothing.
    const std::string& Title() const { return m_Title; }
    void SetTitle(const std::string& title) { m_Title = title; }

    // Handles every pending event, posted ones included, then returns. An error in a handler run
    // here is shown in its own error box and never reaches the caller. Throws nothing.
    void ProcessMessages();

    // The default error handler: the standard error box (stop icon, one OK button, the title of
    // the moment as caption, the message with "." appended by ErrorBoxText). Returns once the box
    // is closed. Throws nothing.
    void HandleException(const std::exception& error);
    // The message with "." appended, unless it is empty or its last byte is "." or below it (a
    // blank, "!", ")"...). Throws nothing.
    static std::string ErrorBoxText(const std::string& message);

    // Delivers an event; one that an exception escapes is answered false after the error box.
    // Ends the message loop once the main form's close is accepted. Throws nothing.
    bool notify(QObject* receiver, QEvent* event) override;

    // The main form: once its close completes the message loop ends. A quit request of the
    // session (QEvent::Quit, as the session manager sends at logout) closes it first, so that it
    // runs its close handler and the program saves what it saves at its end. MainForm is nullptr
    // when none is set or the form is gone. Throw nothing.
    void SetMainForm(QWidget* form);
    QWidget* MainForm() const { return m_MainForm; }
    // The message loop, until the main form has closed; returns exec()'s result. Throws nothing.
    int RunMessageLoop();
    // Asks the main form to close; with none (its end has begun), ends every loop that waits. The
    // form may refuse to close. Throws nothing.
    void CloseMainForm();
    // SIGTERM, SIGHUP and SIGINT mark the end as requested and close the main form from then on;
    // before the message loop runs they end only the loop that waits (a box of the start-up). The
    // signal handler only writes the signal's number to a pipe; the UI thread reads it from its
    // event loop (a box's included). A second call, or one for which no pipe can be made, changes
    // nothing. Throws nothing.
    void CloseMainFormOnSignals();
    // A termination signal has come: the start-up goes no further. Plain accessor; throws nothing.
    bool EndRequested() const { return m_EndRequested; }
    // What the program saves at its end, run when the process exits while the application object
    // exists: the window system ends the process from inside the message loop when the X server
    // goes away. The process then ends at once after the save (with the exit's status), without
    // the finalisers and destructors of a normal end, so that no window is destroyed under the
    // window system's code; no box can show, so an error is dropped. An empty function (the
    // form's normal end has come) cancels the save. Throws nothing.
    void SetSaveAtAbruptExit(std::function<void()> save);

    // Help requests. The handler gets the help command, its data and "call help" (true when the
    // application should still do its own help); returns its result. HELP_CONTEXT is 1. False when
    // no handler is set; throw what the handler throws.
    using HelpHandler = std::function<bool(uint16_t command, int32_t data, bool& callHelp)>;
    HelpHandler OnHelp;
    bool HelpCommand(uint16_t command, int32_t data);
    bool HelpContext(int32_t context) { return HelpCommand(1, context); }

    // The application's forms in creation order; each top-level form registers itself. A form
    // already listed is not added twice; removing one that is not listed does nothing. Throw
    // nothing.
    const std::vector<QWidget*>& Forms() const { return m_Forms; }
    void AddForm(QWidget* form);
    void RemoveForm(QWidget* form);

    // Minimise and restore the whole program. Minimise raises OnMinimize only when the program
    // was not minimised; Restore raises OnRestore only when it was. Called from inside a handler,
    // they pass on what an OnMinimize or OnRestore handler throws (RunHandler); else nothing.
    void Minimize();
    void Restore();
    // Raises and activates every visible form. Throws nothing.
    void BringToFront();
    bool IsMinimized() const { return m_Minimized; }
    // A form reports the window system's minimise or restore of itself; the events are raised as
    // by Minimize and Restore, and throw as they do.
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
    bool m_EndRequested = false;
    bool m_LoopRunning = false;
};

namespace HandlerGuard {
// How many handlers run now, one inside another (RunHandler keeps it). Throws nothing.
int& Depth();
// Shows an error in the standard error box: the application's, or one captioned "Quelmo" when
// there is no application object. Throws nothing.
void Show(const std::exception& error);
} // namespace HandlerGuard

// Runs an event handler. Called by Qt (no handler running), an exception that escapes the body
// is shown in the standard error box and the program goes on. Called from inside another handler
// (a handler that calls another directly), the exception ends both, as it would in a program
// whose handlers call each other. So it throws nothing when called by Qt, and inside another
// handler whatever the body throws.
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
