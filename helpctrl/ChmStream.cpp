#include "helpctrl/ChmStream.h"

#include "helpctrl/SearchIndex.h"

#include <cctype>
#include <cerrno>
#include <chm_lib.h>
#include <cstring>
#include <unistd.h>
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

struct StreamState
{
    int Fd;
    uint64_t Total = 0;
    bool Failed = false;
    SearchIndex Search;
};

std::string LowerCase(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Pages are what the search looks through: the file's HTML objects, not its own tables.
bool IsPage(const std::string& path)
{
    const auto endsWith = [&path](const char* end) {
        const size_t length = std::strlen(end);
        return path.size() > length && path.compare(path.size() - length, length, end) == 0;
    };
    return path.size() > 1 && path[0] == '/' && path[1] != '#' && path[1] != '$' &&
           (endsWith(".htm") || endsWith(".html"));
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

// The enumerator: one record per object, "path length, path, data length, data".
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
    if (const std::string path = LowerCase(unit->path); IsPage(path) && !AddToSearch(*state, path, data))
        return state->Failed = true, CHM_ENUMERATOR_FAILURE;
    const auto length32 = uint32_t(pathLength);
    const uint64_t dataLength = unit->length;
    if (!WriteAll(state->Fd, &length32, sizeof length32) || !WriteAll(state->Fd, unit->path, pathLength) ||
        !WriteAll(state->Fd, &dataLength, sizeof dataLength) ||
        !WriteAll(state->Fd, data.data(), data.size()))
        return state->Failed = true, CHM_ENUMERATOR_FAILURE;
    return CHM_ENUMERATOR_CONTINUE;
}

} // namespace

bool StreamFile(const std::string& posixPath, int fd)
{
    chmFile* file = chm_open(posixPath.c_str());
    if (file == nullptr)
        return false;
    StreamState state{fd, 0, false, {}};
    const int what = CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_SPECIAL | CHM_ENUMERATE_FILES;
    const bool done = chm_enumerate(file, what, &SendObject, &state) != 0 && !state.Failed;
    chm_close(file);
    if (!done || !WriteAll(fd, &EndMark, sizeof EndMark))
        return false;
    const std::string search = state.Search.Encode();
    const uint64_t searchLength = search.size();
    return WriteAll(fd, &searchLength, sizeof searchLength) && WriteAll(fd, search.data(), search.size());
}

} // namespace ChmStream
