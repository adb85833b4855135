#include "platform/paths/CurrentDir.h"

#include "platform/paths/DriveWait.h"
#include "platform/paths/Drives.h"
#include "platform/paths/Paths.h"
#include "platform/paths/TextPath.h"
#include "platform/services/WinError.h"

#include <cerrno>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace CurrentDir {

namespace {

struct State
{
    std::string Current;
    std::map<char, std::string> PerDrive; // key: lower-case letter
};

std::optional<State>& TheState()
{
    static std::optional<State> state;
    return state;
}

State& Initialised()
{
    auto& state = TheState();
    if (state)
        return *state;
    state.emplace();
    std::string cwd = "/";
    if (char* buffer = ::getcwd(nullptr, 0)) {
        cwd = buffer;
        ::free(buffer);
    }
    auto text = Paths::FromPosix(cwd);
    if (!text) {
        // The working directory lies on no drive (a test table): start at the first drive's root.
        const auto& drives = DriveTable::Current().Drives();
        text = drives.empty() ? std::string("c:\\") : std::string(1, drives.front().Letter) + ":\\";
    }
    state->Current = *text;
    if ((*text)[1] == ':')
        state->PerDrive[TextPath::AsciiLower((*text)[0])] = *text;
    return *state;
}

bool IsMountRoot(const std::string& posix)
{
    const DriveInfo* drive = DriveTable::Current().FindByPosix(posix);
    return drive != nullptr && drive->Root == posix;
}

// Why a path cannot be entered, in Windows terms. A mount root that cannot be read is a drive
// that is not ready. Touches no state of the caller's, so that it may run on a thread of its own.
int CheckDirectory(const std::string& posix, bool mountRoot)
{
    struct stat st
    {
    };
    if (::stat(posix.c_str(), &st) != 0) {
        const int err = errno;
        if (mountRoot)
            return WinError::NotReady;
        if (err == ENOENT) {
            // A missing last component is "file not found", a missing parent "path not found".
            const auto slash = posix.find_last_of('/');
            const std::string parent = slash == 0 ? "/" : posix.substr(0, slash);
            struct stat parentStat
            {
            };
            const bool parentIsDir = ::stat(parent.c_str(), &parentStat) == 0 && S_ISDIR(parentStat.st_mode);
            return parentIsDir ? WinError::FileNotFound : WinError::PathNotFound;
        }
        return WinErrorFromErrno(err);
    }
    if (!S_ISDIR(st.st_mode))
        return WinError::NotADirectory;
    if (::access(posix.c_str(), R_OK | X_OK) != 0)
        return WinErrorFromErrno(errno);
    return WinError::Success;
}

} // namespace

std::string Get()
{
    return Initialised().Current;
}

int Set(const std::string& text)
{
    State& state = Initialised();
    const std::string full = Paths::ExpandPath(text);
    std::string posix;
    if (const int error = Paths::ToPosix(full, posix); error != WinError::Success) {
        SetLastError(error);
        return error;
    }
    const std::optional<int> checked = DriveWait::Answer<int>(
        posix, [posix, mountRoot = IsMountRoot(posix)] { return CheckDirectory(posix, mountRoot); });
    if (const int error = checked.value_or(WinError::NotReady); error != WinError::Success) {
        SetLastError(error);
        return error;
    }
    state.Current = full;
    if (full.size() >= 2 && full[1] == ':')
        state.PerDrive[TextPath::AsciiLower(full[0])] = full;
    return WinError::Success;
}

std::string OfDrive(char letter)
{
    State& state = Initialised();
    const auto found = state.PerDrive.find(TextPath::AsciiLower(letter));
    if (found != state.PerDrive.end()) {
        std::string text = found->second;
        text[0] = letter; // the drive letter reads back as it was asked for
        return text;
    }
    return std::string(1, letter) + ":\\";
}

void Reset()
{
    TheState().reset();
}

} // namespace CurrentDir
