#pragma once
// Opens the port chosen in the window the way the board expects it (9600
// baud, 8 data bits, no parity, 1 stop bit) with nothing stale in it. A port
// that cannot be opened is reported in a plain message box and left closed;
// callers find out through IsOpen or the probe that follows.

#include <string>

#include "link/SerialPort.h"
#include "platform/Services.h"

namespace km640 {

inline constexpr std::uint32_t kBoardBaudRate = 9600;
inline constexpr int kBoardLineFormat = 1;

void OpenSelectedPort(SerialPort& port, const std::string& portName, MessageBoxes& boxes,
                      const std::string& appTitle);

}  // namespace km640
