// A network share whose server goes away, tried on the built program as a laptop user meets it:
// the share is a FUSE file system of type fuse.sshfs that stops answering (tests/support/
// network-share), mounted in a private mount namespace in which the program then runs. The window
// must come up, every read of the share must give up within its limit with an error box, and the
// program must still end at once and save while a read of the share still waits in the kernel,
// also when that read is the one of a file that plays.

#include "XDesktop.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <csignal>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

const std::string Fixtures = QUELMO_APP_FIXTURES;
const std::string ShareScript = QUELMO_SOURCE_DIR "/tests/support/network-share";

class NetworkShareTest : public PlayerOnDesktop
{
protected:
    void SetUp() override
    {
        if (::geteuid() != 0 || ::access("/dev/fuse", R_OK | W_OK) != 0 ||
            QStandardPaths::findExecutable("unshare").isEmpty() ||
            !std::filesystem::exists("/usr/bin/python3"))
            GTEST_SKIP() << "needs root, /dev/fuse, unshare and python3-fusepy to mount a test share";
        PlayerOnDesktop::SetUp();
        tree.MakeDir("Local");
        tree.MakeDir("served/Music/Album");
        std::filesystem::copy_file(Fixtures + "/tone_440_20000.mp3", tree / "served/Music/Album/a.mp3");
        // The mount point lies outside drive c, so that only drive z stands for the share.
        ::mkdir(Share().c_str(), 0755);
        QProcessEnvironment env = program.processEnvironment();
        env.insert("QUELMO_DRIVES", QString::fromStdString("c=" + tree.Path() + ";y=/;z=" + Share() +
                                                           ":remote:\\\\serveur\\musique"));
        program.setProcessEnvironment(env);
    }
    void TearDown() override
    {
        // The share's server is the program's child; killed first, it lets go of a thread that
        // waits on it, which no signal ends.
        if (program.state() != QProcess::NotRunning)
            QProcess::execute("pkill", {"-KILL", "-P", QString::number(program.processId())});
        PlayerOnDesktop::TearDown();
        ::rmdir(Share().c_str());
    }
    std::string Share() const { return tree.Path() + "-share"; }
    std::string DeadMark() const { return tree / "dead"; }
    void Remember(const std::string& folder)
    {
        tree.WriteFile("home/.config/Quelmo.ini",
                       "[Config]\nDrive_Source=z\nDir_Source=" + folder + "\nIndex=-1\n");
    }
    // Starts the program in a mount namespace of its own with the share mounted; `dead` makes the
    // share silent from its first request.
    void LaunchOnShare(bool dead)
    {
        program.start("unshare",
                      {"-m", QString::fromStdString(ShareScript), QString::fromStdString(tree / "served"),
                       QString::fromStdString(Share()), dead ? "start" : "0",
                       QString::fromStdString(DeadMark()), "--", QUELMO_PROGRAM});
    }
    // A message box; its title is the program's, or the file that plays.
    QString Box(const QString& title = "Quelmo") const { return desktop.Titled('"' + title + '"', window); }
    QString Caption() const { return desktop.Run("xdotool", {"getwindowname", window}).trimmed(); }
    // Ends the program as `quit` does: within the limit, although a read still waits, and saved.
    void ExpectQuickEndThatSaves(const std::function<void()>& quit)
    {
        QElapsedTimer quitting;
        quitting.start();
        quit();
        ASSERT_TRUE(Ended(5000)) << "a read that still waits held up the exit";
        EXPECT_LT(quitting.elapsed(), 2000);
        EXPECT_TRUE(SettingsSaved());
    }
    bool SettingsSaved() const
    {
        QFile file(QString::fromStdString(tree / "home/.config/Quelmo.ini"));
        return file.open(QIODevice::ReadOnly) && file.readAll().contains("Drive_Source=");
    }
};

// At start the window comes up although the share does not answer; the remembered folder on it
// fails as a missing folder does, with a box; SIGTERM while that read still waits ends the
// program within two seconds, and it saves.
TEST_F(NetworkShareTest, RememberedFolderOnASilentShare)
{
    Remember("z:\\Music");
    QElapsedTimer started;
    started.start();
    LaunchOnShare(true);
    ASSERT_TRUE(WaitFor([&] { return !(window = desktop.MainWindow()).isEmpty(); }, 15000));
    EXPECT_LT(started.elapsed(), 2000 + 1500) << "the window waited for the share";
    QString box;
    ASSERT_TRUE(WaitFor([&] { return !(box = Box()).isEmpty(); }, 6000)) << "no box for the silent share";
    desktop.Keys(box, "Return");
    ASSERT_TRUE(WaitFor([&] { return Box().isEmpty(); }, 3000));
    QFile::remove(QString::fromStdString(tree / "home/.config/Quelmo.ini"));

    ExpectQuickEndThatSaves([&] { ::kill(pid_t(program.processId()), SIGTERM); });
}

// A share that answered, then went silent: a click on a folder line and "Lecture" on a file line
// of it each end in a box within the limit, the window keeps answering, and "&Fermer" ends the
// program at once.
TEST_F(NetworkShareTest, FolderAndFileLinesOfAShareThatWentSilent)
{
    Remember("z:\\Music");
    LaunchOnShare(false);
    ASSERT_TRUE(WaitFor([&] { return !(window = desktop.MainWindow()).isEmpty(); }, 15000));
    ASSERT_TRUE(WaitFor([&] { return desktop.WindowState(window) == "Normal"; }, 10000));
    const QPoint album{48, 44 + 2 + 2 * 16 + 8}; // z:\, Music, Album
    // While the share answers, Album's files are listed and the first one is selected.
    desktop.Click(window, album, 1);
    QThread::msleep(500);
    desktop.Click(window, {272 + 50, 20 + 2 + 6}, 1);
    QFile(QString::fromStdString(DeadMark())).open(QIODevice::WriteOnly);

    // "Lecture" on the file line, then the folder line again.
    for (const QPoint& at : {QPoint(272 + 57, 491 + 20), album}) {
        desktop.Click(window, at, 1);
        QElapsedTimer waited;
        waited.start();
        QString box;
        ASSERT_TRUE(WaitFor([&] { return !(box = Box()).isEmpty(); }, 6000)) << "no box for the silent share";
        EXPECT_LT(waited.elapsed(), 2000 + 1500);
        desktop.Keys(box, "Return");
        ASSERT_TRUE(WaitFor([&] { return Box().isEmpty(); }, 3000));
    }
    ExpectQuickEndThatSaves([&] { desktop.Click(window, {558 + 37, 491 + 20}, 1); }); // "&Fermer"
}

// A share that goes silent while a file of it plays: the play ends as a read error ends, within the
// limit of the read that waits, and the sequence waits for the user (had the file ended, the next
// one would have met the silent share, with its box). The window answers all along: "Lecture" says
// which drive does not answer, and "&Fermer" ends the program at once and saves.
TEST_F(NetworkShareTest, ShareThatGoesSilentWhileAFileOfItPlays)
{
    Remember("z:\\Music");
    LaunchOnShare(false);
    ASSERT_TRUE(WaitFor([&] { return !(window = desktop.MainWindow()).isEmpty(); }, 15000));
    ASSERT_TRUE(WaitFor([&] { return desktop.WindowState(window) == "Normal"; }, 10000));
    desktop.Click(window, {48, 44 + 2 + 2 * 16 + 8}, 1); // z:\, Music, Album
    QThread::msleep(500);
    desktop.Click(window, {272 + 50, 20 + 2 + 6}, 1); // a.mp3, 20 s long
    desktop.Click(window, {272 + 57, 491 + 20}, 1);   // "Lecture"
    ASSERT_TRUE(WaitFor([&] { return Caption() == "a.mp3"; }, 5000));
    QThread::msleep(500);
    QFile(QString::fromStdString(DeadMark())).open(QIODevice::WriteOnly);

    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(DeadMark() + ".read"); }, 10000))
        << "the play did not read on from the share";
    QThread::msleep(2000 + 1000);
    EXPECT_TRUE(Box("a.mp3").isEmpty()) << "the play ended as if the file had ended";
    desktop.Click(window, {272 + 57, 491 + 20}, 1); // "Lecture"
    QString box;
    ASSERT_TRUE(WaitFor([&] { return !(box = Box("a.mp3")).isEmpty(); }, 2000 + 1500)) << "the window froze";
    desktop.Keys(box, "Return");
    ASSERT_TRUE(WaitFor([&] { return Box("a.mp3").isEmpty(); }, 3000));

    ExpectQuickEndThatSaves([&] { desktop.Click(window, {558 + 37, 491 + 20}, 1); }); // "&Fermer"
}

} // namespace
