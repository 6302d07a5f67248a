#pragma once
// The serial port's one exception: an 8-bit code telling which step failed
// and the system's error number at the moment the failure was noticed.

#include <cstdint>
#include <stdexcept>

namespace km640 {

namespace commerror {
inline constexpr std::uint8_t kSetBaud = 1;         // applying a new rate to the open port
inline constexpr std::uint8_t kRenameWhileOpen = 6;  // SetPortName on an open port
inline constexpr std::uint8_t kNotOpen = 7;         // Write, Read, Purge or PendingInput on a closed port
inline constexpr std::uint8_t kOpen = 8;            // the device cannot be opened (missing, busy, refused)
inline constexpr std::uint8_t kWrite = 9;           // a write failed and the port cannot recover
inline constexpr std::uint8_t kRead = 10;           // a read failed
inline constexpr std::uint8_t kClose = 11;          // closing the device failed
inline constexpr std::uint8_t kPurge = 12;          // discarding the buffers failed
inline constexpr std::uint8_t kGetConfig = 14;      // reading the line settings failed
inline constexpr std::uint8_t kSetConfig = 15;      // applying the line settings while opening failed
inline constexpr std::uint8_t kQueueSizes = 16;     // setting the buffer sizes failed
inline constexpr std::uint8_t kTimeouts = 17;       // setting the time-outs failed
inline constexpr std::uint8_t kStatus = 18;         // asking the port for its input count failed
}  // namespace commerror

class ECommError : public std::runtime_error {
public:
    // Takes the current errno as the platform error number.
    explicit ECommError(std::uint8_t code);
    ECommError(std::uint8_t code, std::uint32_t platformError);

    std::uint8_t code() const { return code_; }
    std::uint32_t platformError() const { return platformError_; }

private:
    std::uint8_t code_;
    std::uint32_t platformError_;
};

}  // namespace km640
