// The small path helpers, with the special folders pointed at temporary trees.

#include "common/PathHelpers.h"

#include "TestSupport.h"
#include "platform/paths/SpecialFolders.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

TEST(PathHelpersTest, TwoDigitsAndLastChar)
{
    const std::pair<int32_t, const char*> cases[] = {{0, "00"},    {7, "07"},    {10, "10"},  {59, "59"},
                                                     {100, "100"}, {125, "125"}, {-5, "0-5"}, {-12, "0-12"}};
    for (const auto& [n, text] : cases)
        EXPECT_EQ(TwoDigits(n), text) << n;
    EXPECT_EQ(LastChar(""), ' ');
    EXPECT_EQ(LastChar("c:"), ':');
}

TEST(PathHelpersTest, AddBackslash)
{
    std::string path = "c:\\x";
    AddBackslash(path);
    EXPECT_EQ(path, "c:\\x\\");
    AddBackslash(path);
    EXPECT_EQ(path, "c:\\x\\");
    std::string empty;
    AddBackslash(empty);
    EXPECT_EQ(empty, "\\");
}

TEST(PathHelpersTest, SpecialFoldersFollowTheEnvironment)
{
    TempTree tree;
    tree.MakeDir("Profiles/Data");
    tree.MakeDir("etc");
    DriveScope drives{std::vector<DriveInfo>{{'d', tree.Path(), DriveKind::Fixed, "", "", "", "", false}}};
    const std::string data = tree / "Profiles/Data", dirs = tree / "etc" + ":/etc/xdg";
    const std::string home = tree / "Profiles";
    {
        EnvironmentScope environment{{"XDG_CONFIG_HOME", data.c_str()}, {"XDG_CONFIG_DIRS", dirs.c_str()}};
        EXPECT_EQ(SpecialFolderPath(SpecialFolders::AppData), "d:\\Profiles\\Data\\");
        EXPECT_EQ(SpecialFolderPath(SpecialFolders::CommonAppData), "d:\\etc\\");
    }
    EnvironmentScope environment{{"XDG_CONFIG_HOME", "relative/ignored"}, {"HOME", home.c_str()}};
    EXPECT_EQ(SpecialFolderPath(SpecialFolders::AppData), "d:\\Profiles\\.config\\");
}

TEST(PathHelpersTest, WindowsFolderEndsWithOneBackslash)
{
    TempTree tree;
    tree.MakeDir("sys");
    DriveScope drives(tree.Path());
    const std::string windows = tree / "sys";
    EnvironmentScope environment{{"QUELMO_WINDIR", windows.c_str()}};
    EXPECT_EQ(WindowsFolder(), "c:\\sys\\");
}

TEST(PathHelpersTest, EnsureFolderCreatesOnlyTheLastLevel)
{
    TempTree tree;
    DriveScope drives(tree.Path());
    EnsureFolder("c:\\Varentis");
    EXPECT_TRUE(tree.Exists("Varentis"));
    EnsureFolder("c:\\Varentis"); // already there: nothing happens
    EnsureFolder("c:\\A\\B");     // parent missing: ignored
    EXPECT_FALSE(tree.Exists("A"));
}

} // namespace
