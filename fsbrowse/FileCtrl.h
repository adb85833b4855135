#pragma once
// FIXME: placeholder of the file-control unit's path helpers until the lists are built.

#include "platform/FileSystem.h"

#include <string>

inline bool DirExists(const std::string& path)
{
    return FileSystem::DirectoryExists(path);
}
