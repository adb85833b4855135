#pragma once
// Basic idea: the work of the help control's reading program (ReaderMain.cpp), which ChmReader.h
// starts for every help file it opens. It reads every object of a compiled help file through
// chmlib, builds the file's full-text search from the pages as it goes (SearchIndex.h), parses the
// contents and the index (Sitemap.h) and resolves their topics, so that the window gets everything
// ready to show and parses nothing of the file itself. It writes to a file descriptor one record
// per object ("path length, path, data length, data", the lengths 32 and 64 bits; the contents and
// index files themselves are not sent), EndMark, then four sections, each a 64-bit length and its
// bytes: the search, the contents (EncodeSitemap), the index, and the notes (texts for the help's
// debug log: what was left out for the limits below). chmlib trusts the file's tables, so this
// runs in a process of its own that may crash on a damaged file.

#include <cstddef>
#include <cstdint>
#include <string>

namespace ChmStream {

// Objects and files larger than these are taken for damage rather than read.
constexpr uint64_t MaxObjectSize = 64u << 20;
constexpr uint64_t MaxTotalSize = 256u << 20;
// Pages longer than this are sent, and searched, only up to it: the window lays a page out on its
// own thread, and a longer page would hold it up for a good part of a second.
constexpr uint64_t MaxPageSize = 256u << 10;
// The contents and the index keep at most this many items each (sub-items included), so that the
// window builds its lists in a few milliseconds.
constexpr size_t MaxItems = 10000;
// The search of the pages is no larger than their text, and the text no larger than the objects.
constexpr uint64_t MaxStreamSize = 2 * MaxTotalSize + (16u << 20);
// The reading program's exit status when it ran out of the memory it may use.
constexpr int ExitOutOfMemory = 2;
// Stands in for a path length after the last object.
constexpr uint32_t EndMark = 0xFFFFFFFF;

// Writes the file at a POSIX path to fd; false when it cannot be read whole.
bool StreamFile(const std::string& posixPath, int fd);

} // namespace ChmStream
