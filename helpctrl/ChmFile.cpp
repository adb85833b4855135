#include "helpctrl/ChmFile.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

// #SYSTEM record codes.
constexpr uint16_t SystemContentsFile = 0;
constexpr uint16_t SystemIndexFile = 1;
constexpr uint16_t SystemDefaultTopic = 2;
constexpr uint16_t SystemTitle = 3;

uint32_t Word32(const std::string& data, size_t at)
{
    uint32_t value = 0;
    std::memcpy(&value, data.data() + at, sizeof value);
    return value;
}

uint16_t Word16(const std::string& data, size_t at)
{
    uint16_t value = 0;
    std::memcpy(&value, data.data() + at, sizeof value);
    return value;
}

// A NUL-terminated text inside a record; the record's end when the NUL is missing.
std::string TextAt(const std::string& data, size_t at, size_t end)
{
    const size_t nul = data.find('\0', at);
    return data.substr(at, (nul == std::string::npos || nul > end ? end : nul) - at);
}

} // namespace

ChmFile::ChmFile(ChmReader::Objects objects, SearchIndex search, std::string posixPath)
    : m_Objects(std::move(objects)), m_Search(std::move(search)), m_PosixPath(std::move(posixPath))
{
    ReadSystem();
}

std::unique_ptr<ChmFile> ChmFile::Open(const std::string& posixPath)
{
    auto contents = ChmReader::ReadAll(posixPath);
    if (!contents)
        return nullptr;
    auto search = SearchIndex::Decode(contents->Search);
    if (!search)
        return nullptr;
    return std::unique_ptr<ChmFile>(new ChmFile(std::move(contents->Objects), std::move(*search), posixPath));
}

const std::string* ChmFile::Find(const std::string& objectPath) const
{
    std::string key = objectPath;
    for (char& c : key)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    const auto found = m_Objects.find(key);
    return found != m_Objects.end() ? &found->second : nullptr;
}

std::optional<std::string> ChmFile::Read(const std::string& objectPath) const
{
    const std::string* contents = Find(objectPath);
    if (contents == nullptr)
        return std::nullopt;
    return *contents;
}

// #SYSTEM: a 32-bit version, then records of a 16-bit code, a 16-bit length and the data.
void ChmFile::ReadSystem()
{
    const auto system = Read("/#SYSTEM");
    if (!system)
        return;
    std::string contentsFile, indexFile;
    size_t at = 4;
    while (at + 4 <= system->size()) {
        const uint16_t code = Word16(*system, at);
        const size_t length = Word16(*system, at + 2);
        const size_t start = at + 4;
        if (length > system->size() - start)
            break;
        if (code == SystemTitle)
            m_Title = TextAt(*system, start, start + length);
        else if (code == SystemDefaultTopic)
            m_DefaultTopic = FindTopic(TextAt(*system, start, start + length));
        else if (code == SystemContentsFile)
            contentsFile = TextAt(*system, start, start + length);
        else if (code == SystemIndexFile)
            indexFile = TextAt(*system, start, start + length);
        at = start + length;
    }
    m_Contents = ReadSitemapFile(contentsFile, ".hhc");
    m_Keywords = ReadSitemapFile(indexFile, ".hhk");
}

// The sitemap the #SYSTEM record names, else the file's first object with the extension.
std::vector<SitemapEntry> ChmFile::ReadSitemapFile(const std::string& name, const char* extension) const
{
    const std::string* bytes = name.empty() ? nullptr : Find(FindTopic(name));
    const size_t length = std::strlen(extension);
    for (auto object = m_Objects.begin(); bytes == nullptr && object != m_Objects.end(); ++object) {
        const std::string& path = object->first;
        if (path.size() > length && path.compare(path.size() - length, length, extension) == 0)
            bytes = &object->second;
    }
    if (bytes == nullptr)
        return {};
    std::vector<SitemapEntry> entries = ReadSitemap(*bytes);
    ResolveTopics(entries);
    return entries;
}

void ChmFile::ResolveTopics(std::vector<SitemapEntry>& entries) const
{
    for (SitemapEntry& entry : entries) {
        std::vector<SitemapTopic> found;
        for (SitemapTopic& topic : entry.Topics) {
            // A topic may name its file too ("ms-its:a.chm::/page.htm"): only the topic counts.
            const size_t inFile = topic.Local.find("::");
            const std::string name =
                inFile == std::string::npos ? topic.Local : topic.Local.substr(inFile + 2);
            const std::string path = FindTopic(name);
            if (path.empty())
                continue;
            const size_t hash = name.find('#');
            topic.Local = hash == std::string::npos ? path : path + name.substr(hash);
            if (topic.Title.empty())
                for (const SearchIndex::Topic& page : m_Search.Topics())
                    if (page.Path == path)
                        topic.Title = page.Title;
            found.push_back(std::move(topic));
        }
        entry.Topics = std::move(found);
        ResolveTopics(entry.Children);
    }
}

std::string ChmFile::FindTopic(const std::string& name) const
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
        if (path.back() != '/' && Find(path) != nullptr)
            return path;
        const size_t next = path.find('/', 1);
        if (next == std::string::npos)
            break;
        path.erase(0, next);
    }
    return {};
}

// #IVB: a 32-bit byte count, then pairs of a 32-bit context number and a 32-bit offset into
// #STRINGS, where the topic's name starts.
std::string ChmFile::TopicOfContext(uint32_t context) const
{
    const auto table = Read("/#IVB");
    const auto strings = Read("/#STRINGS");
    if (!table || !strings || table->size() < 4)
        return {};
    const size_t end = std::min<size_t>(table->size(), 4 + size_t(Word32(*table, 0)));
    for (size_t at = 4; at + 8 <= end; at += 8) {
        if (Word32(*table, at) != context)
            continue;
        const size_t offset = Word32(*table, at + 4);
        if (offset >= strings->size())
            return {};
        return FindTopic(TextAt(*strings, offset, strings->size()));
    }
    return {};
}
