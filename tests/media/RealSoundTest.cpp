// Real sound: plays tone fixtures through a PulseAudio server (scripts/test-services starts one
// whose default sink is the null sink "quelmo_null"), records the sink's monitor with parec and
// checks that what was heard is the file: its tone and its duration.

#include "MediaTestSupport.h"
#include "SoundCapture.h"
#include "TestSupport.h"
#include "media/MPlayer.h"

#include <QElapsedTimer>
#include <QProcess>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <random>
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

    // Starts a file the way the player does, whatever the device is doing.
    static void Start(TMediaPlayer& media, const std::string& tone)
    {
        media.SetNotify(false);
        media.Close();
        media.FileName = TonePath(tone);
        media.SetNotify(false);
        media.Open();
        media.SetNotify(true);
        media.Play();
    }

private:
    std::unique_ptr<Recorder> m_Recorder;
};

void Sleep(int ms)
{
    WaitFor([] { return false; }, ms);
}

// Whether the server shows the player's stream as corked.
bool PlayerStreamCorked()
{
    QProcess list;
    list.start("pactl", {"list", "sink-inputs"});
    list.waitForFinished(5000);
    for (const QString& input : QString::fromUtf8(list.readAllStandardOutput()).split("Sink Input #"))
        if (input.contains("application.name = \"Quelmo\""))
            return input.contains("Corked: yes");
    return false;
}

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
    // A long pause corks the stream, so that the sink may suspend; going on uncorks it.
    EXPECT_FALSE(PlayerStreamCorked());
    EXPECT_TRUE(WaitFor(PlayerStreamCorked, 6000));
    EXPECT_EQ(media.GetPosition(), paused);
    media.SetNotify(false);
    media.Resume();
    ASSERT_TRUE(WaitFor([&] { return media.GetPosition() > paused + 100; }));
    EXPECT_FALSE(PlayerStreamCorked());
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

// A file started while another plays counts from its own first sound, however the server takes the
// drop of the other file's sound: what each file was heard for matches its position shortly before
// the next one was started, plus the time until its sound was cut.
TEST_F(RealSound, FileStartedWhileAnotherPlaysCountsFromItsFirstSound)
{
    TMediaPlayer media;
    std::mt19937 random(22);
    std::uniform_int_distribution<int> interval(200, 1500);
    const std::vector<std::string> files = {"600_3000", "1200_3000"};
    std::vector<double> expected;
    for (size_t i = 0; i < 50; ++i) {
        Start(media, files[i % 2]);
        Sleep(interval(random));
        QElapsedTimer cut;
        cut.start();
        const int32_t position = media.GetPosition();
        media.Stop();
        expected.push_back(position + static_cast<double>(cut.elapsed()));
    }
    Sleep(300);
    std::vector<HeardTone> heard = ToneRuns(Recorded(), {600, 1200});
    ASSERT_EQ(heard.size(), expected.size());
    for (size_t i = 0; i < heard.size(); ++i)
        EXPECT_NEAR(heard[i].EndMs - heard[i].StartMs, expected[i], 50.0) << "file " << i;
}

// Pauses of a file started while another played, each round a quick "Pause" "Pause" and a longer
// pause: the sound goes on after each from where it stopped (a repeat of at most 20 ms), and the
// file ends when its sound does, so the next one follows without a silence.
TEST_F(RealSound, PausesOfAFileStartedWhileAnotherPlaysRepeatNothing)
{
    TMediaPlayer media;
    int completions = 0;
    QObject::connect(&media, &TMediaPlayer::OnNotify, [&] {
        if (media.NotifyValue() == nvSuccessful && media.FileName == TonePath("1000_800"))
            ++completions;
    });
    auto pauseAndResume = [&](int pauseMs) {
        media.SetNotify(false);
        media.Pause();
        Sleep(pauseMs);
        media.SetNotify(false);
        media.Resume();
    };
    std::mt19937 random(22);
    std::uniform_int_distribution<int> interval(100, 250);
    for (int round = 0; round < 10; ++round) {
        // The first file is heard once the end of the last one has played (up to 200 ms).
        Start(media, "440_500");
        Sleep(250 + interval(random));
        Start(media, "1000_800");
        Sleep(interval(random));
        pauseAndResume(0);
        Sleep(interval(random));
        pauseAndResume(250);
        ASSERT_TRUE(WaitFor([&] { return completions > round; }, 5000));
    }
    Start(media, "440_500");
    Sleep(400);
    media.Stop();
    const std::vector<HeardTone> heard = ToneRuns(Recorded(), {440, 1000});
    // Each round: the first file, then the second in parts around its pauses.
    std::vector<size_t> firsts;
    for (size_t i = 0; i < heard.size(); ++i)
        if (heard[i].Frequency == 440)
            firsts.push_back(i);
    ASSERT_EQ(firsts.size(), 11u);
    for (size_t round = 0; round + 1 < firsts.size(); ++round) {
        double second = 0;
        for (size_t i = firsts[round] + 1; i < firsts[round + 1]; ++i)
            second += heard[i].EndMs - heard[i].StartMs;
        EXPECT_NEAR(second, 800.0, 20.0) << "round " << round;
        EXPECT_LE(heard[firsts[round + 1]].StartMs - heard[firsts[round + 1] - 1].EndMs, 50.0)
            << "round " << round;
    }
}

} // namespace
