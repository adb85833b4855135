#pragma once
// Basic idea: every object of a compiled help file, read through chmlib in a child process.
// chmlib trusts the file's tables: a damaged file can make it divide by zero, read through a null
// pointer or loop, which must never take the player down. So a forked child opens the file, reads
// every object and streams them to us through a pipe; a child that crashes, fails or takes longer
// than the time allowed costs us only the file ("no such help file"). The child calls nothing but
// chmlib and plain system calls before it exits. Called on the UI thread; blocks until the child
// is done.

#include <map>
#include <optional>
#include <string>

namespace ChmReader {

// Object paths ("/pages/index.htm", "/#SYSTEM") in lower case, with their contents.
using Objects = std::map<std::string, std::string>;

// The objects of the file at a POSIX path; nullopt when the file cannot be read whole.
std::optional<Objects> ReadAll(const std::string& posixPath, int timeoutMs = 10000);

} // namespace ChmReader
