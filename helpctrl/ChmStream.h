#pragma once
// Basic idea: the work of the help control's reading program (ReaderMain.cpp), which ChmReader.h
// starts for every help file it opens. It reads every object of a compiled help file through
// chmlib, builds the file's full-text search from the pages as it goes (SearchIndex.h), and writes
// both to a file descriptor: one record per object ("path length, path, data length, data", the
// lengths 32 and 64 bits), EndMark, then the search's length (64 bits) and bytes. chmlib trusts the
// file's tables, so this runs in a process of its own that may crash on a damaged file.

#include <cstdint>
#include <string>

namespace ChmStream {

// Objects and files larger than these are taken for damage rather than read.
constexpr uint64_t MaxObjectSize = 64u << 20;
constexpr uint64_t MaxTotalSize = 256u << 20;
// The search of the pages is no larger than their text, and the text no larger than the objects.
constexpr uint64_t MaxStreamSize = 2 * MaxTotalSize + (1u << 20);
// Stands in for a path length after the last object.
constexpr uint32_t EndMark = 0xFFFFFFFF;

// Writes the file at a POSIX path to fd; false when it cannot be read whole.
bool StreamFile(const std::string& posixPath, int fd);

} // namespace ChmStream
