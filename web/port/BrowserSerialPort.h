#pragma once
// The serial port of the browser edition: the pager operations' port on top
// of a JavaScript line (serialChannel.js), which a Web Serial port or a
// WebSocket to km640-sim feeds. Received bytes wait in the line's queue;
// reading takes them from there, and a wait for more is an awaited promise
// (Asyncify), so the page stays responsive while the board is slow. The
// time-outs are those of the desktop's port, on the browser's monotonic
// clock. The JavaScript object installed as Module.km640Line is the line.

#include <string>

#include "link/SerialPort.h"

namespace km640 {

class BrowserSerialPort : public SerialPort {
public:
    BrowserSerialPort() = default;
    ~BrowserSerialPort() override;  // closes the line
    BrowserSerialPort(const BrowserSerialPort&) = delete;
    BrowserSerialPort& operator=(const BrowserSerialPort&) = delete;

    bool IsOpen() const override { return open_; }
    // The line opens the named port (a Web Serial port, a simulated board's
    // ws:// address) with these settings.
    void OpenPort(const LineSettings& settings) override;
    void ClosePort() override;
    void SetPortName(const std::string& name) override;
    std::string PortName() const override { return name_; }
    // Web Serial fixes the rate when the port opens: an open port takes only
    // the rate it has (code 1 otherwise); a closed one opens with the new rate.
    void SetBaud(std::uint32_t rate) override;

    std::size_t Write(std::span<const std::uint8_t> bytes) override;
    std::size_t Read(std::span<std::uint8_t> buffer) override;
    void Purge() override;
    std::size_t PendingInput() override;
    std::size_t WaitForInput(int ms) override;

private:
    void requireOpen() const;

    bool open_ = false;
    std::string name_;
    LineSettings settings_;
};

}  // namespace km640
