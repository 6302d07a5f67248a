#include "link/FrameSession.h"

#include <algorithm>
#include <array>
#include <vector>

#include "link/Delay.h"
#include "link/Frame.h"

namespace km640 {

namespace {

// Address and count must fit their frame fields and the memory they name.
bool rangeFits(std::size_t memorySize, int address, int count) {
    return address >= 0 && address <= 0xFFFF && count >= 0 && static_cast<std::size_t>(count) <= kMaxRequestCount &&
           static_cast<std::size_t>(address) + static_cast<std::size_t>(count) <= memorySize;
}

}  // namespace

FrameSession::FrameSession(SerialPort& port, Hook processEvents, Hook openSelectedPort)
    : port_(port), processEvents_(std::move(processEvents)), openSelectedPort_(std::move(openSelectedPort)) {}

bool FrameSession::SendRaw(std::span<const std::uint8_t> bytes) {
    if (!port_.IsOpen()) return false;
    port_.Write(bytes);
    return true;
}

bool FrameSession::awaitByte(std::chrono::steady_clock::time_point deadline) {
    using namespace std::chrono;
    for (std::size_t pending = port_.PendingInput(); pending == 0;) {
        const auto now = steady_clock::now();
        if (now >= deadline) return false;
        // Rounded up: waking a little late costs nothing, waking early costs a turn.
        auto wait = ceil<milliseconds>(deadline - now);
        if (processEvents_) {
            processEvents_();
            wait = std::min(wait, milliseconds(kPollMs));
        }
        pending = port_.WaitForInput(static_cast<int>(wait.count()));
    }
    return true;
}

bool FrameSession::ReceiveReply(std::span<std::uint8_t> buffer, int timeoutFactor) {
    if (!port_.IsOpen()) return false;
    const auto byteTimeout = std::chrono::milliseconds(kByteTimeoutMs) * std::max(timeoutFactor, 1);
    std::array<std::uint8_t, 256> chunk{};
    std::size_t position = 0;
    while (position < buffer.size()) {
        if (!awaitByte(std::chrono::steady_clock::now() + byteTimeout)) {
            // Stale bytes must not reach the next request.
            port_.Purge();
            return false;
        }
        // Everything that is there, but never more than the reply still
        // needs: bytes the synchronisation drops count too, so nothing of a
        // following reply is taken.
        const std::size_t wanted =
            std::min({port_.PendingInput(), buffer.size() - position, chunk.size()});
        const std::size_t arrived = port_.Read(std::span(chunk).first(std::max<std::size_t>(wanted, 1)));
        if (arrived == 0) position = sync_.Place(std::nullopt, buffer, position);
        for (std::size_t i = 0; i < arrived && position < buffer.size(); ++i)
            position = sync_.Place(chunk[i], buffer, position);
        if (position < buffer.size() && !processEvents_ && port_.PendingInput() == 0)
            awaitLinePace(buffer.size() - position, byteTimeout);
    }
    return true;
}

void FrameSession::awaitLinePace(std::size_t bytesLeft, std::chrono::milliseconds byteTimeout) {
    // The rest of a reply that has begun cannot come faster than the line
    // carries it. Sleeping until its last byte is due, instead of waking for
    // every byte, keeps a station's CPU free for the many boards a
    // production PC runs at once; the window (which has its events to turn)
    // waits byte by byte as before. The sleep stays well inside the byte
    // time-out, so a board that stops is still noticed in time.
    const auto lineTime = kLineByteTime * static_cast<long>(bytesLeft);
    const auto pause = std::min<std::chrono::nanoseconds>(lineTime, byteTimeout / 2);
    SleepUntil(std::chrono::steady_clock::now() + pause);
}

bool FrameSession::receiveAck(std::span<const std::uint8_t> expected) {
    std::vector<std::uint8_t> reply(expected.size(), 0);
    return ReceiveReply(reply) && AckMatches(reply, expected);
}

bool FrameSession::SendWriteBlock(std::uint8_t command, std::uint8_t subCommand, std::span<const std::uint8_t> image,
                                  int address, int count) {
    if (!rangeFits(image.size(), address, count) || static_cast<std::size_t>(count) > kMaxWriteBlockCount)
        return false;
    const auto frame = BuildWriteBlockFrame(command, subCommand, static_cast<std::uint16_t>(address),
                                            image.subspan(static_cast<std::size_t>(address), static_cast<std::size_t>(count)));
    // A closed port is not checked here: the missing acknowledgement reports it.
    SendRaw(frame);
    if (subCommand == kWriteSub && !receiveAck(WriteAck)) return false;
    DelayMs(kSettleMs);
    return true;
}

bool FrameSession::RequestRead(std::uint8_t command, std::uint8_t subCommand, std::span<std::uint8_t> destination,
                               int address, int count) {
    if (!rangeFits(0x10000, address, count) || destination.size() < static_cast<std::size_t>(count)) return false;
    const auto n = static_cast<std::size_t>(count);
    SendRaw(BuildReadRequestFrame(command, subCommand, static_cast<std::uint16_t>(address), static_cast<std::uint8_t>(n)));
    std::vector<std::uint8_t> reply(DataReplyLength(n), 0);
    if (!ReceiveReply(reply) || !DataReplyValid(reply, command, subCommand, n)) return false;
    const auto data = DataReplyPayload(reply, n);
    std::copy(data.begin(), data.end(), destination.begin());
    DelayMs(kSettleMs);
    return true;
}

bool FrameSession::RequestCompare(std::uint8_t command, std::uint8_t subCommand, std::span<const std::uint8_t> image,
                                  int address, int count) {
    return RequestCompareKeeping(command, subCommand, image, {}, address, count) == CompareReply::Equal;
}

FrameSession::CompareReply FrameSession::RequestCompareKeeping(std::uint8_t command, std::uint8_t subCommand,
                                                               std::span<const std::uint8_t> image,
                                                               std::span<std::uint8_t> received, int address,
                                                               int count) {
    if (!rangeFits(image.size(), address, count)) return CompareReply::NoReply;
    if (!received.empty() && !rangeFits(received.size(), address, count)) return CompareReply::NoReply;
    const auto n = static_cast<std::size_t>(count);
    SendRaw(BuildCompareRequestFrame(command, subCommand, static_cast<std::uint16_t>(address), static_cast<std::uint8_t>(n)));
    std::vector<std::uint8_t> reply(DataReplyLength(n), 0);
    if (!ReceiveReply(reply) || !DataReplyValid(reply, command, subCommand, n)) return CompareReply::NoReply;
    const auto payload = DataReplyPayload(reply, n);
    if (!received.empty()) std::copy(payload.begin(), payload.end(), received.begin() + address);
    const auto expected = image.subspan(static_cast<std::size_t>(address), n);
    if (!std::equal(payload.begin(), payload.end(), expected.begin(), expected.end())) return CompareReply::Differs;
    DelayMs(kSettleMs);
    return CompareReply::Equal;
}

bool FrameSession::SendCommand(std::uint8_t command, std::uint8_t subCommand, std::span<const std::uint8_t> data) {
    if (data.size() > kMaxCommandDataCount) return false;
    if (!port_.IsOpen() && openSelectedPort_) openSelectedPort_();
    if (!SendRaw(BuildCommandFrame(command, subCommand, data))) return false;
    if (subCommand == kResetSub) return receiveAck(ResetAck);
    if (subCommand == kClockSub) return receiveAck(ClockAck);
    return true;
}

}  // namespace km640
