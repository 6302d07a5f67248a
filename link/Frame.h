#pragma once
// The frames spoken with the programmer board. Requests start with the lead
// byte and the board's signature (the compare request leaves the lead byte
// out), carry a command, a sub-command and a length byte, and end with a
// 16-bit additive checksum sent high byte first. Replies open with the
// signature, echo command and sub-command, and carry their own checksum.
// Everything here is bytes in, bytes out: no port, no clock.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace km640 {

using FrameBytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kLeadByte = 0xAA;
inline constexpr std::string_view kSignature = "KestrelNet";
inline constexpr std::size_t kSignatureLength = 10;

// Command "3" addresses the pager's memory, command "5" carries a control payload.
inline constexpr std::uint8_t kMemoryCommand = '3';
inline constexpr std::uint8_t kControlCommand = '5';
inline constexpr std::uint8_t kReadSub = 'R';
inline constexpr std::uint8_t kWriteSub = 'S';  // with the memory command
inline constexpr std::uint8_t kResetSub = 'S';  // with the control command
inline constexpr std::uint8_t kClockSub = 'U';

// The length byte of a write block counts the two address bytes too.
inline constexpr std::size_t kMaxWriteBlockCount = 253;
inline constexpr std::size_t kMaxCommandDataCount = 255;
inline constexpr std::size_t kMaxRequestCount = 255;

// Fixed request sizes and the data reply around count bytes of memory.
inline constexpr std::size_t kReadRequestLength = 19;
inline constexpr std::size_t kCompareRequestLength = 18;
inline constexpr std::size_t kDataReplyOverhead = 15;
inline constexpr std::size_t kReplyDataOffset = 13;
constexpr std::size_t DataReplyLength(std::size_t count) { return kDataReplyOverhead + count; }

// 16-bit sum of the bytes, modulo 65536.
std::uint16_t FrameChecksum(std::span<const std::uint8_t> bytes);

namespace detail {
template <std::size_t N>
constexpr std::array<std::uint8_t, N> StoredReply(std::array<std::uint8_t, N - kSignatureLength> tail) {
    std::array<std::uint8_t, N> out{};
    for (std::size_t i = 0; i < kSignatureLength; ++i) out[i] = static_cast<std::uint8_t>(kSignature[i]);
    for (std::size_t i = 0; i < tail.size(); ++i) out[kSignatureLength + i] = tail[i];
    return out;
}
}  // namespace detail

// The board's acknowledgements, compared byte for byte, checksum included.
// Byte 12 counts the data bytes that follow; 0x06 is the acknowledge byte.
inline constexpr std::array<std::uint8_t, 16> WriteAck =
    detail::StoredReply<16>({0x33, 0x53, 0x01, 0x06, 0x00, 0x8D});
inline constexpr std::array<std::uint8_t, 16> ClockAck =
    detail::StoredReply<16>({0x35, 0x55, 0x01, 0x06, 0x00, 0x91});
// The reset acknowledgement echoes the reset request's first data byte (0x72).
inline constexpr std::array<std::uint8_t, 17> ResetAck =
    detail::StoredReply<17>({0x35, 0x53, 0x02, 0x72, 0x06, 0x01, 0x02});

// Request builders. A count or data length beyond what the length byte can
// carry is a programming error and throws std::length_error.
FrameBytes BuildWriteBlockFrame(std::uint8_t command, std::uint8_t subCommand, std::uint16_t address,
                                std::span<const std::uint8_t> data);
FrameBytes BuildReadRequestFrame(std::uint8_t command, std::uint8_t subCommand, std::uint16_t address,
                                 std::uint8_t count);
FrameBytes BuildCompareRequestFrame(std::uint8_t command, std::uint8_t subCommand, std::uint16_t address,
                                    std::uint8_t count);
FrameBytes BuildCommandFrame(std::uint8_t command, std::uint8_t subCommand, std::span<const std::uint8_t> data);

// A reply's own checksum: the sum of its bytes from the echoed command (byte 10)
// up to the last byte before the checksum, against its last two bytes.
bool ReplyChecksumValid(std::span<const std::uint8_t> reply);

// A data reply (to a read or a compare request) for count bytes: the right
// length, the signature, the echoed command and sub-command, a valid checksum.
bool DataReplyValid(std::span<const std::uint8_t> reply, std::uint8_t command, std::uint8_t subCommand,
                    std::size_t count);
// The data bytes of a data reply already found valid.
std::span<const std::uint8_t> DataReplyPayload(std::span<const std::uint8_t> reply, std::size_t count);

// An acknowledgement equals its stored form exactly.
bool AckMatches(std::span<const std::uint8_t> reply, std::span<const std::uint8_t> expected);

}  // namespace km640
