#pragma once
// A simulated board behind a line, whatever carries the line's bytes (a
// pseudo-terminal, a WebSocket): bytes that arrive go to the board, and its
// replies go back through the carrier's send function, paced like a
// 9600-baud line unless pacing is off. Thread-safe: the carrier serves on its
// own thread while tests and the program ask for the board's state.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>

#include "sim/PagerBoard.h"

namespace km640 {

class BoardLine {
public:
    // Called on the serving thread after every block written into the pager.
    using MemoryHook = std::function<void(const CodePlugImage&)>;
    // Hands reply bytes to the carrier.
    using Send = std::function<void(std::span<const std::uint8_t>)>;

    BoardLine(PagerBoard board, bool pacing, MemoryHook memoryWritten);

    // Bytes taken from the line at `arrival`: the board's replies go out
    // through send, each group of a paced reply when a 9600-baud line would
    // have carried it. A paced reply under way ends early once stopping is set.
    void Receive(std::span<const std::uint8_t> bytes, std::chrono::steady_clock::time_point arrival, const Send& send,
                 const std::atomic<bool>& stopping);

    CodePlugImage memory() const;
    std::optional<PagerBoard::ClockPayload> lastClockPayload() const;
    int resetCount() const;
    int writeCount() const;

private:
    void sendReply(const BoardReply& reply, std::chrono::steady_clock::time_point arrival, const Send& send,
                   const std::atomic<bool>& stopping) const;

    bool pacing_;
    MemoryHook memoryWritten_;
    mutable std::mutex mutex_;
    PagerBoard board_;
};

}  // namespace km640
