#include "platform/SpecialFolders.h"

#include "platform/Paths.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace SpecialFolders {

namespace {

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string HomeFolder()
{
    std::string home = Env("HOME");
    if (home.empty()) {
        if (const passwd* entry = ::getpwuid(::getuid()))
            home = entry->pw_dir;
    }
    return home.empty() ? "/" : home;
}

std::string WithoutFinalSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

} // namespace

std::string PosixPath(int csidl)
{
    if (csidl == AppData) {
        const std::string config = Env("XDG_CONFIG_HOME");
        // The XDG base-directory rules ignore relative values.
        if (!config.empty() && config[0] == '/')
            return WithoutFinalSlash(config);
        return WithoutFinalSlash(HomeFolder() + "/.config");
    }
    if (csidl == CommonAppData) {
        const std::string dirs = Env("XDG_CONFIG_DIRS");
        const std::string first = dirs.substr(0, dirs.find(':'));
        if (!first.empty() && first[0] == '/')
            return WithoutFinalSlash(first);
        return "/etc/xdg";
    }
    return {};
}

std::string PathText(int csidl)
{
    const std::string posix = PosixPath(csidl);
    if (posix.empty())
        return {};
    std::string text = Paths::FromPosix(posix).value_or("");
    if (text.size() > 3 && text.back() == '\\')
        text.pop_back();
    return text;
}

} // namespace SpecialFolders
