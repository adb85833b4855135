// The program's parent folder, the help file's path, the shared data folders and the version code,
// with the program and the special folders placed in a temporary tree.

#include "common/SharedFolders.h"

#include "CommonEnvironment.h"
#include "common/InstalledLayout.h"
#include "platform/paths/CurrentDir.h"
#include "platform/paths/Paths.h"

#include <filesystem>
#include <vector>

namespace {

using SharedFoldersTest = CommonEnvironment;

TEST_F(SharedFoldersTest, ProgramParentFolderIsLowerCase)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Outils/Lecteur/Quelmo.exe", "c:\\outils\\"},
        {"Quelmo.exe", "c:"},
        {"A/B/C/quelmo", "c:\\a\\b\\"},
        {"\xC3\x89"
         "DITIONS/Prog/quelmo",
         "c:\\\xC3\xA9"
         "ditions\\"}, // "ÉDITIONS": UTF-8 lowered
        {"\xC9"
         "DIT/Prog/quelmo",
         "c:\\\xC9"
         "dit\\"}, // not UTF-8: ASCII only
    };
    for (const auto& [program, parent] : cases) {
        PlaceProgram(program);
        EXPECT_EQ(ProgramParentFolder(), parent) << program;
    }
}

TEST(HelpFilePathTest, AideBesideTheProgramsFolderElseBesideTheProgram)
{
    struct Case
    {
        const char* Program;
        const char* HelpFile; // created when not empty
        const char* Expected;
    };
    const Case cases[] = {
        {"outils/Lecteur/Quelmo.exe", "outils/Aide/Quelmo.chm", "c:\\outils\\Aide\\Quelmo.chm"},
        {"Outils/Lecteur/Quelmo.exe", "", "c:\\Outils\\Lecteur\\Quelmo.chm"},
        // The lower-cased folder names nothing on Linux; the folder as written finds the file.
        {"Outils/Lecteur/Quelmo.exe", "Outils/Aide/Quelmo.chm", "c:\\Outils\\Aide\\Quelmo.chm"},
        {"Outils/Lecteur/Quelmo.exe", "outils/Aide/Autre.chm", "c:\\Outils\\Lecteur\\Quelmo.chm"},
        {"usr/bin/quelmo", "", "c:\\usr\\bin\\quelmo.chm"},
        {"Mes.Outils/Lecteur/quelmo", "", "c:\\Mes.Outils\\Lecteur\\quelmo.chm"},
        {"opt/q/quelmo.tar.gz", "", "c:\\opt\\q\\quelmo.tar.chm"},
        {"Quelmo.exe", "Aide/Quelmo.chm", "c:Aide\\Quelmo.chm"},
        {"Quelmo.exe", "", "c:\\Quelmo.chm"},
    };
    for (const Case& c : cases) {
        TempTree tree;
        DriveScope drives(tree.Path());
        ASSERT_EQ(CurrentDir::Set("c:\\"), 0);
        tree.WriteFile(c.Program);
        Module::SetProgramPosixPath(tree / c.Program);
        if (c.HelpFile[0] != '\0')
            tree.WriteFile(c.HelpFile);
        EXPECT_EQ(HelpFilePath(), c.Expected) << c.Program << " + " << c.HelpFile;
    }
    Module::SetProgramPosixPath("");
}

TEST(HelpFilePathTest, AnInstalledCopysHelpFileComesAfterTheProgramsOwnPlaces)
{
    const std::string installed =
        std::string("usr/bin/") + InstalledLayout::HelpFolderFromProgram() + "/quelmo.chm";
    const std::string installedText =
        Paths::FromPosix(std::filesystem::path("/" + installed).lexically_normal().string()).value();
    struct Case
    {
        std::vector<std::string> Files;
        std::string Expected;
    };
    const Case cases[] = {
        {{installed}, installedText},
        {{installed, "usr/bin/quelmo.chm"}, "c:\\usr\\bin\\quelmo.chm"},
        {{installed, "usr/Aide/quelmo.chm"}, "c:\\usr\\Aide\\quelmo.chm"},
        {{}, "c:\\usr\\bin\\quelmo.chm"},
    };
    for (const Case& c : cases) {
        TempTree tree;
        DriveScope drives(tree.Path());
        tree.WriteFile("usr/bin/quelmo");
        Module::SetProgramPosixPath(tree / "usr/bin/quelmo");
        for (const std::string& file : c.Files) {
            std::filesystem::create_directories(std::filesystem::path(tree / file).parent_path());
            tree.WriteFile(file);
        }
        EXPECT_EQ(HelpFilePath(), c.Expected) << c.Files.size();
    }
    Module::SetProgramPosixPath("");
}

TEST_F(SharedFoldersTest, SharedDataFolderCreatesParentThenChild)
{
    EXPECT_EQ(SharedDataFolder(MachineWideFolder), "c:\\ProgramData\\Varentis\\CAO\\");
    EXPECT_TRUE(m_Tree.Exists("ProgramData/Varentis/CAO"));
    EXPECT_FALSE(m_Tree.Exists("Profiles/Data/Varentis"));
    EXPECT_EQ(SharedDataFolder(PerUserFolder), "c:\\Profiles\\Data\\Varentis\\CAO\\");
    EXPECT_TRUE(m_Tree.Exists("Profiles/Data/Varentis/CAO"));
    // Already there: the same path, nothing disturbed.
    m_Tree.WriteFile("ProgramData/Varentis/CAO/CouleurPerso.ini", "x");
    EXPECT_EQ(SharedDataFolder(MachineWideFolder), "c:\\ProgramData\\Varentis\\CAO\\");
    EXPECT_EQ(m_Tree.ReadFile("ProgramData/Varentis/CAO/CouleurPerso.ini"), "x");
}

TEST_F(SharedFoldersTest, SharedDataFolderGivesThePathWhenCreationFails)
{
    m_Tree.WriteFile("ProgramData/Varentis"); // a file where the folder should be
    EXPECT_EQ(SharedDataFolder(MachineWideFolder), "c:\\ProgramData\\Varentis\\CAO\\");
    EXPECT_FALSE(m_Tree.Exists("ProgramData/Varentis/CAO"));
}

TEST(WindowsVersionCodeTest, MapsEveryPlatformAndVersion)
{
    struct Case
    {
        uint32_t Platform, Major, Minor;
        uint8_t Code;
    };
    const Case cases[] = {
        {0, 3, 10, 2}, {1, 3, 0, 0}, {1, 4, 0, 0},  {1, 4, 10, 1}, {1, 4, 90, 1}, {1, 5, 0, 1},
        {2, 3, 51, 3}, {2, 4, 0, 4}, {2, 5, 0, 5},  {2, 5, 1, 7},  {2, 5, 2, 6},  {2, 5, 3, 9},
        {2, 6, 0, 8},  {2, 6, 3, 8}, {2, 10, 0, 9}, {2, 0, 0, 9},  {2, 2, 9, 9},  {3, 6, 2, 9},
    };
    for (const Case& c : cases) {
        Version::OSVersionInfo info;
        info.PlatformId = c.Platform;
        info.MajorVersion = c.Major;
        info.MinorVersion = c.Minor;
        EXPECT_EQ(WindowsVersionCodeOf(info), c.Code) << c.Platform << " " << c.Major << "." << c.Minor;
    }
}

TEST(WindowsVersionCodeTest, LinuxReportsACurrentSystem)
{
    const Version::OSVersionInfo info = Version::FromKernel("Linux", "6.1.0-18-amd64");
    EXPECT_EQ(info.PlatformId, Version::PlatformWin32NT);
    EXPECT_EQ(info.BuildNumber, 0x060100u);
    EXPECT_EQ(info.CSDVersion, "Linux 6.1.0-18-amd64");
    EXPECT_EQ(WindowsVersionCodeOf(info), 8);
    EXPECT_EQ(Version::FromKernel("Linux", "5.10.300").BuildNumber, 0x050AFFu); // patch capped at 255
    EXPECT_EQ(Version::FromKernel("Linux", "").BuildNumber, 0u);
    EXPECT_EQ(Version::FromKernel("Linux", std::string(300, 'x')).CSDVersion.size(), 127u);
    EXPECT_EQ(WindowsVersionCode(), 8); // the running system, whatever its kernel
}

} // namespace
