#include "common/PathHelpers.h"

#include "platform/paths/FileSystem.h"
#include "platform/paths/Paths.h"
#include "platform/paths/SpecialFolders.h"
#include "platform/services/Module.h"

char LastChar(const std::string& text)
{
    return text.empty() ? ' ' : text.back();
}

std::string TwoDigits(int32_t n)
{
    const std::string digits = std::to_string(n);
    return n < 10 ? "0" + digits : digits;
}

void AddBackslash(std::string& path)
{
    if (LastChar(path) != '\\')
        path += '\\';
}

std::string SpecialFolderPath(int csidl)
{
    std::string path = SpecialFolders::PathText(csidl);
    AddBackslash(path);
    return path;
}

std::string WindowsFolder()
{
    std::string folder = Paths::FromPosix(Module::WindowsPosixFolder()).value_or("c:\\");
    if (LastChar(folder) == '\\')
        folder.pop_back(); // the system reports no final "\" except at a root
    return folder + "\\";
}

std::string WindowsDirectory()
{
    std::string folder = WindowsFolder();
    folder.pop_back();
    return folder;
}

void EnsureFolder(const std::string& folder)
{
    if (!FileSystem::DirectoryExists(folder))
        FileSystem::CreateDirectory(folder);
}
