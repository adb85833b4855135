// The settings folder and the rules by which "commun.ini" beside the program redirects it.

#include "common/PathHelpers.h"
#include "common/SharedFolders.h"
#include "platform/paths/FileSystem.h"
#include "platform/profiles/IniFiles.h"

namespace {

// "dir_user" values: the machine-wide or per-user shared data folder, or the program's folder.
constexpr int32_t DirUserMachineWide = 0;
constexpr int32_t DirUserPerUser = 1;
constexpr int32_t DirUserProgram = 2;

// The common settings are read into fixed 2048-byte buffers: longer values are cut.
constexpr size_t MaxValueLength = 2047;

// The folder "dir_user" chooses; any other number leaves the folder as it is.
std::string ApplyDirUser(const TIniFile& ini, const std::string& folder)
{
    switch (ini.ReadInteger("USER", "dir_user", 0)) {
    case DirUserMachineWide:
        return SharedDataFolder(MachineWideFolder);
    case DirUserPerUser:
        return SharedDataFolder(PerUserFolder);
    case DirUserProgram:
        return ProgramFolder();
    default:
        return folder;
    }
}

// A folder named in the file, used as it stands with a final "\".
std::string NamedFolder(const TIniFile& ini, const std::string& key)
{
    std::string folder = ini.ReadString("CAO", key, "").substr(0, MaxValueLength);
    AddBackslash(folder);
    return folder;
}

} // namespace

std::string CommonSettingsFolder(uint8_t selector)
{
    // The machine-wide folders are created whatever a later step makes of the result.
    std::string folder = SharedDataFolder(MachineWideFolder);
    if (selector == 0 && WindowsVersionCode() < 6)
        folder = WindowsFolder();
    const std::string fileName = ProgramFolder() + "commun.ini";
    if (!FileSystem::FileExists(fileName))
        return folder;
    const TIniFile ini(fileName);
    if (ini.SectionExists("CAO")) {
        // The common settings' own folder wins outright, even when the key is missing ("\").
        if (selector == 0)
            return NamedFolder(ini, "dir_commun_ini");
        if (ini.ValueExists("CAO", "dir_autre_ini"))
            folder = NamedFolder(ini, "dir_autre_ini");
    }
    if (ini.SectionExists("USER"))
        folder = ApplyDirUser(ini, folder);
    return folder;
}
