#pragma once
// km640-cli as a function: the command line in, text on two streams and an
// exit code out. The program wires the machine's clock, serial devices and
// process table; tests wire a fixed clock and a simulated board.

#include <filesystem>
#include <istream>
#include <ostream>
#include <span>
#include <string>

#include "cli/PortDiagnosis.h"
#include "cli/RosterCheckCache.h"
#include "platform/Services.h"
#include "record/RunTime.h"

namespace km640::cli {

struct CliContext {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal;  // a progress bar is drawn only on a terminal
    LocalClock& clock;
    SerialDeviceList& devices;
    PortSystemView portSystem;
    // production --serial-from-stdin reads the scanned labels here, and
    // records --abandon its question's answer (only from a terminal).
    std::istream* in = nullptr;
    // The descriptor behind in, when it has one: the labels are then read
    // from it directly, so that the wait for the next one also ends when a
    // stop signal arrives (see StopSignals).
    int inFd = -1;
    // The commands that talk to the pager catch Ctrl-C, kill and hang-up
    // (StopSignals) so as not to leave a pager half-written.
    bool catchStopSignals = false;
    bool inIsTerminal = false;
    // The station name a production run is recorded with unless --station
    // gives one.
    std::string hostName = {};
    // KM640_RECORD: the production record when --record gives none.
    std::string recordEnvironment = {};
    // The user's data folder (UserDataFolder), where this PC's default
    // production record lives; none: the log folder's.
    std::filesystem::path dataFolder = {};
    // KM640_RECORD_LIMIT: how many seconds a call to the record may take.
    std::string recordLimitEnvironment = {};
    // The times production runs are recorded with; the machine's when null.
    RecordClock* recordClock = nullptr;
    // Rosters that passed their check with a code-plug (none kept when null).
    RosterCheckCache* rosterChecks = nullptr;
};

// args: the words after the program name.
int runCli(std::span<const std::string> args, CliContext& context);

}  // namespace km640::cli
