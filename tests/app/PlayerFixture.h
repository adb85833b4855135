#pragma once
// A main window over a temporary tree: drive c is the tree, the user's application-data folder is
// c:\home\.config, and message boxes are recorded.

#include "TestSupport.h"
#include "app/principale.h"

#include <QTest>
#include <cstdlib>
#include <memory>

class PlayerFixture
{
public:
    // Drive c is the tree; with a second drive, d is its folder "d" (a removable drive).
    explicit PlayerFixture(bool secondDrive = false) : drives(Table(tree, secondDrive))
    {
        tree.MakeDir("home/.config");
        tree.MakeDir("etc");
        ::setenv("XDG_CONFIG_HOME", (tree / "home/.config").c_str(), 1);
        ::setenv("XDG_CONFIG_DIRS", (tree / "etc").c_str(), 1);
    }
    ~PlayerFixture() { ::unsetenv("XDG_CONFIG_DIRS"); }

    std::string Ini() const { return tree.ReadFile("home/.config/Quelmo.ini"); }
    void WriteIni(const std::string& text) const { tree.WriteFile("home/.config/Quelmo.ini", text); }

    std::unique_ptr<TForm1> Start()
    {
        auto form = std::make_unique<TForm1>();
        form->show();
        return form;
    }

    // A user's click on a line of a list, as the mouse gives it.
    static void ClickLine(QListView* list, int row)
    {
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
    static int Find(const TCustomListBox* list, const std::string& text)
    {
        for (int i = 0; i < list->Count(); ++i)
            if (list->Item(i) == text)
                return i;
        return -1;
    }

    static std::vector<DriveInfo> Table(const TempTree& tree, bool secondDrive)
    {
        std::vector<DriveInfo> table{{'c', tree.Path(), DriveKind::Fixed, "", "", "", "", false}};
        if (secondDrive) {
            tree.MakeDir("d");
            table.push_back({'d', tree / "d", DriveKind::Removable, "", "", "", "", false});
        }
        return table;
    }

    TempTree tree;
    DriveScope drives;
    MessageBoxRecorder boxes;
};
