#pragma once
// Basic idea: every object of a compiled help file, and the file's full-text search (SearchIndex.h),
// read by the control's reading program "hhctrl-reader" (ChmStream.h), which lies beside the
// control. chmlib trusts the file's tables: a damaged file can make it divide by zero, read through
// a null pointer or loop, which must never take the player down. So the reading program, started
// afresh for each file (not forked from the player, which keeps its memory and its threads to
// itself), reads the file and builds the search from its pages, and streams both to us through a
// pipe; a program that crashes, fails or takes longer than the time allowed costs us only the file
// ("no such help file"), and so does a missing reading program. Called on the UI thread; blocks
// until the program is done.

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

// The path of the reading program: "hhctrl-reader" in the folder of the control's module, links
// followed.
std::string ReaderPath();

} // namespace ChmReader
