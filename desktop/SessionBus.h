#pragma once
// Basic idea: the session bus may be there and not answer (its daemon stopped or hung). Qt's
// accessibility bridge and the MPRIS service connect to it on the UI thread and wait for it without
// a limit, so a silent bus would keep the window from ever coming up. Before the application
// object exists, main() asks the bus for its identity (the first step of the bus's own protocol,
// on a plain socket, with a time limit); a bus that does not answer in time is set aside for the
// whole run: the program then starts without it, as on a desktop with no bus (no MPRIS, no
// accessibility bridge). Main thread, before Qt starts; throws nothing.

#include <chrono>
#include <optional>
#include <string>

namespace SessionBus {

// The socket of the session bus that the program would use: the first "unix:" address of
// DBUS_SESSION_BUS_ADDRESS (path=, abstract= or runtime=yes), else the user's bus socket in
// $XDG_RUNTIME_DIR; an abstract socket's name starts with a NUL byte. Nothing when no bus is named
// or its address is of another kind. Throws nothing.
std::optional<std::string> SocketPath();

enum class State
{
    Absent,    // nothing takes connections there: the bus library fails at once by itself
    Answering, // the bus answered the first request of its protocol (with its identity)
    Silent     // it took the connection and said nothing within the limit
};

// Asks the bus at the socket for its identity, waiting at most `limit`. Throws nothing.
State Probe(const std::string& socketPath, std::chrono::milliseconds limit);

// Sets the session bus aside for this process (and the programs it starts) when it is silent for a
// second, and says so on standard error; a bus that answers, or none, changes nothing. Throws
// nothing.
void SetAsideIfSilent();

} // namespace SessionBus
