#include "platform/profiles/RegularFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RegularFile {

ReadResult Read(const std::string& posixPath, size_t maxBytes, std::string& data)
{
    data.clear();
    const int fd = ::open(posixPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Refused;
    struct stat st
    {
    };
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && uint64_t(st.st_size) <= maxBytes;
    if (ok)
        data.reserve(size_t(st.st_size));
    char buffer[65536];
    while (ok) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0 && errno == EINTR)
            continue;
        // A file that grows while it is read is held to the same limit.
        ok = n > 0 && data.size() + size_t(n) <= maxBytes;
        if (ok)
            data.append(buffer, size_t(n));
    }
    ::close(fd);
    if (ok)
        return ReadResult::Read;
    data.clear();
    return ReadResult::Refused;
}

std::string WriteTarget(std::string posixPath)
{
    for (int hop = 0; hop < 40; ++hop) {
        char target[PATH_MAX];
        const ssize_t n = ::readlink(posixPath.c_str(), target, sizeof target);
        if (n <= 0 || size_t(n) >= sizeof target)
            return posixPath;
        std::string next(target, size_t(n));
        if (next[0] != '/')
            next.insert(0, posixPath, 0, posixPath.rfind('/') + 1);
        posixPath = next;
    }
    return posixPath;
}

namespace {

bool WriteAll(int fd, const std::string& data)
{
    size_t written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.data() + written, data.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += size_t(n);
    }
    return true;
}

// Whether a name in the target's folder is one Replace gives its temporary files: the target's
// name, "." and six letters or digits. A suffix of small letters only is taken for a copy the
// user named ("Quelmo.ini.backup") and kept: a temporary name is rarely made of them alone.
bool IsTemporaryName(const std::string& name, const std::string& targetName)
{
    if (name.size() != targetName.size() + 7 || name.compare(0, targetName.size(), targetName) != 0 ||
        name[targetName.size()] != '.')
        return false;
    bool marked = false;
    for (size_t i = targetName.size() + 1; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (std::isalnum(c) == 0 || c >= 0x80)
            return false;
        marked = marked || std::islower(c) == 0;
    }
    return marked;
}

} // namespace

bool Replace(const std::string& target, const std::string& data, mode_t newFileMode)
{
    mode_t mode = newFileMode;
    struct stat st
    {
    };
    if (::stat(target.c_str(), &st) == 0)
        mode = st.st_mode & 07777;
    std::string temporary = target + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, data) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok)
        ::unlink(temporary.c_str());
    return ok;
}

void RemoveLeftovers(const std::string& target, int minimumAgeSeconds)
{
    const size_t slash = target.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : target.substr(0, std::max<size_t>(slash, 1));
    const std::string targetName = slash == std::string::npos ? target : target.substr(slash + 1);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsTemporaryName(entry->d_name, targetName))
            continue;
        struct stat st
        {
        };
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid() || now - st.st_mtime < minimumAgeSeconds)
            continue;
        ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

} // namespace RegularFile
