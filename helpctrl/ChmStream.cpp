#include "helpctrl/ChmStream.h"

#include "helpctrl/ByteCodec.h"
#include "helpctrl/ChmTables.h"
#include "helpctrl/SearchIndex.h"
#include "helpctrl/Sitemap.h"

#include <cerrno>
#include <chm_lib.h>
#include <cstring>
#include <map>
#include <set>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace ChmStream {

namespace {

bool WriteAll(int fd, const void* data, size_t length)
{
    const auto* bytes = static_cast<const char*>(data);
    while (length > 0) {
        const ssize_t written = ::write(fd, bytes, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        length -= size_t(written);
    }
    return true;
}

bool WriteSection(int fd, const std::string& bytes)
{
    const uint64_t length = bytes.size();
    return WriteAll(fd, &length, sizeof length) && WriteAll(fd, bytes.data(), bytes.size());
}

struct StreamState
{
    int Fd = -1;
    uint64_t Total = 0;
    bool Failed = false;
    size_t PagesCut = 0;
    SearchIndex Search;
    std::set<std::string> Paths;                 // every object's, lower case
    std::map<std::string, std::string> Sitemaps; // the ".hhc" and ".hhk" objects, kept here
    std::string System;                          // the #SYSTEM object
};

bool EndsWith(const std::string& path, const char* end)
{
    const size_t length = std::strlen(end);
    return path.size() > length && path.compare(path.size() - length, length, end) == 0;
}

// Pages are what the search looks through: the file's HTML objects, not its own tables.
bool IsPage(const std::string& path)
{
    return path.size() > 1 && path[0] == '/' && path[1] != '#' && path[1] != '$' &&
           (EndsWith(path, ".htm") || EndsWith(path, ".html"));
}

// A page longer than MaxPageSize ends before the last tag that starts within it.
void CutPage(std::vector<unsigned char>& page)
{
    size_t end = MaxPageSize;
    while (end > 1 && page[end - 1] != '<')
        --end;
    page.resize(end > 1 ? end - 1 : MaxPageSize);
}

bool AddToSearch(StreamState& state, const std::string& path, const std::vector<unsigned char>& data)
{
    try {
        state.Search.AddPage(path, std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
        return true;
    } catch (...) { // out of memory: the file is given up rather than half searched
        return false;
    }
}

bool SendRecord(int fd, const char* path, const std::vector<unsigned char>& data)
{
    const auto pathLength = uint32_t(std::strlen(path));
    const uint64_t dataLength = data.size();
    return WriteAll(fd, &pathLength, sizeof pathLength) && WriteAll(fd, path, pathLength) &&
           WriteAll(fd, &dataLength, sizeof dataLength) && WriteAll(fd, data.data(), data.size());
}

// The enumerator: the contents and the index are kept for later, every other object is sent.
int SendObject(chmFile* file, chmUnitInfo* unit, void* context)
{
    auto* state = static_cast<StreamState*>(context);
    const size_t pathLength = std::strlen(unit->path);
    if (pathLength == 0 || unit->path[pathLength - 1] == '/')
        return CHM_ENUMERATOR_CONTINUE; // folders carry no data
    state->Total += unit->length;
    if (unit->length > MaxObjectSize || state->Total > MaxTotalSize)
        return state->Failed = true, CHM_ENUMERATOR_FAILURE;
    std::vector<unsigned char> data(size_t(unit->length));
    if (unit->length > 0 &&
        chm_retrieve_object(file, unit, data.data(), 0, LONGINT64(unit->length)) != LONGINT64(unit->length))
        return state->Failed = true, CHM_ENUMERATOR_FAILURE;
    const std::string path = ChmTables::LowerCase(unit->path);
    state->Paths.insert(path);
    if (EndsWith(path, ".hhc") || EndsWith(path, ".hhk")) {
        state->Sitemaps[path].assign(data.begin(), data.end());
        return CHM_ENUMERATOR_CONTINUE;
    }
    if (path == "/#system")
        state->System.assign(data.begin(), data.end());
    if (IsPage(path) && data.size() > MaxPageSize) {
        CutPage(data);
        ++state->PagesCut;
    }
    if (IsPage(path) && !AddToSearch(*state, path, data))
        return state->Failed = true, CHM_ENUMERATOR_FAILURE;
    if (!SendRecord(state->Fd, unit->path, data))
        return state->Failed = true, CHM_ENUMERATOR_FAILURE;
    return CHM_ENUMERATOR_CONTINUE;
}

// The sitemap the #SYSTEM record names, else the file's first one with the extension.
const std::string* SitemapOf(const StreamState& state, const std::string& name, const char* extension)
{
    const auto has = [&state](const std::string& path) { return state.Sitemaps.count(path) > 0; };
    if (const std::string path = ChmTables::FindTopic(name, has); !path.empty())
        return &state.Sitemaps.at(ChmTables::LowerCase(path));
    for (const auto& [path, bytes] : state.Sitemaps)
        if (EndsWith(path, extension))
            return &bytes;
    return nullptr;
}

// Each topic's Local becomes the object path with its anchor ("/pages/a.htm#part"); topics the
// file does not hold are left out, and one without a title of its own takes its page's.
void ResolveTopics(std::vector<SitemapItem>& items, const StreamState& state)
{
    std::unordered_map<std::string, std::string> titles;
    for (const SearchIndex::Topic& page : state.Search.Topics())
        titles.emplace(page.Path, page.Title);
    const auto has = [&state](const std::string& path) { return state.Paths.count(path) > 0; };
    for (SitemapItem& item : items) {
        std::vector<SitemapTopic> found;
        for (SitemapTopic& topic : item.Topics) {
            // A topic may name its file too ("ms-its:a.chm::/page.htm"): only the topic counts.
            const size_t inFile = topic.Local.find("::");
            const std::string name =
                inFile == std::string::npos ? topic.Local : topic.Local.substr(inFile + 2);
            const std::string path = ChmTables::FindTopic(name, has);
            if (path.empty())
                continue;
            const size_t hash = name.find('#');
            topic.Local = hash == std::string::npos ? path : path + name.substr(hash);
            if (const auto title = titles.find(ChmTables::LowerCase(path));
                topic.Title.empty() && title != titles.end())
                topic.Title = title->second;
            found.push_back(std::move(topic));
        }
        item.Topics = std::move(found);
    }
}

// The section of one sitemap; a note in `notes` when it was cut.
std::string SitemapSection(const StreamState& state, const std::string& name, const char* extension,
                           const char* what, std::vector<std::string>& notes)
{
    const std::string* bytes = SitemapOf(state, name, extension);
    bool cut = false;
    std::vector<SitemapItem> items =
        bytes != nullptr ? ReadSitemap(*bytes, MaxItems, cut) : std::vector<SitemapItem>();
    if (cut)
        notes.push_back(std::string(what) + " limited to the first " + std::to_string(MaxItems) + " entries");
    ResolveTopics(items, state);
    return EncodeSitemap(items);
}

bool SendSections(const StreamState& state)
{
    std::vector<std::string> notes;
    const ChmTables::SystemRecords system = ChmTables::ReadSystem(state.System);
    const std::string contents = SitemapSection(state, system.ContentsFile, ".hhc", "contents", notes);
    const std::string index = SitemapSection(state, system.IndexFile, ".hhk", "index", notes);
    if (state.Search.Limited())
        notes.push_back("search limited to " + std::to_string(SearchIndex::MaxWords) + " words and " +
                        std::to_string(SearchIndex::MaxPostings) + " word places");
    if (state.PagesCut > 0)
        notes.push_back(std::to_string(state.PagesCut) + " page(s) cut to " + std::to_string(MaxPageSize) +
                        " bytes");
    std::string noteBytes;
    ByteCodec::PutNumber(noteBytes, uint32_t(notes.size()));
    for (const std::string& note : notes)
        ByteCodec::PutText(noteBytes, note);
    return WriteSection(state.Fd, state.Search.Encode()) && WriteSection(state.Fd, contents) &&
           WriteSection(state.Fd, index) && WriteSection(state.Fd, noteBytes);
}

} // namespace

bool StreamFile(const std::string& posixPath, int fd)
{
    chmFile* file = chm_open(posixPath.c_str());
    if (file == nullptr)
        return false;
    StreamState state;
    state.Fd = fd;
    const int what = CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_SPECIAL | CHM_ENUMERATE_FILES;
    const bool done = chm_enumerate(file, what, &SendObject, &state) != 0 && !state.Failed;
    chm_close(file);
    return done && WriteAll(fd, &EndMark, sizeof EndMark) && SendSections(state);
}

} // namespace ChmStream
