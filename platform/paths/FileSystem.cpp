#include "platform/paths/FileSystem.h"

#include "platform/paths/DriveWait.h"
#include "platform/paths/Paths.h"
#include "platform/paths/TextPath.h"
#include "platform/services/WinError.h"

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

// The attributes of a POSIX path, or the Windows code of why they cannot be read. Touches no
// state of the caller's, so that it may run on a thread of its own.
struct Attributes
{
    uint32_t Value = 0;
    int Error = 0;
};

Attributes AttributesOfPosix(const std::string& posix, const std::string& name, int dirFd = AT_FDCWD)
{
    struct stat st
    {
    };
    if (::fstatat(dirFd, posix.c_str(), &st, 0) != 0)
        return {0, WinErrorFromErrno(errno)};
    uint32_t attributes = 0;
    if (S_ISDIR(st.st_mode))
        attributes |= faDirectory;
    if (!name.empty() && name[0] == '.')
        attributes |= faHidden;
    if (::faccessat(dirFd, posix.c_str(), W_OK, 0) != 0)
        attributes |= faReadOnly;
    return {attributes, 0};
}

// What reading a directory gives: its matching entries, the number of entries read, the error.
struct Listing
{
    std::vector<FoundEntry> Found;
    int EntriesRead = 0;
    int Error = 0;
};

Listing ReadDirectory(const std::string& posix, const std::string& pattern, uint32_t include)
{
    Listing listing;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(posix.c_str()), &::closedir);
    if (!dir) {
        listing.Error = WinErrorFromErrno(errno);
        return listing;
    }
    const int dirFd = ::dirfd(dir.get());
    const uint32_t skippable = faHidden | faSystem | faDirectory;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string posixName = entry->d_name;
        if (posixName == "." || posixName == "..")
            continue;
        ++listing.EntriesRead;
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
            const Attributes full = AttributesOfPosix(posixName, posixName, dirFd);
            if (full.Error != 0)
                continue; // a dangling link names nothing
            attributes = full.Value;
        }
        if ((attributes & skippable & ~include) != 0)
            continue;
        if (::faccessat(dirFd, posixName.c_str(), W_OK, 0) != 0)
            attributes |= faReadOnly;
        listing.Found.push_back({name, attributes});
    }
    return listing;
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
    const std::optional<Attributes> read = DriveWait::Answer<Attributes>(
        posix, [posix, name = LastName(posix)] { return AttributesOfPosix(posix, name); });
    const int error = read ? read->Error : WinError::NotReady;
    if (error != 0) {
        SetLastError(error);
        return std::nullopt;
    }
    return read->Value;
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
    // One wait for the whole directory: a local folder pays for one thread, not one per entry.
    std::optional<Listing> listing = DriveWait::Answer<Listing>(
        posix, [posix, pattern, include] { return ReadDirectory(posix, pattern, include); });
    const int error = listing ? listing->Error : WinError::NotReady;
    if (error != 0) {
        SetLastError(error);
        return error;
    }
    for (int i = 0; entryRead && i < listing->EntriesRead; ++i)
        entryRead();
    found = std::move(listing->Found);
    return 0;
}

int CreateDirectory(const std::string& path)
{
    std::string posix;
    if (const int error = Paths::ToPosix(path, posix); error != 0) {
        SetLastError(error);
        return error;
    }
    const std::optional<int> made = DriveWait::Answer<int>(posix, [posix] {
        if (::mkdir(posix.c_str(), 0777) == 0)
            return 0;
        return errno == ENOENT ? WinError::PathNotFound : WinErrorFromErrno(errno);
    });
    const int error = made.value_or(WinError::NotReady);
    if (error != 0)
        SetLastError(error);
    return error;
}

} // namespace FileSystem
