// The built player on the tests' own session bus, with real sound: a client introspects its MPRIS
// service, reads the properties while it is stopped and while it plays, calls every method, and
// checks that the window, the PulseAudio stream and what the null sink plays follow.

#include "ProgramLaunch.h"
#include "SoundCapture.h"
#include "TestSupport.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

const char* const Path = "/org/mpris/MediaPlayer2";
const char* const Root = "org.mpris.MediaPlayer2";
const char* const Player = "org.mpris.MediaPlayer2.Player";
const char* const Properties = "org.freedesktop.DBus.Properties";

// The playback states and volumes that the service announced, and the positions it moved to, in
// order.
class ChangeListener : public QObject
{
    Q_OBJECT
public:
    QStringList Statuses;
    QList<double> Volumes;
    QList<qlonglong> Seeks;
public slots:
    void Changed(const QString& interface, const QVariantMap& changed, const QStringList&)
    {
        if (interface == Player && changed.contains("PlaybackStatus"))
            Statuses << changed.value("PlaybackStatus").toString();
        if (interface == Player && changed.contains("Volume"))
            Volumes << changed.value("Volume").toDouble();
    }
    void Seeked(qlonglong position) { Seeks << position; }
};

// The root mean square of a stretch of a recording, from `fromMs` to `toMs`.
double Level(const std::vector<int16_t>& samples, double fromMs, double toMs)
{
    const auto from = static_cast<size_t>(fromMs * RecordRate / 1000);
    const auto to = std::min(samples.size(), static_cast<size_t>(toMs * RecordRate / 1000));
    double sum = 0;
    for (size_t i = from; i < to; ++i)
        sum += double(samples[i]) * samples[i];
    return to > from ? std::sqrt(sum / double(to - from)) : 0;
}

class MprisTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const bool ci = std::getenv("CI") != nullptr && std::string(std::getenv("CI")) == "true";
        if (std::getenv("DISPLAY") == nullptr || std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr ||
            !PulseReachable()) {
            if (ci)
                FAIL()
                    << "no X server, session bus or PulseAudio server: scripts/test-services start must run";
            GTEST_SKIP() << "needs eval \"$(scripts/test-services start)\"";
        }
        tree.MakeDir("home/.config");
        tree.MakeDir("etc");
        tree.MakeDir("Music/Album");
        for (const auto& [tone, name] : {std::pair{"440", "a.mp3"}, {"660", "b.mp3"}, {"880", "c.mp3"}})
            std::filesystem::copy_file(std::string(QUELMO_DESKTOP_FIXTURES) + "/tone_" + tone + "_3000.mp3",
                                       tree / ("Music/Album/" + std::string(name)));
        // The directory list starts at c:\Music with its line "Album" chosen: the files are listed.
        tree.WriteFile("home/.config/Quelmo.ini",
                       "[Config]\nDrive_Source=c\nDir_Source=c:\\Music\nIndex=2\n");

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        UseTreeAsSystem(env, tree);
        env.remove("QUELMO_AUDIO_OUTPUT"); // the user's sound server
        player.setProcessEnvironment(env);
        player.setProcessChannelMode(QProcess::ForwardedChannels);
        player.start(QUELMO_PROGRAM, {});
        ASSERT_TRUE(WaitFor([&] { return !(service = PlayersName()).isEmpty(); }, 15000))
            << "the player takes an MPRIS name";
        window = WaitForProgramWindow(player);
        ASSERT_FALSE(window.isEmpty());
        bus.connect(service, Path, Properties, "PropertiesChanged", &listener,
                    SLOT(Changed(QString, QVariantMap, QStringList)));
        bus.connect(service, Path, Player, "Seeked", &listener, SLOT(Seeked(qlonglong)));
    }
    void TearDown() override
    {
        player.kill();
        player.waitForFinished(5000);
    }

    // The name on the bus that this test's player owns (other copies may run beside it).
    QString PlayersName() const
    {
        QDBusConnectionInterface* names = bus.interface();
        for (const QString& name : names->registeredServiceNames().value())
            if (name.startsWith("org.mpris.MediaPlayer2.quelmo") &&
                names->servicePid(name).value() == uint(player.processId()))
                return name;
        return {};
    }
    QDBusMessage Call(const QString& interface, const QString& method, const QVariantList& arguments = {},
                      int timeoutMs = 10000)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(service, Path, interface, method);
        call.setArguments(arguments);
        return bus.call(call, QDBus::Block, timeoutMs);
    }
    // Runs a method of the player; true when it answered without error within the time given.
    bool Run(const QString& method, int timeoutMs = 10000)
    {
        return Call(Player, method, {}, timeoutMs).type() == QDBusMessage::ReplyMessage;
    }
    QVariant Get(const QString& interface, const QString& name)
    {
        const QDBusMessage reply = Call(Properties, "Get", {interface, name});
        return reply.arguments().isEmpty() ? QVariant()
                                           : reply.arguments()[0].value<QDBusVariant>().variant();
    }
    QString Status() { return Get(Player, "PlaybackStatus").toString(); }
    QVariantMap Metadata() { return qdbus_cast<QVariantMap>(Get(Player, "Metadata").value<QDBusArgument>()); }
    QString Title() { return Metadata().value("xesam:title").toString(); }
    QString TrackId() { return Metadata().value("mpris:trackid").value<QDBusObjectPath>().path(); }
    // The program's windows on screen: the main window, and any message box it shows.
    qsizetype Windows()
    {
        const QString found =
            RunTool("xdotool", {"search", "--onlyvisible", "--pid", QString::number(player.processId())});
        return found.isEmpty() ? 0 : found.split('\n').size();
    }
    qlonglong Position() { return Get(Player, "Position").toLongLong(); }
    // Waits until the player plays `title` and has been heard for a while.
    bool Plays(const QString& title)
    {
        return WaitFor([&] { return Status() == "Playing" && Title() == title && Position() >= 300000; },
                       5000);
    }
    QString Caption() { return RunTool("xdotool", {"getwindowname", window}); }
    // The properties of the player's stream as the PulseAudio server lists them.
    QString StreamProperties() { return RunTool("pactl", {"list", "sink-inputs"}); }
    // The stream's number on the server.
    QString StreamIndex()
    {
        for (const QString& input : StreamProperties().split("Sink Input #"))
            if (input.contains("application.name = \"Quelmo\""))
                return input.section('\n', 0, 0).trimmed();
        return {};
    }
    // Runs a playerctl command on this test's player; true when it answered.
    bool Playerctl(const QStringList& command)
    {
        QProcess tool;
        tool.start("playerctl", QStringList{"-p", service.mid(QString(Root).size() + 1)} + command);
        return tool.waitForFinished(10000) && tool.exitCode() == 0;
    }

    QDBusConnection bus = QDBusConnection::sessionBus();
    TempTree tree;
    QProcess player;
    QString service;
    QString window;
    ChangeListener listener;
};

TEST_F(MprisTest, IntrospectPropertiesAndEveryMethodWithRealSound)
{
    const QString xml =
        Call("org.freedesktop.DBus.Introspectable", "Introspect").arguments().value(0).toString();
    EXPECT_TRUE(xml.contains("<interface name=\"org.mpris.MediaPlayer2\">")) << xml.toStdString();
    EXPECT_TRUE(xml.contains("<interface name=\"org.mpris.MediaPlayer2.Player\">"));

    EXPECT_EQ(Get(Root, "Identity").toString(), "Quelmo");
    EXPECT_EQ(Get(Root, "DesktopEntry").toString(), "quelmo");
    EXPECT_TRUE(Get(Root, "CanQuit").toBool());
    EXPECT_TRUE(Get(Root, "CanRaise").toBool());
    EXPECT_EQ(Status(), "Stopped");
    EXPECT_EQ(TrackId().toStdString(), "/org/mpris/MediaPlayer2/TrackList/NoTrack");
    for (const char* name : {"CanPlay", "CanPause", "CanGoNext", "CanGoPrevious", "CanControl"})
        EXPECT_TRUE(Get(Player, name).toBool()) << name;
    EXPECT_FALSE(Get(Player, "CanSeek").toBool()) << "nothing to seek in while stopped";
    EXPECT_EQ(Get(Player, "LoopStatus").toString(), "Playlist");
    EXPECT_DOUBLE_EQ(Get(Player, "Rate").toDouble(), 1.0);

    Recorder recorder;
    ASSERT_TRUE(recorder.Started());
    ASSERT_TRUE(Run("Play"));
    ASSERT_TRUE(Plays("a.mp3")) << Status().toStdString() << " " << Title().toStdString();
    const QVariantMap metadata = Metadata();
    EXPECT_EQ(metadata.value("xesam:url").toString(),
              QString::fromStdString("file://" + tree.Path() + "/Music/Album/a.mp3"));
    EXPECT_NEAR(metadata.value("mpris:length").toLongLong(), 3000000, 100000);
    EXPECT_EQ(Caption(), "a.mp3");
    const QString stream = StreamProperties();
    for (const char* property :
         {"media.role = \"music\"", "application.icon_name = \"quelmo\"", "media.name = \"a.mp3\""})
        EXPECT_TRUE(stream.contains(property)) << property << "\n" << stream.toStdString();

    ASSERT_TRUE(Run("Pause"));
    EXPECT_TRUE(WaitFor([&] { return Status() == "Paused"; }));
    ASSERT_TRUE(Run("PlayPause"));
    EXPECT_TRUE(WaitFor([&] { return Status() == "Playing"; }));
    ASSERT_TRUE(Run("Next"));
    EXPECT_TRUE(Plays("b.mp3"));
    EXPECT_EQ(Caption(), "b.mp3");
    // The keyboard's media key, in the window: the same as Next.
    RunTool("xdotool", {"key", "--window", window, "XF86AudioNext"});
    EXPECT_TRUE(Plays("c.mp3"));
    EXPECT_TRUE(StreamProperties().contains("media.name = \"c.mp3\"")) << "the kept stream is renamed";
    ASSERT_TRUE(Run("Previous"));
    EXPECT_TRUE(Plays("b.mp3"));
    // The desktop's slider: b.mp3 goes on from 2.5 s, plays its last half second, and c.mp3 follows.
    const qlonglong beforeSeek = Position();
    ASSERT_EQ(
        Call(Player, "SetPosition", {QVariant::fromValue(QDBusObjectPath(TrackId())), qlonglong(2500000)})
            .type(),
        QDBusMessage::ReplyMessage);
    EXPECT_NEAR(Position(), 2500000, 100000);
    EXPECT_TRUE(WaitFor([&] { return !listener.Seeks.isEmpty(); }));
    EXPECT_NEAR(listener.Seeks.value(0), 2500000, 30000);
    EXPECT_TRUE(Plays("c.mp3"));
    // Volume: the stream's own on the server, both ways.
    ASSERT_TRUE(Playerctl({"volume", "0.5"}));
    EXPECT_NEAR(Get(Player, "Volume").toDouble(), 0.5, 0.01);
    const qlonglong halfFrom = Position();
    for (const char* command : {"status", "position", "volume", "loop", "shuffle", "metadata"})
        EXPECT_TRUE(Playerctl({command})) << command;
    EXPECT_TRUE(WaitFor([&] { return Position() >= 1800000; }));
    const qlonglong halfTo = Position();
    const QString index = StreamIndex();
    RunTool("pactl", {"set-sink-input-volume", index, "0.25"});
    EXPECT_TRUE(WaitFor([&] { return !listener.Volumes.isEmpty() && listener.Volumes.back() < 0.3; }))
        << "a change in the sound settings is announced: stream " << index.toStdString() << " "
        << QStringList(QStringList() << QString::number(listener.Volumes.size())).join(",").toStdString()
        << " now " << Get(Player, "Volume").toDouble();
    EXPECT_NEAR(Get(Player, "Volume").toDouble(), 0.25, 0.01);
    ASSERT_TRUE(Run("Stop"));
    EXPECT_TRUE(WaitFor([&] { return Status() == "Stopped"; }));
    EXPECT_EQ(Metadata().value("mpris:trackid").value<QDBusObjectPath>().path(),
              "/org/mpris/MediaPlayer2/TrackList/NoTrack");
    const std::vector<int16_t> samples = recorder.Stop();

    std::vector<HeardTone> runs;
    for (const HeardTone& tone : HeardTones(samples, {440, 660, 880}))
        if (runs.empty() || runs.back().Frequency != tone.Frequency)
            runs.push_back(tone);
        else
            runs.back().EndMs = tone.EndMs;
    std::vector<double> order;
    for (const HeardTone& run : runs)
        order.push_back(run.Frequency);
    ASSERT_EQ(order, (std::vector<double>{440, 660, 880, 660, 880})) << Milliseconds(samples.size()) << " ms";
    // b.mp3 was heard up to the seek, then for its last half second.
    EXPECT_NEAR(runs[3].EndMs - runs[3].StartMs, double(beforeSeek) / 1000 + 500, 100);
    // c.mp3: full for its first 300 ms, then half the amplitude between the two positions read around
    // that stretch, then (its last moments) a quarter.
    const HeardTone& last = runs[4];
    const double full = Level(samples, last.StartMs + 50, last.StartMs + 250);
    EXPECT_NEAR(Level(samples, last.StartMs + double(halfFrom) / 1000 + 100,
                      last.StartMs + double(halfTo) / 1000 - 100),
                full / 2, full / 20);
    EXPECT_TRUE(WaitFor([&] { return listener.Statuses.size() >= 4; }));
    EXPECT_EQ(listener.Statuses, (QStringList{"Playing", "Paused", "Playing", "Stopped"}));

    ASSERT_TRUE(Call(Root, "Raise").type() == QDBusMessage::ReplyMessage);
    EXPECT_FALSE(RunTool("xdotool", {"search", "--onlyvisible", "--pid", QString::number(player.processId())})
                     .isEmpty());
    ASSERT_TRUE(Call(Root, "Quit").type() == QDBusMessage::ReplyMessage);
    ASSERT_TRUE(player.waitForFinished(10000)) << "Quit ends the program";
    EXPECT_EQ(player.exitCode(), 0);
    EXPECT_EQ(tree.ReadFile("home/.config/Quelmo.ini"),
              "[Config]\nDrive_Source=c\nDir_Source=c:\\Music\nIndex=2\n");
}

// Next walks the whole list whatever its lines hold: a file that fails to open shows its error box
// (the call is answered first, and so are the calls that come while the box is open), a file that
// has gone plays nothing, and each following Next goes on from the line it last tried.
TEST_F(MprisTest, NextWalksPastLinesThatPlayNothing)
{
    ASSERT_TRUE(Run("Play"));
    ASSERT_TRUE(Plays("a.mp3"));
    tree.WriteFile("Music/Album/b.mp3", "not a sound file\n");
    std::filesystem::remove(tree / "Music/Album/c.mp3");
    ASSERT_TRUE(Run("Next", 2000)) << "answered before the error box";
    EXPECT_TRUE(WaitFor([&] { return Windows() == 2; })) << "the error box shows";
    ASSERT_TRUE(Run("Next", 2000));
    EXPECT_TRUE(WaitFor([&] { return Status() == "Stopped"; }));
    // A line whose file has gone shows nothing, and the player already reads "Stopped" since the
    // line before failed: nothing tells that this Next has been carried out. The next one must not
    // come first (the window's handlers take pending requests in the middle of their work).
    QThread::msleep(1000);
    ASSERT_TRUE(Run("Next", 2000));
    EXPECT_TRUE(Plays("a.mp3")) << Status().toStdString() << " " << Title().toStdString();
    EXPECT_EQ(Windows(), 2) << "the box waits for the user";
}

// "Stop" of a paused file leaves the device paused, as the window does, but the desktop is told
// that the player stopped and plays no track; the next Play starts a file again.
TEST_F(MprisTest, StopWhilePausedTellsStoppedAndNoTrack)
{
    ASSERT_TRUE(Run("Play"));
    ASSERT_TRUE(Plays("a.mp3"));
    ASSERT_TRUE(Run("Pause"));
    ASSERT_TRUE(WaitFor([&] { return Status() == "Paused"; }));
    RunTool("xdotool", {"key", "--window", window, "XF86AudioStop"});
    EXPECT_TRUE(WaitFor([&] { return Status() == "Stopped"; }));
    EXPECT_EQ(TrackId().toStdString(), "/org/mpris/MediaPlayer2/TrackList/NoTrack");
    EXPECT_EQ(Position(), 0);
    EXPECT_TRUE(WaitFor([&] { return listener.Statuses.value(listener.Statuses.size() - 1) == "Stopped"; }));
    EXPECT_TRUE(StreamProperties().contains("media.name = \"a.mp3\"")) << "the paused file stays open";
    ASSERT_TRUE(Run("Play"));
    EXPECT_TRUE(WaitFor([&] { return Status() == "Playing" && !Title().isEmpty(); }));
}

} // namespace

#include "MprisTest.moc"
