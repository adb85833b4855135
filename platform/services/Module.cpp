#include "platform/services/Module.h"

#include "platform/paths/Paths.h"

#include <cstdlib>
#include <limits.h>
#include <unistd.h>

namespace Module {

namespace {

std::string& Override()
{
    static std::string path;
    return path;
}

} // namespace

std::string ProgramPosixPath()
{
    if (!Override().empty())
        return Override();
    if (const char* env = std::getenv("QUELMO_PROGRAM_PATH"); env != nullptr && env[0] == '/')
        return env;
    char buffer[PATH_MAX + 1];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (length <= 0)
        return "/quelmo";
    return std::string(buffer, size_t(length));
}

std::string ProgramFilePath()
{
    return Paths::FromPosix(ProgramPosixPath()).value_or("c:\\quelmo");
}

void SetProgramPosixPath(const std::string& posixPath)
{
    Override() = posixPath;
}

std::string WindowsPosixFolder()
{
    if (const char* env = std::getenv("QUELMO_WINDIR"); env != nullptr && env[0] == '/') {
        std::string folder = env;
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        return folder;
    }
    const std::string program = ProgramPosixPath();
    const auto slash = program.find_last_of('/');
    return slash == 0 || slash == std::string::npos ? "/" : program.substr(0, slash);
}

} // namespace Module
