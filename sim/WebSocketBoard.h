#pragma once
// A simulated board served over a WebSocket, for the programming tool in a
// browser, which has no pseudo-terminals. The line's bytes travel in binary
// messages both ways; the board, its faults and its pacing are those of the
// board on a pseudo-terminal. One host at a time holds the line, as one
// programmer is plugged into a board: another connection is refused while it
// does. The server runs in the Qt event loop of the thread that made it;
// the board answers on a thread of its own, so a paced reply never holds up
// the event loop.

#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QUrl>
#include <QWebSocketServer>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "sim/BoardLine.h"
#include "sim/SimCommandLine.h"

class QWebSocket;

namespace km640 {

class WebSocketBoard {
public:
    // Listens on the endpoint; throws std::runtime_error when it cannot.
    WebSocketBoard(PagerBoard board, bool pacing, BoardLine::MemoryHook memoryWritten, const WebSocketEndpoint& endpoint);
    ~WebSocketBoard();
    WebSocketBoard(const WebSocketBoard&) = delete;
    WebSocketBoard& operator=(const WebSocketBoard&) = delete;

    // ws://127.0.0.1:PORT with the port actually listened on.
    QUrl url() const;

    CodePlugImage memory() const { return line_.memory(); }

private:
    struct Arrival {
        unsigned connection;
        std::chrono::steady_clock::time_point time;
        std::vector<std::uint8_t> bytes;
    };

    void accept();
    void serve();
    void sendToHost(unsigned connection, std::span<const std::uint8_t> bytes);

    BoardLine line_;
    QObject context_;  // queued hand-overs from the board's thread into the event loop
    // The TCP side is our own, so that every connection sends its small
    // reply groups at once instead of holding them back to fill a packet.
    QTcpServer tcp_;
    QWebSocketServer server_;
    QPointer<QWebSocket> host_;
    std::atomic<unsigned> connection_{0};  // counts hosts, so late replies never reach the next one
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<Arrival> arrivals_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace km640
