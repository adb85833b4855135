// File versions and their friendly names: the tables at their edges, and versions read from real
// files (our control module, a file without a version, damaged files).

#include "helphost/HelpVersions.h"

#include "HelpTestSupport.h"
#include "TestSupport.h"
#include "platform/services/VersionInfo.h"

#include <gtest/gtest.h>
#include <random>

namespace {

FileVersion V(uint16_t a, uint16_t b, uint16_t c, uint16_t d)
{
    return {a, b, c, d,
            std::to_string(a) + "." + std::to_string(b) + "." + std::to_string(c) + "." + std::to_string(d)};
}

TEST(HelpVersionsTest, CompareVersionGoesPartByPart)
{
    EXPECT_EQ(CompareVersion(V(5, 2, 3669, 0), V(5, 2, 3669, 0)), 0);
    EXPECT_EQ(CompareVersion(V(5, 2, 3669, 1), V(5, 2, 3669, 0)), 1);
    EXPECT_EQ(CompareVersion(V(4, 74, 9999, 9), V(5, 0, 0, 0)), -1);
    EXPECT_EQ(CompareVersion(V(6, 0, 0, 0), V(5, 65535, 65535, 65535)), 1);
}

TEST(HelpVersionsTest, FriendlyHelpControlNames)
{
    const std::pair<FileVersion, const char*> cases[] = {
        {V(5, 2, 3669, 0), "1.4a"}, {V(5, 2, 3700, 0), "> 1.4a"},     {V(5, 2, 3669, 1), "> 1.4a"},
        {V(5, 2, 3668, 0), "1.4"},  {V(5, 2, 3626, 0), "1.4"},        {V(5, 2, 3625, 9), "1.33"},
        {V(4, 74, 8702, 0), "1.3"}, {V(4, 73, 8474, 0), "1.21a"},     {V(4, 72, 7300, 0), "1.0"},
        {V(4, 72, 7290, 0), "1.0"}, {V(4, 72, 7289, 65535), "< 1.0"}, {V(1, 3, 0, 0), "< 1.0"},
        {FileVersion{}, ""},
    };
    for (const auto& [version, text] : cases)
        EXPECT_EQ(FriendlyHHVersionOf(version), text) << version.Text;
}

TEST(HelpVersionsTest, FriendlyBrowserNamesAndTheOldNumbering)
{
    const std::pair<FileVersion, const char*> cases[] = {
        {V(8, 0, 0, 1), "> Internet Explorer 8"},
        {V(8, 0, 0, 0), "> Internet Explorer 7"},
        {V(7, 0, 0, 0), "Internet Explorer 6 (Windows Server 2003)"},
        {V(6, 0, 2900, 2180), "Internet Explorer 6 (Windows XP SP2)"},
        {V(6, 0, 2900, 2179), "Internet Explorer 6 SP1"},
        {V(5, 50, 4134, 100), "Internet Explorer 5.5 for Windows Me (4.90.3000)"},
        {V(4, 40, 308, 0), "Internet Explorer 1.0 (Plus!)"},
        {V(4, 40, 307, 0), "< Internet Explorer 1.0 (Plus!)"},
        {FileVersion{}, ""},
    };
    for (const auto& [version, text] : cases)
        EXPECT_EQ(FriendlyIEVersionOf(version), text) << version.Text;

    const FileVersion old = AdjustBrowserVersion(V(4, 70, 0, 1155));
    EXPECT_EQ(old.Text, "4.70.1155.0");
    EXPECT_EQ(FriendlyIEVersionOf(old), "Internet Explorer 3.0");
    // Only 4.x below 4.71 with c = 0 is renumbered.
    EXPECT_EQ(AdjustBrowserVersion(V(4, 71, 0, 1712)).Text, "4.71.0.1712");
    EXPECT_EQ(AdjustBrowserVersion(V(4, 70, 1, 1155)).Text, "4.70.1.1155");
}

TEST(HelpVersionsTest, VersionsOfRealFiles)
{
    HelpWorld world;
    world.InstallControl();
    const FileVersion control = FileVersionText("c:\\Windows\\hhctrl.ocx");
    EXPECT_FALSE(control.Text.empty());
    EXPECT_EQ(control.Text, std::to_string(control.A) + "." + std::to_string(control.B) + "." +
                                std::to_string(control.C) + "." + std::to_string(control.D));
    EXPECT_EQ(VersionInfo::ReadPosix(QUELMO_HHCTRL_MODULE)->dwFileType, 2u); // a module, not a program

    // The test program is an ELF file without a version.
    EXPECT_FALSE(VersionInfo::ReadPosix("/proc/self/exe"));

    // Files that are no ELF files at all, or damaged ones: the empty text and zeros.
    const std::string versioned = ReadFile(QUELMO_HHCTRL_MODULE);
    std::string noise(4096, '\0');
    std::mt19937 random(8);
    for (char& c : noise)
        c = char(random());
    std::string badSignature = versioned;
    const size_t block = badSignature.find("\xBD\x04\xEF\xFE");
    ASSERT_NE(block, std::string::npos);
    badSignature[block] = 'X';
    const std::pair<const char*, std::string> files[] = {
        {"bad signature", badSignature},
        {"empty", ""},
        {"noise", noise},
        {"header only", versioned.substr(0, 64)},
        {"truncated", versioned.substr(0, versioned.size() / 2)},
        {"no sections", versioned.substr(0, versioned.size() - 4096)},
    };
    for (const auto& [name, contents] : files) {
        world.Tree.WriteFile(name, contents);
        const FileVersion version = FileVersionText(std::string("c:\\") + name);
        EXPECT_EQ(version.Text, "") << name;
        EXPECT_EQ(version.A + version.B + version.C + version.D, 0) << name;
    }
    EXPECT_EQ(FileVersionText("c:\\missing.dll").Text, "");
    EXPECT_EQ(FileVersionText("").Text, "");
}

} // namespace
