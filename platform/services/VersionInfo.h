#pragma once
// Basic idea: the four-part file version that a Windows file carries in its version resource,
// carried to Linux. A program or module of ours holds the resource's fixed file-information block
// (thirteen 32-bit words, the first the signature 0xFEEF04BD) in an ELF section of its own,
// ".fileversion", put there at build time by quelmo_file_version() (VersionResource.cmake). The
// reader checks every offset against the file, so a truncated, foreign or random file simply has
// no version. Any thread.

#include <cstdint>
#include <optional>
#include <string>

struct VSFixedFileInfo
{
    uint32_t dwSignature = 0;
    uint32_t dwStrucVersion = 0;
    uint32_t dwFileVersionMS = 0;
    uint32_t dwFileVersionLS = 0;
    uint32_t dwProductVersionMS = 0;
    uint32_t dwProductVersionLS = 0;
    uint32_t dwFileFlagsMask = 0;
    uint32_t dwFileFlags = 0;
    uint32_t dwFileOS = 0;
    uint32_t dwFileType = 0;
    uint32_t dwFileSubtype = 0;
    uint32_t dwFileDateMS = 0;
    uint32_t dwFileDateLS = 0;
};

namespace VersionInfo {

constexpr uint32_t Signature = 0xFEEF04BD;
constexpr const char* SectionName = ".fileversion";

// The fixed file-information block of the file at a POSIX path; nullopt when the file cannot be
// read, is no ELF file, or holds no block with the right signature. Throws nothing.
std::optional<VSFixedFileInfo> ReadPosix(const std::string& posixPath);

// The same for a path text (Paths.h); nullopt also for an empty text or one that names no drive.
// UI thread only, as path texts are. Throws nothing.
std::optional<VSFixedFileInfo> Read(const std::string& path);

} // namespace VersionInfo
