// The remote console's port of a server configuration, and the refusal of a
// start whose console would open on a port that a running server holds: the
// new server would run without a console, and commands meant for it would
// reach nobody (or, through an older session, the other server).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace common {

// The port on which a server started with this configuration opens a remote
// console the tool is to use: only when the file enables it
// (AllowRemoteConsole). Read as the game reads it (spielkonfigurationAus),
// 2092 without a RemoteConsolePort line. Nothing when the file cannot be
// read, the console is not enabled or the port is no port.
std::optional<int> konsolenport(const std::string& configDatei);

// A server slot as a running server is named by: "Server 1" or "Server 2"
// when its temporary folder is that slot's.
struct Serverplatz {
    std::string name;
    std::string tempordner;
};

// Refuses a start, with a critical message naming the port and the server
// that holds it, when the configuration (relative: in `spielordner`) opens
// its console on a port a running game server already listens on. True when
// refused; nothing is asked and nothing starts then.
bool konsolenportVerweigert(platform::Platform& p, const std::string& spielordner,
                            const std::string& config, const std::vector<Serverplatz>& plätze);

}  // namespace common
