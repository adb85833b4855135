// The built program on a real X desktop where users' machines differ from a test machine: a signal
// or the X server's loss at awkward moments, files the program reads that are no plain files, a
// session bus whose daemon hangs, and settings files left by a killed write, kept behind a link or
// grown larger than the screen.

#include "XDesktop.h"

#include <QDataStream>
#include <QSettings>
#include <QWidget>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const HelpTitle = R"("Aide du lecteur MP3 Quelmo")";

class RealMachineTest : public PlayerOnDesktop
{
protected:
    void SetEnv(const char* name, const std::string& value)
    {
        QProcessEnvironment env = program.processEnvironment();
        env.insert(name, QString::fromStdString(value));
        program.setProcessEnvironment(env);
    }
    // The machine's own drive table, with the letters kept in the user's folder of the tree.
    void UseSystemDrives()
    {
        QProcessEnvironment env = program.processEnvironment();
        env.remove("QUELMO_DRIVES");
        program.setProcessEnvironment(env);
    }
    void Signal(int number) { ::kill(pid_t(program.processId()), number); }
    QString WaitForTitled(const QString& pattern, const QString& other = {})
    {
        QString found;
        WaitFor([&] { return !(found = desktop.Titled(pattern, other)).isEmpty(); }, 15000);
        return found;
    }
    QString OpenHelp()
    {
        desktop.Keys(window, "F1");
        return WaitForTitled(HelpTitle, window);
    }
    bool EndedCleanly() { return Ended() && program.exitStatus() == QProcess::NormalExit; }
};

TEST_F(RealMachineTest, EndedAtAnyMomentItEndsCleanlyAndSaves)
{
    // No drive letter: the file gains it when the program saves at its end.
    const std::string unsaved = "[Config]\nDir_Source=c:\\Music\nIndex=-1\n";
    tree.MakeDir("Music");
    {
        SCOPED_TRACE("a signal while a box of the first show is up");
        tree.WriteFile("home/.config/Quelmo.ini", "[Config]\nDir_Source=c:\\Parti\nIndex=-1\n");
        program.start(QUELMO_PROGRAM, QStringList());
        ASSERT_FALSE(WaitForTitled(R"("Quelmo")").isEmpty()) << "Fichier introuvable.";
        Signal(SIGTERM);
        ASSERT_TRUE(EndedCleanly()) << "the signal is not lost behind the box";
        EXPECT_EQ(program.exitCode(), 0);
        EXPECT_NE(tree.ReadFile("home/.config/Quelmo.ini").find("Drive_Source=c"), std::string::npos);
    }
    {
        SCOPED_TRACE("a table that names c: twice, then a signal");
        SetEnv("QUELMO_DRIVES", "c=/;c=" + tree.Path() + ";y=/");
        std::filesystem::remove(tree / "home/.config/Quelmo.ini"); // its folder is on no drive now
        program.start(QUELMO_PROGRAM, QStringList());
        WaitFor([&] { return !desktop.MainWindow().isEmpty() || !desktop.Titled(R"("Quelmo")").isEmpty(); },
                15000);
        EXPECT_TRUE(WaitFor([&] { return desktop.Titled(R"("Quelmo")").isEmpty(); }, 2000))
            << "the table is refused, and no box shows";
        Signal(SIGTERM);
        ASSERT_TRUE(EndedCleanly());
        EXPECT_EQ(program.exitCode(), 0);
    }
    {
        // Last: it ends the desktop.
        SCOPED_TRACE("the X server gone with the help window open");
        SetEnv("QUELMO_DRIVES", "c=" + tree.Path() + ";y=/");
        tree.WriteFile("home/.config/Quelmo.ini", unsaved);
        ASSERT_NO_FATAL_FAILURE(Launch());
        ASSERT_FALSE(OpenHelp().isEmpty());
        desktop.KillServer();
        ASSERT_TRUE(EndedCleanly()) << "no window is destroyed under the window system";
        EXPECT_EQ(tree.ReadFile("home/.config/Quelmo.ini"), unsaved + "Drive_Source=c\n");
    }
}

// A session bus whose daemon hangs: it is there, takes connections and never answers.
class FrozenBus
{
public:
    explicit FrozenBus(const std::string& socket)
    {
        m_Daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address",
                                       QString::fromStdString("--address=unix:path=" + socket)});
        m_Frozen = m_Daemon.waitForStarted() && m_Daemon.waitForReadyRead(10000) &&
                   ::kill(pid_t(m_Daemon.processId()), SIGSTOP) == 0;
    }
    ~FrozenBus()
    {
        m_Daemon.kill();
        m_Daemon.waitForFinished(5000);
    }
    FrozenBus(const FrozenBus&) = delete;
    FrozenBus& operator=(const FrozenBus&) = delete;
    bool Frozen() const { return m_Frozen; }

private:
    QProcess m_Daemon;
    bool m_Frozen = false;
};

TEST_F(RealMachineTest, NeitherASilentBusNorFifosHoldTheWindowOrTheHelp)
{
    const FrozenBus bus(tree / "bus");
    ASSERT_TRUE(bus.Frozen());
    SetEnv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (tree / "bus"));
    UseSystemDrives();
    tree.MakeDir("home/.config/Quelmo");
    for (const char* fifo : {"home/.config/Quelmo-lecteurs.txt", "home/.config/Quelmo/hhctrl.ini"})
        ASSERT_EQ(::mkfifo((tree / fifo).c_str(), 0600), 0);

    ASSERT_NO_FATAL_FAILURE(Launch()) << "the window comes up";
    EXPECT_FALSE(OpenHelp().isEmpty()) << "F1 opens the help";
    Signal(SIGTERM);
    EXPECT_TRUE(EndedCleanly());
}

TEST_F(RealMachineTest, SettingsSurviveKilledWritesLinksAndOversizedRecords)
{
    UseSystemDrives();
    // What a write killed two minutes ago left, beside a copy the user made.
    tree.WriteFile("home/.config/Quelmo.ini.k3Xq9Z", "[Config]\nDrive_Source=d\n");
    const timespec old[2] = {{::time(nullptr) - 120, 0}, {::time(nullptr) - 120, 0}};
    ::utimensat(AT_FDCWD, (tree / "home/.config/Quelmo.ini.k3Xq9Z").c_str(), old, 0);
    tree.WriteFile("home/.config/Quelmo.ini.backup", "[Config]\n");
    // The letters kept in a file of the user's elsewhere, behind a link.
    tree.WriteFile("dotfiles/lecteurs.txt", "quelmo-drive-letters 1\ngeneration 1\nm 1 uuid:feedface\n");
    std::filesystem::create_symlink("../../dotfiles/lecteurs.txt", tree / "home/.config/Quelmo-lecteurs.txt");
    // A help window record far larger than the 1024 × 768 screen.
    {
        QWidget huge;
        huge.setGeometry(0, 0, 20000, 20000);
        QSettings record(QString::fromStdString(tree / "home/.config/Quelmo/hhctrl.ini"),
                         QSettings::IniFormat);
        record.setValue("Fenetre/Geometry", huge.saveGeometry());
    }

    ASSERT_NO_FATAL_FAILURE(Launch());
    EXPECT_FALSE(tree.Exists("home/.config/Quelmo.ini.k3Xq9Z")) << "the leftover is removed at the start";
    const QString help = OpenHelp();
    ASSERT_FALSE(help.isEmpty());
    const QRect place = desktop.Geometry(help);
    EXPECT_TRUE(QRect(0, 0, 1024, 768).contains(place))
        << place.x() << "," << place.y() << " " << place.width() << "×" << place.height();
    desktop.Keys(help, "alt+F4");
    ASSERT_TRUE(WaitFor([&] { return desktop.Titled(HelpTitle, window).isEmpty(); }));
    Signal(SIGTERM);
    ASSERT_TRUE(EndedCleanly());

    EXPECT_EQ(tree.ReadFile("home/.config/Quelmo.ini.backup"), "[Config]\n");
    EXPECT_TRUE(std::filesystem::is_symlink(tree / "home/.config/Quelmo-lecteurs.txt"));
    EXPECT_NE(tree.ReadFile("dotfiles/lecteurs.txt").find("m 1 uuid:feedface"), std::string::npos);
    // The record kept is of a window within the screen: its normal geometry follows the magic
    // number, the version and the frame in the bytes QWidget::saveGeometry writes.
    QByteArray saved =
        QSettings(QString::fromStdString(tree / "home/.config/Quelmo/hhctrl.ini"), QSettings::IniFormat)
            .value("Fenetre/Geometry")
            .toByteArray();
    QDataStream stream(saved);
    quint32 magic = 0;
    quint16 major = 0, minor = 0;
    QRect frame, normal;
    stream >> magic >> major >> minor >> frame >> normal;
    EXPECT_TRUE(QRect(0, 0, 1024, 768).contains(frame)) << frame.width() << "×" << frame.height();
}

} // namespace
