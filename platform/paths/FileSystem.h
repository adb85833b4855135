#pragma once
// Basic idea: the file operations the components need, on path texts (Paths.h): attributes, the
// existence tests, a case-blind "*"/"?" search over one directory, folder creation. Attributes
// follow the Windows ones: directory; hidden for a name starting with "."; read-only when the user
// may not write the file; never system. Each failure sets the Windows last error (WinError.h).
// Every call that touches a drive waits for it at most DriveWait::LimitMs (DriveWait.h); a drive
// that does not answer by then fails as a drive that is not ready (NotReady).

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

enum FileAttribute : uint32_t
{
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSystem = 0x04,
    faVolumeID = 0x08,
    faDirectory = 0x10,
    faArchive = 0x20,
};

namespace FileSystem {

// The attributes of a path; nullopt (and the last error set) when it cannot be read. Throws
// nothing.
std::optional<uint32_t> GetAttributes(const std::string& path);
// Whether the path exists and is not a directory (FileExists) or is one (DirectoryExists). False
// also when it cannot be read; only then is the last error set. Throw nothing.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Case-blind match of a name against a pattern of "*" (any run) and "?" (one character). "*.*"
// matches every name, as on Windows. Characters are compared as UTF-8 when both are valid UTF-8,
// else byte by byte with ASCII case folding. Throws nothing.
bool MatchesPattern(const std::string& name, const std::string& pattern);

struct FoundEntry
{
    std::string Name; // as it appears in a path text (Paths::NameFromPosix)
    uint32_t Attributes = 0;
};

// Every entry of a directory whose name matches the pattern, in the order the system returns
// them. Entries that are hidden, system or directories are skipped unless that attribute is in
// `include`; "." and ".." are never returned. Returns 0 or the Windows error code of a directory
// that cannot be read (then `found` is left empty). `entryRead`, when given, is called on the
// calling thread for every entry read from the directory, matching or not, once the directory has
// been read, so that a caller can tell a long search. The error is also set as the last error.
// Throws what `entryRead` throws, nothing else.
int FindFiles(const std::string& directory, const std::string& pattern, uint32_t include,
              std::vector<FoundEntry>& found, const std::function<void()>& entryRead = {});

// Creates one directory level. Returns 0 or the Windows error code, also set as the last error
// (AlreadyExists when it is there, PathNotFound when its parent or drive is missing). Throws nothing.
int CreateDirectory(const std::string& path);

} // namespace FileSystem
