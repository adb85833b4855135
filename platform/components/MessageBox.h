#pragma once
// Basic idea: modal message boxes, as the program's components ask for them (the standard error
// box, the about box, the help code's boxes). They are classic boxes: an icon, a text, one or more
// buttons, a caption. Tests install a hook that answers instead of showing anything, and read back
// what was asked. UI thread only.

#include <functional>
#include <string>

enum class MessageIcon
{
    None,
    Stop,
    Question,
    Exclamation,
    Information
};

struct MessageBoxRequest
{
    std::string Text;
    std::string Caption;
    MessageIcon Icon = MessageIcon::None;
    bool CenterOnScreen = false;
    int HelpContext = 0;
};

// Result of a box with one OK button.
constexpr int IDOK = 1;

// Shows the box over the window the user works in (the modal box or the active window, else the
// first form on the screen) and returns IDOK once it is closed; with a hook set, the hook's answer. Throws
// what the hook throws, nothing else.
int ShowMessageBox(const MessageBoxRequest& request);

// The Windows form: flags 0 (OK), 16 (stop), 32 (question), 48 (exclamation), 64 (information);
// any other icon bits show no icon. Returns and throws as ShowMessageBox.
int MessageBoxA(const std::string& text, const std::string& caption, unsigned flags);

// While a hook is set, every box goes to it instead of the screen. Pass an empty function to
// restore the real boxes. Throws nothing.
using MessageBoxHook = std::function<int(const MessageBoxRequest&)>;
void SetMessageBoxHook(MessageBoxHook hook);
