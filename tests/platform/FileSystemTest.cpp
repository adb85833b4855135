// Attributes and the case-blind pattern search, on real temporary trees.

#include "platform/paths/FileSystem.h"

#include "TestSupport.h"
#include "platform/services/WinError.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

std::vector<std::string> Names(const std::vector<FileSystem::FoundEntry>& entries)
{
    std::vector<std::string> names;
    for (const auto& entry : entries)
        names.push_back(entry.Name);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FileSystemTest, PatternMatchingIsCaseBlind)
{
    struct Case
    {
        const char* Name;
        const char* Pattern;
        bool Matches;
    } cases[] = {
        {"a.mp3", "*.mp3", true},        {"B.MP3", "*.mp3", true},
        {"c.Mp3", "*.MP3", true},        {"a.mp3.txt", "*.mp3", false},
        {"a1.mp3", "a?.mp3", true},      {"a.mp3", "a?.mp3", false},
        {"noext", "*.*", true},          {"x", "", false},
        {"ÉTÉ.mp3", "été.MP3", true},    {"abcabc", "*abc", true},
        {"\xff\xfe.mp3", "*.mp3", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileSystem::MatchesPattern(c.Name, c.Pattern), c.Matches) << c.Name << " ~ " << c.Pattern;
}

TEST(FileSystemTest, SearchSkipsHiddenAndDirectoriesUnlessAsked)
{
    TempTree tree;
    DriveScope drives(tree.Path());
    tree.WriteFile("a.mp3");
    tree.WriteFile("B.MP3");
    tree.WriteFile(".d.mp3");
    tree.MakeDir("e.mp3");
    tree.WriteFile("f.mp3");
    ::chmod((tree / "f.mp3").c_str(), 0444);
    tree.WriteFile("\xff.mp3"); // not UTF-8

    std::vector<FileSystem::FoundEntry> found;
    ASSERT_EQ(FileSystem::FindFiles("c:\\", "*.mp3", 0, found), 0);
    EXPECT_EQ(Names(found), (std::vector<std::string>{"B.MP3", "a.mp3", "f.mp3", "\xff.mp3"}));
    if (::geteuid() != 0) {
        const auto readOnly =
            std::find_if(found.begin(), found.end(), [](auto& e) { return e.Name == "f.mp3"; });
        EXPECT_TRUE(readOnly->Attributes & faReadOnly);
    }

    ASSERT_EQ(FileSystem::FindFiles("c:\\", "*.mp3", faHidden | faDirectory, found), 0);
    EXPECT_EQ(found.size(), 6u);
    EXPECT_TRUE(FileSystem::DirectoryExists("c:\\e.mp3"));
    EXPECT_TRUE(FileSystem::FileExists("c:\\\xff.mp3"));
    EXPECT_FALSE(FileSystem::FileExists("c:\\e.mp3"));

    EXPECT_EQ(FileSystem::FindFiles("c:\\missing", "*", 0, found), WinError::FileNotFound);
    EXPECT_TRUE(found.empty());
}

TEST(FileSystemTest, CreateDirectoryOneLevelOnly)
{
    TempTree tree;
    DriveScope drives(tree.Path());
    EXPECT_EQ(FileSystem::CreateDirectory("c:\\x"), 0);
    EXPECT_TRUE(tree.Exists("x"));
    EXPECT_EQ(FileSystem::CreateDirectory("c:\\y\\z"), WinError::PathNotFound);
    EXPECT_EQ(FileSystem::CreateDirectory("c:\\x"), WinError::AlreadyExists);
}

} // namespace
