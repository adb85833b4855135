// The shared path helpers: splitting, joining, the drive part, the case mapping, the order of
// names under different locales, and the volume queries under them.

#include "fsbrowse/FileCtrl.h"

#include "FsbrowseTestSupport.h"
#include "TestSupport.h"
#include "platform/paths/CurrentDir.h"
#include "platform/paths/Volumes.h"
#include "platform/services/Exceptions.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace FileCtrl;

namespace {

class FileCtrlTest : public ::testing::Test
{
protected:
    FileCtrlTest()
    {
        tree.MakeDir("c/Music/Album");
        tree.WriteFile("c/Music/a.mp3");
        tree.MakeDir("d/Films/Vieux");
        tree.MakeDir("share/A");
    }
    TempTree tree;
    DriveScope drives{{
        DriveInfo{'c', tree / "c", DriveKind::Fixed, "", "", "", "", false},
        DriveInfo{'d', tree / "d", DriveKind::Fixed, "", "", "", "", false},
        DriveInfo{'z', tree / "share", DriveKind::Remote, "//srv/share", "cifs", "\\\\srv\\share", "", false},
    }};
};

TEST_F(FileCtrlTest, SplitPathExamples)
{
    ASSERT_EQ(CurrentDir::Set("d:\\Films\\Vieux"), 0);
    ASSERT_EQ(CurrentDir::Set("c:\\"), 0);
    struct Row
    {
        const char* Input;
        char Drive;
        const char* Dir;
        const char* File;
    } rows[] = {
        {"C:\\Music\\Album", 'C', "\\Music\\Album", ""},
        {"C:\\Music\\a?.mp3", 'C', "\\Music", "a?.mp3"},
        {"C:\\Music\\a.mp3", 'C', "\\Music", "a.mp3"},
        {"C:\\\\Music", 'C', "\\Music", ""},
        {"d:", 'd', "\\Films\\Vieux", ""},
        {"Music\\a.mp3", 'c', "Music", "a.mp3"},
        {"C:\\\\Music\\\\Album\\", 'C', "\\Music\\Album", ""},
        {"\\\\srv\\share\\A", 0, "\\\\srv\\share\\A", ""},
        {"[Music]", 'c', "\\Music", ""},
    };
    for (const auto& row : rows) {
        const SplitResult parts = SplitPath(row.Input);
        EXPECT_EQ(parts.Drive, row.Drive) << row.Input;
        EXPECT_EQ(parts.Dir, row.Dir) << row.Input;
        EXPECT_EQ(parts.File, row.File) << row.Input;
        EXPECT_EQ(CurrentDir::Get(), "c:\\") << "the current directory comes back after " << row.Input;
    }
}

TEST_F(FileCtrlTest, SplitPathOfAMissingDirectoryRaisesAndRestoresTheCurrentOne)
{
    ASSERT_EQ(CurrentDir::Set("c:\\Music"), 0);
    std::optional<int> code;
    try {
        SplitPath("C:\\Nope\\Deeper\\x");
    } catch (const EInOutError& error) {
        code = error.ErrorCode();
    }
    EXPECT_EQ(code, 3);
    EXPECT_EQ(CurrentDir::Get(), "c:\\Music");
}

TEST_F(FileCtrlTest, JoinPathAndDrivePart)
{
    EXPECT_EQ(JoinPath("C:\\", "a.mp3"), "C:\\a.mp3");
    EXPECT_EQ(JoinPath("C:\\Music", "a.mp3"), "C:\\Music\\a.mp3");
    EXPECT_EQ(DrivePart("C:\\Music"), "C:");
    EXPECT_EQ(DrivePart("\\\\srv\\share\\A\\B"), "\\\\srv\\share");
    EXPECT_EQ(DrivePart("\\Music"), "");
    EXPECT_TRUE(DirExists("C:\\\\Music"));
    EXPECT_FALSE(DirExists("C:\\Music\\a.mp3"));
    EXPECT_FALSE(DirExists(""));
}

TEST_F(FileCtrlTest, CaseMappingKeepsBytesThatAreNotUtf8)
{
    EXPECT_EQ(LowerText("AB\xff"), "ab\xff") << "bytes that are not UTF-8 stay as they are";
    EXPECT_EQ(UpperText("\xc3\xa9t\xc3\xa9"), "\xc3\x89T\xc3\x89");
    EXPECT_EQ(DisplayText("\xff.mp3"), QString::fromUtf8("\xef\xbf\xbd.mp3"));
}

// The lists follow the user's locale; the C locale, which would put every accented name after
// "z", collates as French. The widget tests check the rest of the order on real folders.
TEST(NameOrderTest, FollowsTheLocaleWithFrenchInPlaceOfC)
{
    struct Row
    {
        QLocale Locale;
        std::vector<std::string_view> Expected;
    } rows[] = {
        {QLocale::c(), {"Arg", "\xc3\x84rlig", "zebra"}},
        {QLocale(QLocale::French, QLocale::France), {"Arg", "\xc3\x84rlig", "zebra"}},
        {QLocale(QLocale::Swedish, QLocale::Sweden), {"Arg", "zebra", "\xc3\x84rlig"}},
    };
    for (const auto& row : rows) {
        LocaleScope locale(row.Locale);
        std::vector<std::string_view> names(row.Expected.rbegin(), row.Expected.rend());
        std::vector<std::string_view> sorted;
        for (const size_t i : SortedOrder(names))
            sorted.push_back(names[i]);
        EXPECT_EQ(sorted, row.Expected) << row.Locale.name().toStdString();
    }
}

TEST(VolumesTest, LabelFromUdevLinks)
{
    TempTree tree;
    tree.WriteFile("sdz1");
    tree.MakeDir("by-label");
    ASSERT_EQ(::symlink((tree / "sdz1").c_str(), (tree / "by-label/Ma\\x20Musique").c_str()), 0);
    EXPECT_EQ(Volumes::LabelFromLinks(tree / "sdz1", tree / "by-label"), "Ma Musique");
    tree.WriteFile("sdz2");
    EXPECT_EQ(Volumes::LabelFromLinks(tree / "sdz2", tree / "by-label"), std::nullopt);
    EXPECT_EQ(Volumes::LabelFromLinks(tree / "none", tree / "by-label"), std::nullopt);
}

TEST(VolumesTest, CaseFlagsFollowTheFileSystem)
{
    DriveScope drives{{
        DriveInfo{'c', "/", DriveKind::Fixed, "", "ext4", "", "", false},
        DriveInfo{'e', "/", DriveKind::Removable, "", "vfat", "", "", false},
        DriveInfo{'f', "/", DriveKind::Removable, "", "msdos", "", "", false},
    }};
    struct Row
    {
        const char* Root;
        bool Known, Preserved, Sensitive;
    } rows[] = {
        {"c:\\", true, true, true},
        {"E:\\", true, true, false},
        {"f:\\", true, false, false},
        {"q:\\", false, false, false},
    };
    for (const auto& row : rows) {
        const auto flags = Volumes::GetCaseFlags(row.Root);
        ASSERT_EQ(flags.has_value(), row.Known) << row.Root;
        if (flags) {
            EXPECT_EQ(flags->CasePreserved, row.Preserved) << row.Root;
            EXPECT_EQ(flags->CaseSensitive, row.Sensitive) << row.Root;
        }
    }
}

} // namespace
