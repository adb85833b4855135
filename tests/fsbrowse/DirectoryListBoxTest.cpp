// The directory list against real trees: the lines and their paths for drive roots, nested
// directories and network shares, directory and drive changes, failures, user actions, odd names,
// and the indents of the drawing.

#include "fsbrowse/DirectoryListBox.h"

#include "FsbrowseTestSupport.h"
#include "TestSupport.h"
#include "fsbrowse/DriveComboBox.h"
#include "fsbrowse/FileCtrl.h"
#include "fsbrowse/FileListBox.h"
#include "platform/components/Label.h"
#include "platform/paths/CurrentDir.h"

#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

class DirectoryListBoxTest : public ::testing::Test
{
protected:
    DirectoryListBoxTest()
    {
        for (const char* dir : {"c/Music/Album/Disque 1", "c/Music/Album/cd2", "c/b", "c/A", "c/C",
                                "c/.cache", "d/Films", "share/A/Sous"})
            tree.MakeDir(dir);
        tree.WriteFile("c/Music/Album/piste.mp3");
        list.CreateWindow();
    }
    TempTree tree;
    DriveScope drives{{
        DriveInfo{'c', tree / "c", DriveKind::Fixed, "", "ext4", "", "", false},
        DriveInfo{'d', tree / "d", DriveKind::Fixed, "", "ext4", "", "", false},
        DriveInfo{'e', tree / "absent", DriveKind::CDRom, "", "iso9660", "", "", false},
        DriveInfo{'z', tree / "share", DriveKind::Remote, "//srv/share", "cifs", "\\\\srv\\share", "", false},
    }};
    MessageBoxRecorder boxes;
    TDirectoryListBox list;
};

TEST_F(DirectoryListBoxTest, DriveRoot)
{
    // At creation the line selected is the one numbered by the backslashes of the directory.
    EXPECT_EQ(list.Directory(), "c:\\");
    EXPECT_EQ(LinesOf(list), (Lines{"c:\\", "A", "b", "C", "Music"})) << "hidden directories are left out";
    EXPECT_EQ(list.ItemIndex(), 1);
    list.SetDirectory("c:\\Music");
    list.SetDirectory("c:\\");
    EXPECT_EQ(list.Lines()[0].Glyph, TDirectoryListBox::GlyphCurrent);
    EXPECT_EQ(list.ItemIndex(), 0);
    EXPECT_EQ(list.GetItemPath(0), "c:\\");
    EXPECT_EQ(list.GetItemPath(4), "c:\\Music");
    EXPECT_EQ(list.GetItemPath(5), "");
}

TEST_F(DirectoryListBoxTest, NestedDirectory)
{
    QSignalSpy changes(&list, &TDirectoryListBox::OnChange);
    list.SetDirectory("c:\\Music\\Album");
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(LinesOf(list), (Lines{"c:\\", "Music", "Album", "cd2", "Disque 1"}));
    EXPECT_EQ(list.ItemIndex(), 2);
    const int glyphs[] = {TDirectoryListBox::GlyphOpen, TDirectoryListBox::GlyphOpen,
                          TDirectoryListBox::GlyphCurrent, TDirectoryListBox::GlyphClosed,
                          TDirectoryListBox::GlyphClosed};
    const char* paths[] = {"c:\\", "c:\\Music", "c:\\Music\\Album", "c:\\Music\\Album\\cd2",
                           "c:\\Music\\Album\\Disque 1"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(list.Lines()[size_t(i)].Glyph, glyphs[i]) << i;
        EXPECT_EQ(list.GetItemPath(i), paths[i]) << i;
    }
    EXPECT_EQ(CurrentDir::Get(), "c:\\Music\\Album");
}

TEST_F(DirectoryListBoxTest, NetworkShare)
{
    list.SetDirectory("\\\\srv\\share\\A");
    EXPECT_EQ(LinesOf(list), (Lines{"\\\\srv\\share\\", "A", "Sous"}));
    EXPECT_EQ(list.ItemIndex(), 1);
    EXPECT_EQ(list.GetItemPath(0), "\\\\srv\\share\\");
    EXPECT_EQ(list.GetItemPath(2), "\\\\srv\\share\\A\\Sous");
    list.SetDirectory("\\\\srv\\share");
    EXPECT_EQ(LinesOf(list), (Lines{"\\\\srv\\share\\", "A"}));
    EXPECT_EQ(list.ItemIndex(), 0);
}

TEST_F(DirectoryListBoxTest, DirectoryAndDriveWrites)
{
    QSignalSpy changes(&list, &TDirectoryListBox::OnChange);
    list.SetDirectory("c:\\");
    list.SetDrive('C');
    list.SetDrive('c');
    EXPECT_EQ(changes.count(), 0) << "the directory and drive already shown";
    list.SetDirectory("c:\\Music\\Album\\piste.mp3");
    EXPECT_EQ(list.Directory(), "c:\\Music\\Album") << "a file's path opens its directory";
    list.SetDrive('d');
    EXPECT_EQ(list.Directory(), "d:\\");
    EXPECT_EQ(LinesOf(list), (Lines{"d:\\", "Films"}));
    list.SetDrive('c');
    EXPECT_EQ(list.Directory(), "c:\\Music\\Album") << "drive c's current directory";
    list.SetDirectory("c:\\Music\\Album");
    EXPECT_EQ(changes.count(), 3);
}

TEST_F(DirectoryListBoxTest, FailuresKeepDirectoryAndLines)
{
    list.SetDirectory("c:\\Music");
    const Lines before = LinesOf(list);
    struct Row
    {
        std::function<void()> Call;
        int Code;
        const char* Message;
    } rows[] = {
        {[&] { list.SetDirectory("c:\\Music\\Nope"); }, 2, "Fichier introuvable"},
        {[&] { list.SetDirectory("c:\\Nope\\Plus\\Loin"); }, 3, "Nom de fichier incorrect"},
        {[&] { list.SetDrive('e'); }, 21, "Erreur E/S 21"},
        {[&] { list.SetDirectory("e:\\x"); }, 21, "Erreur E/S 21"},
    };
    for (const auto& row : rows) {
        std::string message;
        EXPECT_EQ(InOutErrorOf(row.Call, &message), row.Code) << row.Message;
        EXPECT_EQ(message, row.Message);
        EXPECT_EQ(list.Directory(), "c:\\Music");
        EXPECT_EQ(LinesOf(list), before);
    }
}

TEST_F(DirectoryListBoxTest, CaseRulesOfTheVolume)
{
    tree.MakeDir("c/a");
    list.Rebuild();
    EXPECT_EQ(LinesOf(list), (Lines{"c:\\", "A", "a", "b", "C", "Music"}))
        << "both are real directories here";
    EXPECT_EQ(list.DisplayCase("Music"), "Music");
    DriveScope fat{{DriveInfo{'c', tree / "c", DriveKind::Removable, "", "msdos", "", "", false}}};
    TDirectoryListBox old;
    old.CreateWindow();
    EXPECT_EQ(LinesOf(old), (Lines{"c:\\", "A", "b", "C", "Music"})) << "a case-blind volume keeps one";
    EXPECT_EQ(old.DisplayCase("Music"), "music");
    EXPECT_EQ(old.FileCompareText("C:\\MUSIC", "c:\\music"), 0);
}

// A French user's folders in the French order (the C locale collates as French): accents sort
// with their letter, names that differ only in case both show in the order of their bytes, and a
// name that is not UTF-8 sorts by the text it shows.
TEST_F(DirectoryListBoxTest, FrenchOrder)
{
    LocaleScope locale(QLocale::c());
    for (const char* name : {"zulu",
                             "\xc3\x89"
                             "coles",
                             "\xc3\xa9"
                             "coles",
                             "Ecoles", "abc\xe9"})
        tree.MakeDir(std::string("c/Music/Album/cd2/") + name);
    list.SetDirectory("c:\\Music\\Album\\cd2");
    EXPECT_EQ(LinesOf(list), (Lines{"c:\\", "Music", "Album", "cd2", "abc\xe9", "Ecoles",
                                    "\xc3\x89"
                                    "coles",
                                    "\xc3\xa9"
                                    "coles",
                                    "zulu"}));
}

TEST_F(DirectoryListBoxTest, UserActions)
{
    list.resize(200, 300);
    list.show();
    list.SetDirectory("c:\\Music");
    QSignalSpy clicks(&list, &TDirectoryListBox::OnClick);
    QSignalSpy doubleClicks(&list, &TDirectoryListBox::OnDblClick);
    list.SetItemIndex(2);
    EXPECT_EQ(clicks.count(), 0);
    const QPoint album = list.visualRect(list.model()->index(2, 0)).center();
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, album);
    EXPECT_EQ(doubleClicks.count(), 1);
    EXPECT_EQ(list.Directory(), "c:\\Music\\Album");
    list.SetItemIndex(3); // cd2
    QTest::keyClick(list.viewport(), Qt::Key_Return);
    EXPECT_EQ(list.Directory(), "c:\\Music\\Album\\cd2");
    // An error in a user action shows in the standard error box.
    tree.MakeDir("c/Music/Album/cd2/vide");
    list.Rebuild();
    std::filesystem::remove_all(tree / "c/Music/Album/cd2/vide");
    list.SetItemIndex(4);
    QTest::keyClick(list.viewport(), Qt::Key_Enter);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, "Fichier introuvable.");
}

TEST_F(DirectoryListBoxTest, LinkedFileListFollows)
{
    TFileListBox files;
    files.SetMask("*.mp3");
    files.CreateWindow();
    list.SetFileList(&files);
    list.SetDirectory("c:\\Music\\Album");
    EXPECT_EQ(files.Directory(), "c:\\Music\\Album");
    EXPECT_EQ(LinesOf(files), (Lines{"piste.mp3"}));
}

TEST_F(DirectoryListBoxTest, LinkedLabelShowsTheDirectoryShortened)
{
    TLabel label;
    list.resize(145, 200);
    list.SetDirLabel(&label);
    EXPECT_EQ(label.Caption(), "c:\\");
    list.SetDirectory("c:\\Music\\Album\\Disque 1");
    const QFontMetrics metrics(label.font());
    const QString caption = label.text();
    EXPECT_LE(metrics.horizontalAdvance(caption), 145);
    EXPECT_TRUE(caption.endsWith("Disque 1")) << caption.toStdString();
    list.resize(1000, 200);
    list.SetDirectory("c:\\Music");
    EXPECT_EQ(label.Caption(), "c:\\Music");
    EXPECT_EQ(FileCtrl::MinimizeName("c:\\un\\deux\\trois\\fin", label.font(),
                                     metrics.horizontalAdvance("c:\\...\\trois\\fin")),
              "c:\\...\\trois\\fin");
}

TEST_F(DirectoryListBoxTest, OddNames)
{
    const std::string names[] = {"\xff\xfe", "a\\b", "ligne\nsuite", std::string(255, 'y'), " blancs "};
    for (const auto& name : names)
        tree.MakeDir("c/Music/" + name);
    list.SetDirectory("c:\\Music");
    for (int i = 2; i < list.Count(); ++i) {
        const std::string path = list.GetItemPath(i);
        EXPECT_TRUE(FileCtrl::DirExists(path)) << path;
        list.SetItemIndex(i);
        list.OpenCurrent();
        EXPECT_EQ(list.Directory(), path);
        list.SetDirectory("c:\\Music");
    }
    EXPECT_EQ(list.Count(), 3 + int(std::size(names)));
}

TEST_F(DirectoryListBoxTest, IndentsAndHeight)
{
    EXPECT_EQ(list.ItemHeight(), std::max(16, FileCtrl::FontLineHeight(list.font())));
    list.SetDirectory("c:\\Music\\Album");
    const int indents[] = {2, 6, 10, 14, 14};
    const QPixmap open = FileCtrl::LoadGlyph("openfolder");
    const QPixmap closed = FileCtrl::LoadGlyph("closedfolder");
    const QPixmap current = FileCtrl::LoadGlyph("currentfolder");
    const QPixmap* glyphs[] = {&open, &open, &current, &closed, &closed};
    for (int i = 0; i < 5; ++i) {
        const QImage image = PaintLine(
            200, 16, [&](QPainter& painter, const QRect& rect) { list.DrawLine(painter, i, rect, false); });
        EXPECT_EQ(FirstInkColumn(image), indents[i] + FirstOpaqueColumn(*glyphs[i])) << i;
        EXPECT_GE(FirstInkColumn(image, indents[i] + 16), indents[i] + 16 + 4)
            << "text after the glyph, line " << i;
    }
}

} // namespace

namespace {

// A window that looks at its lists when it is told it shows, as the main window's FormShow does.
class ShowingWindow : public QWidget
{
public:
    TDriveComboBox* Drives = new TDriveComboBox(this);
    TDirectoryListBox* Dirs = new TDirectoryListBox(this);
    TFileListBox* Files = new TFileListBox(this);
    bool ListsExisted = false;

protected:
    void showEvent(QShowEvent*) override
    {
        ListsExisted =
            Drives->WindowExists() && Dirs->WindowExists() && Files->WindowExists() && Dirs->Count() > 0;
    }
};

TEST_F(DirectoryListBoxTest, ListsExistBeforeTheirWindowIsToldItShows)
{
    ShowingWindow window;
    window.show();
    EXPECT_TRUE(window.ListsExisted);
}

} // namespace
