// The play sequence through the real window, the real lists and the real media device playing to
// the paced null output: order and wrap-around, "Stop", "Pause", "Lecture" while paused, a file
// click while playing, missing, damaged and unplayable files, and the time display.

#include "PlayerFixture.h"
#include "platform/components/Application.h"
#include "platform/paths/CurrentDir.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

const std::string Fixtures = QUELMO_APP_FIXTURES;

class PlaybackTest : public ::testing::Test, public PlayerFixture
{
protected:
    void SetUp() override
    {
        ::setenv("QUELMO_AUDIO_OUTPUT", "null", 1);
        tree.MakeDir("Music/Album");
        CopyTone("440_300", "Music/Album/a.mp3");
        CopyTone("660_300", "Music/Album/b.mp3");
        CopyTone("880_300", "Music/Album/c.mp3");
        CopyTone("550_2000", "Music/Long/long.mp3");
        WriteIni("[Config]\nDrive_Source=c\nDir_Source=c:\\Music\nIndex=-1\n");
        form = Start();
        ClickLine(form->RSource, Find(form->RSource, "Album"));
        ASSERT_EQ(form->FLB->Count(), 3);
        QObject::connect(form.get(), &QWidget::windowTitleChanged,
                         [this](const QString& title) { titles.push_back(title.toStdString()); });
    }
    void TearDown() override
    {
        form.reset();
        ::unsetenv("QUELMO_AUDIO_OUTPUT");
        TApplication::Instance()->SetTitle("Quelmo");
    }
    void CopyTone(const std::string& tone, const std::string& to)
    {
        tree.WriteFile(to, ReadFile(Fixtures + "/tone_" + tone + ".mp3"));
    }
    bool WaitForTitles(size_t count, int timeoutMs = 8000)
    {
        return WaitFor([&] { return titles.size() >= count; }, timeoutMs);
    }
    void SelectFile(const std::string& name) { ClickLine(form->FLB, Find(form->FLB, name)); }

    std::unique_ptr<TForm1> form;
    std::vector<std::string> titles;
};

TEST_F(PlaybackTest, SequenceStartsAtTheSelectedLineAndWrapsAround)
{
    SelectFile("b.mp3");
    form->BtnL->click();
    ASSERT_TRUE(WaitForTitles(4));
    form->BtnS->click();
    EXPECT_EQ(std::vector<std::string>(titles.begin(), titles.begin() + 4),
              (std::vector<std::string>{"b.mp3", "c.mp3", "a.mp3", "b.mp3"}));
    EXPECT_EQ(form->LabInfo1->Caption(), titles.back());
    EXPECT_EQ(TApplication::Instance()->Title(), titles.back());
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(PlaybackTest, LectureAfterStopWithTheFirstLineOrAnother)
{
    SelectFile("c.mp3");
    form->BtnL->click();
    ASSERT_TRUE(WaitForTitles(1));
    form->BtnS->click();
    EXPECT_FALSE(PlayActive);
    EXPECT_EQ(form->LabInfo2->Caption(), "");

    // A click on the first line sets the index to it; the first line merely selected counts as
    // no choice, and the line after the last one started plays.
    SelectFile("a.mp3");
    titles.clear();
    form->BtnL->click();
    ASSERT_TRUE(WaitForTitles(1));
    EXPECT_EQ(titles[0], "a.mp3") << "FLBClick set the index to the clicked first line";
    form->BtnS->click();

    form->FLB->SetItemIndex(0); // selected without a click: PlayIndex keeps its value
    titles.clear();
    form->BtnL->click();
    ASSERT_TRUE(WaitForTitles(1));
    EXPECT_EQ(titles[0], "b.mp3");
    form->BtnS->click();

    form->FLB->SetItemIndex(2);
    titles.clear();
    form->BtnL->click();
    ASSERT_TRUE(WaitForTitles(1));
    EXPECT_EQ(titles[0], "c.mp3");
    form->BtnS->click();
}

TEST_F(PlaybackTest, PauseResumeAndTheTimeDisplay)
{
    ClickLine(form->RSource, Find(form->RSource, "Long"));
    SelectFile("long.mp3");
    form->BtnL->click();
    ASSERT_TRUE(WaitFor([&] { return form->Media1->GetPosition() >= 400; }));
    form->Timer1Timer();
    EXPECT_EQ(form->LabInfo2->Caption().substr(5), " / 00:02");
    EXPECT_TRUE(form->LabInfo2->font().italic());
    EXPECT_FALSE(form->LabInfo2->font().bold());

    form->BitBtn3->click();
    EXPECT_EQ(form->Media1->GetMode(), mpPaused);
    const int32_t pausedAt = form->Media1->GetPosition();
    form->Timer1Timer();
    EXPECT_EQ(form->LabInfo2->Caption(), "( Pause )");
    EXPECT_TRUE(form->LabInfo2->font().bold());
    EXPECT_FALSE(form->LabInfo2->font().italic());

    // "Pause" again resumes; so does "Lecture" while paused, on the same file and position.
    form->BitBtn3->click();
    EXPECT_EQ(form->Media1->GetMode(), mpPlaying);
    form->BitBtn3->click();
    ASSERT_EQ(form->Media1->GetMode(), mpPaused);
    titles.clear();
    form->BtnL->click();
    EXPECT_EQ(form->Media1->GetMode(), mpPlaying);
    EXPECT_TRUE(titles.empty()) << "no new file was started";
    EXPECT_GE(form->Media1->GetPosition(), pausedAt - 50);

    // "Stop" while paused empties the display and leaves the device paused and open; the next
    // "Lecture" starts anew.
    form->BitBtn3->click();
    form->BtnS->click();
    EXPECT_EQ(form->LabInfo2->Caption(), "");
    EXPECT_EQ(form->Media1->GetMode(), mpPaused);
    EXPECT_TRUE(form->Media1->Opened());
    form->BtnL->click();
    EXPECT_EQ(form->Media1->GetMode(), mpPlaying);
    EXPECT_LT(form->Media1->GetPosition(), 300) << "the file starts again from its beginning";
    form->BtnS->click();
}

TEST_F(PlaybackTest, FileClickWhilePlayingClosesTheDevice)
{
    SelectFile("b.mp3");
    form->BtnL->click();
    ASSERT_TRUE(WaitFor([&] { return form->Media1->GetMode() == mpPlaying; }));
    SelectFile("a.mp3");
    EXPECT_FALSE(form->Media1->Opened());
    EXPECT_TRUE(PlayActive);
    EXPECT_EQ(PlayIndex, 0);
    form->Timer1Timer();
    EXPECT_EQ(form->LabInfo2->Caption(), "- - - / - - -");
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(PlaybackTest, MissingNextFileEndsTheSequenceQuietly)
{
    SelectFile("b.mp3");
    form->BtnL->click();
    ASSERT_TRUE(WaitForTitles(1));
    ::unlink((tree / "Music/Album/c.mp3").c_str());
    ASSERT_TRUE(WaitFor([&] { return form->Media1->GetMode() == mpStopped; }));
    EXPECT_TRUE(PlayActive);
    EXPECT_EQ(titles.size(), 1u);
    form->Timer1Timer();
    EXPECT_EQ(form->LabInfo2->Caption(), "- - - / - - -");
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(PlaybackTest, DamagedFileShowsTheDeviceErrorAndWaits)
{
    tree.WriteFile("Music/Album/b.mp3", std::string(4096, '\x5a'));
    SelectFile("b.mp3");
    form->BtnL->click();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Icon, MessageIcon::Stop);
    EXPECT_EQ(boxes.Boxes[0].Caption, "b.mp3") << "the title of the moment";
    EXPECT_FALSE(boxes.Boxes[0].Text.empty());
    EXPECT_EQ(form->windowTitle(), "b.mp3");
    EXPECT_EQ(PlayIndex, 1) << "not moved on";
    EXPECT_TRUE(PlayActive);
    EXPECT_FALSE(form->Media1->Opened());
}

// Half a second of zeros in the middle of a file: it plays on past them, ends as any file does, and
// the sequence goes on to the next one.
TEST_F(PlaybackTest, DamagedStretchPlaysOnAndTheSequenceGoesOn)
{
    std::string tone = ReadFile(Fixtures + "/tone_550_2000.mp3");
    tone.replace(tone.size() / 3, 4096, 4096, '\0');
    tree.WriteFile("Music/Album/b.mp3", tone);
    SelectFile("b.mp3");
    form->BtnL->click();
    ASSERT_TRUE(WaitForTitles(2));
    form->BtnS->click();
    EXPECT_EQ(std::vector<std::string>(titles.begin(), titles.begin() + 2),
              (std::vector<std::string>{"b.mp3", "c.mp3"}));
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(PlaybackTest, NothingPlaysBeforeASourceDirectoryWasChosen)
{
    form.reset();
    SourceDir.clear();
    CurrentDir::Reset(); // a first start: the process's own directory, here the drive's root
    WriteIni("[Config]\nDrive_Source=c\nDir_Source=c:\\Music\\Album\nIndex=-1\n");
    form = Start();
    ASSERT_EQ(form->FLB->Count(), 0) << "the file list starts where the process is";
    form->FLB->ApplyPath("c:\\Music\\Album");
    ASSERT_EQ(form->FLB->Count(), 3);
    form->BtnL->click();
    EXPECT_TRUE(PlayActive);
    EXPECT_EQ(CurrentPath, "\\a.mp3");
    EXPECT_FALSE(form->Media1->Opened());
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST(FormatTimeTest, MinutesAndSeconds)
{
    const std::pair<int32_t, const char*> cases[] = {
        {187000, "03:07"}, {252000, "04:12"}, {0, "00:00"}, {6000000, "100:00"}, {59999, "00:59"},
    };
    for (const auto& [ms, text] : cases)
        EXPECT_EQ(TForm1::FormatTime(ms), text) << ms;
}

} // namespace
