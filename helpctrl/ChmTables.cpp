#include "helpctrl/ChmTables.h"

#include <cctype>
#include <cstdint>
#include <cstring>

namespace ChmTables {

namespace {

constexpr uint16_t SystemContentsFile = 0;
constexpr uint16_t SystemIndexFile = 1;
constexpr uint16_t SystemDefaultTopic = 2;
constexpr uint16_t SystemTitle = 3;

uint16_t Word16(const std::string& data, size_t at)
{
    uint16_t value = 0;
    std::memcpy(&value, data.data() + at, sizeof value);
    return value;
}

} // namespace

std::string TextAt(const std::string& data, size_t at, size_t end)
{
    const size_t nul = data.find('\0', at);
    return data.substr(at, (nul == std::string::npos || nul > end ? end : nul) - at);
}

std::string LowerCase(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

SystemRecords ReadSystem(const std::string& system)
{
    SystemRecords records;
    size_t at = 4;
    while (at + 4 <= system.size()) {
        const uint16_t code = Word16(system, at);
        const size_t length = Word16(system, at + 2);
        const size_t start = at + 4;
        if (length > system.size() - start)
            break;
        const std::string text = TextAt(system, start, start + length);
        if (code == SystemTitle)
            records.Title = text;
        else if (code == SystemDefaultTopic)
            records.DefaultTopic = text;
        else if (code == SystemContentsFile)
            records.ContentsFile = text;
        else if (code == SystemIndexFile)
            records.IndexFile = text;
        at = start + length;
    }
    return records;
}

std::string FindTopic(const std::string& name, const HasObject& has)
{
    std::string path = name.substr(0, name.find('#'));
    for (char& c : path)
        if (c == '\\')
            c = '/';
    if (path.empty())
        return {};
    if (path[0] != '/')
        path = "/" + path;
    // Some compilers store the topic with the folders it had on their machine: try the name as
    // it stands, then without its leading folders one by one.
    while (!path.empty()) {
        if (path.back() != '/' && has(LowerCase(path)))
            return path;
        const size_t next = path.find('/', 1);
        if (next == std::string::npos)
            break;
        path.erase(0, next);
    }
    return {};
}

} // namespace ChmTables
