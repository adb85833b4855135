#include "platform/services/Version.h"

#include <sys/utsname.h>

namespace Version {

namespace {

std::optional<OSVersionInfo>& Override()
{
    static std::optional<OSVersionInfo> info;
    return info;
}

// The leading number of text from pos on, moving pos past it and one following "."; 0 when none.
uint32_t NextNumber(const std::string& text, size_t& pos)
{
    uint32_t value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && value < 100000)
        value = value * 10 + uint32_t(text[pos++] - '0');
    if (pos < text.size() && text[pos] == '.')
        ++pos;
    return value;
}

// The kernel's own single-number form of "a.b.c": (a << 16) + (b << 8) + c, c at most 255.
uint32_t KernelVersionCode(const std::string& release)
{
    size_t pos = 0;
    const uint32_t major = NextNumber(release, pos);
    const uint32_t minor = NextNumber(release, pos);
    const uint32_t patch = NextNumber(release, pos);
    return ((major & 0xFFFF) << 16) + ((minor & 0xFF) << 8) + (patch > 255 ? 255 : patch);
}

} // namespace

OSVersionInfo FromKernel(const std::string& sysName, const std::string& release)
{
    OSVersionInfo info;
    info.PlatformId = PlatformWin32NT;
    info.MajorVersion = 6;
    info.MinorVersion = 2;
    info.BuildNumber = KernelVersionCode(release);
    info.CSDVersion = (sysName + " " + release).substr(0, 127);
    return info;
}

OSVersionInfo GetVersionEx()
{
    if (Override())
        return *Override();
    struct utsname names = {};
    if (::uname(&names) != 0)
        return FromKernel("Linux", "");
    return FromKernel(names.sysname, names.release);
}

void SetOverride(std::optional<OSVersionInfo> info)
{
    Override() = std::move(info);
}

} // namespace Version
