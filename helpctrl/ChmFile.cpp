#include "helpctrl/ChmFile.h"

#include "helpctrl/ChmTables.h"
#include "helpctrl/HelpLog.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>
#include <cstring>
#include <malloc.h>
#include <thread>

namespace {

uint32_t Word32(const std::string& data, size_t at)
{
    uint32_t value = 0;
    std::memcpy(&value, data.data() + at, sizeof value);
    return value;
}

// Everything a file is opened with, decoded from what the reading program sent.
struct Parts
{
    ChmReader::Contents Read;
    SearchIndex Search;
    std::vector<SitemapEntry> Contents;
    std::vector<SitemapEntry> Keywords;
};

std::optional<Parts> Load(const std::string& posixPath, std::string& why, const std::atomic<bool>& stop)
{
    std::optional<ChmReader::Contents> read = ChmReader::ReadAll(posixPath, why, stop);
    if (!read)
        return std::nullopt;
    auto search = SearchIndex::Decode(read->Search);
    auto contents = DecodeSitemap(read->ContentsList);
    auto keywords = DecodeSitemap(read->IndexList);
    if (!search || !contents || !keywords)
        return why = "damaged", std::nullopt;
    return Parts{std::move(*read), std::move(*search), std::move(*contents), std::move(*keywords)};
}

// Runs `work` on a thread of its own while this thread goes on handling its events; false when the
// application quits first (the work is then told to stop and waited for).
bool RunBesideEventLoop(const std::function<void(const std::atomic<bool>& stop)>& work)
{
    std::atomic<bool> stop = false;
    bool seenDone = false; // the loop ended because the work was done, not because the program quits
    QEventLoop loop;
    std::thread worker([&] {
        work(stop);
        QMetaObject::invokeMethod(
            &loop,
            [&] {
                seenDone = true;
                loop.quit();
            },
            Qt::QueuedConnection);
    });
    loop.exec();
    stop = true;
    worker.join();
    return seenDone;
}

// A line of the help debug log about a file: HelpFile("/path/a.chm"): text
void LogAbout(const std::string& posixPath, const std::string& text)
{
    std::string line = "HelpFile(\"";
    line += posixPath;
    line += "\"): ";
    line += text;
    HelpLog(line);
}

// The heap that a large file's reading grew is given back to the system.
void GiveBackMemory()
{
    ::malloc_trim(0);
}

} // namespace

ChmFile::ChmFile(ChmReader::Objects objects, SearchIndex search, std::vector<SitemapEntry> contents,
                 std::vector<SitemapEntry> keywords, std::string posixPath)
    : m_Objects(std::move(objects)), m_Search(std::move(search)), m_PosixPath(std::move(posixPath)),
      m_Contents(std::move(contents)), m_Keywords(std::move(keywords))
{
    if (const auto system = Read("/#SYSTEM")) {
        const ChmTables::SystemRecords records = ChmTables::ReadSystem(*system);
        m_Title = records.Title;
        m_DefaultTopic = FindTopic(records.DefaultTopic);
    }
}

std::unique_ptr<ChmFile> ChmFile::Open(const std::string& posixPath)
{
    // A request that comes while a file is being opened (the event loop runs meanwhile) waits for
    // no second reading: the first one's window comes up.
    static bool opening = false;
    if (opening) {
        LogAbout(posixPath, "not opened, another help file is being opened");
        return nullptr;
    }
    opening = true;
    std::optional<Parts> parts;
    std::string why;
    const bool finished =
        RunBesideEventLoop([&](const std::atomic<bool>& stop) { parts = Load(posixPath, why, stop); });
    opening = false;
    if (!finished || !parts) {
        parts.reset();
        GiveBackMemory();
        LogAbout(posixPath, "not opened, " + (finished ? why : std::string("the program is ending")));
        return nullptr;
    }
    for (const std::string& note : parts->Read.Notes)
        LogAbout(posixPath, note);
    return std::unique_ptr<ChmFile>(new ChmFile(std::move(parts->Read.Objects), std::move(parts->Search),
                                                std::move(parts->Contents), std::move(parts->Keywords),
                                                posixPath));
}

ChmFile::~ChmFile()
{
    {
        const auto objects = std::move(m_Objects);
        const auto search = std::move(m_Search);
        const auto contents = std::move(m_Contents);
        const auto keywords = std::move(m_Keywords);
    }
    GiveBackMemory();
}

const std::string* ChmFile::Find(const std::string& objectPath) const
{
    const auto found = m_Objects.find(ChmTables::LowerCase(objectPath));
    return found != m_Objects.end() ? &found->second : nullptr;
}

std::optional<std::string> ChmFile::Read(const std::string& objectPath) const
{
    const std::string* contents = Find(objectPath);
    if (contents == nullptr)
        return std::nullopt;
    return *contents;
}

std::string ChmFile::FindTopic(const std::string& name) const
{
    return ChmTables::FindTopic(name, [this](const std::string& path) { return m_Objects.count(path) > 0; });
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
        return FindTopic(ChmTables::TextAt(*strings, offset, strings->size()));
    }
    return {};
}
