#pragma once
// A drive table of three drives over a temporary tree: c and d are folders of the tree, z is a
// network share. The path tests and the current-directory tests share it, so it lives outside
// any one test file (and outside an anonymous namespace, so both files name the same fixture).

#include "TestSupport.h"
#include "platform/paths/Drives.h"

#include <gtest/gtest.h>
#include <vector>

class PathsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        tree.MakeDir("c/Music/Album");
        tree.MakeDir("d/Films");
        tree.MakeDir("share/A");
        tree.WriteFile("c/Music/a.mp3");
    }
    TempTree tree;
    DriveScope drives{std::vector<DriveInfo>{
        {'c', tree / "c", DriveKind::Fixed, "", "", "", "", false},
        {'d', tree / "d", DriveKind::Removable, "", "", "", "", false},
        {'z', tree / "share", DriveKind::Remote, "", "", "\\\\srv\\music", "", false},
    }};
};
