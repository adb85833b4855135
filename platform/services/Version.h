#pragma once
// Basic idea: the version record of the running system, as the program's common units ask for it
// (platform, major and minor version, build number, and a text). Linux has no such record, so this
// layer makes one up from uname(): the platform is the NT family and the version 6.2, the version
// that current Windows systems report to programs that do not declare a later one; that keeps the
// program on the paths meant for current systems. The build number is the kernel's version code
// (as <linux/version.h> forms it) and the text names the kernel ("Linux 6.1.0-18-amd64"). Tests
// may set a record of their own. Any thread; the override is for tests on the UI thread only.

#include <cstdint>
#include <optional>
#include <string>

namespace Version {

constexpr uint32_t PlatformWin32s = 0;       // VER_PLATFORM_WIN32s
constexpr uint32_t PlatformWin32Windows = 1; // VER_PLATFORM_WIN32_WINDOWS
constexpr uint32_t PlatformWin32NT = 2;      // VER_PLATFORM_WIN32_NT

struct OSVersionInfo
{
    uint32_t PlatformId = 0;
    uint32_t MajorVersion = 0;
    uint32_t MinorVersion = 0;
    uint32_t BuildNumber = 0;
    std::string CSDVersion; // at most 127 characters
};

// The record of the running system, or the one a test set; when uname() fails, that of "Linux"
// with build number 0. Throws nothing.
OSVersionInfo GetVersionEx();

// The record built from a kernel name and release, as uname() gives them; a part of the release
// that is not a number counts as 0. Throws nothing.
OSVersionInfo FromKernel(const std::string& sysName, const std::string& release);

// Tests: report this record instead of the system's; nullopt returns to the system's. Throws
// nothing.
void SetOverride(std::optional<OSVersionInfo> info);

} // namespace Version
