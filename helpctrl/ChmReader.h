#pragma once
// Basic idea: every object of a compiled help file, and what the window shows of it ready-made
// (the search, the contents and the index), read by the control's reading program "hhctrl-reader"
// (ChmStream.h), which lies beside the control. chmlib trusts the file's tables: a damaged file can
// make it divide by zero, read through a null pointer or loop, and a valid but huge file can ask
// for any time and memory; neither must touch the player. So the reading program, started afresh
// for each file (not forked from the player, which keeps its memory and its threads to itself),
// under a memory limit of its own, reads the file and streams the result to us through a pipe; a
// program that crashes, fails or takes longer than the time allowed costs us only the file ("no
// such help file"), and so does a missing reading program. Blocks its caller until the program is
// done, or until it is told to stop; any thread.

#include <atomic>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ChmReader {

// Object paths ("/pages/index.htm", "/#SYSTEM") in lower case, with their contents.
using Objects = std::map<std::string, std::string>;

struct Contents
{
    ChmReader::Objects Objects;
    std::string Search;             // SearchIndex::Encode of the file's pages
    std::string ContentsList;       // EncodeSitemap of the contents, topics resolved
    std::string IndexList;          // the same for the index
    std::vector<std::string> Notes; // what the reading program left out, for the debug log
};

// The objects and the rest of the file at a POSIX path; nullopt when the file cannot be read
// whole, with the reason in `why`. `stop` set by another thread ends the reading early.
std::optional<Contents> ReadAll(const std::string& posixPath, std::string& why, const std::atomic<bool>& stop,
                                int timeoutMs = 10000);

// The path of the reading program: "hhctrl-reader" in the folder of the control's module, links
// followed.
std::string ReaderPath();

} // namespace ChmReader
