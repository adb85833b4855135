// Real sound: plays tone fixtures through a PulseAudio server (scripts/test-services starts one
// whose default sink is the null sink "quelmo_null"), records the sink's monitor with parec and
// checks that what was heard is the file: its tone and its duration.

#include "MediaTestSupport.h"
#include "TestSupport.h"
#include "media/MPlayer.h"

#include <QProcess>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr int RecordRate = 44100;

bool PulseReachable()
{
    QProcess info;
    info.start("pactl", {"info"});
    return info.waitForFinished(5000) && info.exitStatus() == QProcess::NormalExit && info.exitCode() == 0;
}

std::string Sink()
{
    const char* sink = std::getenv("QUELMO_NULL_SINK");
    return sink != nullptr ? sink : "quelmo_null";
}

// Records the sink's monitor (mono, 16 bits) while it lives. An idle null sink renders nothing, so
// its monitor would start late and cut the first sound: a stream of silence keeps it running. That
// stream asks for a very short latency: the sink renders ahead by as much, and when a new stream
// joins, the sink rewrites what it rendered ahead, which the monitor never sees again.
class Recorder
{
public:
    Recorder()
    {
        m_Silence.start("pacat", {"--playback", "--raw", "--format=s16le", "--rate=44100", "--channels=1",
                                  "--latency-msec=5", "/dev/zero"});
        m_Process.start("parec", {"-d", QString::fromStdString(Sink() + ".monitor"), "--format=s16le",
                                  "--rate=" + QString::number(RecordRate), "--channels=1", "--raw",
                                  "--latency-msec=10"});
        m_Started = m_Silence.waitForStarted(5000) && m_Process.waitForStarted(5000);
    }
    ~Recorder()
    {
        for (QProcess* process : {&m_Process, &m_Silence}) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
    bool Started() const { return m_Started; }
    std::vector<int16_t> Stop()
    {
        m_Process.terminate();
        m_Process.waitForFinished(5000);
        QByteArray raw = m_Process.readAllStandardOutput();
        std::vector<int16_t> samples(static_cast<size_t>(raw.size()) / 2);
        std::memcpy(samples.data(), raw.constData(), samples.size() * 2);
        return samples;
    }

private:
    QProcess m_Silence;
    QProcess m_Process;
    bool m_Started = false;
};

// Where the sound is: the samples whose 5 ms neighbourhood is louder than a tenth of the tone.
struct Stretch
{
    size_t Begin;
    size_t End;
};

std::vector<Stretch> SoundStretches(const std::vector<int16_t>& samples)
{
    const size_t window = RecordRate / 200;
    std::vector<Stretch> found;
    bool inSound = false;
    for (size_t start = 0; start + window <= samples.size(); start += window) {
        int peak = 0;
        for (size_t i = start; i < start + window; ++i)
            peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
        bool loud = peak > 1600;
        if (loud && !inSound)
            found.push_back({start, start + window});
        if (loud)
            found.back().End = start + window;
        inSound = loud;
    }
    return found;
}

// The tone's frequency from the rising zero crossings of the stretch's middle part.
double Frequency(const std::vector<int16_t>& samples, Stretch stretch)
{
    size_t margin = (stretch.End - stretch.Begin) / 10;
    size_t first = 0;
    size_t last = 0;
    int crossings = 0;
    for (size_t i = stretch.Begin + margin + 1; i < stretch.End - margin; ++i) {
        if (samples[i - 1] < 0 && samples[i] >= 0) {
            if (crossings == 0)
                first = i;
            last = i;
            ++crossings;
        }
    }
    if (crossings < 2)
        return 0;
    return (crossings - 1) * static_cast<double>(RecordRate) / static_cast<double>(last - first);
}

double Milliseconds(size_t samples)
{
    return samples * 1000.0 / RecordRate;
}

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
    }
    void TearDown() override { UseAudioOutput("null"); }
};

TEST_F(RealSound, PlayedToneIsHeardWithItsFrequencyAndDuration)
{
    Recorder recorder;
    ASSERT_TRUE(recorder.Started());
    WaitFor([] { return false; }, 300); // the recording is running
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
    std::vector<int16_t> samples = recorder.Stop();
    std::vector<Stretch> stretches = SoundStretches(samples);
    ASSERT_EQ(stretches.size(), 1u) << "recorded " << Milliseconds(samples.size()) << " ms";
    EXPECT_NEAR(Milliseconds(stretches[0].End - stretches[0].Begin), 800.0, 20.0);
    EXPECT_NEAR(Frequency(samples, stretches[0]), 1000.0, 5.0);
}

TEST_F(RealSound, TwoFilesPlayedTheWayThePlayerDoesAreHeardInOrder)
{
    Recorder recorder;
    ASSERT_TRUE(recorder.Started());
    WaitFor([] { return false; }, 300);
    TMediaPlayer media;
    std::vector<std::string> queue = {TonePath("440_500"), TonePath("1500_1200")};
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
    ASSERT_TRUE(WaitFor([&] { return finished; }, 8000));
    WaitFor([] { return false; }, 300);
    std::vector<int16_t> samples = recorder.Stop();
    std::vector<Stretch> stretches = SoundStretches(samples);
    ASSERT_GE(stretches.size(), 1u);
    ASSERT_LE(stretches.size(), 2u);
    // Back to back: any silence between the files is short, and all the sound is there.
    Stretch all{stretches.front().Begin, stretches.back().End};
    if (stretches.size() == 2) {
        EXPECT_LE(Milliseconds(stretches[1].Begin - stretches[0].End), 50.0);
    }
    EXPECT_NEAR(Milliseconds(all.End - all.Begin), 1700.0, 50.0);
    // The first 400 ms are the first file's tone, the last 1000 ms the second's.
    size_t ms = RecordRate / 1000;
    EXPECT_NEAR(Frequency(samples, {all.Begin + 50 * ms, all.Begin + 450 * ms}), 440.0, 5.0);
    EXPECT_NEAR(Frequency(samples, {all.End - 1100 * ms, all.End - 50 * ms}), 1500.0, 8.0);
}

// A pause silences the sound and a resume goes on from where the listener was: the two parts heard
// add up to the file, give or take what the server's latency measure may be off by.
TEST_F(RealSound, PauseAndResumeLoseAndRepeatNothing)
{
    Recorder recorder;
    ASSERT_TRUE(recorder.Started());
    WaitFor([] { return false; }, 300);
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
    std::vector<int16_t> samples = recorder.Stop();
    std::vector<Stretch> stretches = SoundStretches(samples);
    ASSERT_EQ(stretches.size(), 2u);
    double first = Milliseconds(stretches[0].End - stretches[0].Begin);
    double second = Milliseconds(stretches[1].End - stretches[1].Begin);
    EXPECT_NEAR(first, paused, 50.0);
    EXPECT_NEAR(first + second, 1200.0, 50.0);
    EXPECT_GE(Milliseconds(stretches[1].Begin - stretches[0].End), 250.0);
}

} // namespace
