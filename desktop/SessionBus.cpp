#include "desktop/SessionBus.h"

#include "texts/French.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace SessionBus {

namespace {

using Clock = std::chrono::steady_clock;

// An address value with its "%xx" escapes read.
std::string Unescape(const std::string& value)
{
    std::string text;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '%' && i + 2 < value.size()) {
            text += static_cast<char>(std::strtol(value.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            text += value[i];
        }
    }
    return text;
}

std::string RuntimeSocket()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime != nullptr && runtime[0] == '/' ? std::string(runtime) + "/bus" : std::string();
}

// The socket of one "unix:key=value,..." address, or nothing.
std::optional<std::string> SocketOf(const std::string& address)
{
    if (address.rfind("unix:", 0) != 0)
        return std::nullopt;
    std::istringstream pairs(address.substr(5));
    std::string pair;
    while (std::getline(pairs, pair, ',')) {
        const size_t equals = pair.find('=');
        const std::string key = pair.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : Unescape(pair.substr(equals + 1));
        if (key == "path" && !value.empty())
            return value;
        if (key == "abstract" && !value.empty())
            return std::string(1, '\0') + value;
        if (key == "runtime" && value == "yes" && !RuntimeSocket().empty())
            return RuntimeSocket();
    }
    return std::nullopt;
}

int RemainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? int(left.count()) : 0;
}

bool WaitFor(int fd, short events, Clock::time_point deadline)
{
    pollfd entry{fd, events, 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, RemainingMs(deadline));
        if (ready > 0)
            return (entry.revents & events) != 0;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

bool Connect(int fd, const std::string& socketPath, Clock::time_point deadline)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
    const auto length =
        socklen_t(offsetof(sockaddr_un, sun_path) + socketPath.size() + (socketPath[0] == '\0' ? 0 : 1));
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0)
        return true;
    // A full queue of a daemon that takes no connections: the connection waits for room.
    if (errno != EAGAIN && errno != EINPROGRESS)
        return false;
    int error = 0;
    socklen_t size = sizeof error;
    return WaitFor(fd, POLLOUT, deadline) && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 &&
           error == 0;
}

// The server's first line, "OK <its identity>" or a refusal: either way it answers.
bool ReadsALine(int fd, Clock::time_point deadline)
{
    std::string reply;
    while (reply.find("\r\n") == std::string::npos && reply.size() < 512) {
        if (!WaitFor(fd, POLLIN, deadline))
            return false;
        char buffer[256];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return false;
        reply.append(buffer, size_t(n));
    }
    return true;
}

} // namespace

std::optional<std::string> SocketPath()
{
    const char* variable = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (variable == nullptr || variable[0] == '\0') {
        struct stat st
        {
        };
        const std::string runtime = RuntimeSocket();
        if (!runtime.empty() && ::stat(runtime.c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
            return runtime;
        return std::nullopt;
    }
    // The first address that names a socket is the one the bus library will use.
    std::istringstream addresses(variable);
    std::string address;
    while (std::getline(addresses, address, ';'))
        if (std::optional<std::string> socket = SocketOf(address))
            return socket;
    return std::nullopt;
}

State Probe(const std::string& socketPath, std::chrono::milliseconds limit)
{
    const Clock::time_point deadline = Clock::now() + limit;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return State::Absent;
    // The protocol opens with a NUL byte, then the client names itself by its user number.
    std::string hexUid;
    for (const char digit : std::to_string(::geteuid())) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(digit));
        hexUid += hex;
    }
    const std::string request = std::string(1, '\0') + "AUTH EXTERNAL " + hexUid + "\r\n";
    State state = State::Absent;
    if (Connect(fd, socketPath, deadline)) {
        const bool answered =
            WaitFor(fd, POLLOUT, deadline) &&
            ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == ssize_t(request.size()) &&
            ReadsALine(fd, deadline);
        state = answered ? State::Answering : State::Silent;
    }
    ::close(fd);
    return state;
}

void SetAsideIfSilent()
{
    const std::optional<std::string> socket = SocketPath();
    if (!socket || Probe(*socket, std::chrono::seconds(1)) != State::Silent)
        return;
    // An address of a kind the bus library does not know: every connection fails at once, where
    // an unset address would send it looking for the same silent bus.
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    std::fputs(Texts::SessionBusSilent, stderr);
}

} // namespace SessionBus
