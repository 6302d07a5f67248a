#include "link/SerialPort.h"

namespace km640 {

LineSettings LineFormat(std::uint32_t baudRate, int lineFormat) {
    switch (lineFormat) {
    case 0: return {baudRate, 7, Parity::Even, 2};
    case 1: return {baudRate, 8, Parity::None, 1};
    default: return {baudRate, 8, Parity::None, 2};
    }
}

void SerialPort::OpenAt(std::uint32_t baudRate, const std::string& name, int lineFormat) {
    ClosePort();
    SetBaud(baudRate);
    SetPortName(name);
    OpenPort(LineFormat(baudRate, lineFormat));
}

}  // namespace km640
