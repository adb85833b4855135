#include "media/DriveFile.h"

#include "platform/paths/DriveWait.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Up to four seconds of sound at 64 kbit/s, under one at 320: a read waits on a thread of its own
// at most a few times a second, and a read the drive does not answer shows within a few seconds.
constexpr std::size_t BlockBytes = std::size_t{32} * 1024;

// What opening the file found, made on the thread that waits on the drive.
struct Opening
{
    OpenResult Result = OpenResult::Unreadable;
    std::shared_ptr<const int> File;
    int64_t Size = 0;
};

// What reading one block gave.
struct Block
{
    std::vector<unsigned char> Bytes;
    int Error = 0;
};

// A descriptor that its last owner closes.
std::shared_ptr<const int> Owned(int fd)
{
    return {new int(fd), [](const int* owned) {
                ::close(*owned);
                delete owned;
            }};
}

// Opened without waiting (a named pipe would block), and kept only when a regular file.
Opening OpenRegular(const std::string& posixPath)
{
    Opening opening;
    const int fd = ::open(posixPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            opening.Result = OpenResult::NotFound;
        return opening;
    }
    std::shared_ptr<const int> file = Owned(fd);
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return opening;
    opening.Result = OpenResult::Ok;
    opening.File = std::move(file);
    opening.Size = info.st_size;
    return opening;
}

Block ReadAt(int fd, int64_t start)
{
    Block block;
    block.Bytes.resize(BlockBytes);
    ssize_t got = 0;
    do
        got = ::pread(fd, block.Bytes.data(), BlockBytes, start);
    while (got < 0 && errno == EINTR);
    if (got < 0)
        block.Error = errno;
    block.Bytes.resize(got > 0 ? std::size_t(got) : 0);
    return block;
}

} // namespace

DriveFile::DriveFile() = default;
DriveFile::~DriveFile() = default;

OpenResult DriveFile::Open(const std::string& posixPath)
{
    m_Path = posixPath;
    const std::optional<Opening> opening =
        DriveWait::Answer<Opening>(posixPath, [posixPath] { return OpenRegular(posixPath); });
    if (!opening || opening->Result != OpenResult::Ok)
        return opening ? opening->Result : OpenResult::Unreadable;
    m_File = opening->File;
    m_Size = opening->Size;
    return OpenResult::Ok;
}

std::ptrdiff_t DriveFile::Read(void* buffer, std::size_t bytes)
{
    auto* to = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < bytes) {
        // A block shorter than BlockBytes ends at the end of the file: an offset past its bytes
        // is the end, which need not be read again.
        const bool held =
            m_BlockStart >= 0 && m_Offset >= m_BlockStart && m_Offset - m_BlockStart < int64_t(BlockBytes);
        if (!held && !ReadBlock())
            return done > 0 ? std::ptrdiff_t(done) : -1;
        const auto from = std::size_t(m_Offset - m_BlockStart);
        if (from >= m_Block.size())
            break; // the end of the file
        const std::size_t count = std::min(bytes - done, m_Block.size() - from);
        std::memcpy(to + done, m_Block.data() + from, count);
        done += count;
        m_Offset += int64_t(count);
    }
    return std::ptrdiff_t(done);
}

int64_t DriveFile::Seek(int64_t offset, int whence)
{
    const int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m_Offset : m_Size;
    if ((whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) || base + offset < 0) {
        errno = EINVAL;
        return -1;
    }
    m_Offset = base + offset;
    return m_Offset;
}

// Reads the block that starts at the current offset. The read owns what it uses, as it may go on
// after this object has given up on it.
bool DriveFile::ReadBlock()
{
    if (!m_File) {
        errno = EBADF;
        return false;
    }
    const int64_t start = m_Offset;
    std::optional<Block> block =
        DriveWait::Answer<Block>(m_Path, [file = m_File, start] { return ReadAt(*file, start); });
    if (!block || block->Error != 0) {
        m_Failed = true;
        errno = block ? block->Error : EIO;
        return false;
    }
    m_Block = std::move(block->Bytes);
    m_BlockStart = start;
    return true;
}
