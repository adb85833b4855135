// "Open with Quelmo" and the tags that the desktop's media controls show, on the built program
// driven by playerctl over a session bus of the test's own (no other test's player can hold the
// player's name there): a file on the command line plays with its tags in the metadata, a second
// copy started with a file hands it to the first and ends, and any client's OpenUri does the same.

#include "ProgramLaunch.h"
#include "TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QUrl>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

std::string BigEndian(uint32_t value, int bitsPerByte)
{
    std::string bytes;
    for (int shift = 3 * bitsPerByte; shift >= 0; shift -= bitsPerByte)
        bytes += char((value >> shift) & ((1U << bitsPerByte) - 1));
    return bytes;
}

std::string Frame(const std::string& id, const std::string& body)
{
    return id + BigEndian(uint32_t(body.size()), 8) + std::string(2, '\0') + body;
}

// UTF-16 with its byte-order mark, as ID3v2 text of encoding 1.
std::string Utf16(const QString& text)
{
    std::string bytes = "\xff\xfe";
    for (QChar c : text)
        bytes += {char(c.unicode() & 0xff), char(c.unicode() >> 8)};
    return bytes;
}

// An ID3v2.3 tag: a Latin-1 title, a UTF-16 artist and album, the numbered genre 17 and a cover.
std::string Id3v2Tag(const std::string& cover)
{
    const std::string frames =
        Frame("TIT2", std::string(1, '\0') + "Chanson d'\xe9t\xe9") +
        Frame("TPE1", "\x01" + Utf16("Zoë & Ωmega")) + Frame("TALB", "\x01" + Utf16("Album №5")) +
        Frame("TRCK", std::string(1, '\0') + "3/12") + Frame("TYER", std::string(1, '\0') + "2009") +
        Frame("TCON", std::string(1, '\0') + "(17)") +
        Frame("APIC", std::string(1, '\0') + "image/png" + '\0' + '\x03' + '\0' + cover);
    return "ID3\x03" + std::string(2, '\0') + BigEndian(uint32_t(frames.size()), 7) + frames;
}

// An ID3v1.1 tag (Latin-1) with a title, an artist and genre 13.
std::string Id3v1Tag()
{
    auto field = [](const std::string& text, size_t size) {
        return text + std::string(size - text.size(), '\0');
    };
    return "TAG" + field("Caf\xe9", 30) + field("Artiste", 30) + field("", 30) + "1999" + field("", 28) +
           '\0' + '\x07' + '\x0d';
}

class OpenWithTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const bool ci = std::getenv("CI") != nullptr && std::string(std::getenv("CI")) == "true";
        const bool tools = !QStandardPaths::findExecutable("playerctl").isEmpty() &&
                           !QStandardPaths::findExecutable("dbus-daemon").isEmpty();
        if (std::getenv("DISPLAY") == nullptr || !tools) {
            if (ci)
                FAIL() << "no X server, playerctl or dbus-daemon: scripts/install-deps and test-services";
            GTEST_SKIP() << "needs an X server (scripts/test-services start), playerctl and dbus-daemon";
        }
        for (const char* dir : {"home/.config", "home/.cache", "etc", "Music/Album", "Other"})
            tree.MakeDir(dir);
        const std::string tone = ReadFile(std::string(QUELMO_DESKTOP_FIXTURES) + "/tone_550_20000.mp3");
        cover = "\x89PNG\r\n\x1a\n" + std::string(2000, 'c');
        tree.WriteFile("Music/Album/a.mp3", tone);
        tree.WriteFile("Music/Album/b.mp3", Id3v2Tag(cover) + tone);
        tree.WriteFile("Other/c.mp3", tone + Id3v1Tag());
        tree.WriteFile("notes.txt", "not a sound");

        bus.start("dbus-daemon", {"--session", "--nofork", "--nosyslog",
                                  QString::fromStdString("--address=unix:path=" + tree / "bus")});
        ASSERT_TRUE(WaitFor([&] { return tree.Exists("bus"); }));
        env = QProcessEnvironment::systemEnvironment();
        UseTreeAsSystem(env, tree);
        env.insert("DBUS_SESSION_BUS_ADDRESS", QString::fromStdString("unix:path=" + tree / "bus"));
        env.insert("XDG_CACHE_HOME", QString::fromStdString(tree / "home/.cache"));
        env.insert("QUELMO_AUDIO_OUTPUT", "null");
    }
    void TearDown() override
    {
        for (QProcess* process : {&player, &bus}) {
            process->kill();
            process->waitForFinished(5000);
        }
    }

    void Start(QProcess& program, const QStringList& arguments)
    {
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(QString::fromStdString(tree.Path()));
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(QUELMO_PROGRAM, arguments);
    }
    QString Playerctl(const QStringList& arguments)
    {
        QProcess tool;
        tool.setProcessEnvironment(env);
        tool.start("playerctl", arguments);
        tool.waitForFinished(10000);
        return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    }
    QString Field(const QString& name) { return Playerctl({"-p", "quelmo", "metadata", name}); }
    // Waits until the player plays the file of this title.
    bool Plays(const QString& title)
    {
        return WaitFor(
            [&] {
                return Playerctl({"-p", "quelmo", "status"}) == "Playing" && Field("xesam:title") == title;
            },
            15000);
    }
    QString Url(const std::string& relative) const
    {
        return QUrl::fromLocalFile(QString::fromStdString(tree / relative)).toString();
    }

    TempTree tree;
    QProcess bus;
    QProcess player;
    QProcessEnvironment env;
    std::string cover;
};

TEST_F(OpenWithTest, FileArgumentPlaysWithItsTagsAndASecondCopyHandsItsFileOver)
{
    // Arguments that are no MP3 file are ignored; the file is found from the current directory.
    // The folder list remembers its line of the file's folder selected: the file plays all the same.
    tree.WriteFile("home/.config/Quelmo.ini",
                   "[Config]\r\nDrive_Source=c\r\nDir_Source=c:\\Music\r\nIndex=2\r\n");
    Start(player, {"notes.txt", "-reverse", "Music/Album/b.mp3"});
    ASSERT_TRUE(Plays("Chanson d'été")) << Playerctl({"-p", "quelmo", "metadata"}).toStdString();
    EXPECT_EQ(Field("xesam:artist"), "Zoë & Ωmega");
    EXPECT_EQ(Field("xesam:album"), "Album №5");
    EXPECT_EQ(Field("xesam:trackNumber"), "3");
    EXPECT_EQ(Field("xesam:contentCreated"), "2009");
    EXPECT_EQ(Field("xesam:genre"), "Rock");
    EXPECT_EQ(Field("xesam:url"), Url("Music/Album/b.mp3"));
    const QString art = Field("mpris:artUrl");
    EXPECT_TRUE(art.startsWith(Url("home/.cache/quelmo/covers/"))) << art.toStdString();
    EXPECT_EQ(ReadFile(QUrl(art).toLocalFile().toStdString()), cover);
    // The window goes on showing the file's name.
    const QString pid = QString::number(player.processId());
    EXPECT_FALSE(RunTool("xdotool", {"search", "--all", "--pid", pid, "--name", "^b\\.mp3$"}).isEmpty());

    QProcess second;
    Start(second,
          {QString("file://") + QUrl::toPercentEncoding(QString::fromStdString(tree / "Other/c.mp3"), "/")});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    ASSERT_TRUE(Plays("Café")) << "the running player plays the file the second copy was given";
    EXPECT_EQ(Field("xesam:artist"), "Artiste");
    EXPECT_EQ(Field("xesam:trackNumber"), "7");
    EXPECT_EQ(Field("xesam:url"), Url("Other/c.mp3"));
    EXPECT_EQ(Playerctl({"--list-all"}), "quelmo") << "the second copy ended";

    // Any client's OpenUri; a file without tags is named by its file name.
    Playerctl({"-p", "quelmo", "open", Url("Music/Album/a.mp3")});
    EXPECT_TRUE(Plays("a.mp3"));
    EXPECT_EQ(Field("mpris:artUrl"), "");
}

} // namespace
