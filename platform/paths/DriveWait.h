#pragma once
// Basic idea: a file-system call on a network drive whose server has gone away waits in the
// kernel, on a hard mount for ever. Every call that may touch a drive goes through Run(): the call
// runs on a thread of its own while the caller waits at most LimitMs. Past that the caller goes on
// as with a drive that is not ready, and the thread is left behind, to end when the server answers
// or never. While such a call still waits, further calls on the same drive fail at once, so that a
// click that makes several calls costs one wait and stuck threads do not pile up; the drive is
// used again as soon as its last late call has ended. A thread left behind owns all it touches and
// holds up nothing at exit (it is detached; what it shares with the caller is reference-counted).

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace DriveWait {

constexpr int LimitMs = 2000;

// Runs `call`, a file-system call on the drive that holds `posixPath`. True when it ended within
// LimitMs; false, at once, when that drive still has a call waiting past the limit, or after
// LimitMs when this one is late (it may then still run later, so it must own what it uses and must
// not throw). Throws nothing.
bool Run(const std::string& posixPath, std::function<void()> call);

// `call`'s result, or nullopt when the drive did not answer in time (see Run). Throws nothing.
template <typename Result>
std::optional<Result> Answer(const std::string& posixPath, std::function<Result()> call)
{
    auto result = std::make_shared<std::optional<Result>>();
    if (!Run(posixPath, [result, call = std::move(call)] { *result = call(); }))
        return std::nullopt;
    return std::move(*result);
}

// Whether the drive that holds `posixPath` has a call still waiting past the limit. Throws nothing.
bool Silent(const std::string& posixPath);

// Whether any drive has a call still waiting past the limit. Such a call may never return: the
// program then ends without the exit handlers that would wait for it. Throws nothing.
bool AnyLate();

// For a path text ("z:\Musique") whose drive has a call still waiting past the limit, the message
// that tells the user which drive does not answer; empty when its drive answers. Throws nothing.
std::string SilentDriveMessage(const std::string& pathText);

} // namespace DriveWait
