#include "platform/paths/DriveLetters.h"

#include "platform/paths/SpecialFolders.h"
#include "platform/profiles/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
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
    std::string text;
    switch (RegularFile::Read(posixPath, MaxFileSize, text)) {
    case RegularFile::ReadResult::Read:
        return FromText(text);
    case RegularFile::ReadResult::Missing:
        return {};
    case RegularFile::ReadResult::Refused:
        break;
    }
    DriveLetters letters;
    letters.m_Changed = true;
    return letters;
}

bool DriveLetters::Save(const std::string& posixPath) const
{
    return RegularFile::Replace(RegularFile::WriteTarget(posixPath), ToText(), 0600);
}

namespace {

// Holds the letters file locked (flock) while a program reads, assigns and saves, so that two
// copies of the program started together never give one letter to two volumes, nor lose one's
// letters when the other saves. The lock is taken on the file that the name stands for once it is
// held: a save renames a new file over the name, and a copy that waited on the old one tries again.
// No lock (a folder that cannot be written, a file that is not ours, a holder that does not let
// go within two seconds) lets the program go on unlocked rather than wait.
class LettersLock
{
public:
    explicit LettersLock(const std::string& posixPath)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < deadline) {
            m_Fd = ::open(posixPath.c_str(), O_RDONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0600);
            struct stat held = {};
            struct stat named = {};
            if (m_Fd < 0 || ::fstat(m_Fd, &held) != 0 || !S_ISREG(held.st_mode))
                break;
            if (::flock(m_Fd, LOCK_EX | LOCK_NB) == 0) {
                if (::stat(posixPath.c_str(), &named) == 0 && named.st_ino == held.st_ino &&
                    named.st_dev == held.st_dev)
                    return;
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            Release();
        }
        Release();
    }
    ~LettersLock() { Release(); }
    LettersLock(const LettersLock&) = delete;
    LettersLock& operator=(const LettersLock&) = delete;

private:
    void Release()
    {
        if (m_Fd >= 0)
            ::close(m_Fd);
        m_Fd = -1;
    }
    int m_Fd = -1;
};

} // namespace

std::vector<char> DriveLetters::AssignInFile(const std::string& posixPath,
                                             const std::vector<std::string>& presentKeys)
{
    const LettersLock lock(posixPath);
    DriveLetters letters = Load(posixPath);
    std::vector<char> assigned = letters.Assign(presentKeys);
    // Something else under the file's name (a FIFO, a folder) is left alone: the letters then
    // hold for this run only, as when the folder cannot be written.
    struct stat st
    {
    };
    const bool replaceable = ::stat(posixPath.c_str(), &st) != 0 || S_ISREG(st.st_mode);
    if (letters.Changed() && replaceable)
        letters.Save(posixPath);
    // The lock made an empty file where there was none; with nothing to keep, it goes again.
    if (!letters.Changed() && ::lstat(posixPath.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0)
        ::unlink(posixPath.c_str());
    RegularFile::RemoveLeftovers(RegularFile::WriteTarget(posixPath), 60);
    return assigned;
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
