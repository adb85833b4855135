#include "common/InstalledLayout.h"

#include "platform/paths/FileSystem.h"
#include "platform/paths/Paths.h"
#include "platform/services/Module.h"

#include <filesystem>

namespace InstalledLayout {

const char* HelpControlFromProgram()
{
    return QUELMO_INSTALLED_HHCTRL;
}

const char* HelpFolderFromProgram()
{
    return QUELMO_INSTALLED_HELP_FOLDER;
}

std::optional<std::string> ExistingFile(const std::string& relative)
{
    const std::filesystem::path folder = std::filesystem::path(Module::ProgramPosixPath()).parent_path();
    std::optional<std::string> path = Paths::FromPosix((folder / relative).lexically_normal().string());
    if (!path || !FileSystem::FileExists(*path))
        return std::nullopt;
    return path;
}

} // namespace InstalledLayout
