#include "platform/DriveLetters.h"

#include "platform/SpecialFolders.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The first line of every assignments file; a file without it is not ours.
constexpr std::string_view Magic = "quelmo-drive-letters 1";
// Far more than 23 entries ever need; a larger file is not ours.
constexpr off_t MaxFileSize = off_t{64} * 1024;
constexpr char FirstLetter = 'd';
constexpr char LastLetter = 'z';

std::mutex g_StoreMutex;
std::string g_StorePath;

bool ReadNumber(const std::string& text, uint64_t& number)
{
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, number);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

bool WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += size_t(written);
    }
    return true;
}

} // namespace

DriveLetters DriveLetters::FromText(const std::string& text)
{
    DriveLetters letters;
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != Magic) {
        letters.m_Changed = !text.empty(); // a foreign file is replaced by ours
        return letters;
    }
    bool generationRead = false;
    std::set<std::string> keys;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string first, second, key, extra;
        fields >> first >> second >> key;
        uint64_t number = 0;
        if (!generationRead && first == "generation" && key.empty() && ReadNumber(second, number)) {
            letters.m_Generation = number;
            generationRead = true;
            continue;
        }
        const bool valid = first.size() == 1 && first[0] >= FirstLetter && first[0] <= LastLetter &&
                           ReadNumber(second, number) && !key.empty() && !(fields >> extra) &&
                           keys.count(key) == 0 &&
                           std::none_of(letters.m_Entries.begin(), letters.m_Entries.end(),
                                        [&](const Entry& entry) { return entry.Letter == first[0]; });
        if (!valid) {
            letters.m_Changed = true; // dropped, and the file is written anew without it
            continue;
        }
        keys.insert(key);
        letters.m_Entries.push_back({key, first[0], number});
    }
    for (const Entry& entry : letters.m_Entries)
        letters.m_Generation = std::max(letters.m_Generation, entry.LastSeen);
    letters.m_Changed = letters.m_Changed || !generationRead;
    return letters;
}

std::string DriveLetters::ToText() const
{
    std::vector<const Entry*> entries;
    for (const Entry& entry : m_Entries)
        entries.push_back(&entry);
    std::sort(entries.begin(), entries.end(),
              [](const Entry* a, const Entry* b) { return a->Letter < b->Letter; });
    std::string text = std::string(Magic) + "\ngeneration " + std::to_string(m_Generation) + "\n";
    for (const Entry* entry : entries)
        text +=
            std::string(1, entry->Letter) + " " + std::to_string(entry->LastSeen) + " " + entry->Key + "\n";
    return text;
}

DriveLetters::Entry* DriveLetters::Find(const std::string& key)
{
    const auto found = std::find_if(m_Entries.begin(), m_Entries.end(),
                                    [&](const Entry& entry) { return entry.Key == key; });
    return found == m_Entries.end() ? nullptr : &*found;
}

char DriveLetters::TakeLetter()
{
    for (char letter = FirstLetter; letter <= LastLetter; ++letter)
        if (std::none_of(m_Entries.begin(), m_Entries.end(),
                         [letter](const Entry& entry) { return entry.Letter == letter; }))
            return letter;
    // Present volumes carry the current generation; the others were last seen before it.
    auto oldest = m_Entries.end();
    for (auto entry = m_Entries.begin(); entry != m_Entries.end(); ++entry)
        if (entry->LastSeen < m_Generation &&
            (oldest == m_Entries.end() || entry->LastSeen < oldest->LastSeen))
            oldest = entry;
    if (oldest == m_Entries.end())
        return 0;
    const char letter = oldest->Letter;
    m_Entries.erase(oldest);
    return letter;
}

std::vector<char> DriveLetters::Assign(const std::vector<std::string>& presentKeys)
{
    const std::set<std::string> present(presentKeys.begin(), presentKeys.end());
    // The file changes only when the set of present volumes does: a volume seen for the first
    // time, or one that came or went since the last save. Otherwise nothing is written.
    bool changed = m_Changed;
    for (const std::string& key : presentKeys)
        changed = changed || Find(key) == nullptr;
    for (const Entry& entry : m_Entries)
        changed = changed || (entry.LastSeen == m_Generation) != (present.count(entry.Key) != 0);
    if (changed) {
        ++m_Generation;
        for (Entry& entry : m_Entries)
            if (present.count(entry.Key) != 0)
                entry.LastSeen = m_Generation;
    }
    std::vector<char> letters;
    for (const std::string& key : presentKeys) {
        if (const Entry* entry = Find(key)) {
            letters.push_back(entry->Letter);
            continue;
        }
        const char letter = TakeLetter();
        if (letter != 0)
            m_Entries.push_back({key, letter, m_Generation});
        letters.push_back(letter);
    }
    m_Changed = changed;
    return letters;
}

DriveLetters DriveLetters::Load(const std::string& posixPath)
{
    const int fd = ::open(posixPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return {};
    struct stat st
    {
    };
    std::string text;
    bool ours = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= MaxFileSize;
    if (ours) {
        text.resize(size_t(st.st_size));
        size_t done = 0;
        while (ours && done < text.size()) {
            const ssize_t got = ::read(fd, text.data() + done, text.size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            ours = got > 0;
            done += ours ? size_t(got) : 0;
        }
    }
    ::close(fd);
    if (!ours) {
        DriveLetters letters;
        letters.m_Changed = true;
        return letters;
    }
    return FromText(text);
}

bool DriveLetters::Save(const std::string& posixPath) const
{
    std::string temporary = posixPath + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    bool saved = WriteAll(fd, ToText()) && ::fsync(fd) == 0;
    saved = ::close(fd) == 0 && saved;
    saved = saved && ::rename(temporary.c_str(), posixPath.c_str()) == 0;
    if (!saved)
        ::unlink(temporary.c_str());
    return saved;
}

std::string DriveLetters::StorePath()
{
    {
        std::lock_guard lock(g_StoreMutex);
        if (!g_StorePath.empty())
            return g_StorePath;
    }
    return SpecialFolders::PosixPath(SpecialFolders::AppData) + "/Quelmo-lecteurs.txt";
}

void DriveLetters::SetStorePath(const std::string& posixPath)
{
    std::lock_guard lock(g_StoreMutex);
    g_StorePath = posixPath;
}
