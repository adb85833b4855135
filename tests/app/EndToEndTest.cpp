// The built player end to end, as a user meets it: under the virtual X server and the PulseAudio
// server that scripts/test-services starts, the test clicks a directory line and "Lecture",
// records what the null sink plays, checks the order of the tones and the window caption, closes
// with "&Fermer" and reads the settings file.

#include "ProgramLaunch.h"
#include "SoundCapture.h"
#include "TestSupport.h"
#include "XDesktop.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

const std::string Fixtures = QUELMO_APP_FIXTURES;

class EndToEndTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const bool ci = std::getenv("CI") != nullptr && std::string(std::getenv("CI")) == "true";
        if (std::getenv("DISPLAY") == nullptr || !PulseReachable()) {
            if (ci)
                FAIL() << "no X server or PulseAudio server: scripts/test-services start must run first";
            GTEST_SKIP() << "needs eval \"$(scripts/test-services start)\"";
        }
        tree.MakeDir("home/.config");
        tree.MakeDir("etc");
        tree.MakeDir("Music/Album");
        for (const auto& [tone, name] :
             {std::pair{"440_700", "a.mp3"}, {"660_700", "b.mp3"}, {"880_700", "c.mp3"}})
            std::filesystem::copy_file(Fixtures + "/tone_" + tone + ".mp3",
                                       tree / ("Music/Album/" + std::string(name)));
        tree.WriteFile("home/.config/Quelmo.ini",
                       "[Config]\nDrive_Source=c\nDir_Source=c:\\Music\nIndex=-1\n");

        // An X server of the test's own: the clicks go by position, where another test's window
        // could stand on a shared screen.
        const QString failed = desktop.Start();
        ASSERT_TRUE(failed.isEmpty()) << failed.toStdString() << " did not start";
        QProcessEnvironment env = desktop.Env();
        UseTreeAsSystem(env, tree);
        env.remove("QUELMO_AUDIO_OUTPUT"); // the default order: the user's sound server
        player.setProcessEnvironment(env);
        player.setProcessChannelMode(QProcess::ForwardedChannels);
    }
    void TearDown() override
    {
        player.kill();
        player.waitForFinished(5000);
    }
    // A left click at a point of the window's client area.
    void Click(int x, int y) { desktop.Click(window, {x, y}, 1); }
    std::string Caption() const
    {
        return desktop.Run("xdotool", {"getwindowname", window}).trimmed().toStdString();
    }

    XDesktop desktop;
    TempTree tree;
    QProcess player;
    QString window;
};

TEST_F(EndToEndTest, DirectoryLineAndLecturePlayTheFilesInOrderThenFermerSaves)
{
    player.start(QUELMO_PROGRAM, {});
    ASSERT_TRUE(WaitFor([&] { return !(window = desktop.MainWindow()).isEmpty(); }, 15000));
    EXPECT_EQ(Caption(), "Lecteur MP3 - Quelmo");
    Recorder recorder;
    ASSERT_TRUE(recorder.Started());
    // The directory list shows c:\, Music and its subdirectory Album (16 pixels a line, from 44).
    Click(48, 44 + 2 + 2 * 16 + 8);
    Click(272 + 57, 491 + 20); // "Lecture"

    std::vector<std::string> captions;
    WaitFor(
        [&] {
            const std::string name = Caption();
            if (captions.empty() || captions.back() != name)
                captions.push_back(name);
            return captions.size() >= 4;
        },
        4000);
    Click(558 + 37, 491 + 20); // "&Fermer"
    ASSERT_TRUE(player.waitForFinished(10000)) << "the program ends";
    EXPECT_EQ(player.exitCode(), 0);
    const std::vector<int16_t> samples = recorder.Stop();

    ASSERT_GE(captions.size(), 3u);
    EXPECT_EQ(captions[0], "a.mp3");
    EXPECT_EQ(captions[1], "b.mp3");
    EXPECT_EQ(captions[2], "c.mp3");

    const auto heard = HeardTones(samples, {440, 660, 880});
    std::vector<double> order;
    for (const auto& tone : heard)
        order.push_back(tone.Frequency);
    ASSERT_GE(order.size(), 3u) << "recorded " << Milliseconds(samples.size()) << " ms";
    EXPECT_EQ(std::vector<double>(order.begin(), order.begin() + 3), (std::vector<double>{440, 660, 880}));
    for (size_t i = 0; i + 1 < heard.size(); ++i)
        EXPECT_LE(heard[i + 1].StartMs - heard[i].EndMs, 100.0) << "the next file follows at once";

    EXPECT_EQ(tree.ReadFile("home/.config/Quelmo.ini"),
              "[Config]\nDrive_Source=c\nDir_Source=c:\\Music\nIndex=2\n");
}

} // namespace
