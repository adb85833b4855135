#include "platform/paths/SpecialFolders.h"

#include "platform/paths/Paths.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
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

// Creates the missing levels of a folder with mode 0700, as the XDG base-directory rules ask for
// the user's own folders. A level that cannot be created is left to fail at the first write.
void CreateMissingFolders(const std::string& path)
{
    struct stat st
    {
    };
    if (path.empty() || ::stat(path.c_str(), &st) == 0)
        return;
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string level = path.substr(0, slash);
        if (::mkdir(level.c_str(), 0700) != 0 && errno != EEXIST)
            return;
        if (slash == std::string::npos)
            return;
    }
}

} // namespace

std::string PosixPath(int csidl)
{
    if (csidl == AppData) {
        const std::string config = Env("XDG_CONFIG_HOME");
        // The XDG base-directory rules ignore relative values.
        std::string path =
            WithoutFinalSlash(!config.empty() && config[0] == '/' ? config : HomeFolder() + "/.config");
        // A new account has no such folder yet; the program's settings must still be kept.
        CreateMissingFolders(path);
        return path;
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
