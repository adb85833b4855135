// Profile files on real temporary files: the reading rules, rewrites that keep every other line,
// integers, and writes that fail without losing anything.

#include "platform/profiles/IniFiles.h"

#include "TestSupport.h"
#include "platform/services/Exceptions.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class IniFilesTest : public ::testing::Test
{
protected:
    TempTree tree;
    DriveScope drives{tree.Path()};
    TIniFile ini{"c:\\Quelmo.ini"};
};

TEST_F(IniFilesTest, ReadsCaseBlindFirstMatchWithDefaults)
{
    tree.WriteFile("Quelmo.ini", "; comment\n"
                                 "[config]\n"
                                 "  DRIVE_SOURCE = d  \n"
                                 "Dir_Source=\"c:\\mp3\\rock\"\n"
                                 "drive_source=e\n"
                                 "novalue\n"
                                 "[Other]\n"
                                 "Index=7\n"
                                 "[CONFIG]\n"
                                 "Index=99\n");
    EXPECT_EQ(ini.ReadString("Config", "Drive_Source", "c"), "d");
    EXPECT_EQ(ini.ReadString("Config", "Dir_Source", ""), "c:\\mp3\\rock");
    EXPECT_EQ(ini.ReadString("Config", "Index", "none"), "none") << "only the first [Config] counts";
    EXPECT_EQ(ini.ReadString("Missing", "Index", "x"), "x");
    EXPECT_EQ(ini.ReadString("Config", "novalue", "x"), "x");
    EXPECT_EQ(ini.ReadSection("CONFIG"),
              (std::vector<std::string>{"DRIVE_SOURCE", "Dir_Source", "drive_source"}));
    EXPECT_TRUE(ini.ValueExists("other", "INDEX"));

    TIniFile missing("c:\\nothing.ini");
    EXPECT_EQ(missing.ReadString("Config", "Drive_Source", "c"), "c");
    EXPECT_EQ(missing.ReadInteger("Config", "Index", -1), -1);
}

TEST_F(IniFilesTest, EveryValueWrittenReadsBackExactly)
{
    const struct
    {
        std::string Value, Line;
    } cases[] = {
        {"c:\\Musique ", "Dir_Source=\"c:\\Musique \""},
        {" c:\\x", "Dir_Source=\" c:\\x\""},
        {"\"guillemets\"", "Dir_Source=\"\"guillemets\"\""},
        {"'a'", "Dir_Source=\"'a'\""},
        {"c:\\mp3\\rock", "Dir_Source=c:\\mp3\\rock"},
        {"\"début", "Dir_Source=\"début"},
        {std::string(5000, 'a'), "Dir_Source=" + std::string(5000, 'a')},
    };
    for (const auto& c : cases) {
        ini.WriteString("Config", "Dir_Source", c.Value);
        EXPECT_EQ(tree.ReadFile("Quelmo.ini"), "[Config]\n" + c.Line + "\n");
        EXPECT_EQ(ini.ReadString("Config", "Dir_Source", "?"), c.Value);
    }
    // A hand-edited NUL ends the value, as it ends the text the system opens.
    using namespace std::string_literals;
    tree.WriteFile("Quelmo.ini", "[Config]\nDir_Source=c:\\Music\0c:\\Autre\n"s);
    EXPECT_EQ(ini.ReadString("Config", "Dir_Source", "?"), "c:\\Music");
}

TEST_F(IniFilesTest, Integers)
{
    struct Case
    {
        const char* Text;
        int32_t Expected;
    } cases[] = {
        {"0x1F", 31},       {"0X1f", 31},
        {"-1", -1},         {"abc", -1},
        {"", -1},           {"0x", -1},
        {"12abc", -1},      {"2147483647", 2147483647},
        {"2147483648", -1}, {"-2147483648", INT32_MIN},
        {"0xFFFFFFFF", -1}, {"$10", 16},
        {"+5", 5},
    };
    for (const auto& c : cases) {
        tree.WriteFile("Quelmo.ini", std::string("[Config]\nIndex=") + c.Text + "\n");
        EXPECT_EQ(ini.ReadInteger("Config", "Index", -1), c.Expected) << c.Text;
    }
}

TEST_F(IniFilesTest, RewriteKeepsEveryOtherLine)
{
    const std::string original = "; réglages faits à la main\n"
                                 "\n"
                                 "[Perso]\n"
                                 "Couleur=bleu\n"
                                 "\n"
                                 "[Config]\n"
                                 "Drive_Source=c\n"
                                 "Extra=1\n"
                                 "\n"
                                 "[Fin]\n"
                                 "x=y\n";
    tree.WriteFile("Quelmo.ini", original);
    ini.WriteString("Config", "drive_source", "d");
    ini.WriteString("Config", "Dir_Source", "d:\\Musique");
    ini.WriteInteger("Config", "Index", -3);
    EXPECT_EQ(tree.ReadFile("Quelmo.ini"), "; réglages faits à la main\n"
                                           "\n"
                                           "[Perso]\n"
                                           "Couleur=bleu\n"
                                           "\n"
                                           "[Config]\n"
                                           "Drive_Source=d\n"
                                           "Extra=1\n"
                                           "Dir_Source=d:\\Musique\n"
                                           "Index=-3\n"
                                           "\n"
                                           "[Fin]\n"
                                           "x=y\n");
}

TEST_F(IniFilesTest, CreatesFileAndSectionsAndKeepsCrLf)
{
    ini.WriteString("Config", "Drive_Source", "");
    ini.WriteString("Config", "Dir_Source", "");
    ini.WriteInteger("Config", "Index", 0);
    EXPECT_EQ(tree.ReadFile("Quelmo.ini"), "[Config]\nDrive_Source=\nDir_Source=\nIndex=0\n");

    tree.WriteFile("Other.ini", "[A]\r\nk=v");
    TIniFile other("c:\\Other.ini");
    other.WriteString("A", "k2", "w");
    other.WriteString("B", "k", "z");
    EXPECT_EQ(tree.ReadFile("Other.ini"), "[A]\r\nk=v\r\nk2=w\r\n[B]\r\nk=z\r\n");
}

TEST_F(IniFilesTest, LineEndsStayAsTheyWere)
{
    // Mixed ends, a CR inside a line and a last line without an end: only the new line is new.
    tree.WriteFile("Quelmo.ini", "[A]\r\nk=v\nodd\rline\n[Config]\nIndex=1\r\nlast=\r");
    ini.WriteString("Config", "Dir_Source", "c:\\x");
    EXPECT_EQ(tree.ReadFile("Quelmo.ini"),
              "[A]\r\nk=v\nodd\rline\n[Config]\nIndex=1\r\nlast=\r\r\nDir_Source=c:\\x\r\n");
    ini.WriteInteger("Config", "INDEX", 2);
    EXPECT_EQ(ini.ReadString("Config", "last", "?"), "\r");
    EXPECT_EQ(ini.ReadInteger("Config", "Index", -1), 2);
}

TEST_F(IniFilesTest, SectionCountsOnlyWithKeys)
{
    tree.WriteFile("commun.ini", "[CAO]\n; nothing here\n[USER]\ndir_user=2\n");
    TIniFile commun("c:\\commun.ini");
    EXPECT_FALSE(commun.SectionExists("cao"));
    EXPECT_TRUE(commun.SectionExists("user"));
}

TEST_F(IniFilesTest, FailedWritesRaiseAndLoseNothing)
{
    TIniFile noFolder("c:\\missing\\Quelmo.ini");
    try {
        noFolder.WriteString("Config", "Index", "1");
        FAIL() << "a write into a missing folder must fail";
    } catch (const EIniFileException& error) {
        EXPECT_EQ(error.Message(), "Impossible d'écrire dans c:\\missing\\Quelmo.ini");
    }
    EXPECT_FALSE(tree.Exists("missing")) << "writes create no folder";

    EXPECT_THROW(ini.WriteString("Config", "Dir_Source", "a\nInjected=1"), EIniFileException);

    // A disk that fills up in the middle of the write: the old file stays whole.
    const std::string before = "[Config]\nDrive_Source=c\nIndex=4\n";
    tree.WriteFile("Quelmo.ini", before);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto savedHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ::setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(ini.WriteString("Config", "Dir_Source", std::string(500, 'x')), EIniFileException);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, savedHandler);
    EXPECT_EQ(tree.ReadFile("Quelmo.ini"), before);
    EXPECT_EQ(ini.ReadInteger("Config", "Index", -1), 4);
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(tree.Path()))
        ++files;
    EXPECT_EQ(files, 1u) << "no temporary file is left behind";
}

// A value that the file already holds is not written again (the file stays the same file), while a
// read-only file still refuses it; a changed value replaces the file.
TEST_F(IniFilesTest, WriteThatChangesNothingLeavesTheFile)
{
    tree.WriteFile("Quelmo.ini", "[Config]\nDrive_Source=c\nIndex=4\n");
    auto inode = [&] {
        struct stat st
        {
        };
        ::stat((tree / "Quelmo.ini").c_str(), &st);
        return st.st_ino;
    };
    const auto before = inode();
    ini.WriteInteger("Config", "Index", 4);
    ini.WriteString("Config", "Drive_Source", "c");
    EXPECT_EQ(inode(), before);
    ini.WriteInteger("Config", "Index", 5);
    EXPECT_NE(inode(), before);
    EXPECT_EQ(tree.ReadFile("Quelmo.ini"), "[Config]\nDrive_Source=c\nIndex=5\n");
    if (::geteuid() == 0)
        return; // root writes into read-only files
    ::chmod((tree / "Quelmo.ini").c_str(), 0444);
    EXPECT_THROW(ini.WriteInteger("Config", "Index", 5), EIniFileException);
}

TEST_F(IniFilesTest, ReadOnlyFolderRaisesAndLosesNothing)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    tree.MakeDir("ro");
    tree.WriteFile("ro/Quelmo.ini", "[Config]\nIndex=4\n");
    ::chmod((tree / "ro").c_str(), 0555);
    TIniFile readOnly("c:\\ro\\Quelmo.ini");
    EXPECT_THROW(readOnly.WriteInteger("Config", "Index", 5), EIniFileException);
    EXPECT_EQ(tree.ReadFile("ro/Quelmo.ini"), "[Config]\nIndex=4\n");
}

} // namespace
