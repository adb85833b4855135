#include "common/SharedFolders.h"

#include "common/InstalledLayout.h"
#include "common/PathHelpers.h"
#include "platform/paths/FileSystem.h"
#include "platform/paths/SpecialFolders.h"
#include "platform/paths/TextPath.h"
#include "platform/services/Module.h"

#include <QString>

std::string PaletteFileName;

namespace {

// The path with the extension of its last name replaced (or, without one, followed) by ext.
std::string ChangeExtension(const std::string& path, const std::string& ext)
{
    const auto nameStart = path.find_last_of("\\:");
    const auto dot = path.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (nameStart == std::string::npos || dot > nameStart);
    return (hasExtension ? path.substr(0, dot) : path) + ext;
}

// The folder that holds the given folder (which ends with "\"): up to its "\" or ":" before.
std::string ParentOf(std::string folder)
{
    if (LastChar(folder) == '\\')
        folder.pop_back();
    while (!folder.empty() && LastChar(folder) != ':' && LastChar(folder) != '\\')
        folder.pop_back();
    return folder;
}

} // namespace

std::string ProgramFolder()
{
    return TextPath::FolderPart(Module::ProgramFilePath());
}

std::string ProgramParentFolder()
{
    return ParentOf(TextPath::LowerText(ProgramFolder()));
}

std::string HelpFilePath()
{
    const std::string program = Module::ProgramFilePath();
    const std::string helpName =
        ChangeExtension(program.substr(TextPath::FolderPart(program).size()), ".chm");
    std::string candidate = ProgramParentFolder() + "Aide\\" + helpName;
    if (FileSystem::FileExists(candidate))
        return candidate;
    // Names on Linux differ by case, so the lower-cased folder may name nothing even when the
    // "Aide" folder is there; the folder as it is written then finds the file.
    std::string asWritten = ParentOf(ProgramFolder()) + "Aide\\" + helpName;
    if (asWritten != candidate && FileSystem::FileExists(asWritten))
        return asWritten;
    // An installed copy keeps its help file in the data folder; one beside the program wins.
    std::string beside = ChangeExtension(program, ".chm");
    if (FileSystem::FileExists(beside))
        return beside;
    return InstalledLayout::ExistingFile(std::string(InstalledLayout::HelpFolderFromProgram()) + "/" +
                                         helpName)
        .value_or(beside);
}

std::string SharedDataFolder(int kind)
{
    const int csidl = kind == MachineWideFolder ? SpecialFolders::CommonAppData : SpecialFolders::AppData;
    const std::string base = SpecialFolderPath(csidl);
    std::string result = base + "Varentis\\CAO\\";
    EnsureFolder(base + "Varentis");
    EnsureFolder(result);
    return result;
}

uint8_t WindowsVersionCodeOf(const Version::OSVersionInfo& info)
{
    const uint32_t major = info.MajorVersion;
    const uint32_t minor = info.MinorVersion;
    switch (info.PlatformId) {
    case Version::PlatformWin32s:
        return 2;
    case Version::PlatformWin32Windows:
        return major < 4 || (major == 4 && minor == 0) ? 0 : 1;
    case Version::PlatformWin32NT:
        if (major == 3 || major == 4)
            return uint8_t(major);
        if (major == 5)
            return minor == 0 ? 5 : minor == 1 ? 7 : minor == 2 ? 6 : 9;
        return major == 6 ? 8 : 9;
    default:
        return 9;
    }
}

uint8_t WindowsVersionCode()
{
    return WindowsVersionCodeOf(Version::GetVersionEx());
}
