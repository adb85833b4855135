#include "platform/Paths.h"

#include "platform/CurrentDir.h"
#include "platform/Drives.h"
#include "platform/WinError.h"

#include <algorithm>
#include <vector>

namespace Paths {

namespace {

// U+F05C and U+F03A in UTF-8.
const std::string MappedBackslash = "\xEF\x81\x9C";
const std::string MappedColon = "\xEF\x80\xBA";

void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

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
    if (posixName.find_first_of("\\:") == std::string::npos)
        return posixName;
    std::string name = posixName;
    ReplaceAll(name, "\\", MappedBackslash);
    ReplaceAll(name, ":", MappedColon);
    return name;
}

std::string NameToPosix(const std::string& name)
{
    if (name.find('\xEF') == std::string::npos)
        return name;
    std::string posixName = name;
    ReplaceAll(posixName, MappedBackslash, "\\");
    ReplaceAll(posixName, MappedColon, ":");
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
