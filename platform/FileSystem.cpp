#include "platform/FileSystem.h"

#include "platform/Paths.h"
#include "platform/TextPath.h"
#include "platform/WinError.h"

#include <QString>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace FileSystem {

namespace {

// Glob matching with backtracking on the last "*": linear for the patterns the program uses.
template <typename Char, typename Eq>
bool Glob(const Char* name, size_t nameLen, const Char* pattern, size_t patternLen, Eq equal)
{
    size_t n = 0, p = 0, starP = std::string::npos, starN = 0;
    while (n < nameLen) {
        if (p < patternLen &&
            (pattern[p] == Char('?') || (pattern[p] != Char('*') && equal(pattern[p], name[n])))) {
            ++n;
            ++p;
        } else if (p < patternLen && pattern[p] == Char('*')) {
            starP = p++;
            starN = n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < patternLen && pattern[p] == Char('*'))
        ++p;
    return p == patternLen;
}

std::optional<uint32_t> AttributesOfPosix(const std::string& posix, const std::string& name,
                                          int dirFd = AT_FDCWD)
{
    struct stat st
    {
    };
    if (::fstatat(dirFd, posix.c_str(), &st, 0) != 0) {
        SetLastError(WinErrorFromErrno(errno));
        return std::nullopt;
    }
    uint32_t attributes = 0;
    if (S_ISDIR(st.st_mode))
        attributes |= faDirectory;
    if (!name.empty() && name[0] == '.')
        attributes |= faHidden;
    if (::faccessat(dirFd, posix.c_str(), W_OK, 0) != 0)
        attributes |= faReadOnly;
    return attributes;
}

std::string LastName(const std::string& posix)
{
    const auto slash = posix.find_last_of('/');
    return slash == std::string::npos ? posix : posix.substr(slash + 1);
}

} // namespace

std::optional<uint32_t> GetAttributes(const std::string& path)
{
    std::string posix;
    if (const int error = Paths::ToPosix(path, posix); error != 0) {
        SetLastError(error);
        return std::nullopt;
    }
    return AttributesOfPosix(posix, LastName(posix));
}

bool FileExists(const std::string& path)
{
    const auto attributes = GetAttributes(path);
    return attributes && (*attributes & faDirectory) == 0;
}

bool DirectoryExists(const std::string& path)
{
    const auto attributes = GetAttributes(path);
    return attributes && (*attributes & faDirectory) != 0;
}

bool MatchesPattern(const std::string& name, const std::string& pattern)
{
    if (pattern == "*.*" || pattern == "*")
        return true;
    if (TextPath::IsAscii(name) && TextPath::IsAscii(pattern))
        return Glob(name.data(), name.size(), pattern.data(), pattern.size(),
                    [](char a, char b) { return TextPath::AsciiLower(a) == TextPath::AsciiLower(b); });
    const QString wideName = QString::fromUtf8(name).toCaseFolded();
    const QString widePattern = QString::fromUtf8(pattern).toCaseFolded();
    return Glob(wideName.constData(), size_t(wideName.size()), widePattern.constData(),
                size_t(widePattern.size()), [](QChar a, QChar b) { return a == b; });
}

int FindFiles(const std::string& directory, const std::string& pattern, uint32_t include,
              std::vector<FoundEntry>& found, const std::function<void()>& entryRead)
{
    found.clear();
    std::string posix;
    if (const int error = Paths::ToPosix(directory, posix); error != 0) {
        SetLastError(error);
        return error;
    }
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(posix.c_str()), &::closedir);
    if (!dir) {
        const int error = WinErrorFromErrno(errno);
        SetLastError(error);
        return error;
    }
    const int dirFd = ::dirfd(dir.get());
    const uint32_t skippable = faHidden | faSystem | faDirectory;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string posixName = entry->d_name;
        if (posixName == "." || posixName == "..")
            continue;
        if (entryRead)
            entryRead();
        const std::string name = Paths::NameFromPosix(posixName);
        if (!MatchesPattern(name, pattern))
            continue;
        // The type from readdir spares a stat for most entries; links and unknown types need one.
        uint32_t attributes = 0;
        if (entry->d_type == DT_DIR)
            attributes |= faDirectory;
        if (posixName[0] == '.')
            attributes |= faHidden;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            const auto full = AttributesOfPosix(posixName, posixName, dirFd);
            if (!full)
                continue; // a dangling link names nothing
            attributes = *full;
        }
        if ((attributes & skippable & ~include) != 0)
            continue;
        if (::faccessat(dirFd, posixName.c_str(), W_OK, 0) != 0)
            attributes |= faReadOnly;
        found.push_back({name, attributes});
    }
    return 0;
}

int CreateDirectory(const std::string& path)
{
    std::string posix;
    if (const int error = Paths::ToPosix(path, posix); error != 0) {
        SetLastError(error);
        return error;
    }
    if (::mkdir(posix.c_str(), 0777) != 0) {
        const int error = errno == ENOENT ? WinError::PathNotFound : WinErrorFromErrno(errno);
        SetLastError(error);
        return error;
    }
    return 0;
}

} // namespace FileSystem
