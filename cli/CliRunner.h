#pragma once
// km640-cli as a function: the command line in, text on two streams and an
// exit code out. The program wires the machine's clock, serial devices and
// process table; tests wire a fixed clock and a simulated board.

#include <ostream>
#include <span>
#include <string>

#include "cli/PortDiagnosis.h"
#include "platform/Services.h"

namespace km640::cli {

struct CliContext {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal;  // a progress bar is drawn only on a terminal
    LocalClock& clock;
    SerialDeviceList& devices;
    PortSystemView portSystem;
};

// args: the words after the program name.
int runCli(std::span<const std::string> args, CliContext& context);

}  // namespace km640::cli
