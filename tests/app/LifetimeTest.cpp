// The program's lifetime and its settings file, tried on the built program on a real X desktop as
// a user's day would go: a new account, the help window open, the window hidden in the notification
// area while an error box comes and goes, a logout's signals, the X server going away, and settings
// files that users keep in unusual ways.

#include "XDesktop.h"

#include <QProcess>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string Fixtures = QUELMO_APP_FIXTURES;
const char* const HelpTitle = R"("Aide du lecteur MP3 Quelmo")";
const std::string Remembered = "[Config]\nDrive_Source=c\nDir_Source=c:\\Music\nIndex=-1\n";

class LifetimeTest : public PlayerOnDesktop
{
protected:
    void SetUp() override
    {
        PlayerOnDesktop::SetUp();
        tree.MakeDir("Music/Album");
        std::filesystem::copy_file(Fixtures + "/tone_440_6000.mp3", tree / "Music/Album/a.mp3");
        // Not an MP3 at all: opening it fails with the error box.
        std::string text;
        for (int i = 0; i < 200; ++i)
            text += "Ceci n'est pas un fichier MP3.\n";
        tree.WriteFile("Music/Album/b.mp3", text);
        // Drive d holds the program, its help control and its help file.
        QProcessEnvironment env = program.processEnvironment();
        env.insert("QUELMO_DRIVES", QString::fromStdString("c=" + tree.Path() + ";d=/"));
        program.setProcessEnvironment(env);
    }
    void UseConfigFolder(const std::string& relative)
    {
        QProcessEnvironment env = program.processEnvironment();
        env.insert("XDG_CONFIG_HOME", QString::fromStdString(tree / relative));
        program.setProcessEnvironment(env);
    }
    QString Caption() const { return desktop.Run("xdotool", {"getwindowname", window}).trimmed(); }
    // A click on Album (the directory list shows c:\, Music and Album, 16 pixels a line from 44),
    // then on "Lecture": the first file plays and names the window.
    bool PlayAlbum()
    {
        return Until(
            [&] {
                desktop.Run("xdotool", {"windowactivate", "--sync", window});
                desktop.Click(window, {48, 44 + 2 + 2 * 16 + 8}, 1);
                desktop.Click(window, {272 + 57, 491 + 20}, 1);
            },
            [&] { return Caption() == "a.mp3"; });
    }
    QString WaitForTitled(const QString& pattern)
    {
        QString found;
        WaitFor([&] { return !(found = desktop.Titled(pattern, window)).isEmpty(); }, 15000);
        return found;
    }
    QString OpenHelp()
    {
        desktop.Keys(window, "F1");
        const QString found = WaitForTitled(HelpTitle);
        return found;
    }
    void Signal(int number) { ::kill(pid_t(program.processId()), number); }
};

TEST_F(LifetimeTest, NewAccountQtOptionsIgnoredAndFermerEndsWithTheHelpOpen)
{
    UseConfigFolder("nouveau/.config");
    program.setWorkingDirectory(QString::fromStdString(tree.Path()));
    // Qt's own options are not the program's: none of them may end, move or rename the window.
    ASSERT_NO_FATAL_FAILURE(Launch({"-platform", "bogus", "-display", ":4242", "-reverse", "-qwindowtitle",
                                    "Autre", "-style", "bogus", "--inconnu"}));
    ASSERT_FALSE(OpenHelp().isEmpty()) << "F1 opens the help window";

    desktop.Keys(window, "alt+f"); // "&Fermer"
    ASSERT_TRUE(Ended()) << "closing the main window ends the program, help window and all";
    EXPECT_EQ(program.exitCode(), 0);
    // No error box stood in the way: the folder was made at the first start and the file kept.
    const std::string ini = tree.ReadFile("nouveau/.config/Quelmo.ini");
    EXPECT_EQ(ini, "[Config]\nDrive_Source=c\nDir_Source=c:\\\nIndex=0\n");
    struct stat st
    {
    };
    ASSERT_EQ(::stat((tree / "nouveau/.config").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(LifetimeTest, HiddenInTheNotificationAreaOnlyTheMainWindowEndsTheProgram)
{
    tree.WriteFile("home/.config/Quelmo.ini", "[Config]\nDir_Source=c:\\Music\nIndex=-1\n");
    ASSERT_NO_FATAL_FAILURE(Launch());
    const QString help = OpenHelp();
    ASSERT_FALSE(help.isEmpty());
    ASSERT_TRUE(PlayAlbum());
    SendToTray();

    desktop.Keys(help, "alt+F4");
    ASSERT_TRUE(WaitFor([&] { return desktop.Titled(HelpTitle).isEmpty(); })) << "the help window closes";
    // The second file is no MP3: when the first ends, the error box comes over the hidden window.
    const QString box = WaitForTitled(R"("b.mp3")");
    ASSERT_FALSE(box.isEmpty()) << "the program lives on after its help window closed";
    desktop.Keys(box, "Return");
    ASSERT_TRUE(WaitFor([&] { return desktop.Titled(R"("b.mp3")", window).isEmpty(); }));
    EXPECT_TRUE(Until([&] { ClickIcon(1); }, [&] { return IsNormal(); }))
        << "after the box, the program still answers from its icon";

    Signal(SIGTERM); // the system's shutdown
    ASSERT_TRUE(Ended());
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(tree.ReadFile("home/.config/Quelmo.ini"),
              "[Config]\nDir_Source=c:\\Music\nIndex=-1\nDrive_Source=c\n")
        << "the settings are saved";
}

TEST_F(LifetimeTest, EndedFromOutsideTheProgramSavesItsSettings)
{
    // The X server going away comes last: it ends the desktop.
    for (const char* way : {"SIGHUP", "SIGINT", "X server gone"}) {
        SCOPED_TRACE(way);
        tree.WriteFile("home/.config/Quelmo.ini", Remembered);
        ASSERT_NO_FATAL_FAILURE(Launch());
        ASSERT_TRUE(PlayAlbum());
        if (std::string(way) == "SIGHUP")
            Signal(SIGHUP);
        else if (std::string(way) == "SIGINT")
            Signal(SIGINT);
        else
            desktop.KillServer();
        ASSERT_TRUE(Ended());
        EXPECT_EQ(tree.ReadFile("home/.config/Quelmo.ini"),
                  "[Config]\nDrive_Source=c\nDir_Source=c:\\Music\nIndex=2\n");
    }
}

TEST_F(LifetimeTest, SettingsFilesStayAsTheUserKeptThem)
{
    std::string longDir = "c:\\long";
    std::string longPosix = "long";
    for (int level = 0; level < 11; ++level) {
        longPosix += "/" + std::string(200, 'd');
        longDir += "\\" + std::string(200, 'd');
    }
    tree.MakeDir(longPosix);
    tree.MakeDir("Musique ");
    using namespace std::string_literals;
    enum class Case
    {
        File,
        Link,
        Fifo,
        Unreadable
    };
    const struct
    {
        const char* Name;
        std::string Before, After; // the file's bytes (or the link target's)
        Case Kind = Case::File;
    } cases[] = {
        {"a link to a file kept elsewhere",
         "; à moi\n[Config]\nDir_Source=c:\\Music\nIndex=-1\n[Autre]\nx=1\n",
         "; à moi\n[Config]\nDir_Source=c:\\Music\nIndex=-1\nDrive_Source=c\n[Autre]\nx=1\n", Case::Link},
        {"a folder name ending with a blank",
         "[Config]\nDrive_Source=c\nDir_Source=\"c:\\Musique \"\nIndex=-1\n",
         "[Config]\nDrive_Source=c\nDir_Source=\"c:\\Musique \"\nIndex=-1\n"},
        {"a folder path over 2047 bytes", "[Config]\nDrive_Source=c\nDir_Source=" + longDir + "\nIndex=-1\n",
         "[Config]\nDrive_Source=c\nDir_Source=" + longDir + "\nIndex=-1\n"},
        {"a NUL in a value", "[Config]\nDrive_Source=c\nDir_Source=c:\\Music\0c:\\Autre\nIndex=-1\n"s,
         "[Config]\nDrive_Source=c\nDir_Source=c:\\Music\nIndex=-1\n"},
        {"a FIFO", "", "", Case::Fifo},
        {"a file the user cannot read", "[Config]\n; à garder\nIndex=-1\n",
         "[Config]\n; à garder\nIndex=-1\n", Case::Unreadable},
    };
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        if (c.Kind == Case::Unreadable && ::geteuid() == 0)
            continue; // root reads every file
        const std::string folder = "config" + std::to_string(++number);
        const std::string ini = tree / (folder + "/Quelmo.ini");
        std::string kept = folder + "/Quelmo.ini";
        tree.MakeDir(folder);
        if (c.Kind == Case::Link) {
            kept = "dotfiles/quelmo.ini";
            tree.WriteFile(kept, c.Before);
            std::filesystem::create_symlink("../dotfiles/quelmo.ini", ini);
        } else if (c.Kind == Case::Fifo) {
            ASSERT_EQ(::mkfifo(ini.c_str(), 0600), 0);
        } else {
            tree.WriteFile(kept, c.Before);
        }
        if (c.Kind == Case::Unreadable)
            ::chmod(ini.c_str(), 0);
        UseConfigFolder(folder);
        ASSERT_NO_FATAL_FAILURE(Launch()) << "the start does not wait on the file";
        Signal(SIGTERM);
        if (c.Kind == Case::Fifo || c.Kind == Case::Unreadable) {
            // The program cannot keep its settings there and says so; the file stays as it was.
            const QString box = WaitForTitled(R"("Quelmo")");
            ASSERT_FALSE(box.isEmpty()) << "Impossible d'écrire dans ...";
            // At a shutdown, the system's second request ends the program even with the box up.
            if (c.Kind == Case::Fifo)
                Signal(SIGTERM);
            else
                desktop.Keys(box, "Return");
        }
        ASSERT_TRUE(Ended());
        ::chmod(ini.c_str(), 0600);
        if (c.Kind == Case::Fifo) {
            struct stat st
            {
            };
            EXPECT_TRUE(::lstat(ini.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
            continue;
        }
        EXPECT_EQ(tree.ReadFile(kept), c.After);
        EXPECT_EQ(std::filesystem::is_symlink(ini), c.Kind == Case::Link);
    }
}

} // namespace
