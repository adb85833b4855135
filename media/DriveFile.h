#pragma once
// Basic idea: a file opened for reading whose every read is limited in time, so that a network
// drive whose server has gone away never holds the thread that reads (the UI thread at open, the
// device's worker while playing) for more than DriveWait's limit (platform/paths/DriveWait.h). The file
// is opened and read in blocks of a few seconds of sound, each through DriveWait; reads are served
// from the block last read. A read the drive does not answer in time fails as a read error does;
// the thread that still waits for it keeps the block it fills and the open file, which closes
// when that read ends, if ever. While such a read waits, further reads of the drive fail at once.
// Used by one thread at a time.

#include "media/OpenResult.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class DriveFile
{
public:
    DriveFile();
    ~DriveFile();
    DriveFile(const DriveFile&) = delete;
    DriveFile& operator=(const DriveFile&) = delete;

    // Opens a regular file for reading: Ok, NotFound, or Unreadable (not a regular file, no read
    // access, or a drive that does not answer). Once only. Throws nothing.
    OpenResult Open(const std::string& posixPath);

    // As read(2): up to `bytes` bytes at the current offset, fewer only at the end of the file;
    // -1 with errno set when the drive failed or did not answer. Throws nothing.
    std::ptrdiff_t Read(void* buffer, std::size_t bytes);
    // As lseek(2), the end being the size the file had when opened. Throws nothing.
    int64_t Seek(int64_t offset, int whence);
    // Whether a read failed since the file was opened.
    bool Failed() const { return m_Failed; }

private:
    std::string m_Path;
    // The open file's descriptor, shared with a read that may outlive this object; closed by its
    // last owner.
    std::shared_ptr<const int> m_File;
    int64_t m_Size = 0;
    int64_t m_Offset = 0;
    // The block last read and where it starts in the file; -1 before the first.
    std::vector<unsigned char> m_Block;
    int64_t m_BlockStart = -1;
    bool m_Failed = false;

    bool ReadBlock();
};
