// Choosing the source: directory-line clicks, the root line, a drive change before and after the
// first show, refused and vanished directories.

#include "PlayerFixture.h"
#include "fsbrowse/DriveComboBox.h"

#include <QSignalSpy>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class SourceTest : public ::testing::Test, public PlayerFixture
{
protected:
    SourceTest() : PlayerFixture(true) {}
    void SetUp() override
    {
        tree.MakeDir("Music/Album");
        tree.MakeDir("Music/Other");
        tree.MakeDir("d/Films");
        tree.WriteFile("Music/Album/a.mp3");
        tree.WriteFile("Music/x.mp3");
        WriteIni("[Config]\nDrive_Source=c\nDir_Source=c:\\Music\nIndex=-1\n");
    }
};

TEST_F(SourceTest, DirectoryLineClicks)
{
    auto form = Start();
    ASSERT_EQ(form->RSource->Directory(), "c:\\Music");
    const int album = Find(form->RSource, "Album");
    ASSERT_GT(album, 0);
    ClickLine(form->RSource, album);
    EXPECT_EQ(SourceDir, "c:\\Music\\Album");
    EXPECT_EQ(form->FLB->Directory(), "c:\\Music\\Album");
    EXPECT_EQ(form->LabSource->Caption(), "c:\\Music\\Album");
    EXPECT_EQ(form->SavedIndex, album);

    // The root line only shows the directory list's directory.
    ClickLine(form->RSource, 0);
    EXPECT_EQ(form->LabSource->Caption(), "c:\\Music");
    EXPECT_EQ(form->FLB->Directory(), "c:\\Music\\Album");
    EXPECT_EQ(form->SavedIndex, 0);

    // The line of the current directory itself names no directory below it.
    ClickLine(form->RSource, 1);
    EXPECT_EQ(SourceDir, "c:\\Music\\Music");
    EXPECT_EQ(form->FLB->Directory(), "c:\\Music\\Album") << "the file list keeps what it shows";
    EXPECT_EQ(form->LabSource->Caption(), "c:\\Music");
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(SourceTest, SubdirectoryOfADriveRootKeepsTheDoubledSeparatorInTheLabel)
{
    WriteIni("[Config]\nDrive_Source=c\nDir_Source=c:\\\nIndex=-1\n");
    auto form = Start();
    ASSERT_EQ(form->RSource->Directory(), "c:\\");
    ClickLine(form->RSource, Find(form->RSource, "Music"));
    EXPECT_EQ(SourceDir, "c:\\\\Music");
    EXPECT_EQ(form->LabSource->Caption(), "c:\\\\Music");
    EXPECT_EQ(form->FLB->Directory(), "c:\\Music");
    EXPECT_EQ(form->FLB->Count(), 1);
}

TEST_F(SourceTest, RefusedAndVanishedDirectories)
{
    auto form = Start();
    const int other = Find(form->RSource, "Other");
    tree.WriteFile("Music/Other/y.mp3");
    ::rmdir((tree / "Music/Album").c_str());
    ::unlink((tree / "Music/Album/a.mp3").c_str());
    ::rmdir((tree / "Music/Album").c_str());
    ClickLine(form->RSource, Find(form->RSource, "Album"));
    EXPECT_TRUE(boxes.Boxes.empty()) << "a vanished directory is simply not taken";
    EXPECT_EQ(SourceDir, "c:\\Music\\Album");

    // A directory the file list cannot enter: the error shows, the rest of the click is skipped.
    if (::geteuid() != 0) {
        ::chmod((tree / "Music/Other").c_str(), 0);
        const int32_t savedIndex = form->SavedIndex;
        ClickLine(form->RSource, other);
        ASSERT_EQ(boxes.Boxes.size(), 1u);
        EXPECT_EQ(boxes.Boxes[0].Text, "Accès au fichier refusé.");
        EXPECT_EQ(form->SavedIndex, savedIndex);
        EXPECT_EQ(form->LabSource->Caption(), "c:\\Music");
    }
}

TEST_F(SourceTest, DriveChangeIsIgnoredBeforeTheFirstShowAndFollowedAfter)
{
    TForm1 form;
    form.Initialising = true;
    emit form.LSource->OnChange(); // before the show: ignored
    EXPECT_EQ(form.RSource->Directory().substr(0, 1), "c");
    form.show();
    ClickLine(form.RSource, Find(form.RSource, "Album"));
    ASSERT_EQ(form.FLB->Directory(), "c:\\Music\\Album");

    form.LSource->SetDrive('d');
    EXPECT_EQ(form.RSource->Directory(), "d:\\");
    EXPECT_EQ(form.FLB->Directory(), "c:\\Music\\Album") << "the file list keeps its directory";
    EXPECT_EQ(SourceDir, "c:\\Music\\Album");
}

} // namespace
