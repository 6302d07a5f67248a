#pragma once
// The serial port as the frame protocol and the pager operations use it.
// TCommPort is the real one; tests put in ports that fail on cue. Every
// operation that cannot be carried out raises ECommError.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace km640 {

enum class Parity { None, Even };

struct LineSettings {
    std::uint32_t baudRate = 9600;
    int dataBits = 8;
    Parity parity = Parity::None;
    int stopBits = 1;
    bool operator==(const LineSettings&) const = default;
};

// Line format numbers as the operations pass them: 0 is 7 data bits, even
// parity, 2 stop bits; 1 is 8 data bits, no parity, 1 stop bit (the board's
// format); anything else is 8 data bits, no parity, 2 stop bits.
LineSettings LineFormat(std::uint32_t baudRate, int lineFormat);

// Time-outs of a port's reads and writes: a whole read may take 1 ms per
// byte plus 250 ms, and once bytes flow a gap of more than 15 ms ends it.
// Writes get 1 ms per byte plus 250 ms.
namespace porttimeouts {
inline constexpr int kReadIntervalMs = 15;
inline constexpr int kReadTotalPerByteMs = 1;
inline constexpr int kReadTotalConstantMs = 250;
inline constexpr int kWriteTotalPerByteMs = 1;
inline constexpr int kWriteTotalConstantMs = 250;
}  // namespace porttimeouts

class SerialPort {
public:
    virtual ~SerialPort() = default;

    virtual bool IsOpen() const = 0;
    // Opens the named device with these settings; does nothing if already open.
    virtual void OpenPort(const LineSettings& settings) = 0;
    // Closes the device if it is open.
    virtual void ClosePort() = 0;
    // Raises code 6 while the port is open.
    virtual void SetPortName(const std::string& name) = 0;
    virtual std::string PortName() const = 0;
    // Applies at once to an open port; on failure the old rate stays and code 1 is raised.
    virtual void SetBaud(std::uint32_t rate) = 0;

    // Sends all bytes; returns 0 when there was nothing to send, else a non-zero value.
    virtual std::size_t Write(std::span<const std::uint8_t> bytes) = 0;
    // Reads up to buffer.size() bytes within the read time-outs and returns
    // how many arrived; when fewer arrived, a zero byte follows the last one.
    virtual std::size_t Read(std::span<std::uint8_t> buffer) = 0;
    // Discards everything received and not yet sent.
    virtual void Purge() = 0;
    // Bytes received and waiting to be read.
    virtual std::size_t PendingInput() = 0;
    // Waits up to ms milliseconds for received bytes and returns how many are
    // waiting (0 when none came in time). Returns as soon as a byte is there;
    // the thread sleeps meanwhile.
    virtual std::size_t WaitForInput(int ms) = 0;

    // Closes, then opens the named port afresh with this rate and line format.
    void OpenAt(std::uint32_t baudRate, const std::string& name, int lineFormat);
};

}  // namespace km640
