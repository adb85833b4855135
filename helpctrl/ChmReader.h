#pragma once
// Basic idea: every object of a compiled help file, read through chmlib in a child process, and
// the file's full-text search (SearchIndex.h), which the child builds from the pages as it reads
// them.
// chmlib trusts the file's tables: a damaged file can make it divide by zero, read through a null
// pointer or loop, which must never take the player down. So a forked child opens the file, reads
// every object and streams them to us through a pipe, then the search; a child that crashes, fails
// or takes longer than the time allowed costs us only the file ("no such help file"). The child
// calls nothing but chmlib, libxml2's HTML parser (on the pages' text) and plain system calls
// before it exits. Called on the UI thread; blocks until the child is done.

#include <map>
#include <optional>
#include <string>

namespace ChmReader {

// Object paths ("/pages/index.htm", "/#SYSTEM") in lower case, with their contents.
using Objects = std::map<std::string, std::string>;

struct Contents
{
    ChmReader::Objects Objects;
    std::string Search; // SearchIndex::Encode of the file's pages
};

// The objects and the search of the file at a POSIX path; nullopt when the file cannot be read
// whole.
std::optional<Contents> ReadAll(const std::string& posixPath, int timeoutMs = 10000);

} // namespace ChmReader
