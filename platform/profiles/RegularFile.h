#pragma once
// Basic idea: the one way the program reads and replaces its own small files: the settings files,
// the drive letters, the help window's record, the help control's path. A file is read only when
// it is a regular file (a link to one counts), opened without blocking and no larger than the
// caller's limit: a FIFO would block the reader for ever, and a device or a link to /dev/zero would
// never end. A file is replaced whole: the new text goes to a temporary file beside it, which is
// flushed to the disk and renamed over it, so that a reader never sees half a file; a symbolic
// link stays a link and its target is replaced. Plain POSIX, so that the help control, a module of
// its own, shares it. Any thread; throws nothing.

#include <string>
#include <sys/types.h>

namespace RegularFile {

enum class ReadResult
{
    Read,    // `data` holds the whole file
    Missing, // no file (or no folder) of that name
    Refused  // there but not read: not a regular file, over the limit, no permission, a read error
};

// Reads the whole file into `data` (emptied first). Throws nothing.
ReadResult Read(const std::string& posixPath, size_t maxBytes, std::string& data);

// The file a replacement writes: the last target of a chain of symbolic links (relative targets
// taken from the link's folder), or the path itself when it is no link. Throws nothing.
std::string WriteTarget(std::string posixPath);

// Writes `data` to a temporary file beside `target`, named as the target followed by "." and six
// characters, flushes it and renames it over the target. The target's permissions are kept; a new
// file gets `newFileMode`. False when a step failed; no temporary file is left then. Throws nothing.
bool Replace(const std::string& target, const std::string& data, mode_t newFileMode);

// Removes the temporary files that a replacement of `target` left behind when the program was
// killed in the middle of it. Only regular files of the user, named as Replace names them and
// untouched for `minimumAgeSeconds` (a younger one may be another copy of the program writing the
// same file now) go. Throws nothing.
void RemoveLeftovers(const std::string& target, int minimumAgeSeconds);

} // namespace RegularFile
