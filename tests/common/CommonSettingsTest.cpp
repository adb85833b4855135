// The settings folder that "commun.ini" beside the program chooses, and the shared data folders
// created on the way. The program lives in c:\Outils\Lecteur (CommonEnvironment.h).

#include "CommonEnvironment.h"
#include "common/SharedFolders.h"

namespace {

constexpr const char* MachineWide = "c:\\ProgramData\\Varentis\\CAO\\";
constexpr const char* PerUser = "c:\\Profiles\\Data\\Varentis\\CAO\\";
constexpr const char* ProgramDir = "c:\\Outils\\Lecteur\\";

struct Case
{
    const char* Name;
    const char* Ini; // null: no "commun.ini"
    uint8_t Selector;
    const char* Expected;
};

const Case Cases[] = {
    {"no file, other settings", nullptr, 2, MachineWide},
    {"no file, common settings", nullptr, 0, MachineWide},
    {"dir_autre_ini without USER", "[CAO]\ndir_autre_ini=c:\\Reglages\n", 2, "c:\\Reglages\\"},
    {"USER without dir_user beats dir_autre_ini", "[CAO]\ndir_autre_ini=c:\\Reglages\n[USER]\nautre=1\n", 2,
     MachineWide},
    {"dir_user 2", "[USER]\ndir_user=2\n", 2, ProgramDir},
    {"dir_user 0x1", "[USER]\ndir_user=0x1\n", 2, PerUser},
    {"dir_user 3 keeps dir_autre_ini", "[CAO]\ndir_autre_ini=c:\\Reglages\n[USER]\ndir_user=3\n", 2,
     "c:\\Reglages\\"},
    {"dir_user no number", "[CAO]\ndir_autre_ini=c:\\Reglages\n[USER]\ndir_user=deux\n", 2, MachineWide},
    {"dir_user 2 and trailing text", "[USER]\ndir_user=2x\n", 2, MachineWide},
    {"dir_user 0x alone", "[USER]\ndir_user=0x\n", 2, MachineWide},
    {"CAO header without keys", "[CAO]\n[USER]\ndir_user=2\n", 0, ProgramDir},
    {"USER header without keys", "[CAO]\ndir_autre_ini=c:\\Reglages\n[USER]\n", 2, "c:\\Reglages\\"},
    {"common settings without dir_commun_ini", "[CAO]\nautre=x\n[USER]\ndir_user=2\n", 0, "\\"},
    {"dir_commun_ini beats dir_user", "[CAO]\ndir_commun_ini=c:\\Commun\n[USER]\ndir_user=2\n", 0,
     "c:\\Commun\\"},
    {"dir_user beats the default for common settings", "[USER]\ndir_user=1\n", 0, PerUser},
    {"names are case-blind", "[cao]\nDIR_AUTRE_INI=c:\\R\n", 2, "c:\\R\\"},
    {"first key wins", "[CAO]\ndir_autre_ini=c:\\Un\ndir_autre_ini=c:\\Deux\n", 2, "c:\\Un\\"},
    {"CRLF lines", "[CAO]\r\ndir_autre_ini=c:\\R\r\n", 2, "c:\\R\\"},
    {"not an INI file", "\x01\x02\xFF garbage = [\n\n[", 2, MachineWide},
    {"empty file", "", 2, MachineWide},
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.Name;
}

class CommonSettingsTest : public CommonEnvironment, public ::testing::WithParamInterface<Case>
{
};

TEST_P(CommonSettingsTest, ChoosesTheFolder)
{
    const Case& c = GetParam();
    if (c.Ini != nullptr)
        m_Tree.WriteFile("Outils/Lecteur/commun.ini", c.Ini);
    EXPECT_EQ(CommonSettingsFolder(c.Selector), c.Expected) << c.Name;
    // The machine-wide folders are there whatever the result; folders named in the file are not
    // created.
    EXPECT_TRUE(m_Tree.Exists("ProgramData/Varentis/CAO"));
    for (const char* named : {"Reglages", "Commun", "R", "Un"})
        EXPECT_FALSE(m_Tree.Exists(named)) << named;
}

INSTANTIATE_TEST_SUITE_P(Rules, CommonSettingsTest, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<Case>& param) {
                             return std::to_string(param.index);
                         });

using CommonSettingsFolderTest = CommonEnvironment;

TEST_F(CommonSettingsFolderTest, CommonSettingsOnOldSystemsGoToTheWindowsFolder)
{
    Version::OSVersionInfo windows2000;
    windows2000.PlatformId = Version::PlatformWin32NT;
    windows2000.MajorVersion = 5;
    Version::SetOverride(windows2000);
    EXPECT_EQ(CommonSettingsFolder(0), "c:\\sys\\");
    EXPECT_EQ(CommonSettingsFolder(2), MachineWide);
    EXPECT_TRUE(m_Tree.Exists("ProgramData/Varentis/CAO"));
    m_Tree.WriteFile("Outils/Lecteur/commun.ini", "[USER]\ndir_user=0\n");
    EXPECT_EQ(CommonSettingsFolder(0), MachineWide);
}

TEST_F(CommonSettingsFolderTest, LongValuesAreCut)
{
    const std::string folder = "c:\\" + std::string(3000, 'x');
    m_Tree.WriteFile("Outils/Lecteur/commun.ini", "[CAO]\ndir_autre_ini=" + folder + "\n");
    EXPECT_EQ(CommonSettingsFolder(2), folder.substr(0, 2047) + "\\");
}

TEST_F(CommonSettingsFolderTest, AFolderNamedCommunIniIsNoFile)
{
    m_Tree.MakeDir("Outils/Lecteur/commun.ini");
    EXPECT_EQ(CommonSettingsFolder(2), MachineWide);
}

} // namespace
