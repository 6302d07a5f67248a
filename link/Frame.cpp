#include "link/Frame.h"

#include <algorithm>
#include <stdexcept>

namespace km640 {

std::uint16_t FrameChecksum(std::span<const std::uint8_t> bytes) {
    unsigned sum = 0;
    for (auto b : bytes) sum = (sum + b) & 0xFFFFu;
    return static_cast<std::uint16_t>(sum);
}

namespace {

void appendSignature(FrameBytes& frame) {
    frame.insert(frame.end(), kSignature.begin(), kSignature.end());
}

// Closes a request: the checksum runs from the command byte to the end.
void appendChecksum(FrameBytes& frame, std::size_t commandOffset) {
    const auto sum = FrameChecksum(std::span<const std::uint8_t>(frame).subspan(commandOffset));
    frame.push_back(static_cast<std::uint8_t>(sum >> 8));
    frame.push_back(static_cast<std::uint8_t>(sum & 0xFF));
}

FrameBytes addressRequest(bool withLead, std::uint8_t command, std::uint8_t subCommand, std::uint16_t address,
                          std::uint8_t count) {
    FrameBytes frame;
    if (withLead) frame.push_back(kLeadByte);
    appendSignature(frame);
    const std::size_t commandOffset = frame.size();
    frame.insert(frame.end(), {command, subCommand, 3, static_cast<std::uint8_t>(address >> 8),
                               static_cast<std::uint8_t>(address & 0xFF), count});
    appendChecksum(frame, commandOffset);
    return frame;
}

}  // namespace

FrameBytes BuildWriteBlockFrame(std::uint8_t command, std::uint8_t subCommand, std::uint16_t address,
                                std::span<const std::uint8_t> data) {
    if (data.size() > kMaxWriteBlockCount) throw std::length_error("write block too long");
    FrameBytes frame{kLeadByte};
    appendSignature(frame);
    frame.insert(frame.end(), {command, subCommand, static_cast<std::uint8_t>(data.size() + 2),
                               static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address & 0xFF)});
    frame.insert(frame.end(), data.begin(), data.end());
    appendChecksum(frame, 1 + kSignatureLength);
    return frame;
}

FrameBytes BuildReadRequestFrame(std::uint8_t command, std::uint8_t subCommand, std::uint16_t address,
                                 std::uint8_t count) {
    return addressRequest(true, command, subCommand, address, count);
}

FrameBytes BuildCompareRequestFrame(std::uint8_t command, std::uint8_t subCommand, std::uint16_t address,
                                    std::uint8_t count) {
    return addressRequest(false, command, subCommand, address, count);
}

FrameBytes BuildCommandFrame(std::uint8_t command, std::uint8_t subCommand, std::span<const std::uint8_t> data) {
    if (data.size() > kMaxCommandDataCount) throw std::length_error("command payload too long");
    FrameBytes frame{kLeadByte};
    appendSignature(frame);
    frame.insert(frame.end(), {command, subCommand, static_cast<std::uint8_t>(data.size())});
    frame.insert(frame.end(), data.begin(), data.end());
    appendChecksum(frame, 1 + kSignatureLength);
    return frame;
}

bool ReplyChecksumValid(std::span<const std::uint8_t> reply) {
    if (reply.size() < kSignatureLength + 2) return false;
    const auto summed = reply.subspan(kSignatureLength, reply.size() - kSignatureLength - 2);
    const auto stored = static_cast<std::uint16_t>((reply[reply.size() - 2] << 8) | reply[reply.size() - 1]);
    return FrameChecksum(summed) == stored;
}

bool DataReplyValid(std::span<const std::uint8_t> reply, std::uint8_t command, std::uint8_t subCommand,
                    std::size_t count) {
    if (reply.size() != DataReplyLength(count)) return false;
    if (!std::equal(kSignature.begin(), kSignature.end(), reply.begin())) return false;
    if (reply[kSignatureLength] != command || reply[kSignatureLength + 1] != subCommand) return false;
    return ReplyChecksumValid(reply);
}

std::span<const std::uint8_t> DataReplyPayload(std::span<const std::uint8_t> reply, std::size_t count) {
    return reply.subspan(kReplyDataOffset, count);
}

bool AckMatches(std::span<const std::uint8_t> reply, std::span<const std::uint8_t> expected) {
    return std::equal(reply.begin(), reply.end(), expected.begin(), expected.end());
}

}  // namespace km640
