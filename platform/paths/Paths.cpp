#include "platform/paths/Paths.h"

#include "platform/paths/CurrentDir.h"
#include "platform/paths/Drives.h"
#include "platform/services/WinError.h"

#include <algorithm>
#include <vector>

namespace Paths {

namespace {

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Splits at "\" into components, dropping empty ones and ".", and resolving "..".
void AppendComponents(std::vector<std::string>& parts, const std::string& text)
{
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\\', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string part = text.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
}

std::string Join(const std::string& root, const std::vector<std::string>& parts)
{
    std::string out = root;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += '\\';
        out += parts[i];
    }
    return out;
}

// For an absolute text, its root ("c:\" or "\\server\share\") and the rest.
void SplitRoot(const std::string& full, std::string& root, std::string& rest)
{
    const std::string drive = DrivePart(full);
    root = drive + "\\";
    rest = full.size() > drive.size() ? full.substr(drive.size()) : std::string();
}

} // namespace

std::string NameFromPosix(const std::string& posixName)
{
    std::string name;
    name.reserve(posixName.size());
    for (const char c : posixName) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == ':' || byte < 0x20) {
            // U+F000 + the byte, in UTF-8: EF 80|81 xx.
            const unsigned code = 0xF000u + byte;
            name += '\xEF';
            name += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            name += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            name += c;
        }
    }
    return name;
}

std::string NameToPosix(const std::string& name)
{
    if (name.find('\xEF') == std::string::npos)
        return name;
    std::string posixName;
    posixName.reserve(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\xEF' && i + 2 < name.size()) {
            const unsigned code = 0xF000u | ((static_cast<unsigned char>(name[i + 1]) & 0x3F) << 6) |
                                  (static_cast<unsigned char>(name[i + 2]) & 0x3F);
            const bool mapped = (static_cast<unsigned char>(name[i + 1]) & 0xC0) == 0x80 &&
                                (static_cast<unsigned char>(name[i + 2]) & 0xC0) == 0x80 &&
                                (code < 0xF020 || code == 0xF05C || code == 0xF03A) && code != 0xF000;
            if (mapped) {
                posixName += static_cast<char>(code - 0xF000);
                i += 2;
                continue;
            }
        }
        posixName += name[i];
    }
    return posixName;
}

std::string DrivePart(const std::string& text)
{
    if (text.size() >= 2 && text[1] == ':')
        return text.substr(0, 2);
    if (text.size() >= 2 && text[0] == '\\' && text[1] == '\\') {
        // Two backslashes, the server, "\", the share, up to the "\" after the share.
        const size_t serverEnd = text.find('\\', 2);
        if (serverEnd == std::string::npos)
            return text;
        const size_t shareEnd = text.find('\\', serverEnd + 1);
        return shareEnd == std::string::npos ? text : text.substr(0, shareEnd);
    }
    return {};
}

std::string ExpandPath(const std::string& input)
{
    std::string text = input;
    std::replace(text.begin(), text.end(), '/', '\\');

    std::string base; // an absolute text the input is relative to, or empty when it is absolute
    std::string root, rest;
    if (text.size() >= 2 && text[0] == '\\' && text[1] == '\\') {
        SplitRoot(text, root, rest);
    } else if (text.size() >= 2 && text[1] == ':' && IsLetter(text[0])) {
        if (text.size() >= 3 && text[2] == '\\') {
            root = text.substr(0, 2) + "\\";
            rest = text.substr(3);
        } else {
            base = CurrentDir::OfDrive(text[0]);
            rest = text.substr(2);
        }
    } else if (!text.empty() && text[0] == '\\') {
        std::string currentRest;
        SplitRoot(CurrentDir::Get(), root, currentRest);
        rest = text;
    } else {
        base = CurrentDir::Get();
        rest = text;
    }

    std::vector<std::string> parts;
    if (!base.empty()) {
        std::string baseRest;
        SplitRoot(base, root, baseRest);
        AppendComponents(parts, baseRest);
    }
    AppendComponents(parts, rest);
    return Join(root, parts);
}

int ToPosix(const std::string& text, std::string& posixPath)
{
    const std::string full = ExpandPath(text);
    std::string root, rest;
    SplitRoot(full, root, rest);

    const DriveInfo* drive = nullptr;
    if (root.size() >= 2 && root[1] == ':') {
        drive = DriveTable::Current().Find(root[0]);
        if (drive == nullptr)
            return WinError::PathNotFound;
    } else {
        drive = DriveTable::Current().FindByRemoteName(root.substr(0, root.size() - 1));
        if (drive == nullptr)
            return WinError::BadNetPath;
    }

    std::vector<std::string> parts;
    AppendComponents(parts, rest);
    posixPath = drive->Root;
    for (const auto& part : parts) {
        if (posixPath.empty() || posixPath.back() != '/')
            posixPath += '/';
        posixPath += NameToPosix(part);
    }
    return WinError::Success;
}

std::optional<std::string> FromPosix(const std::string& posixPath)
{
    const DriveInfo* drive = DriveTable::Current().FindByPosix(posixPath);
    if (drive == nullptr)
        return std::nullopt;
    std::string text = std::string(1, drive->Letter) + ":\\";
    std::string rest = posixPath.substr(drive->Root == "/" ? 1 : drive->Root.size());
    bool first = true;
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find('/', start);
        if (end == std::string::npos)
            end = rest.size();
        const std::string name = rest.substr(start, end - start);
        if (!name.empty()) {
            if (!first)
                text += '\\';
            text += NameFromPosix(name);
            first = false;
        }
        start = end + 1;
    }
    return text;
}

} // namespace Paths
