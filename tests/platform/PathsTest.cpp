// Path texts: expansion, the translation to POSIX paths and back, and odd names, on real temporary
// trees.

#include "platform/paths/Paths.h"

#include "PathsFixture.h"
#include "TestSupport.h"
#include "platform/paths/CurrentDir.h"
#include "platform/paths/Drives.h"
#include "platform/paths/FileSystem.h"
#include "platform/services/WinError.h"

#include <gtest/gtest.h>

namespace {

TEST_F(PathsTest, ExpandPathResolvesEveryForm)
{
    ASSERT_EQ(CurrentDir::Set("c:\\Music"), 0);
    ASSERT_EQ(CurrentDir::Set("d:\\Films"), 0);
    ASSERT_EQ(CurrentDir::Set("c:\\Music"), 0);
    struct Case
    {
        const char* Input;
        const char* Expected;
    } cases[] = {
        {"c:\\Music\\Album", "c:\\Music\\Album"},
        {"Album", "c:\\Music\\Album"},                // relative to the current directory
        {"d:", "d:\\Films"},                          // drive d's own current directory
        {"D:x", "D:\\Films\\x"},                      // drive-relative, letter as given
        {"\\x\\y", "c:\\x\\y"},                       // root-relative on the current drive
        {"c:\\\\Music\\\\Album", "c:\\Music\\Album"}, // doubled separators
        {"c:\\..\\..", "c:\\"},                       // ".." never climbs above the root
        {"c:\\Music\\.\\Album\\..", "c:\\Music"},
        {"c:/Music/Album/", "c:\\Music\\Album"},
        {"e:", "e:\\"}, // a drive without a current directory: its root
        {"\\\\srv\\music\\A\\..\\A", "\\\\srv\\music\\A"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Paths::ExpandPath(c.Input), c.Expected) << c.Input;
}

TEST_F(PathsTest, ToPosixAndBack)
{
    std::string posix;
    EXPECT_EQ(Paths::ToPosix("c:\\Music\\a.mp3", posix), 0);
    EXPECT_EQ(posix, tree / "c/Music/a.mp3");
    EXPECT_EQ(Paths::ToPosix("\\\\SRV\\Music\\A", posix), 0);
    EXPECT_EQ(posix, tree / "share/A");
    EXPECT_EQ(Paths::ToPosix("q:\\x", posix), WinError::PathNotFound);
    EXPECT_EQ(Paths::ToPosix("\\\\other\\share\\x", posix), WinError::BadNetPath);

    EXPECT_EQ(Paths::FromPosix(tree / "c/Music"), "c:\\Music");
    EXPECT_EQ(Paths::FromPosix(tree / "c"), "c:\\");
    EXPECT_EQ(Paths::FromPosix(tree / "share/A"), "z:\\A");
    EXPECT_EQ(Paths::FromPosix("/nowhere/else"), std::nullopt);
}

TEST_F(PathsTest, LongestMountRootWins)
{
    DriveScope nested{std::vector<DriveInfo>{
        {'c', tree.Path(), DriveKind::Fixed, "", "", "", "", false},
        {'d', tree / "d", DriveKind::Fixed, "", "", "", "", false},
    }};
    EXPECT_EQ(Paths::FromPosix(tree / "d/Films"), "d:\\Films");
    EXPECT_EQ(Paths::FromPosix(tree / "dd"), "c:\\dd"); // a sibling that only shares the prefix
}

TEST_F(PathsTest, NamesWithBackslashOrColonStayOneName)
{
    tree.WriteFile("c/Music/a\\b.mp3", "x");
    tree.WriteFile("c/Music/ti:me.mp3", "y");
    const auto text = Paths::FromPosix(tree / "c/Music/a\\b.mp3");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->find('\\', 9), std::string::npos) << "the name holds no separator: " << *text;
    std::string posix;
    ASSERT_EQ(Paths::ToPosix(*text, posix), 0);
    EXPECT_EQ(posix, tree / "c/Music/a\\b.mp3");
    EXPECT_TRUE(FileSystem::FileExists(*text));
    EXPECT_FALSE(FileSystem::FileExists("c:\\Music\\a\\b.mp3")); // the plain text names a path of two names

    tree.WriteFile("c/Music/two\nlines.mp3", "z");
    const auto newline = Paths::FromPosix(tree / "c/Music/two\nlines.mp3");
    ASSERT_TRUE(newline);
    EXPECT_EQ(newline->find('\n'), std::string::npos) << "a path text never holds a line break";
    EXPECT_TRUE(FileSystem::FileExists(*newline));
    EXPECT_EQ(Paths::NameToPosix(Paths::NameFromPosix("\xEF\x80\x80 kept")), "\xEF\x80\x80 kept");

    const auto colon = Paths::FromPosix(tree / "c/Music/ti:me.mp3");
    ASSERT_TRUE(colon);
    EXPECT_EQ(Paths::DrivePart(*colon), "c:");
    EXPECT_TRUE(FileSystem::FileExists(*colon));
}

} // namespace
