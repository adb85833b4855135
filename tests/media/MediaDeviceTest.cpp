// The device under the component, played on the paced null output: completions (kind, count,
// order), modes, pause and resume, positions, AutoRewind, exact lengths, and open/play/close cycles
// that leave nothing behind.

#include "MediaTestSupport.h"
#include "TestSupport.h"
#include "media/MPlayer.h"
#include "media/Mpg123Decoder.h"
#include "platform/components/Application.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Collects the NotifyValue of each completion as it arrives.
struct Completions
{
    explicit Completions(TMediaPlayer& media)
    {
        QObject::connect(&media, &TMediaPlayer::OnNotify,
                         [this, &media] { Seen.push_back(media.NotifyValue()); });
    }
    std::vector<TMPNotifyResult> Seen;
};

class MediaDevice : public ::testing::Test
{
protected:
    void SetUp() override { UseAudioOutput("null"); }

    void OpenTone(const std::string& tone)
    {
        Media.FileName = TonePath(tone);
        Media.SetNotify(false);
        Media.Open();
    }

    void PlayWithNotify()
    {
        Media.SetNotify(true);
        Media.Play();
    }

    // Lets the event queue run for a while (events still pending afterwards are handled too).
    static void Settle(int ms)
    {
        WaitFor([] { return false; }, ms);
    }

    TMediaPlayer Media;
    Completions Done{Media};
};

TEST_F(MediaDevice, EndOfFileGivesOneSuccessfulCompletionAndStopsAtTheLength)
{
    OpenTone("440_300");
    EXPECT_EQ(Media.GetMode(), mpStopped);
    EXPECT_EQ(Media.GetPosition(), 0);
    PlayWithNotify();
    EXPECT_EQ(Media.GetMode(), mpPlaying);
    ASSERT_TRUE(WaitFor([&] { return !Done.Seen.empty(); }));
    Settle(100);
    EXPECT_EQ(Done.Seen, std::vector<TMPNotifyResult>{nvSuccessful});
    EXPECT_EQ(Media.GetMode(), mpStopped);
    EXPECT_EQ(Media.GetPosition(), Media.GetLength());
    EXPECT_EQ(Media.GetLength(), 300);
}

TEST_F(MediaDevice, CompletionIsNeverDeliveredFromInsideACall)
{
    OpenTone("1500_1200");
    PlayWithNotify();
    Media.Stop();
    Media.SetNotify(true);
    Media.Close();
    EXPECT_TRUE(Done.Seen.empty());
    TApplication::Instance()->ProcessMessages();
    // The play's completion (aborted by the stop), then the close's own.
    EXPECT_EQ(Done.Seen, (std::vector<TMPNotifyResult>{nvAborted, nvSuccessful}));
}

struct InterruptCase
{
    const char* Name;
    void (*Interrupt)(TMediaPlayer&);
    std::vector<TMPNotifyResult> Expected;
};

class MediaInterrupt : public MediaDevice, public ::testing::WithParamInterface<InterruptCase>
{
};

TEST_P(MediaInterrupt, EndsThePendingPlayExactlyOnce)
{
    OpenTone("1500_1200");
    QElapsedTimer sincePlay;
    sincePlay.start();
    PlayWithNotify();
    ASSERT_TRUE(WaitFor([&] { return Media.GetPosition() > 50; }));
    GetParam().Interrupt(Media);
    ASSERT_TRUE(WaitFor([&] { return Done.Seen.size() >= GetParam().Expected.size(); }));
    // A stray end-of-file completion would come once the file's 1.2 s had played: wait past that.
    Settle(int(std::max<qint64>(0, 1200 + 200 - sincePlay.elapsed())));
    EXPECT_EQ(Done.Seen, GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, MediaInterrupt,
    ::testing::Values(
        InterruptCase{"Stop", [](TMediaPlayer& m) { m.Stop(); }, {nvAborted}},
        InterruptCase{"Close", [](TMediaPlayer& m) { m.Close(); }, {nvAborted}},
        InterruptCase{"Rewind", [](TMediaPlayer& m) { m.Rewind(); }, {nvAborted}},
        // A later play asking for its own completion supersedes the first; the second plays to the end.
        InterruptCase{"PlayAgainWithNotify", [](TMediaPlayer& m) { m.Play(); }, {nvSuperseded, nvSuccessful}},
        // A pause asking for a completion supersedes the play's and gets its own at once.
        InterruptCase{"PauseWithNotify",
                      [](TMediaPlayer& m) {
                          m.SetNotify(true);
                          m.PauseOnly();
                      },
                      {nvSuperseded, nvSuccessful}},
        // The player's pause and resume ask for nothing: the play's completion survives both.
        InterruptCase{"PauseAndResume",
                      [](TMediaPlayer& m) {
                          m.SetNotify(false);
                          m.Pause();
                          m.SetNotify(false);
                          m.Resume();
                      },
                      {nvSuccessful}},
        // The player's way to the next file: close, open, play.
        InterruptCase{"CloseOpenPlay",
                      [](TMediaPlayer& m) {
                          m.SetNotify(false);
                          m.Close();
                          m.FileName = TonePath("440_300");
                          m.SetNotify(false);
                          m.Open();
                          m.SetNotify(true);
                          m.Play();
                      },
                      {nvAborted, nvSuccessful}}),
    [](const auto& param) { return std::string(param.param.Name); });

TEST_F(MediaDevice, LateCompletionAfterCloseReachesTheComponentWhileAnotherFileIsOpen)
{
    OpenTone("1500_1200");
    PlayWithNotify();
    Media.SetNotify(false);
    Media.Close();
    OpenTone("440_300");
    uint16_t second = Media.DeviceId();
    ASSERT_TRUE(WaitFor([&] { return !Done.Seen.empty(); }));
    EXPECT_EQ(Done.Seen, std::vector<TMPNotifyResult>{nvAborted});
    EXPECT_EQ(Media.NotifyValue(), nvAborted);
    EXPECT_EQ(Media.DeviceId(), second);
    EXPECT_TRUE(Media.Opened());
}

TEST_F(MediaDevice, PauseHoldsThePositionAndResumeGoesOnFromIt)
{
    OpenTone("1500_1200");
    PlayWithNotify();
    ASSERT_TRUE(WaitFor([&] { return Media.GetPosition() >= 300; }));
    Media.SetNotify(false);
    Media.Pause();
    EXPECT_EQ(Media.GetMode(), mpPaused);
    // The output falls silent at once, at the frame heard last, and the position stands still.
    int32_t paused = Media.GetPosition();
    EXPECT_GE(paused, 300);
    EXPECT_LT(paused, 360);
    Settle(300);
    EXPECT_EQ(Media.GetPosition(), paused);
    QElapsedTimer clock;
    clock.start();
    Media.SetNotify(false);
    Media.Resume();
    EXPECT_EQ(Media.GetMode(), mpPlaying);
    ASSERT_TRUE(WaitFor([&] { return !Done.Seen.empty(); }));
    // The rest of the file took as long as the rest of the file: nothing skipped, nothing repeated.
    qint64 rest = 1200 - paused;
    EXPECT_NEAR(static_cast<double>(clock.elapsed()), static_cast<double>(rest), 60.0);
    EXPECT_EQ(Done.Seen, std::vector<TMPNotifyResult>{nvSuccessful});
}

TEST_F(MediaDevice, PositionFollowsTheClockWhilePlaying)
{
    OpenTone("1500_1200");
    QElapsedTimer clock;
    PlayWithNotify();
    clock.start();
    for (int i = 0; i < 5; ++i) {
        Settle(150);
        double expected = static_cast<double>(clock.elapsed());
        EXPECT_NEAR(Media.GetPosition(), expected, 50.0) << "sample " << i;
    }
}

TEST_F(MediaDevice, StopKeepsThePositionAndPlayGoesOnFromIt)
{
    OpenTone("1500_1200");
    PlayWithNotify();
    ASSERT_TRUE(WaitFor([&] { return Media.GetPosition() >= 200; }));
    Media.Stop();
    int32_t stopped = Media.GetPosition();
    EXPECT_EQ(Media.GetMode(), mpStopped);
    Settle(100);
    EXPECT_EQ(Media.GetPosition(), stopped);
    PlayWithNotify();
    Settle(60);
    EXPECT_GE(Media.GetPosition(), stopped);
    EXPECT_LT(Media.GetPosition(), stopped + 120);
}

TEST_F(MediaDevice, AutoRewindPlaysAgainFromTheStartOnlyWhenSet)
{
    for (bool rewind : {true, false}) {
        Done.Seen.clear();
        OpenTone("440_300");
        Media.AutoRewind = rewind;
        PlayWithNotify();
        ASSERT_TRUE(WaitFor([&] { return Done.Seen.size() == 1; }));
        ASSERT_EQ(Media.GetPosition(), 300);
        PlayWithNotify();
        if (rewind) {
            EXPECT_LT(Media.GetPosition(), 100);
            EXPECT_EQ(Media.GetMode(), mpPlaying);
        }
        // Without the rewind the play starts at its end and completes at once.
        ASSERT_TRUE(WaitFor([&] { return Done.Seen.size() == 2; }));
        EXPECT_EQ(Done.Seen[1], nvSuccessful);
        EXPECT_EQ(Media.GetPosition(), 300);
    }
}

TEST_F(MediaDevice, TimeFormatsOfTheOpenDevice)
{
    OpenTone("440_500");
    Media.SetTimeFormat(Mci::MCI_FORMAT_SAMPLES);
    EXPECT_EQ(Media.Error(), 0u);
    EXPECT_EQ(Media.GetTimeFormat(), Mci::MCI_FORMAT_SAMPLES);
    EXPECT_EQ(Media.GetLength(), 22050);
    Media.SetTimeFormat(Mci::MCI_FORMAT_BYTES);
    EXPECT_EQ(Media.GetLength(), 22050 * 4);
    Media.SetTimeFormat(Mci::MCI_FORMAT_TMSF);
    EXPECT_EQ(Media.Error(), Mci::MCIERR_BAD_TIME_FORMAT);
    EXPECT_EQ(Media.GetTimeFormat(), Mci::MCI_FORMAT_BYTES);
}

struct LengthCase
{
    const char* Tone;
    int32_t LengthMs; // what GetLength gives
    bool FromHeader;  // known from the Xing/Info header, without reading the file
};

class MediaLength : public MediaDevice, public ::testing::WithParamInterface<LengthCase>
{
};

// Files without a header keep the encoder's delay and padding (nothing tells where the tone starts),
// so their length is that of all the decoded sound; in every case it is exactly what decodes.
TEST_P(MediaLength, IsExactForEveryKindOfFile)
{
    const LengthCase& wanted = GetParam();
    OpenTone(wanted.Tone);
    EXPECT_EQ(Media.GetLength(), wanted.LengthMs);

    Mpg123Decoder decoder;
    ASSERT_EQ(decoder.Open(TonePosix(wanted.Tone)), Mpg123Decoder::OpenResult::Ok);
    EXPECT_EQ(decoder.LengthFromHeader(), wanted.FromHeader);
    bool failed = false;
    const int64_t frames = DecodeAll(decoder, &failed);
    EXPECT_FALSE(failed);
    EXPECT_EQ(frames, decoder.LengthFrames());
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, MediaLength,
    ::testing::Values(LengthCase{"440_500", 500, true}, LengthCase{"880_300_48000_mono_vbr", 300, true},
                      LengthCase{"990_400_22050_mono", 400, true}, LengthCase{"330_600_48000_vbr", 600, true},
                      LengthCase{"660_400_notag", 444, false}, LengthCase{"770_500_vbr_notag", 548, false}),
    [](const auto& param) { return std::string("tone_") + param.param.Tone; });

// Many cycles of the player's close, open, play leave no thread, file or device behind. The leak
// check of memory is the sanitizer run of this same test. QUELMO_MEDIA_CYCLES asks for more cycles
// than the suite runs (1000 by hand).
TEST_F(MediaDevice, OpenPlayCloseCyclesLeaveNothingBehind)
{
    const char* wanted = std::getenv("QUELMO_MEDIA_CYCLES");
    const int cycles = wanted != nullptr ? std::atoi(wanted) : 200;
    auto cycle = [this](int i) {
        OpenTone(i % 2 == 0 ? "440_300" : "880_300_48000_mono_vbr");
        PlayWithNotify();
        if (i % 3 == 0)
            WaitFor([&] { return Media.GetPosition() > 0; });
        Media.SetNotify(false);
        Media.Close();
    };
    cycle(0); // the first cycle loads what stays loaded for the process
    TApplication::Instance()->ProcessMessages();
    int files = CountOpenFiles();
    int threads = CountThreads();
    for (int i = 1; i <= cycles; ++i)
        cycle(i);
    TApplication::Instance()->ProcessMessages();
    EXPECT_EQ(CountOpenFiles(), files);
    EXPECT_EQ(CountThreads(), threads);
    EXPECT_EQ(Mci::OpenDeviceCount(), 0u);
}

} // namespace
