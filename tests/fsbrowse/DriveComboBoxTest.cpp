// The drive list over a drive table of each kind: line texts in both cases, the Drive rules, the
// user's choice and its events, label queries that never wait long, and the drawing.

#include "fsbrowse/DriveComboBox.h"

#include "FsbrowseTestSupport.h"
#include "TestSupport.h"
#include "fsbrowse/DirectoryListBox.h"
#include "fsbrowse/FileCtrl.h"
#include "platform/paths/CurrentDir.h"
#include "platform/paths/Volumes.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <set>

namespace {

using Lines = std::vector<std::string>;

Lines LinesOf(const TDriveComboBox& combo)
{
    Lines lines;
    for (int i = 0; i < combo.Count(); ++i)
        lines.push_back(combo.Item(i));
    return lines;
}

class DriveComboBoxTest : public ::testing::Test
{
protected:
    DriveComboBoxTest()
    {
        for (const char* dir : {"a", "c", "d", "r", "z"})
            tree.MakeDir(dir);
        Volumes::SetLabelReader([this](const DriveInfo& drive) -> std::optional<std::string> {
            std::lock_guard lock(mutex);
            asked.insert(drive.Letter);
            if (drive.Letter == 'c')
                return "System";
            return std::nullopt;
        });
        CurrentDir::Set("c:\\");
    }
    ~DriveComboBoxTest() override { Volumes::SetLabelReader({}); }

    TempTree tree;
    DriveScope drives{{
        DriveInfo{'a', tree / "a", DriveKind::Removable, "", "vfat", "", "", false},
        DriveInfo{'c', tree / "c", DriveKind::Fixed, "", "ext4", "", "", false},
        DriveInfo{'d', tree / "d", DriveKind::CDRom, "", "iso9660", "", "", false},
        DriveInfo{'r', tree / "r", DriveKind::RamDisk, "", "tmpfs", "", "", false},
        DriveInfo{'z', tree / "z", DriveKind::Remote, "//Srv/Partage", "cifs", "\\\\Srv\\Partage", "", false},
    }};
    MessageBoxRecorder boxes;
    std::mutex mutex;
    std::set<char> asked;
};

TEST_F(DriveComboBoxTest, LinesForEachKindInBothCases)
{
    TDriveComboBox combo;
    QSignalSpy changes(&combo, &TDriveComboBox::OnChange);
    EXPECT_EQ(combo.Count(), 0) << "no line before the window exists";
    combo.CreateWindow();
    EXPECT_EQ(LinesOf(combo), (Lines{"a:", "c: [system]", "d: []", "r: []", "z: \\\\srv\\partage"}));
    EXPECT_EQ(combo.Drive(), 'c');
    EXPECT_EQ(combo.ItemIndex(), 1);
    EXPECT_EQ(changes.count(), 1) << "window creation selects the drive and tells";
    combo.SetTextCase(tcUpperCase);
    EXPECT_EQ(LinesOf(combo), (Lines{"A:", "C: [SYSTEM]", "D: []", "R: []", "Z: \\\\SRV\\PARTAGE"}));
    EXPECT_EQ(combo.Drive(), 'C');
    EXPECT_EQ(combo.ItemIndex(), 1);
    std::lock_guard lock(mutex);
    EXPECT_EQ(asked.count('a'), 0u) << "a removable drive is never asked for its label";
}

TEST_F(DriveComboBoxTest, DriveWrites)
{
    TDriveComboBox combo;
    combo.CreateWindow();
    QSignalSpy changes(&combo, &TDriveComboBox::OnChange);
    combo.SetDrive('C');
    EXPECT_EQ(changes.count(), 0) << "the drive shown, in another case";
    combo.SetDrive('Q');
    EXPECT_EQ(combo.Drive(), 'q');
    EXPECT_EQ(combo.ItemIndex(), 1) << "no line for q: the selection stays";
    EXPECT_EQ(changes.count(), 1);
    combo.SetDrive('D');
    EXPECT_EQ(combo.ItemIndex(), 2);
    combo.SetDrive(0);
    EXPECT_EQ(combo.Drive(), 0);
    EXPECT_EQ(combo.ItemIndex(), -1);
    EXPECT_EQ(changes.count(), 3);
}

TEST_F(DriveComboBoxTest, ADriveAddedLaterHasNoLine)
{
    TDriveComboBox combo;
    combo.CreateWindow();
    tree.MakeDir("y");
    DriveScope more{{
        DriveInfo{'c', tree / "c", DriveKind::Fixed, "", "ext4", "", "", false},
        DriveInfo{'y', tree / "y", DriveKind::Fixed, "", "ext4", "", "", false},
    }};
    EXPECT_EQ(combo.Count(), 5);
    combo.SetDrive('y');
    EXPECT_EQ(combo.ItemIndex(), 1);
}

TEST_F(DriveComboBoxTest, UserChoiceFiresChangeTwiceForANewDrive)
{
    TDriveComboBox combo;
    combo.CreateWindow();
    QSignalSpy clicks(&combo, &TDriveComboBox::OnClick);
    QSignalSpy changes(&combo, &TDriveComboBox::OnChange);
    combo.setCurrentIndex(2);
    emit combo.activated(2);
    EXPECT_EQ(combo.Drive(), 'd');
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(changes.count(), 2);
    emit combo.activated(2);
    EXPECT_EQ(changes.count(), 3) << "the drive already shown: once";
}

TEST_F(DriveComboBoxTest, AnErrorInTheFirstChangeStopsTheChoice)
{
    TDriveComboBox combo;
    combo.CreateWindow();
    TDirectoryListBox dirs;
    dirs.CreateWindow();
    int calls = 0;
    // As the main window does: the new drive goes to the directory list, which cannot open it.
    QObject::connect(&combo, &TDriveComboBox::OnChange, [&] {
        ++calls;
        dirs.SetDrive(combo.Drive());
        dirs.Rebuild();
    });
    std::filesystem::remove(tree / "d"); // d: has no medium
    combo.setCurrentIndex(2);
    emit combo.activated(2);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(combo.Drive(), 'd');
    EXPECT_EQ(combo.ItemIndex(), 2);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, "Erreur E/S 21.");
}

TEST_F(DriveComboBoxTest, AVolumeThatDoesNotAnswerDoesNotHoldTheList)
{
    auto release = std::make_shared<std::atomic<bool>>(false);
    Volumes::SetLabelReader([release](const DriveInfo&) -> std::optional<std::string> {
        while (!release->load())
            std::this_thread::yield();
        return "Tard";
    });
    QElapsedTimer clock;
    clock.start();
    TDriveComboBox combo;
    combo.CreateWindow();
    EXPECT_LT(clock.elapsed(), 4 * Volumes::LabelWaitMs + 1000) << "c, d and r wait their bound once each";
    release->store(true);
    EXPECT_EQ(LinesOf(combo), (Lines{"a:", "c: []", "d: []", "r: []", "z: \\\\srv\\partage"}));
}

TEST_F(DriveComboBoxTest, DrawingAndHeight)
{
    TDriveComboBox combo;
    combo.setFont(QFont("Liberation Sans", 12));
    combo.CreateWindow();
    EXPECT_EQ(combo.ItemHeight(), std::max(11, FileCtrl::FontLineHeight(combo.font())));
    // Each kind's glyph at x = 2, centred, its lower-left colour transparent; the text after it.
    const char* glyphs[] = {"floppy", "hard", "cdrom", "ram", "network"};
    for (int i = 0; i < 5; ++i) {
        const QPixmap glyph = FileCtrl::LoadGlyph(glyphs[i]);
        EXPECT_EQ(glyph.size(), QSize(16, 11));
        const QImage line = PaintLine(
            200, 17, [&](QPainter& painter, const QRect& rect) { combo.DrawLine(painter, i, rect, false); });
        const QImage alone =
            PaintLine(200, 17, [&](QPainter& painter, const QRect&) { painter.drawPixmap(2, 3, glyph); });
        EXPECT_EQ(line.copy(0, 0, 18, 17), alone.copy(0, 0, 18, 17)) << glyphs[i];
        EXPECT_GE(FirstInkColumn(line, 18), 16 + 6) << glyphs[i];
    }
}

} // namespace
