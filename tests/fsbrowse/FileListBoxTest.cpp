// The file list against real files in a temporary drive c: listing, masks, paths written to
// Directory, failures with their codes, user selection, odd names, line height and drawing.

#include "fsbrowse/FileListBox.h"

#include "FsbrowseTestSupport.h"
#include "TestSupport.h"
#include "fsbrowse/FileCtrl.h"
#include "platform/components/Application.h"
#include "platform/paths/CurrentDir.h"
#include "platform/paths/FileSystem.h"
#include "platform/paths/Paths.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Lines = std::vector<std::string>;

class FileListBoxTest : public ::testing::Test
{
protected:
    FileListBoxTest()
    {
        tree.MakeDir("Music/Album");
        tree.WriteFile("Music/Album/piste.mp3");
        for (const char* name : {"B.MP3", "a.mp3", "c.Mp3", ".d.mp3", "f.mp3", "a.txt", "notes"})
            tree.WriteFile(std::string("Music/") + name, name);
        tree.MakeDir("Music/e.mp3");
        ::chmod((tree / "Music/f.mp3").c_str(), 0444);
        list.SetMask("*.mp3");
        list.CreateWindow();
    }
    TempTree tree;
    DriveScope drives{tree.Path()};
    MessageBoxRecorder boxes;
    TFileListBox list;
};

TEST_F(FileListBoxTest, ListsMatchingFilesInCaseBlindOrder)
{
    list.ApplyPath("C:\\Music");
    EXPECT_EQ(list.Directory(), "C:\\Music");
    // Hidden .d.mp3 and the directory e.mp3 are left out; the read-only f.mp3 is listed.
    EXPECT_EQ(LinesOf(list), (Lines{"a.mp3", "B.MP3", "c.Mp3", "f.mp3"}));
    EXPECT_EQ(list.ItemIndex(), -1);
    EXPECT_EQ(CurrentDir::Get(), "C:\\Music") << "the listed directory is left current";
}

TEST_F(FileListBoxTest, Masks)
{
    list.ApplyPath("C:\\Music");
    struct Row
    {
        const char* Mask;
        Lines Expected;
    } rows[] = {
        {"*.mp3;*.MP3", {"a.mp3", "a.mp3", "B.MP3", "B.MP3", "c.Mp3", "c.Mp3", "f.mp3", "f.mp3"}},
        {"*.mp3;", {"a.mp3", "B.MP3", "c.Mp3", "f.mp3"}},
        {"", {}},
        {"a?.*;notes", {"notes"}},
        {"z*.mp3", {}},
        {"*.*", {"a.mp3", "a.txt", "B.MP3", "c.Mp3", "f.mp3", "notes"}},
    };
    for (const auto& row : rows) {
        list.SetMask(row.Mask);
        EXPECT_EQ(LinesOf(list), row.Expected) << row.Mask;
    }
    // FileType: directories in brackets, hidden files only when asked for.
    list.SetMask("*.mp3");
    list.SetFileType(ftNormal | ftDirectory);
    EXPECT_EQ(LinesOf(list), (Lines{"[e.mp3]", "a.mp3", "B.MP3", "c.Mp3", "f.mp3"}));
    list.SetFileType(ftHidden);
    EXPECT_EQ(LinesOf(list), (Lines{".d.mp3"}));
    list.SetFileType(ftNormal);
    list.SetMask("z*.mp3");
    EXPECT_EQ(list.GetFileName(), "");
    EXPECT_EQ(list.SelectedPath(), "");
    EXPECT_EQ(list.ItemIndex(), -1);
}

TEST_F(FileListBoxTest, WritingDirectoryWithPaths)
{
    struct Row
    {
        const char* Text;
        const char* Directory;
        const char* Mask;
        const char* Selected;
    } rows[] = {
        {"C:\\Music\\Album", "C:\\Music\\Album", "*.mp3", ""},
        {"C:\\Music\\a?.mp3", "C:\\Music", "a?.mp3", ""},
        {"C:\\Music\\a.mp3", "C:\\Music", "*.mp3", "a.mp3"},
        {"C:\\Music\\a.txt", "C:\\Music", "a.txt", "a.txt"}, // hidden by the mask: the mask follows
        {"C:\\\\Music\\Album", "C:\\Music\\Album", "*.mp3", ""},
    };
    for (const auto& row : rows) {
        TFileListBox fresh;
        fresh.SetMask("*.mp3");
        fresh.CreateWindow();
        fresh.ApplyPath(row.Text);
        EXPECT_EQ(fresh.Directory(), row.Directory) << row.Text;
        EXPECT_EQ(fresh.Mask(), row.Mask) << row.Text;
        EXPECT_EQ(fresh.GetFileName(), row.Selected) << row.Text;
    }
}

TEST_F(FileListBoxTest, RewritingTheSameDirectoryRereadsNothing)
{
    list.ApplyPath("C:\\Music");
    QSignalSpy changes(&list, &TFileListBox::OnChange);
    tree.WriteFile("Music/zz.mp3");
    list.ApplyPath("C:\\Music");
    list.ApplyPath("c:\\Music");
    list.ApplyPath("");
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(list.Directory(), "C:\\Music");
}

TEST_F(FileListBoxTest, SelectedPathAtTheRoot)
{
    tree.WriteFile("a.mp3");
    list.ApplyPath("C:\\Music");
    list.ApplyPath("C:\\a.mp3");
    EXPECT_EQ(list.Directory(), "C:\\");
    EXPECT_EQ(list.SelectedPath(), "C:\\a.mp3");
}

TEST_F(FileListBoxTest, FailuresKeepLinesAndDirectory)
{
    list.ApplyPath("C:\\Music");
    struct Row
    {
        const char* Text;
        int Code;
        const char* Message;
    } rows[] = {
        {"C:\\Music\\Nope", 2, "Fichier introuvable"},
        {"C:\\Nope\\Deeper\\Plus", 3, "Nom de fichier incorrect"},
        {"q:\\Music", 3, "Nom de fichier incorrect"},
        {"C:\\Music\\a.txt\\x", 267, "Erreur E/S 267"},
    };
    for (const auto& row : rows) {
        std::string message;
        EXPECT_EQ(InOutErrorOf([&] { list.ApplyPath(row.Text); }, &message), row.Code) << row.Text;
        EXPECT_EQ(message, row.Message) << row.Text;
        EXPECT_EQ(list.Directory(), "C:\\Music") << row.Text;
        EXPECT_EQ(list.Count(), 4) << row.Text;
    }
    // A directory that vanished after being set: the next listing fails with the lines kept.
    list.ApplyPath("C:\\Music\\Album");
    std::filesystem::remove_all(tree / "Music/Album");
    EXPECT_EQ(InOutErrorOf([&] { list.SetMask("*.*"); }), 2);
    EXPECT_EQ(LinesOf(list), (Lines{"piste.mp3"}));
}

// Root enters every directory, so as root the refusal is tried by a child that gives up root.
TEST_F(FileListBoxTest, RefusedDirectory)
{
    tree.MakeDir("Music/Ferme");
    ::chmod((tree / "Music/Ferme").c_str(), 0);
    ::chmod(tree.Path().c_str(), 0755);
    const auto refused = [&] {
        std::string message;
        const auto code = InOutErrorOf([&] { list.ApplyPath("C:\\Music\\Ferme"); }, &message);
        return code == 5 && message == "Accès au fichier refusé" && list.Directory() == "c:\\";
    };
    if (::geteuid() != 0) {
        EXPECT_TRUE(refused());
        return;
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
        ::_exit(dropped && refused() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(FileListBoxTest, UserSelectionFiresClickThenChangeOnlyOnANewLine)
{
    list.resize(200, 200);
    list.show();
    list.ApplyPath("C:\\Music");
    QSignalSpy clicks(&list, &TFileListBox::OnClick);
    QSignalSpy changes(&list, &TFileListBox::OnChange);
    const QPoint second = list.visualRect(list.model()->index(1, 0)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second);
    EXPECT_EQ(list.ItemIndex(), 1);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(changes.count(), 1);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second);
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_EQ(changes.count(), 1) << "the same line again: OnClick only";
    QTest::keyClick(list.viewport(), Qt::Key_Down);
    EXPECT_EQ(list.ItemIndex(), 2);
    EXPECT_EQ(clicks.count(), 3);
    EXPECT_EQ(changes.count(), 2);
    list.SetItemIndex(0);
    EXPECT_EQ(clicks.count(), 3) << "writing ItemIndex is not a user selection";
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(10, 190));
    EXPECT_EQ(list.ItemIndex(), 0) << "a click below the last line keeps the selection";
    EXPECT_EQ(clicks.count(), 3);
}

TEST_F(FileListBoxTest, AnErrorInAUserHandlerShowsInTheErrorBox)
{
    list.resize(200, 200);
    list.show();
    list.ApplyPath("C:\\Music");
    QObject::connect(&list, &TFileListBox::OnClick, [] { throw EInOutError(5); });
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualRect(list.model()->index(0, 0)).center());
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, "Accès au fichier refusé.");
}

// Each odd name is listed, and its selected path opens that file and no other.
TEST_F(FileListBoxTest, OddNames)
{
    tree.MakeDir("Odd");
    const std::string names[] = {
        "\xff\xfe latin1 \xe9.mp3",     "a\\b.mp3",        "ligne\nsuite.mp3",
        std::string(251, 'x') + ".mp3", "  blancs  .mp3 ", "deux:points.mp3",
        "\xc3\xa9t\xc3\xa9.mp3",
    };
    for (const auto& name : names)
        tree.WriteFile("Odd/" + name, "contents of " + name);
    list.SetMask("*.*");
    list.ApplyPath("C:\\Odd");
    ASSERT_EQ(list.Count(), int(std::size(names)));
    for (int i = 0; i < list.Count(); ++i) {
        list.SetItemIndex(i);
        const std::string path = list.SelectedPath();
        std::string posix;
        ASSERT_EQ(Paths::ToPosix(path, posix), 0) << path;
        const std::string name = posix.substr(posix.find_last_of('/') + 1);
        EXPECT_EQ(tree.ReadFile("Odd/" + name), "contents of " + name);
        EXPECT_TRUE(FileSystem::FileExists(path)) << path;
        // Writing the path back selects the same line.
        TFileListBox other;
        other.CreateWindow();
        other.ApplyPath(path);
        EXPECT_EQ(other.GetFileName(), list.Item(i));
    }
    const QString shown = list.model()->index(0, 0).data().toString();
    EXPECT_FALSE(shown.isEmpty());
}

// A path deeper than the system's limit is reported in French, never a crash.
TEST_F(FileListBoxTest, PathDeeperThanTheSystemLimit)
{
    const std::string level(200, 'p');
    std::string text = "C:";
    int dirFd = ::open(tree.Path().c_str(), O_DIRECTORY);
    for (int i = 0; i < 25; ++i) {
        ASSERT_EQ(::mkdirat(dirFd, level.c_str(), 0755), 0);
        const int next = ::openat(dirFd, level.c_str(), O_DIRECTORY);
        ::close(dirFd);
        dirFd = next;
        text += "\\" + level;
    }
    ::close(dirFd);
    ASSERT_GT(text.size(), 4096u);
    std::string message;
    const auto code = InOutErrorOf([&] { list.ApplyPath(text); }, &message);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(message, InOutErrorMessage(*code));
    EXPECT_EQ(list.Directory(), "c:\\");
}

// A French user's files in the French order (the C locale collates as French): accents sort with
// their letter, names that differ only in case both show in the order of their bytes, digits
// compare as text, and a name that is not UTF-8 sorts by the text it shows.
TEST_F(FileListBoxTest, FrenchOrder)
{
    LocaleScope locale(QLocale::c());
    const Lines order = {"caf\xe9.mp3",      "Ete.mp3",      "ete.mp3",     "\xc3\x89t\xc3\xa9.mp3",
                         "\xc3\xa9tude.mp3", "piste 10.mp3", "piste 9.mp3", "zz.mp3"};
    for (auto name = order.rbegin(); name != order.rend(); ++name)
        tree.WriteFile("Francais/" + *name);
    list.ApplyPath("C:\\Francais");
    EXPECT_EQ(LinesOf(list), order);
}

// The busy cursor comes on once more than 100 entries have been read, matching or not, and goes
// once the lines are shown, before OnChange runs, also when that handler fails.
TEST_F(FileListBoxTest, BusyCursorDuringALongListing)
{
    const struct
    {
        int Entries;
        bool Busy;
    } rows[] = {{100, false}, {101, true}};
    for (const auto& row : rows) {
        const std::string dir = "Long" + std::to_string(row.Entries);
        for (int i = 0; i < row.Entries; ++i)
            tree.WriteFile(dir + "/" + std::to_string(1000 + i) + (i == 0 ? ".mp3" : ".ogg"));
        TFileListBox fresh;
        fresh.SetMask("*.mp3");
        fresh.CreateWindow();
        bool busyWhenShown = false;
        bool busyInHandler = true;
        QObject::connect(fresh.model(), &QAbstractItemModel::modelAboutToBeReset,
                         [&] { busyWhenShown = QGuiApplication::overrideCursor() != nullptr; });
        QObject::connect(&fresh, &TFileListBox::OnChange, [&] {
            busyInHandler = QGuiApplication::overrideCursor() != nullptr;
            throw EInOutError(5);
        });
        EXPECT_EQ(InOutErrorOf([&] { fresh.ApplyPath("C:\\" + dir); }), 5);
        EXPECT_EQ(fresh.Count(), 1);
        EXPECT_EQ(busyWhenShown, row.Busy) << row.Entries;
        EXPECT_FALSE(busyInHandler) << row.Entries;
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << row.Entries;
    }
}

TEST_F(FileListBoxTest, LineHeight)
{
    EXPECT_EQ(list.ItemHeight(), FileCtrl::FontLineHeight(list.font())) << "from the font";
    list.SetShowGlyphs(true);
    EXPECT_EQ(list.ItemHeight(), std::max(16, FileCtrl::FontLineHeight(list.font())));
    list.SetItemHeight(13);
    list.setFont(QFont("Liberation Sans", 30));
    EXPECT_EQ(list.ItemHeight(), 13) << "a height set by the design wins";
}

TEST_F(FileListBoxTest, Drawing)
{
    tree.WriteFile("Music/run.exe");
    list.SetMask("*.mp3;*.exe");
    list.ApplyPath("C:\\Music");
    const auto paint = [&](int row) {
        return PaintLine(
            200, 16, [&](QPainter& painter, const QRect& rect) { list.DrawLine(painter, row, rect, false); });
    };
    const int textStart = FirstInkColumn(paint(0));
    EXPECT_GE(textStart, 2);
    EXPECT_LT(textStart, 6);
    list.SetShowGlyphs(true);
    const QPixmap glyph = FileCtrl::LoadGlyph("unknownfile");
    EXPECT_EQ(FirstInkColumn(paint(0)), 2 + FirstOpaqueColumn(glyph));
    EXPECT_EQ(FirstInkColumn(paint(0), 2 + 16), 2 + 16 + 4 + (textStart - 2))
        << "the text moves past the glyph";
}

} // namespace
