// The settings file through the real window: what a first start and a normal end write, what a
// show restores, and writes that fail.

#include "PlayerFixture.h"

#include <gtest/gtest.h>

namespace {

class SettingsTest : public ::testing::Test, public PlayerFixture
{
protected:
    void SetUp() override
    {
        tree.MakeDir("mp3/rock/live");
        tree.MakeDir("mp3/jazz");
        tree.WriteFile("mp3/rock/a.mp3");
    }
};

TEST_F(SettingsTest, FirstStartCreatesTheFileAndANormalEndFillsIt)
{
    {
        auto form = Start();
        EXPECT_EQ(Ini(), "[Config]\nDrive_Source=\nDir_Source=\nIndex=0\n");
        EXPECT_EQ(form->SavedDrive, form->LSource->Drive());
        EXPECT_EQ(form->SavedDir, form->RSource->Directory());
        EXPECT_EQ(form->RSource->ItemIndex(), 0);
        EXPECT_EQ(form->LabSource->Caption(), form->RSource->Directory());
        EXPECT_FALSE(form->Initialising);

        form->RSource->SetDirectory("c:\\mp3");
        ClickLine(form->RSource, Find(form->RSource, "rock"));
        EXPECT_EQ(form->FLB->Directory(), "c:\\mp3\\rock");
    }
    EXPECT_EQ(Ini(), "[Config]\nDrive_Source=c\nDir_Source=c:\\mp3\nIndex=3\n");
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(SettingsTest, ShowRestoresDriveDirectoryAndLine)
{
    WriteIni("[Config]\nDrive_Source=c\nDir_Source=c:\\mp3\nIndex=3\n");
    auto form = Start();
    EXPECT_EQ(form->RSource->Directory(), "c:\\mp3");
    EXPECT_EQ(form->RSource->ItemIndex(), 3);
    EXPECT_EQ(SourceDir, "c:\\mp3\\rock");
    EXPECT_EQ(form->FLB->Directory(), "c:\\mp3\\rock");
    EXPECT_EQ(form->LabSource->Caption(), "c:\\mp3\\rock");
    EXPECT_EQ(form->FLB->Count(), 1);
}

TEST_F(SettingsTest, MissingAndOddValuesFallBack)
{
    struct Case
    {
        const char* File;
        int32_t Index;
        int Selected;
    } cases[] = {
        {"[Config]\n", -1, 1},                                            // header only: nothing reselected
        {"[Config]\nDir_Source=c:\\mp3\nIndex=0x1F\n", 31, -1},           // beyond the lines: none selected
        {"[Config]\nDir_Source=c:\\mp3\nIndex=-1\n", -1, 1},              // -1 reselects nothing
        {"[Config]\nDir_Source=c:\\mp3\nIndex=abc\n", -1, 1},             // not a number: -1
        {"[Config]\nDrive_Source=\nDir_Source=c:\\mp3\nIndex=2\n", 2, 2}, // empty drive: c
    };
    for (const auto& c : cases) {
        WriteIni(c.File);
        auto form = Start();
        if (c.Index != -1) {
            EXPECT_EQ(form->RSource->ItemIndex(), c.Selected) << c.File;
        }
        form->LoadSettings(); // the values as read, before the click handler stores the selection
        EXPECT_EQ(form->SavedDrive, 'c') << c.File;
        EXPECT_EQ(form->SavedIndex, c.Index) << c.File;
        EXPECT_TRUE(boxes.Boxes.empty()) << c.File;
    }
}

TEST_F(SettingsTest, HandAddedLinesSurviveTheRewrite)
{
    WriteIni(
        "; mes réglages\n[Config]\nDrive_Source=c\nVolume=7\nDir_Source=c:\\mp3\nIndex=2\n\n[Mien]\nx=1\n");
    {
        auto form = Start();
        form->RSource->SetDirectory("c:\\mp3\\rock");
        ClickLine(form->RSource, Find(form->RSource, "live"));
    }
    EXPECT_EQ(
        Ini(),
        "; mes "
        "réglages\n[Config]\nDrive_Source=c\nVolume=7\nDir_Source=c:\\mp3\\rock\nIndex=3\n\n[Mien]\nx=1\n");
}

TEST_F(SettingsTest, UnwritableFolderShowsTheErrorAndLosesNothing)
{
    // A folder that cannot be made (here a file stands in its way, as a read-only home would).
    tree.WriteFile("home/file");
    ::setenv("XDG_CONFIG_HOME", (tree / "home/file/.config").c_str(), 1);
    {
        auto form = Start();
        ASSERT_EQ(boxes.Boxes.size(), 1u);
        EXPECT_EQ(boxes.Boxes[0].Text, "Impossible d'écrire dans c:\\home\\file\\.config\\Quelmo.ini.");
        EXPECT_EQ(boxes.Boxes[0].Icon, MessageIcon::Stop);
        EXPECT_FALSE(form->Initialising) << "the show ends its start-up state even after an error";
    }
    EXPECT_EQ(boxes.Boxes.size(), 2u) << "the end of the program reports its failed write too";
    EXPECT_EQ(tree.ReadFile("home/file"), "");
}

} // namespace
