// The debug log: how lines are written, where the log goes, when it is written at all, and the
// start-up probe that decides it.

#include "helphost/DebugLog.h"

#include "HelpTestSupport.h"
#include "helphost/HelpProbe.h"
#include "platform/services/Module.h"
#include "platform/services/Version.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <sys/stat.h>

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

TEST(DebugLogTest, LinesSeparatorsAndTimePrefixes)
{
    HelpWorld world;
    TDLogFile log("c:\\Programmes\\Quelmo\\HHDebug.txt", true, true, false, false);
    log.WriteLine("-");
    log.WriteLine("=");
    log.WriteLine("!abc");
    log.WriteLine("abc");
    log.WriteLine("-x");
    log.WriteLine("n = %d, file \"%s\", 100%%", {"7", "a%sb"});
    log.WriteLine("100% sure"); // without arguments the format stays as it is
    log.WriteLine("");
    TDLogFile plain("c:\\Programmes\\Quelmo\\HHDebug.txt", true, false, false, true);
    plain.WriteLine("abc");

    const std::vector<std::string> lines = Lines(world.Tree.ReadFile("Programmes/Quelmo/HHDebug.txt"));
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0], std::string(79, '-'));
    EXPECT_EQ(lines[1], std::string(79, '='));
    EXPECT_EQ(lines[2], "abc");
    const std::regex timed("[0-9][^ ]*[0-9]   (.*)");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[3], match, timed)) << lines[3];
    EXPECT_EQ(match[1], "abc");
    EXPECT_EQ(lines[4], "x");
    ASSERT_TRUE(std::regex_match(lines[5], match, timed)) << lines[5];
    EXPECT_EQ(match[1], "n = 7, file \"a%sb\", 100%");
    ASSERT_TRUE(std::regex_match(lines[6], match, timed));
    EXPECT_EQ(match[1], "100% sure");
    ASSERT_TRUE(std::regex_match(lines[7], match, std::regex("[0-9][^ ]*[0-9]   ")));
    EXPECT_EQ(lines[8], "abc"); // appended, no time stamps
}

TEST(DebugLogTest, NoLogWithoutDebugModeButAnOldReadOnlyOneIsDeleted)
{
    HelpWorld world;
    world.Tree.WriteFile("Programmes/Quelmo/HHDebug.txt", "old log\n");
    ::chmod((world.Tree / "Programmes/Quelmo/HHDebug.txt").c_str(), 0444);
    HelpUnit::RunProbe();
    EXPECT_FALSE(HelpUnit::DebugMode);
    EXPECT_EQ(DebugLogFile->FileName(), "c:\\Programmes\\Quelmo\\HHDebug.txt");
    EXPECT_FALSE(world.Tree.Exists("Programmes/Quelmo/HHDebug.txt"));
    DebugLog("HHHelpContext(\"%s\", %d)", "x.chm", 3);
    EXPECT_FALSE(world.Tree.Exists("Programmes/Quelmo/HHDebug.txt"));
    EXPECT_FALSE(world.Tree.Exists("Programmes/Quelmo/$_Temp_$.$$$")); // the probe file is gone
}

TEST(DebugLogTest, DebugModeByMarkerFileOrArgument)
{
    struct Case
    {
        const char* Name;
        bool Marker;
        std::vector<std::string> Arguments;
        bool Debug;
    };
    const Case cases[] = {
        {"nothing", false, {}, false},
        {"marker file", true, {}, true},
        {"/debug", false, {"x.mp3", "/debug"}, true},
        {"-debug", false, {"-debug"}, true},
        {"/DEBUG", false, {"/DEBUG"}, false},
        {"-Debug", false, {"-Debug", "debug"}, false},
    };
    for (const Case& c : cases) {
        HelpWorld world;
        if (c.Marker)
            world.Tree.WriteFile("Programmes/Quelmo/debug.debug");
        world.SetArguments(c.Arguments);
        HelpUnit::RunProbe();
        EXPECT_EQ(HelpUnit::DebugMode, c.Debug) << c.Name;
        DebugLog("abc");
        const std::string log = world.Tree.ReadFile("Programmes/Quelmo/HHDebug.txt");
        EXPECT_EQ(log.find("!Log File:") == std::string::npos && log.find("Log File:") != std::string::npos,
                  c.Debug)
            << c.Name;
        EXPECT_EQ(log.find("   abc\n") != std::string::npos, c.Debug) << c.Name;
    }
}

TEST(DebugLogTest, HeaderDescribesTheProbe)
{
    HelpWorld world;
    world.InstallControl();
    world.SetArguments({"/debug", "un deux"});
    HelpUnit::RunProbe();
    EXPECT_EQ(HelpUnit::ModulePath, "c:\\Programmes\\Quelmo\\quelmo");
    EXPECT_EQ(HelpUnit::ModuleDir, "c:\\Programmes\\Quelmo");
    EXPECT_EQ(HelpUnit::ModuleName, "quelmo");
    EXPECT_EQ(HelpUnit::RunDir, "c:\\Programmes\\Quelmo");
    EXPECT_EQ(HelpUnit::LogFolder, "c:\\Programmes\\Quelmo");
    EXPECT_TRUE(HelpUnit::HhInstalled);
    EXPECT_FALSE(HelpUnit::IeInstalled);

    const std::vector<std::string> lines = Lines(world.Tree.ReadFile("Programmes/Quelmo/HHDebug.txt"));
    ASSERT_GE(lines.size(), 25u);
    EXPECT_EQ(lines.front(), std::string(79, '='));
    EXPECT_EQ(lines.back(), std::string(79, '='));
    const auto has = [&lines](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    EXPECT_TRUE(has("Log File:             \tc:\\Programmes\\Quelmo\\HHDebug.txt"));
    EXPECT_TRUE(has("Cmdline Param(s) =  \t/debug | un deux"));
    EXPECT_TRUE(has("_ModuleName =       \tquelmo"));
    EXPECT_TRUE(has("_hhInstalled =      \tYES"));
    EXPECT_TRUE(has("_hhVerStr =         \t" + HelpUnit::HhVerStr));
    EXPECT_TRUE(has("_hhFriendlyVerStr = \t1.0")); // the level of the commands the control answers
    EXPECT_TRUE(has("_ieInstalled =      \tNO"));
    EXPECT_TRUE(has("_ieFriendlyVerStr = \t"));
    EXPECT_TRUE(has("SysLocale.DefaultLCID: \t0x0000 (0)"));

    // A log removed between lines comes back with the next line, without a header.
    std::filesystem::remove(world.Tree / "Programmes/Quelmo/HHDebug.txt");
    DebugLog("!again");
    EXPECT_EQ(world.Tree.ReadFile("Programmes/Quelmo/HHDebug.txt"), "again\n");
}

TEST(DebugLogTest, SystemLineComesFromTheVersionRecordOfTheVersionCode)
{
    using Version::PlatformWin32NT;
    const std::pair<Version::OSVersionInfo, std::string> cases[] = {
        {{PlatformWin32NT, 4, 0, 1381, "Service Pack 6"}, "Windows NT4 4.0 (Build 1381) Service Pack 6"},
        {{PlatformWin32NT, 5, 0, 2195, ""}, "Windows 2000 5.0 (Build 2195) No Service Pack"},
        {{PlatformWin32NT, 5, 1, 2600, "Service Pack 3"}, "Windows XP 5.1 (Build 2600) Service Pack 3"},
        {{Version::PlatformWin32Windows, 4, 10, 2222, " A "}, "Windows 4.10 (Build 2222)  A "},
        {Version::FromKernel("Linux", "6.1.0-18-amd64"),
         "Windows NT 6.2 (Build 393472) Linux 6.1.0-18-amd64"},
    };
    for (const auto& [record, expected] : cases) {
        HelpWorld world;
        world.SetArguments({"-debug"});
        Version::SetOverride(record);
        HelpUnit::RunProbe();
        Version::SetOverride(std::nullopt);
        const std::string log = world.Tree.ReadFile("Programmes/Quelmo/HHDebug.txt");
        EXPECT_NE(log.find("\nOperating System:      \t" + expected + "\n"), std::string::npos) << expected;
    }
}

TEST(DebugLogTest, LogFolderFallsBackToTheTemporaryFolderThenToC)
{
    HelpWorld world;
    // A program in a folder where nobody may create files, not even root.
    DriveScope drives{
        std::vector<DriveInfo>{{'c', world.Tree.Path(), DriveKind::Fixed, "", "", "", "", false},
                               {'p', "/proc/self", DriveKind::Fixed, "", "", "", "", false}}};
    Module::SetProgramPosixPath("/proc/self/quelmo");
    world.SetArguments({"-debug"});
    EXPECT_FALSE(FolderWritable("p:\\"));
    EXPECT_TRUE(FolderWritable("c:\\tmp\\\\"));
    EXPECT_FALSE(FolderWritable("c:\\missing"));
    // A file of the probe's name that is somebody's own is left as it is.
    world.Tree.WriteFile("tmp/$_Temp_$.$$$", "à moi");
    EXPECT_TRUE(FolderWritable("c:\\tmp"));
    EXPECT_EQ(world.Tree.ReadFile("tmp/$_Temp_$.$$$"), "à moi");
    std::filesystem::remove(world.Tree / "tmp/$_Temp_$.$$$");
    HelpUnit::RunProbe();
    EXPECT_EQ(HelpUnit::LogFolder, "c:\\tmp");
    EXPECT_TRUE(world.Tree.Exists("tmp/HHDebug.txt"));

    // No temporary folder either: the root of c.
    ::setenv("TMPDIR", (world.Tree / "gone").c_str(), 1);
    EXPECT_EQ(TempFolder(), "c:");
    HelpUnit::RunProbe();
    EXPECT_EQ(DebugLogFile->FileName(), "c:\\HHDebug.txt");
    EXPECT_TRUE(world.Tree.Exists("HHDebug.txt"));

    // A log named in a folder that does not exist goes to the temporary folder under its own name.
    ::setenv("TMPDIR", (world.Tree / "tmp").c_str(), 1);
    TDLogFile other("c:\\nowhere\\Autre.txt", true, false, false, false);
    EXPECT_EQ(other.FileName(), "c:\\tmp\\Autre.txt");
}

} // namespace
