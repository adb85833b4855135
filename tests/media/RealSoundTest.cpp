// Real sound: plays tone fixtures through a PulseAudio server (scripts/test-services starts one
// whose default sink is the null sink "quelmo_null"), records the sink's monitor with parec and
// checks that what was heard is the file: its tone and its duration.

#include "MediaTestSupport.h"
#include "SoundCapture.h"
#include "TestSupport.h"
#include "media/MPlayer.h"

#include <QProcess>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

class RealSound : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!PulseReachable()) {
            const char* ci = std::getenv("CI");
            if (ci != nullptr && std::string(ci) == "true")
                FAIL() << "no PulseAudio server is reachable: scripts/test-services start must run first";
            GTEST_SKIP() << "no PulseAudio server (run eval \"$(scripts/test-services start)\")";
        }
        UseAudioOutput("pulse");
        m_Recorder = std::make_unique<Recorder>();
        ASSERT_TRUE(m_Recorder->Started());
        WaitFor([] { return false; }, 300); // the recording is running
    }
    void TearDown() override { UseAudioOutput("null"); }

    // What the sink has played since the test began.
    std::vector<int16_t> Recorded() { return m_Recorder->Stop(); }

private:
    std::unique_ptr<Recorder> m_Recorder;
};

TEST_F(RealSound, PlayedToneIsHeardWithItsFrequencyAndDuration)
{
    TMediaPlayer media;
    int completions = 0;
    QObject::connect(&media, &TMediaPlayer::OnNotify, [&] { ++completions; });
    media.FileName = TonePath("1000_800");
    media.SetNotify(false);
    media.Open();
    media.SetNotify(true);
    media.Play();
    ASSERT_TRUE(WaitFor([&] { return completions > 0; }, 5000));
    EXPECT_EQ(media.NotifyValue(), nvSuccessful);
    EXPECT_EQ(media.GetPosition(), 800);
    WaitFor([] { return false; }, 300);
    std::vector<int16_t> samples = Recorded();
    std::vector<Stretch> stretches = SoundStretches(samples);
    ASSERT_EQ(stretches.size(), 1u) << "recorded " << Milliseconds(samples.size()) << " ms";
    EXPECT_NEAR(Milliseconds(stretches[0].End - stretches[0].Begin), 800.0, 20.0);
    EXPECT_NEAR(Frequency(samples, stretches[0]), 1000.0, 5.0);
}

TEST_F(RealSound, FilesPlayedTheWayThePlayerDoesAreHeardInOrderAcrossAChangeOfRate)
{
    TMediaPlayer media;
    // The third file has another rate: its output is opened while the second one's last sound plays.
    std::vector<std::string> queue = {TonePath("440_500"), TonePath("1500_1200"),
                                      TonePath("330_600_48000_vbr")};
    size_t next = 0;
    auto playNext = [&] {
        media.SetNotify(false);
        media.Close();
        media.FileName = queue[next++];
        media.SetNotify(false);
        media.Open();
        media.SetNotify(true);
        media.Play();
    };
    bool finished = false;
    QObject::connect(&media, &TMediaPlayer::OnNotify, [&] {
        if (media.NotifyValue() != nvSuccessful)
            return;
        media.Stop();
        if (next < queue.size())
            playNext();
        else
            finished = true;
    });
    playNext();
    ASSERT_TRUE(WaitFor([&] { return finished; }, 10000));
    WaitFor([] { return false; }, 300);
    std::vector<int16_t> samples = Recorded();
    std::vector<Stretch> stretches = SoundStretches(samples);
    ASSERT_GE(stretches.size(), 1u);
    ASSERT_LE(stretches.size(), 3u);
    // Back to back, never together: any silence between the files is short, and all the sound is
    // there (two files sounding at once would shorten the whole).
    for (size_t i = 1; i < stretches.size(); ++i)
        EXPECT_LE(Milliseconds(stretches[i].Begin - stretches[i - 1].End), 50.0);
    Stretch all{stretches.front().Begin, stretches.back().End};
    EXPECT_NEAR(Milliseconds(all.End - all.Begin), 2300.0, 60.0);
    // Each file's tone in its own time: 440 Hz, then 1500 Hz, then 330 Hz.
    size_t ms = RecordRate / 1000;
    EXPECT_NEAR(Frequency(samples, {all.Begin + 50 * ms, all.Begin + 450 * ms}), 440.0, 5.0);
    EXPECT_NEAR(Frequency(samples, {all.Begin + 600 * ms, all.Begin + 1600 * ms}), 1500.0, 8.0);
    EXPECT_NEAR(Frequency(samples, {all.End - 550 * ms, all.End - 50 * ms}), 330.0, 5.0);
}

// A pause silences the sound and a resume goes on from where the listener was: the two parts heard
// add up to the file, give or take what the server's latency measure may be off by.
TEST_F(RealSound, PauseAndResumeLoseAndRepeatNothing)
{
    TMediaPlayer media;
    int completions = 0;
    QObject::connect(&media, &TMediaPlayer::OnNotify, [&] { ++completions; });
    media.FileName = TonePath("1500_1200");
    media.Open();
    media.Play();
    ASSERT_TRUE(WaitFor([&] { return media.GetPosition() >= 400; }));
    media.SetNotify(false);
    media.Pause();
    int32_t paused = media.GetPosition();
    WaitFor([] { return false; }, 300);
    EXPECT_EQ(media.GetPosition(), paused);
    media.SetNotify(false);
    media.Resume();
    ASSERT_TRUE(WaitFor([&] { return completions > 0; }, 5000));
    EXPECT_EQ(media.NotifyValue(), nvSuccessful);
    WaitFor([] { return false; }, 300);
    std::vector<int16_t> samples = Recorded();
    std::vector<Stretch> stretches = SoundStretches(samples);
    ASSERT_EQ(stretches.size(), 2u);
    double first = Milliseconds(stretches[0].End - stretches[0].Begin);
    double second = Milliseconds(stretches[1].End - stretches[1].Begin);
    EXPECT_NEAR(first, paused, 50.0);
    EXPECT_NEAR(first + second, 1200.0, 50.0);
    EXPECT_GE(Milliseconds(stretches[1].Begin - stretches[0].End), 250.0);
}

// The last half second of a file is already with the server when the file has been decoded: a stop
// there still silences the sound at once, and the play ends as aborted, not as finished.
TEST_F(RealSound, StopNearTheEndSilencesAtOnce)
{
    TMediaPlayer media;
    int completions = 0;
    QObject::connect(&media, &TMediaPlayer::OnNotify, [&] { ++completions; });
    media.FileName = TonePath("1500_1200");
    media.Open();
    media.SetNotify(true);
    media.Play();
    ASSERT_TRUE(WaitFor([&] { return media.GetPosition() >= 950; }));
    media.Stop();
    int32_t stopped = media.GetPosition();
    WaitFor([] { return false; }, 500);
    EXPECT_EQ(media.GetPosition(), stopped);
    EXPECT_EQ(media.NotifyValue(), nvAborted);
    EXPECT_EQ(completions, 1);
    std::vector<int16_t> samples = Recorded();
    std::vector<Stretch> stretches = SoundStretches(samples);
    ASSERT_EQ(stretches.size(), 1u);
    EXPECT_NEAR(Milliseconds(stretches[0].End - stretches[0].Begin), stopped, 50.0);
    EXPECT_LT(stopped, 1150);
}

} // namespace
