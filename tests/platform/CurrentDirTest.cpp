// The emulated current directory: one per drive, and failures that carry Windows error codes and
// change nothing, on a real temporary tree.

#include "platform/paths/CurrentDir.h"

#include "PathsFixture.h"
#include "platform/services/WinError.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST_F(PathsTest, CurrentDirectoryFailuresCarryWindowsCodes)
{
    ASSERT_EQ(CurrentDir::Set("c:\\Music"), 0);
    tree.MakeDir("c/Locked");
    ::chmod((tree / "c/Locked").c_str(), 0);
    struct Case
    {
        const char* Input;
        int Code;
    } cases[] = {
        {"c:\\Music\\Missing", WinError::FileNotFound},
        {"c:\\Missing\\Deeper", WinError::PathNotFound},
        {"c:\\Music\\a.mp3", WinError::NotADirectory},
        {"q:\\", WinError::PathNotFound},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CurrentDir::Set(c.Input), c.Code) << c.Input;
        EXPECT_EQ(GetLastError(), c.Code);
        EXPECT_EQ(CurrentDir::Get(), "c:\\Music") << "a failure changes nothing";
    }
    if (::geteuid() != 0) { // root enters every folder
        EXPECT_EQ(CurrentDir::Set("c:\\Locked"), WinError::AccessDenied);
    }
}

TEST_F(PathsTest, EachDriveKeepsItsCurrentDirectory)
{
    ASSERT_EQ(CurrentDir::Set("d:\\Films"), 0);
    ASSERT_EQ(CurrentDir::Set("c:\\Music\\Album"), 0);
    EXPECT_EQ(CurrentDir::OfDrive('d'), "d:\\Films");
    ASSERT_EQ(CurrentDir::Set("d:"), 0);
    EXPECT_EQ(CurrentDir::Get(), "d:\\Films");
    ASSERT_EQ(CurrentDir::Set("c:"), 0);
    EXPECT_EQ(CurrentDir::Get(), "c:\\Music\\Album");
    ASSERT_EQ(CurrentDir::Set(".."), 0);
    EXPECT_EQ(CurrentDir::Get(), "c:\\Music");
}

} // namespace
