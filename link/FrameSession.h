#pragma once
// One conversation with the programmer board over a serial port: requests go
// out as frames, replies are collected byte by byte and checked. The board
// never speaks unasked; every request has at most one reply, and the next
// request waits for it.
//
// The calls return true on success and false on any failed exchange (no
// reply in time, wrong checksum, wrong echoed header, different data); a port
// that fails underneath raises ECommError out of the call. While waiting for
// reply bytes the thread sleeps on the port and wakes when a byte arrives;
// once a reply has begun, it takes what has come and, without a window,
// sleeps until the rest is due at line pace. With a processEvents hook it
// also wakes every 5 ms to let the window handle its events, so the
// progress window stays painted.

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>

#include "link/ReplySync.h"
#include "link/SerialPort.h"

namespace km640 {

class FrameSession {
public:
    using Hook = std::function<void()>;

    // Pause after every successful block or read exchange.
    static constexpr int kSettleMs = 5;
    // Longest stretch between two turns of the window's events while a reply
    // is awaited.
    static constexpr int kPollMs = 5;
    // A reply byte must come within this time of the previous one (or of the
    // start of the wait), times the caller's factor: the board's half second,
    // counted as a hundred and one 5 ms steps.
    static constexpr int kEmptyPollLimit = 100;
    static constexpr int kByteTimeoutMs = (kEmptyPollLimit + 1) * kPollMs;
    // One byte on the board's 9600-baud line: a start bit, eight data bits
    // and a stop bit.
    static constexpr std::chrono::nanoseconds kLineByteTime{1'000'000'000LL * 10 / 9600};

    // processEvents: lets the window handle its events while a reply is
    // awaited. openSelectedPort: opens the port chosen in the window; used by
    // SendCommand when the port is closed. Both may be empty.
    explicit FrameSession(SerialPort& port, Hook processEvents = {}, Hook openSelectedPort = {});

    SerialPort& port() { return port_; }

    // False if the port is closed, else the bytes are written.
    bool SendRaw(std::span<const std::uint8_t> bytes);
    // Fills the whole buffer with reply bytes. Fails (after purging the port)
    // when no byte comes for kByteTimeoutMs x timeoutFactor.
    bool ReceiveReply(std::span<std::uint8_t> buffer, int timeoutFactor = 1);

    // Sends count image bytes from address as one block; with the write
    // sub-command the board must answer WriteAck.
    bool SendWriteBlock(std::uint8_t command, std::uint8_t subCommand, std::span<const std::uint8_t> image,
                        int address, int count);
    // Reads count bytes from the pager's memory at address into destination;
    // destination is left untouched unless the reply is valid.
    bool RequestRead(std::uint8_t command, std::uint8_t subCommand, std::span<std::uint8_t> destination,
                     int address, int count);
    // Asks for count bytes at address and succeeds only if they equal the
    // image bytes at the same address.
    bool RequestCompare(std::uint8_t command, std::uint8_t subCommand, std::span<const std::uint8_t> image,
                        int address, int count);
    // The same exchange, which also keeps what the pager sent: on a valid
    // reply its bytes go into `received` at address, equal or not.
    enum class CompareReply { Equal, Differs, NoReply };
    CompareReply RequestCompareKeeping(std::uint8_t command, std::uint8_t subCommand,
                                       std::span<const std::uint8_t> image, std::span<std::uint8_t> received,
                                       int address, int count);
    // Opens the selected port first if it is closed, sends a control command
    // and waits for ResetAck (sub-command "S") or ClockAck ("U").
    bool SendCommand(std::uint8_t command, std::uint8_t subCommand, std::span<const std::uint8_t> data);

    // True once this session has seen the first signature byte of a reply.
    bool replySynced() const { return sync_.replySynced(); }

private:
    // Sleeps until a reply byte is waiting or the deadline passes.
    bool awaitByte(std::chrono::steady_clock::time_point deadline);
    bool receiveAck(std::span<const std::uint8_t> expected);
    // Without a window to keep painted: sleeps while the rest of a begun
    // reply is still on its way.
    void awaitLinePace(std::size_t bytesLeft, std::chrono::milliseconds byteTimeout);

    SerialPort& port_;
    Hook processEvents_;
    Hook openSelectedPort_;
    ReplySync sync_;
};

}  // namespace km640
