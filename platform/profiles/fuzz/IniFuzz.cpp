// libFuzzer target: arbitrary bytes as a settings file. Reading must not crash, and a write must
// keep every line it does not own: after writing one key, the file holds the old lines (line ends
// aside) with at most that key's line changed, or one line (two with a new section) added.

#include "platform/paths/CurrentDir.h"
#include "platform/paths/Drives.h"
#include "platform/profiles/IniFiles.h"
#include "platform/services/Exceptions.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The lines without their ends: "\n" or "\r\n"; a CR anywhere else belongs to its line.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        const bool ended = end != std::string::npos;
        std::string line = text.substr(start, (ended ? end : text.size()) - start);
        if (ended && !line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = ended ? end + 1 : text.size();
    }
    return lines;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

const std::string& Folder()
{
    static const std::string folder = [] {
        char pattern[] = "/tmp/quelmo-inifuzz-XXXXXX";
        std::string made = ::mkdtemp(pattern);
        DriveTable::SetCurrent(DriveTable({DriveInfo{'c', made, DriveKind::Fixed, "", "", "", "", false}}));
        CurrentDir::Reset();
        return made;
    }();
    return folder;
}

// The key of an entry line, trimmed and lower-cased ASCII; empty for a line without "=".
std::string KeyOf(const std::string& line)
{
    const auto equals = line.find('=');
    if (equals == std::string::npos)
        return {};
    std::string key = line.substr(0, equals);
    key.erase(0, key.find_first_not_of(" \t"));
    key.erase(key.find_last_not_of(" \t") + 1);
    for (char& c : key)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

// The line of the written entry: a key "index" in any case, blanks around it kept, value 7.
bool IsWrittenEntry(const std::string& line)
{
    return KeyOf(line) == "index" && line.substr(line.find('=') + 1) == "7";
}

// Every old line is in the new file, in order; the only changes are the written entry (replacing
// one old "index" line, or added with at most its section header).
bool KeepsOtherLines(const std::vector<std::string>& before, const std::vector<std::string>& after)
{
    size_t i = 0, replaced = 0, added = 0;
    for (const std::string& line : after) {
        if (i < before.size() && line == before[i]) {
            ++i;
        } else if (IsWrittenEntry(line) && i < before.size() && KeyOf(before[i]) == "index") {
            ++i;
            ++replaced;
        } else if (IsWrittenEntry(line) || line == "[Config]") {
            ++added;
        } else {
            return false;
        }
    }
    return i == before.size() && replaced + added >= 1 && replaced <= 1 && added <= 2 - replaced * 2;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string posix = Folder() + "/Quelmo.ini";
    const std::string original(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(posix, std::ios::binary | std::ios::trunc);
        out << original;
    }
    TIniFile ini("c:\\Quelmo.ini");
    (void)ini.ReadString("Config", "Dir_Source", "");
    (void)ini.ReadInteger("Config", "Index", -1);
    (void)ini.SectionExists("CAO");
    try {
        ini.WriteInteger("Config", "Index", 7);
    } catch (const EIniFileException&) {
        return 0;
    }
    if (!KeepsOtherLines(Lines(original), Lines(ReadAll(posix))))
        std::abort();
    if (ini.ReadInteger("Config", "Index", -1) != 7) // the value written reads back
        std::abort();
    return 0;
}
