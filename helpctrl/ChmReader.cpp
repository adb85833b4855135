#include "helpctrl/ChmReader.h"

#include "helpctrl/SearchIndex.h"

#include <cctype>
#include <cerrno>
#include <chm_lib.h>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <libxml/parser.h>
#include <memory>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace ChmReader {

namespace {

// Objects and files larger than these are taken for damage rather than read.
constexpr uint64_t MaxObjectSize = 64u << 20;
constexpr uint64_t MaxTotalSize = 256u << 20;
// The search of the pages is no larger than their text, and the text no larger than the objects.
constexpr uint64_t MaxStreamSize = 2 * MaxTotalSize + (1u << 20);
// The stream ends with this in place of a path length.
constexpr uint32_t EndMark = 0xFFFFFFFF;

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

struct ChildState
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

bool AddToSearch(ChildState& state, const std::string& path, const std::vector<unsigned char>& data)
{
    try {
        state.Search.AddPage(path, std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
        return true;
    } catch (...) { // out of memory: the file is given up rather than half searched
        return false;
    }
}

// The child's enumerator: one record per object, "path length, path, data length, data".
int SendObject(chmFile* file, chmUnitInfo* unit, void* context)
{
    auto* state = static_cast<ChildState*>(context);
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

[[noreturn]] void RunChild(const std::string& posixPath, int fd)
{
    // Whatever the child says on its way down (a crash report) is of no use to the user.
    if (const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC); null >= 0)
        ::dup2(null, STDERR_FILENO);
    chmFile* file = chm_open(posixPath.c_str());
    if (file == nullptr)
        ::_exit(1);
    ChildState state{fd, 0, false, {}};
    const int what = CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_SPECIAL | CHM_ENUMERATE_FILES;
    const bool done = chm_enumerate(file, what, &SendObject, &state) != 0 && !state.Failed;
    chm_close(file);
    if (!done || !WriteAll(fd, &EndMark, sizeof EndMark))
        ::_exit(1);
    const std::string search = state.Search.Encode();
    const uint64_t searchLength = search.size();
    ::_exit(WriteAll(fd, &searchLength, sizeof searchLength) && WriteAll(fd, search.data(), search.size())
                ? 0
                : 1);
}

// Everything the child writes until it closes the pipe; nullopt when the time is up first.
std::optional<std::string> ReadStream(int fd, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string stream;
    char buffer[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return std::nullopt;
        pollfd ready{fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, int(left.count()));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0)
            return std::nullopt;
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return stream;
        stream.append(buffer, size_t(got));
        if (stream.size() > MaxStreamSize)
            return std::nullopt;
    }
}

std::optional<Contents> Parse(const std::string& stream)
{
    Contents contents;
    size_t at = 0;
    const auto take = [&stream, &at](void* out, size_t length) {
        if (length > stream.size() - at)
            return false;
        std::memcpy(out, stream.data() + at, length);
        at += length;
        return true;
    };
    for (;;) {
        uint32_t pathLength = 0;
        uint64_t dataLength = 0;
        if (!take(&pathLength, sizeof pathLength))
            return std::nullopt;
        if (pathLength == EndMark) {
            uint64_t searchLength = 0;
            if (!take(&searchLength, sizeof searchLength) || searchLength != stream.size() - at)
                return std::nullopt;
            contents.Search = stream.substr(at);
            return contents;
        }
        std::string path(pathLength, '\0');
        if (!take(path.data(), pathLength) || !take(&dataLength, sizeof dataLength) ||
            dataLength > stream.size() - at)
            return std::nullopt;
        contents.Objects[LowerCase(path)] = stream.substr(at, size_t(dataLength));
        at += size_t(dataLength);
    }
}

} // namespace

std::optional<Contents> ReadAll(const std::string& posixPath, int timeoutMs)
{
    // libxml2 sets up its tables here, once, rather than in every child.
    xmlInitParser();
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        RunChild(posixPath, fds[1]);
    }
    ::close(fds[1]);
    if (child < 0) {
        ::close(fds[0]);
        return std::nullopt;
    }
    const std::optional<std::string> stream = ReadStream(fds[0], timeoutMs);
    ::close(fds[0]);
    if (!stream)
        ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!stream || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return Parse(*stream);
}

} // namespace ChmReader
