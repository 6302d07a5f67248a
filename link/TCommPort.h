#pragma once
// The serial port the programmer board hangs on, over QSerialPort. Works
// without a running event loop: writes are pushed out before Write returns,
// and input is pulled in when asked for, by waiting on the device. A port name is a device
// name ("ttyUSB0" opens /dev/ttyUSB0) or a full path ("/dev/pts/3").

#include <memory>
#include <string>

#include "link/SerialPort.h"

class QSerialPort;

namespace km640 {

class TCommPort : public SerialPort {
public:
    TCommPort();
    ~TCommPort() override;  // closes the port
    TCommPort(const TCommPort&) = delete;
    TCommPort& operator=(const TCommPort&) = delete;

    bool IsOpen() const override;
    void OpenPort(const LineSettings& settings) override;
    void ClosePort() override;
    void SetPortName(const std::string& name) override;
    std::string PortName() const override;
    void SetBaud(std::uint32_t rate) override;

    std::size_t Write(std::span<const std::uint8_t> bytes) override;
    std::size_t Read(std::span<std::uint8_t> buffer) override;
    void Purge() override;
    std::size_t PendingInput() override;
    std::size_t WaitForInput(int ms) override;

    LineSettings Settings() const { return settings_; }

private:
    void requireOpen() const;
    bool applySettings();
    // A device that failed under us (unplugged, pseudo-terminal gone).
    bool portFailed() const;

    std::unique_ptr<QSerialPort> port_;
    std::string name_ = "ttyS0";
    LineSettings settings_;
};

// The program's one serial port, created on first use and closed at exit.
TCommPort& CommPort();

}  // namespace km640
