#pragma once
// A pager command without --port: the programmer board is looked for on
// every port the machine reports, in the order of the window's port list.
// Only when exactly one board answers is it taken; with none or several the
// user is told which ports were tried and asked for --port.

#include <string>
#include <vector>

#include "platform/Services.h"

namespace km640::cli {

struct BoardSearch {
    std::vector<std::string> tried;      // every port probed, in the window's order
    std::vector<std::string> answering;  // those on which a board answered
};

// Probes each reported port once; every port is closed again afterwards.
BoardSearch searchBoards(SerialDeviceList& devices, LocalClock& clock);

// Why the search gave no one board ("no programmer board answers on ...;
// give its port with --port"), or empty when it gave exactly one.
std::string boardSearchProblem(const BoardSearch& search);

}  // namespace km640::cli
