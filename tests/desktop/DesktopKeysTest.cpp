// The desktop's keys in the real window, with the real lists and media device playing to the paced
// null output: the media keys while the window has the focus, and Enter or a double click on a
// file line, each followed by what the window then plays.

#include "desktop/DesktopKeys.h"

#include "PlayerFixture.h"
#include "desktop/PlayerRemote.h"
#include "platform/components/Application.h"

#include <QApplication>
#include <QKeyEvent>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

class DesktopKeysTest : public ::testing::Test, public PlayerFixture
{
protected:
    void SetUp() override
    {
        ::setenv("QUELMO_AUDIO_OUTPUT", "null", 1);
        tree.MakeDir("Music/Album");
        for (const char* name : {"a.mp3", "b.mp3", "c.mp3"})
            std::filesystem::copy_file(std::string(QUELMO_DESKTOP_FIXTURES) + "/tone_440_3000.mp3",
                                       tree / ("Music/Album/" + std::string(name)));
        WriteIni("[Config]\nDrive_Source=c\nDir_Source=c:\\Music\nIndex=2\n");
        form = Start();
        ASSERT_EQ(form->FLB->Count(), 3);
        remote = new PlayerRemote(*form);
        new DesktopKeys(*remote);
    }
    void TearDown() override
    {
        form.reset();
        ::unsetenv("QUELMO_AUDIO_OUTPUT");
        TApplication::Instance()->SetTitle("Quelmo");
    }
    // The device's state once it settled: the file that plays (or pauses) and how.
    std::string State() const
    {
        if (!form->Media1->Opened())
            return " stopped";
        const TMPMode mode = form->Media1->GetMode();
        const std::string file = form->Media1->FileName;
        return file.substr(file.find_last_of('\\') + 1) + (mode == mpPlaying  ? " playing"
                                                           : mode == mpPaused ? " paused"
                                                                              : " stopped");
    }
    bool Becomes(const std::string& state)
    {
        return WaitFor([&] { return State() == state; }, 3000);
    }

    std::unique_ptr<TForm1> form;
    PlayerRemote* remote = nullptr;
};

TEST_F(DesktopKeysTest, MediaKeysEnterAndDoubleClickRunTheWindowsHandlers)
{
    struct Step
    {
        const char* What;
        std::function<void()> Do;
        const char* Expected;
    };
    // A key as the window system gives it to the focused control.
    auto press = [this](Qt::Key pressed) {
        return [this, pressed] {
            QKeyEvent event(QEvent::KeyPress, pressed, Qt::NoModifier);
            QApplication::sendEvent(form->BtnL, &event);
        };
    };
    auto enterOn = [this](int line) {
        return [this, line] {
            form->FLB->SetItemIndex(line);
            QTest::keyClick(form->FLB, Qt::Key_Return);
        };
    };
    auto doubleClickOn = [this](int line) {
        return [this, line] {
            const QRect rect = form->FLB->visualRect(form->FLB->model()->index(line, 0));
            QTest::mouseDClick(form->FLB->viewport(), Qt::LeftButton, {}, rect.center());
        };
    };
    const Step steps[] = {
        {"Play", press(Qt::Key_MediaPlay), "a.mp3 playing"},
        {"Play again: no restart", press(Qt::Key_MediaPlay), "a.mp3 playing"},
        {"Pause", press(Qt::Key_MediaPause), "a.mp3 paused"},
        {"Pause again: stays paused", press(Qt::Key_MediaPause), "a.mp3 paused"},
        {"Play/Pause resumes", press(Qt::Key_MediaTogglePlayPause), "a.mp3 playing"},
        {"Next", press(Qt::Key_MediaNext), "b.mp3 playing"},
        {"Previous", press(Qt::Key_MediaPrevious), "a.mp3 playing"},
        {"Previous wraps to the last line", press(Qt::Key_MediaPrevious), "c.mp3 playing"},
        {"Next wraps to the first line", press(Qt::Key_MediaNext), "a.mp3 playing"},
        {"Stop", press(Qt::Key_MediaStop), " stopped"},
        {"Enter on a line", enterOn(1), "b.mp3 playing"},
        {"Play/Pause pauses", press(Qt::Key_MediaTogglePlayPause), "b.mp3 paused"},
        {"Stop leaves the paused file open", press(Qt::Key_MediaStop), "b.mp3 paused"},
        {"Play/Pause then starts anew", press(Qt::Key_MediaTogglePlayPause), "b.mp3 playing"},
        {"Play/Pause pauses again", press(Qt::Key_MediaTogglePlayPause), "b.mp3 paused"},
        // "Lecture" alone would resume the paused file; the chosen line plays instead.
        {"Enter on a line while paused", enterOn(2), "c.mp3 playing"},
        {"Double click on a line", doubleClickOn(0), "a.mp3 playing"},
    };
    for (const Step& step : steps) {
        step.Do();
        EXPECT_TRUE(Becomes(step.Expected)) << step.What << ": " << State();
    }
    EXPECT_EQ(form->windowTitle(), "a.mp3");
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(DesktopKeysTest, KeysOfAnotherWindowAndEnterOnNoLineDoNothing)
{
    QWidget other;
    other.show();
    QKeyEvent play(QEvent::KeyPress, Qt::Key_MediaPlay, Qt::NoModifier);
    QApplication::sendEvent(&other, &play);
    form->FLB->SetItemIndex(-1);
    QTest::keyClick(form->FLB, Qt::Key_Enter);
    EXPECT_EQ(State(), " stopped");
    EXPECT_FALSE(PlayActive);
}

} // namespace
