#include "helphost/HelpVersions.h"

#include "common/PathHelpers.h"
#include "helphost/HelpLoader.h"
#include "platform/paths/FileSystem.h"
#include "platform/services/VersionInfo.h"

#include <array>
#include <tuple>

namespace {

FileVersion Make(uint16_t a, uint16_t b, uint16_t c, uint16_t d)
{
    FileVersion version{a, b, c, d, {}};
    version.Text =
        std::to_string(a) + "." + std::to_string(b) + "." + std::to_string(c) + "." + std::to_string(d);
    return version;
}

struct Row
{
    uint16_t A, B, C, D;
    const char* Text;
};

// The first row, from the top, that the version reaches; `lower` below the last.
template <size_t N>
std::string FirstReached(const FileVersion& version, const std::array<Row, N>& rows, const char* lower)
{
    for (const Row& row : rows)
        if (CompareVersion(version, Make(row.A, row.B, row.C, row.D)) >= 0)
            return row.Text;
    return lower;
}

const std::array<Row, 13> HHRows{{
    {5, 2, 3626, 0, "1.4"},
    {4, 74, 9273, 0, "1.33"},
    {4, 74, 8857, 0, "1.32"},
    {4, 74, 8793, 0, "1.31"},
    {4, 74, 8702, 0, "1.3"},
    {4, 73, 8561, 0, "1.22"},
    {4, 73, 8474, 0, "1.21a"},
    {4, 73, 8412, 0, "1.21"},
    {4, 73, 8252, 0, "1.2"},
    {4, 72, 8164, 0, "1.1b"},
    {4, 72, 7325, 0, "1.1a"},
    {4, 72, 7323, 0, "1.1"},
    {4, 72, 7290, 0, "1.0"},
}};

const std::array<Row, 37> IERows{{
    {6, 0, 3790, 0, "Internet Explorer 6 (Windows Server 2003)"},
    {6, 0, 3718, 0, "Internet Explorer 6 (Windows Server 2003 RC2)"},
    {6, 0, 3663, 0, "Internet Explorer 6 (Windows Server 2003 RC1)"},
    {6, 0, 2900, 2180, "Internet Explorer 6 (Windows XP SP2)"},
    {6, 0, 2800, 1106, "Internet Explorer 6 SP1"},
    {6, 0, 2712, 300, "Internet Explorer 6 (Windows XP + minor update)"},
    {6, 0, 2600, 0, "Internet Explorer 6 (Windows XP)"},
    {6, 0, 2479, 6, "Internet Explorer 6 Public Preview (Beta) Refresh"},
    {6, 0, 2462, 0, "Internet Explorer 6 Public Preview (Beta)"},
    {5, 50, 4807, 2300, "Internet Explorer 5.5 Service Pack 2"},
    {5, 50, 4522, 1800, "Internet Explorer 5.5 Service Pack 1"},
    {5, 50, 4308, 2900, "Internet Explorer 5.5 Advanced Security Privacy Beta"},
    {5, 50, 4134, 600, "Internet Explorer 5.5"},
    {5, 50, 4134, 100, "Internet Explorer 5.5 for Windows Me (4.90.3000)"},
    {5, 50, 4030, 2400, "Internet Explorer 5.5 & Internet Tools Beta"},
    {5, 50, 3825, 1300, "Internet Explorer 5.5 Developer Preview"},
    {5, 0, 2919, 6307, "Internet Explorer 5.01"},
    {5, 0, 2919, 3800, "Internet Explorer 5.01 (Windows 2000 RC2, build 5.00.2128)"},
    {5, 0, 2919, 800, "Internet Explorer 5.01 (Windows 2000 RC1, build 5.00.2072)"},
    {5, 0, 2721, 1400, "Internet Explorer 5.0 updated"},
    {5, 0, 2614, 0, "Internet Explorer 5.0b"},
    {5, 0, 2314, 0, "Internet Explorer 5.0a"},
    {5, 0, 2014, 0, "Internet Explorer 5.0"},
    {5, 0, 910, 0, "Internet Explorer 5 Beta (Beta 2)"},
    {5, 0, 518, 0, "Internet Explorer 5 Developer Preview (Beta 1)"},
    {4, 72, 3612, 0, "Internet Explorer 4.01 Service Pack 2 (SP2)"},
    {4, 72, 3110, 0, "Internet Explorer 4.01 Service Pack 1 (SP1)"},
    {4, 72, 2106, 0, "Internet Explorer 4.01"},
    {4, 71, 1712, 0, "Internet Explorer 4.0"},
    {4, 71, 1008, 0, "Internet Explorer 4.0 Platform Preview 2.0 (PP2)"},
    {4, 71, 544, 0, "Internet Explorer 4.0 Platform Preview 1.0 (PP1)"},
    {4, 70, 1300, 0, "Internet Explorer 3.02"},
    {4, 70, 1215, 0, "Internet Explorer 3.01"},
    {4, 70, 1158, 0, "Internet Explorer 3.0 (OSR2)"},
    {4, 70, 1155, 0, "Internet Explorer 3.0"},
    {4, 40, 520, 0, "Internet Explorer 2.0"},
    {4, 40, 308, 0, "Internet Explorer 1.0 (Plus!)"},
}};

} // namespace

FileVersion FileVersionText(const std::string& path)
{
    if (path.empty() || !FileSystem::FileExists(path))
        return {};
    const auto info = VersionInfo::Read(path);
    if (!info)
        return {};
    return Make(uint16_t(info->dwFileVersionMS >> 16), uint16_t(info->dwFileVersionMS & 0xFFFF),
                uint16_t(info->dwFileVersionLS >> 16), uint16_t(info->dwFileVersionLS & 0xFFFF));
}

int CompareVersion(const FileVersion& version, const FileVersion& threshold)
{
    const auto left = std::tie(version.A, version.B, version.C, version.D);
    const auto right = std::tie(threshold.A, threshold.B, threshold.C, threshold.D);
    return left < right ? -1 : (left == right ? 0 : 1);
}

FileVersion AdjustBrowserVersion(FileVersion version)
{
    if (version.Text.empty() || version.A != 4 || version.B >= 71 || version.C != 0)
        return version;
    return Make(version.A, version.B, version.D, 0);
}

FileVersion BrowserVersion()
{
    return AdjustBrowserVersion(FileVersionText(WindowsDirectory() + "\\Shdocvw.dll"));
}

std::string FriendlyHHVersionOf(const FileVersion& version)
{
    if (version.Text.empty())
        return {};
    const int against14a = CompareVersion(version, Make(5, 2, 3669, 0));
    if (against14a > 0)
        return "> 1.4a";
    if (against14a == 0)
        return "1.4a";
    return FirstReached(version, HHRows, "< 1.0");
}

std::string FriendlyIEVersionOf(const FileVersion& version)
{
    if (version.Text.empty())
        return {};
    if (CompareVersion(version, Make(8, 0, 0, 0)) > 0)
        return "> Internet Explorer 8";
    if (CompareVersion(version, Make(7, 0, 0, 0)) > 0)
        return "> Internet Explorer 7";
    return FirstReached(version, IERows, "< Internet Explorer 1.0 (Plus!)");
}

std::string FriendlyHHVersion()
{
    return FriendlyHHVersionOf(FileVersionText(HelpControlPath()));
}

std::string FriendlyIEVersion()
{
    return FriendlyIEVersionOf(BrowserVersion());
}
