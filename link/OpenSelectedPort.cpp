#include "link/OpenSelectedPort.h"

#include "link/ECommError.h"

namespace km640 {

void OpenSelectedPort(SerialPort& port, const std::string& portName, MessageBoxes& boxes,
                      const std::string& appTitle) {
    try {
        port.OpenAt(kBoardBaudRate, portName, kBoardLineFormat);
        port.Purge();
    } catch (const ECommError& error) {
        boxes.show(error.code() == commerror::kOpen ? "Error opening comm port. Port already in use?"
                                                    : "Error opening comm port.",
                   appTitle, MsgIcon::None, MsgButtons::Ok);
        try {
            port.ClosePort();
        } catch (const ECommError&) {
            // The port is left for the next operation to reopen; nothing more to tell.
        }
    }
}

}  // namespace km640
