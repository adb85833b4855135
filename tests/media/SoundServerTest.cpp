// A sound server in trouble: stopped (SIGSTOP), killed and started again. Each test starts a
// PulseAudio server of its own, in its own temporary folder and on its own socket, and only ever
// stops or kills that one: the servers that the rest of the suite plays through are never touched.

#include "MediaTestSupport.h"
#include "SoundCapture.h"
#include "TestSupport.h"
#include "media/MPlayer.h"
#include "platform/services/Exceptions.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

const std::string NotAnswering = "Le serveur de son ne répond pas : le son ne peut pas être joué.";
const std::string NoOutput = "Aucune sortie audio n'est disponible : le son ne peut pas être joué.";

// A PulseAudio server with one null sink, listening in its own temporary folder. While it lives,
// PULSE_SERVER points this process (and the recorders it starts) at it.
class PrivateServer
{
public:
    PrivateServer()
    {
        const char* saved = std::getenv("PULSE_SERVER");
        m_Saved = saved != nullptr ? saved : "";
        m_Tree.MakeDir("runtime");
        ::chmod((m_Tree / "runtime").c_str(), 0700);
        ::setenv("PULSE_SERVER", ("unix:" + m_Tree / "native").c_str(), 1);
    }
    ~PrivateServer()
    {
        Kill();
        if (m_Saved.empty())
            ::unsetenv("PULSE_SERVER");
        else
            ::setenv("PULSE_SERVER", m_Saved.c_str(), 1);
    }

    // Starts the server (again) and waits until it answers.
    bool Start()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(m_Tree / "runtime"));
        environment.insert("HOME", QString::fromStdString(m_Tree.Path()));
        // No session bus: the server must neither find the suite's nor launch one.
        for (const char* name : {"DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "PULSE_SERVER"})
            environment.remove(name);
        m_Process.setProcessEnvironment(environment);
        m_Process.setStandardOutputFile(QString::fromStdString(m_Tree / "server.log"), QIODevice::Append);
        m_Process.setStandardErrorFile(QString::fromStdString(m_Tree / "server.log"), QIODevice::Append);
        m_Process.start("pulseaudio",
                        {"-n", "--daemonize=no", "--use-pid-file=no", "--exit-idle-time=-1", "--realtime=no",
                         "--high-priority=no",
                         "--load=module-null-sink sink_name=" + QString::fromStdString(NullSink()),
                         "--load=module-native-protocol-unix auth-anonymous=1 socket=" +
                             QString::fromStdString(m_Tree / "native")});
        return m_Process.waitForStarted(5000) && WaitFor([] { return PulseReachable(); }, 10000);
    }
    void Freeze() { ::kill(static_cast<pid_t>(m_Process.processId()), SIGSTOP); }
    void Thaw() { ::kill(static_cast<pid_t>(m_Process.processId()), SIGCONT); }
    void Kill()
    {
        if (m_Process.state() == QProcess::NotRunning)
            return;
        ::kill(static_cast<pid_t>(m_Process.processId()), SIGKILL);
        m_Process.waitForFinished(5000);
    }

private:
    TempTree m_Tree;
    QProcess m_Process;
    std::string m_Saved;
};

class ServerTrouble : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable("pulseaudio").isEmpty()) {
            const char* ci = std::getenv("CI");
            if (ci != nullptr && std::string(ci) == "true")
                FAIL() << "pulseaudio is not installed";
            GTEST_SKIP() << "pulseaudio is not installed";
        }
        ASSERT_TRUE(m_Server.Start());
        QObject::connect(&m_Media, &TMediaPlayer::OnNotify, [this] { ++m_Completions; });
    }
    void TearDown() override { UseAudioOutput("null"); }

    // As the player plays a file: close, open, play with a completion request.
    void Play(const std::string& tone)
    {
        m_Media.SetNotify(false);
        m_Media.Close();
        m_Media.FileName = TonePath(tone);
        m_Media.SetNotify(false);
        m_Media.Open();
        m_Media.SetNotify(true);
        m_Media.Play();
        m_Awaited = m_Completions + 1;
    }
    // Plays the open device again from where it stands.
    void PlayAgain()
    {
        m_Media.SetNotify(true);
        m_Media.Play();
        m_Awaited = m_Completions + 1;
    }
    // The result of the last play's completion; nvSuperseded stands for none in time.
    TMPNotifyResult End(int timeoutMs = 8000)
    {
        if (!WaitFor([this] { return m_Completions >= m_Awaited; }, timeoutMs))
            return nvSuperseded;
        return m_Media.NotifyValue();
    }
    // The message that opening a tone raises, empty when it opens.
    static std::string OpenError(TMediaPlayer& media, const std::string& tone)
    {
        media.FileName = TonePath(tone);
        try {
            media.Open();
        } catch (const EMCIDeviceError& raised) {
            return raised.Message();
        }
        return {};
    }

    PrivateServer m_Server;
    TMediaPlayer m_Media;
    int m_Completions = 0;
    int m_Awaited = 0;
};

// With the output chosen as a user's player chooses it: a stopped server must neither keep the
// window waiting nor lead to the other outputs (ALSA's default device is often that same server).
TEST_F(ServerTrouble, StoppedServerFailsWithinTheLimitAndServesAgainOnceResumed)
{
    ::unsetenv("QUELMO_AUDIO_OUTPUT");
    Play("440_300");
    ASSERT_EQ(End(), nvSuccessful); // its stream is kept for the next file

    m_Server.Freeze();
    // Once through the kept stream, once through a new connection: each time the message within
    // about the limit.
    for (int attempt = 1; attempt <= 2; ++attempt) {
        QElapsedTimer took;
        took.start();
        EXPECT_EQ(OpenError(m_Media, "440_300"), NotAnswering) << "attempt " << attempt;
        EXPECT_LT(took.elapsed(), 4000) << "attempt " << attempt;
        EXPECT_FALSE(m_Media.Opened());
    }
    m_Server.Thaw();

    // Stopped while playing: the play ends as failed, and the device no longer says it plays.
    Play("1500_1200");
    ASSERT_TRUE(WaitFor([&] { return m_Media.GetPosition() >= 200; }));
    m_Server.Freeze();
    EXPECT_EQ(End(), nvFailure);
    EXPECT_EQ(m_Media.GetMode(), mpStopped);
    m_Server.Thaw();

    Play("440_300");
    EXPECT_EQ(End(), nvSuccessful);
}

TEST_F(ServerTrouble, KilledServerFailsThePlayAndARestartedOneIsHeard)
{
    UseAudioOutput("pulse");
    Play("440_300");
    ASSERT_EQ(End(), nvSuccessful); // its stream is kept for the next file

    // Restarted between two files: the kept stream is dead, the next file gets a new connection.
    m_Server.Kill();
    ASSERT_TRUE(m_Server.Start());
    {
        Recorder recorder;
        ASSERT_TRUE(recorder.Started());
        WaitFor([] { return false; }, 300); // the recording is running
        Play("1000_800");
        ASSERT_EQ(End(), nvSuccessful);
        WaitFor([] { return false; }, 300);
        std::vector<int16_t> samples = recorder.Stop();
        std::vector<Stretch> stretches = SoundStretches(samples);
        ASSERT_EQ(stretches.size(), 1u) << "recorded " << Milliseconds(samples.size()) << " ms";
        EXPECT_NEAR(Milliseconds(stretches[0].End - stretches[0].Begin), 800.0, 50.0);
        EXPECT_NEAR(Frequency(samples, stretches[0]), 1000.0, 5.0);
    }

    // Killed while playing: the play ends as failed, and the device no longer says it plays.
    Play("1500_1200");
    ASSERT_TRUE(WaitFor([&] { return m_Media.GetPosition() >= 200; }));
    m_Server.Kill();
    EXPECT_EQ(End(), nvFailure);
    EXPECT_EQ(m_Media.GetMode(), mpStopped);
    // While nothing listens, opening another file fails with the message, and playing the same
    // device again fails at once.
    TMediaPlayer other;
    EXPECT_EQ(OpenError(other, "440_300"), NoOutput);
    PlayAgain();
    EXPECT_EQ(End(), nvFailure);

    // Back: the same device plays on through a new connection.
    ASSERT_TRUE(m_Server.Start());
    PlayAgain();
    EXPECT_EQ(End(), nvSuccessful);
}

} // namespace
