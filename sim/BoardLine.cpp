#include "sim/BoardLine.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace km640 {

namespace {

using Clock = std::chrono::steady_clock;
// One byte at 9600 baud: a start bit, eight data bits and a stop bit.
constexpr auto kByteTime = std::chrono::nanoseconds(1'000'000'000LL * 10 / 9600);
// Paced replies go out in groups of this many bytes (about 4 ms of line time).
constexpr std::size_t kBytesPerWrite = 4;

}  // namespace

BoardLine::BoardLine(PagerBoard board, bool pacing, MemoryHook memoryWritten)
    : pacing_(pacing), memoryWritten_(std::move(memoryWritten)), board_(std::move(board)) {}

void BoardLine::Receive(std::span<const std::uint8_t> bytes, Clock::time_point arrival, const Send& send,
                        const std::atomic<bool>& stopping) {
    std::vector<BoardReply> replies;
    int writesBefore = 0, writesAfter = 0;
    CodePlugImage written;
    {
        std::lock_guard lock(mutex_);
        writesBefore = board_.writeCount();
        replies = board_.Receive(bytes);
        writesAfter = board_.writeCount();
        if (writesAfter != writesBefore) written = board_.memory();
    }
    for (const auto& reply : replies) sendReply(reply, arrival, send, stopping);
    if (writesAfter != writesBefore && memoryWritten_) memoryWritten_(written);
}

void BoardLine::sendReply(const BoardReply& reply, Clock::time_point arrival, const Send& send,
                          const std::atomic<bool>& stopping) const {
    if (!pacing_) {
        send(reply.bytes);
        return;
    }
    // The request itself took its time on the line before the board had it.
    // Bytes go out a few at a time, each group when its last byte is due:
    // the reply ends exactly when a 9600-baud line would end it, and a PC
    // running many boards is not woken for every byte of every board.
    auto slot = arrival + kByteTime * static_cast<long>(reply.requestLength);
    const std::span<const std::uint8_t> bytes(reply.bytes);
    for (std::size_t sent = 0; sent < bytes.size();) {
        if (stopping) return;
        const std::size_t group = std::min(kBytesPerWrite, bytes.size() - sent);
        slot += kByteTime * static_cast<long>(group);
        std::this_thread::sleep_until(slot);
        send(bytes.subspan(sent, group));
        sent += group;
    }
}

CodePlugImage BoardLine::memory() const {
    std::lock_guard lock(mutex_);
    return board_.memory();
}

std::optional<PagerBoard::ClockPayload> BoardLine::lastClockPayload() const {
    std::lock_guard lock(mutex_);
    return board_.lastClockPayload();
}

int BoardLine::resetCount() const {
    std::lock_guard lock(mutex_);
    return board_.resetCount();
}

int BoardLine::writeCount() const {
    std::lock_guard lock(mutex_);
    return board_.writeCount();
}

}  // namespace km640
