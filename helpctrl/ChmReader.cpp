#include "helpctrl/ChmReader.h"

#include "helpctrl/ByteCodec.h"
#include "helpctrl/ChmStream.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ChmReader {

namespace {

using ChmStream::EndMark;
using ChmStream::ExitOutOfMemory;

std::string LowerCase(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The longest the reading waits before it looks at its stop flag again.
constexpr int StopCheckMs = 50;

// Everything the program writes until it closes the pipe; nullopt when the time is up, the stream
// is too long or the reading is stopped first.
std::optional<std::string> ReadStream(int fd, int timeoutMs, const std::atomic<bool>& stop, std::string& why)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string stream;
    char buffer[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (stop)
            return why = "stopped", std::nullopt;
        if (left.count() <= 0)
            return why = "time limit of " + std::to_string(timeoutMs) + " ms reached", std::nullopt;
        pollfd ready{fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, int(std::min<int64_t>(left.count(), StopCheckMs)));
        if ((polled < 0 && errno == EINTR) || polled == 0)
            continue;
        const ssize_t got = polled < 0 ? -1 : ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return why = "reading failed", std::nullopt;
        if (got == 0)
            return stream;
        stream.append(buffer, size_t(got));
        if (stream.size() > ChmStream::MaxStreamSize)
            return why = "too large", std::nullopt;
    }
}

// The sections after the objects: search, contents, index and notes, each a 64-bit length first.
bool TakeSections(const std::string& stream, size_t at, Contents& contents)
{
    std::string notes;
    for (std::string* section : {&contents.Search, &contents.ContentsList, &contents.IndexList, &notes}) {
        uint64_t length = 0;
        if (sizeof length > stream.size() - at)
            return false;
        std::memcpy(&length, stream.data() + at, sizeof length);
        at += sizeof length;
        if (length > stream.size() - at)
            return false;
        *section = stream.substr(at, size_t(length));
        at += size_t(length);
    }
    ByteCodec::Reader in(notes);
    uint32_t count = 0;
    if (!in.Number(count) || count > in.Left() / 4)
        return false;
    contents.Notes.resize(count);
    for (std::string& note : contents.Notes)
        if (!in.Text(note))
            return false;
    return in.AtEnd() && at == stream.size();
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
        if (pathLength == EndMark)
            return TakeSections(stream, at, contents) ? std::optional(std::move(contents)) : std::nullopt;
        std::string path(pathLength, '\0');
        if (!take(path.data(), pathLength) || !take(&dataLength, sizeof dataLength) ||
            dataLength > stream.size() - at)
            return std::nullopt;
        contents.Objects[LowerCase(path)] = stream.substr(at, size_t(dataLength));
        at += size_t(dataLength);
    }
}

// Starts the reading program on the file, its output into `out`; the program's id, or -1.
pid_t StartReader(const std::string& posixPath, int out)
{
    const std::string reader = ReaderPath();
    if (reader.empty())
        return -1;
    posix_spawn_file_actions_t actions;
    if (::posix_spawn_file_actions_init(&actions) != 0)
        return -1;
    ::posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    char* const arguments[] = {const_cast<char*>(reader.c_str()), const_cast<char*>(posixPath.c_str()),
                               nullptr};
    pid_t child = -1;
    if (::posix_spawn(&child, reader.c_str(), &actions, nullptr, arguments, environ) != 0)
        child = -1;
    ::posix_spawn_file_actions_destroy(&actions);
    return child;
}

} // namespace

std::string ReaderPath()
{
    Dl_info module{};
    if (::dladdr(reinterpret_cast<void*>(&ReaderPath), &module) == 0 || module.dli_fname == nullptr)
        return {};
    char resolved[PATH_MAX];
    if (::realpath(module.dli_fname, resolved) == nullptr)
        return {};
    std::string path = resolved;
    return path.substr(0, path.rfind('/') + 1) + "hhctrl-reader";
}

std::optional<Contents> ReadAll(const std::string& posixPath, std::string& why, const std::atomic<bool>& stop,
                                int timeoutMs)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return why = "no pipe", std::nullopt;
    const pid_t child = StartReader(posixPath, fds[1]);
    ::close(fds[1]);
    if (child < 0) {
        ::close(fds[0]);
        return why = "no reading program", std::nullopt;
    }
    const std::optional<std::string> stream = ReadStream(fds[0], timeoutMs, stop, why);
    ::close(fds[0]);
    if (!stream)
        ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!stream)
        return std::nullopt;
    if (WIFEXITED(status) && WEXITSTATUS(status) == ExitOutOfMemory)
        return why = "memory limit reached", std::nullopt;
    // A crash of the reading program (a fault in the file's library met by a hostile file) is told
    // apart from a file that it read and found damaged.
    if (WIFSIGNALED(status))
        return why = "the reading program crashed (signal " + std::to_string(WTERMSIG(status)) + ")",
               std::nullopt;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return why = "damaged or unreadable", std::nullopt;
    std::optional<Contents> contents = Parse(*stream);
    if (!contents)
        why = "damaged";
    return contents;
}

} // namespace ChmReader
