#pragma once
// Which serial ports the port list offers, in which order. USB serial
// adapters come first (that is where a programmer board is usually plugged
// in), then the machine's built-in ports, each kind ordered by port number;
// boards of running simulators follow the real ports. A machine that reports
// no serial port at all gets ttyS0 to ttyS15, so the user still has a choice.

#include <string>
#include <string_view>
#include <vector>

#include "platform/Services.h"

namespace km640 {

enum class PortKind { UsbAdapter, BuiltIn, Simulator, Unused };

// Description that marks a device record as the board of a running simulator;
// its port name is then the full path of the simulator's pseudo-terminal.
inline constexpr std::string_view kSimulatorBoardDescription = "km640-sim board";
inline constexpr int kFallbackPortCount = 16;

PortKind ClassifyPort(const SerialDeviceRecord& record);

// Port names in natural order: runs of digits compare by value, so ttyUSB2
// comes before ttyUSB10.
bool NaturalPortLess(std::string_view a, std::string_view b);

// The port list for these device records.
std::vector<std::string> DiscoverPorts(const std::vector<SerialDeviceRecord>& records);

// The ports of the list that a device record stands behind, in the list's
// order: what is worth probing for a board (not the ttyS names a machine
// without serial ports is offered).
std::vector<std::string> ReportedPorts(const std::vector<SerialDeviceRecord>& records);

// The port list for the devices the machine reports now.
std::vector<std::string> EnumeratePorts(SerialDeviceList& devices);

}  // namespace km640
