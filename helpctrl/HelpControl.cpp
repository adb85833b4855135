// The help control's entry points: "HtmlHelpA", "HtmlHelpW" and "HtmlHelpSetPathResolver" (see
// platform/services/HtmlHelpApi.h). Each request names a compiled help file; the control keeps one window
// per file and answers with that window, or with no window when the file or the topic is missing.

#include "helpctrl/HelpWindow.h"
#include "platform/services/HtmlHelpApi.h"

#include <QApplication>
#include <QString>
#include <algorithm>
#include <strings.h>
#include <vector>

#define HELPCTRL_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

HtmlHelpPathResolver g_Resolver = nullptr;

// The windows of the control. Should the module be unloaded with windows still open, they go
// with it while the application still exists (their code goes with the module); after the
// application has ended they can no longer be deleted and are left alone.
struct WindowList
{
    std::vector<HelpWindow*> List;
    ~WindowList()
    {
        if (QCoreApplication::instance() == nullptr)
            return;
        for (HelpWindow* window : List)
            delete window;
    }
};

// Made when the module is loaded, not at the first request: exit handlers and destructors run in
// the reverse order of their making, so the program's handling of an abrupt exit, set up once the
// module is loaded, runs before this destructor could delete windows under the window system.
WindowList g_Windows;

std::vector<HelpWindow*>& Windows()
{
    return g_Windows.List;
}

// The parts of a help location: "[mk:@MSITStore:|ms-its:]file[::/topic][>window]".
struct Location
{
    std::string File;
    std::string Topic;
};

bool StripPrefix(std::string& text, const char* prefix)
{
    const size_t length = std::char_traits<char>::length(prefix);
    if (text.size() < length || ::strncasecmp(text.c_str(), prefix, length) != 0)
        return false;
    text.erase(0, length);
    return true;
}

Location ParseLocation(std::string text)
{
    StripPrefix(text, "mk:@MSITStore:") || StripPrefix(text, "ms-its:") || StripPrefix(text, "its:");
    // The window definition is not used: every file has its one window.
    if (const size_t window = text.rfind('>'); window != std::string::npos)
        text.erase(window);
    Location location;
    const size_t separator = text.find("::");
    location.File = text.substr(0, separator);
    if (separator != std::string::npos)
        location.Topic = text.substr(separator + 2);
    return location;
}

std::string PosixOf(const std::string& file)
{
    if (g_Resolver == nullptr)
        return !file.empty() && file[0] == '/' ? file : std::string();
    std::string posix(4096, '\0');
    const int length = g_Resolver(file.c_str(), posix.data(), posix.size());
    if (length < 0 || size_t(length) >= posix.size())
        return {};
    posix.resize(size_t(length));
    return posix;
}

// The window already open on a file, or nullptr.
HelpWindow* OpenWindow(const std::string& posixPath)
{
    for (HelpWindow* window : Windows())
        if (window->File().PosixPath() == posixPath)
            return window;
    return nullptr;
}

// Shows a topic chosen by `pick` from the file; no window when the file or the topic is missing.
template <typename Pick> HWND ShowIn(const char* file, Pick pick)
{
    if (file == nullptr || qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return nullptr;
    const Location location = ParseLocation(file);
    const std::string posix = PosixOf(location.File);
    if (posix.empty())
        return nullptr;
    HelpWindow* window = OpenWindow(posix);
    std::unique_ptr<ChmFile> fresh = window == nullptr ? ChmFile::Open(posix) : nullptr;
    const ChmFile* chm = window != nullptr ? &window->File() : fresh.get();
    if (chm == nullptr)
        return nullptr;
    const std::string topic = pick(*chm, location.Topic);
    if (topic.empty())
        return nullptr;
    if (window == nullptr) {
        window = new HelpWindow(std::move(fresh));
        Windows().push_back(window);
    }
    window->ShowTopic(topic);
    return static_cast<HWND>(static_cast<QWidget*>(window));
}

HWND HelpContext(const char* file, uintptr_t data)
{
    const auto context = uint32_t(data);
    return ShowIn(file, [context](const ChmFile& chm, const std::string&) {
        const std::string topic = chm.TopicOfContext(context);
        // Context 0 is what F1 asks for without a context of its own: the file's default topic.
        return topic.empty() && context == 0 ? chm.DefaultTopic() : topic;
    });
}

HWND DisplayTopic(const char* file, uintptr_t data)
{
    // The command's data word carries the topic's address, as the calling convention has it.
    const std::string asked =
        data != 0 ? reinterpret_cast<const char*>(data) : ""; // NOLINT(performance-no-int-to-ptr)
    return ShowIn(file, [&asked](const ChmFile& chm, const std::string& inPath) {
        const std::string& name = !asked.empty() ? asked : inPath;
        if (name.empty())
            return chm.DefaultTopic();
        const std::string topic = chm.FindTopic(name);
        const size_t hash = name.find('#');
        return topic.empty() || hash == std::string::npos ? topic : topic + name.substr(hash);
    });
}

void CloseAll()
{
    // Deleted at once, not later: the module may be unloaded right after this call.
    std::vector<HelpWindow*> windows;
    windows.swap(Windows());
    for (HelpWindow* window : windows)
        delete window;
}

} // namespace

HELPCTRL_EXPORT HWND HtmlHelpA(HWND /*caller*/, const char* file, unsigned command, uintptr_t data)
{
    switch (command) {
    case HH_DISPLAY_TOPIC:
        return DisplayTopic(file, data);
    case HH_HELP_CONTEXT:
        return HelpContext(file, data);
    case HH_CLOSE_ALL:
        CloseAll();
        return nullptr;
    default:
        return nullptr;
    }
}

HELPCTRL_EXPORT HWND HtmlHelpW(HWND caller, const char16_t* file, unsigned command, uintptr_t data)
{
    const QByteArray path = file != nullptr ? QString::fromUtf16(file).toUtf8() : QByteArray();
    if (command != HH_DISPLAY_TOPIC || data == 0)
        return HtmlHelpA(caller, file != nullptr ? path.constData() : nullptr, command, data);
    const auto* wideTopic = reinterpret_cast<const char16_t*>(data); // NOLINT(performance-no-int-to-ptr)
    const QByteArray topic = QString::fromUtf16(wideTopic).toUtf8();
    return HtmlHelpA(caller, file != nullptr ? path.constData() : nullptr, command,
                     uintptr_t(topic.constData()));
}

HELPCTRL_EXPORT void HtmlHelpSetPathResolver(HtmlHelpPathResolver resolver)
{
    g_Resolver = resolver;
}
