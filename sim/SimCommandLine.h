#pragma once
// The km640-sim command line.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>

#include "sim/BoardOptions.h"

namespace km640 {

// Where a board served over a WebSocket listens: a loopback address only, so
// nobody else on the network reaches the simulated pager. Port 0 takes any
// free port (the program prints the one it got).
struct WebSocketEndpoint {
    std::string address;  // "127.0.0.1", "::1"
    std::uint16_t port = 0;
    bool operator==(const WebSocketEndpoint&) const = default;
};

struct SimSettings {
    BoardOptions board;
    bool pacing = true;
    std::string memoryFile;  // empty: the built-in code-plug
    bool save = false;       // write the memory back to memoryFile after every written block
    std::optional<WebSocketEndpoint> websocket;  // empty: the board is served on a pseudo-terminal
};

struct SimCommandLine {
    SimSettings settings;
    bool helpRequested = false;
    bool versionRequested = false;
    QString error;  // empty when the command line was understood
    QString helpText;
};

// arguments[0] is the program name.
SimCommandLine ParseSimCommandLine(const QStringList& arguments);

}  // namespace km640
