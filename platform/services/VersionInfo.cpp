#include "platform/services/VersionInfo.h"

#include "platform/paths/Paths.h"

#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace VersionInfo {

namespace {

struct FdCloser
{
    void operator()(const int* fd) const
    {
        ::close(*fd);
        delete fd;
    }
};
using FdHandle = std::unique_ptr<int, FdCloser>;

// A read-only view of the file that refuses every read outside it.
class FileReader
{
public:
    explicit FileReader(const std::string& posixPath)
    {
        const int fd = ::open(posixPath.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return;
        m_Fd.reset(new int(fd));
        struct stat st
        {
        };
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
            m_Size = uint64_t(st.st_size);
    }

    bool Read(uint64_t offset, void* buffer, uint64_t length) const
    {
        if (!m_Fd || offset > m_Size || length > m_Size - offset)
            return false;
        return ::pread(*m_Fd, buffer, length, off_t(offset)) == ssize_t(length);
    }

private:
    FdHandle m_Fd;
    uint64_t m_Size = 0;
};

// The parts of an ELF header and a section header that the search needs, for both classes.
struct Header
{
    uint64_t SectionsOffset = 0;
    uint16_t SectionSize = 0;
    uint16_t SectionCount = 0;
    uint16_t NamesIndex = 0;
    bool Is64 = true;
};

struct Section
{
    uint32_t Name = 0;
    uint64_t Offset = 0;
    uint64_t Size = 0;
};

std::optional<Header> ReadHeader(const FileReader& file)
{
    unsigned char ident[EI_NIDENT];
    if (!file.Read(0, ident, EI_NIDENT) || std::memcmp(ident, ELFMAG, SELFMAG) != 0)
        return std::nullopt;
    if (ident[EI_DATA] != ELFDATA2LSB) // the block is read in the host's (little-endian) order
        return std::nullopt;
    Header header;
    if (ident[EI_CLASS] == ELFCLASS64) {
        Elf64_Ehdr elf;
        if (!file.Read(0, &elf, sizeof elf))
            return std::nullopt;
        header = {elf.e_shoff, elf.e_shentsize, elf.e_shnum, elf.e_shstrndx, true};
    } else if (ident[EI_CLASS] == ELFCLASS32) {
        Elf32_Ehdr elf;
        if (!file.Read(0, &elf, sizeof elf))
            return std::nullopt;
        header = {elf.e_shoff, elf.e_shentsize, elf.e_shnum, elf.e_shstrndx, false};
    } else {
        return std::nullopt;
    }
    const uint16_t expected = header.Is64 ? sizeof(Elf64_Shdr) : sizeof(Elf32_Shdr);
    if (header.SectionSize < expected || header.NamesIndex >= header.SectionCount)
        return std::nullopt;
    return header;
}

std::optional<Section> ReadSection(const FileReader& file, const Header& header, uint16_t index)
{
    const uint64_t at = header.SectionsOffset + uint64_t(index) * header.SectionSize;
    if (header.Is64) {
        Elf64_Shdr shdr;
        if (!file.Read(at, &shdr, sizeof shdr))
            return std::nullopt;
        return Section{shdr.sh_name, shdr.sh_offset, shdr.sh_size};
    }
    Elf32_Shdr shdr;
    if (!file.Read(at, &shdr, sizeof shdr))
        return std::nullopt;
    return Section{shdr.sh_name, shdr.sh_offset, shdr.sh_size};
}

bool HasName(const FileReader& file, const Section& names, const Section& section)
{
    const size_t length = std::strlen(SectionName) + 1; // the terminating NUL must match too
    if (section.Name > names.Size || length > names.Size - section.Name)
        return false;
    std::vector<char> name(length);
    return file.Read(names.Offset + section.Name, name.data(), length) &&
           std::memcmp(name.data(), SectionName, length) == 0;
}

} // namespace

std::optional<VSFixedFileInfo> ReadPosix(const std::string& posixPath)
{
    const FileReader file(posixPath);
    const auto header = ReadHeader(file);
    if (!header)
        return std::nullopt;
    const auto names = ReadSection(file, *header, header->NamesIndex);
    if (!names)
        return std::nullopt;
    for (uint16_t index = 1; index < header->SectionCount; ++index) {
        const auto section = ReadSection(file, *header, index);
        if (!section || !HasName(file, *names, *section))
            continue;
        VSFixedFileInfo info;
        if (section->Size < sizeof info || !file.Read(section->Offset, &info, sizeof info))
            return std::nullopt;
        if (info.dwSignature != Signature)
            return std::nullopt;
        return info;
    }
    return std::nullopt;
}

std::optional<VSFixedFileInfo> Read(const std::string& path)
{
    std::string posix;
    if (path.empty() || Paths::ToPosix(path, posix) != 0)
        return std::nullopt;
    return ReadPosix(posix);
}

} // namespace VersionInfo
