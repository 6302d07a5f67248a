#pragma once
// One production run as the production record keeps it.

#include <cstdint>
#include <optional>
#include <string>

namespace km640 {

// What became of the pager. Running: claimed and being programmed (a run
// that never finished because its station died stays so until it is
// abandoned). Refused: its serial number had been programmed before and it
// was not programmed again. Abandoned: a run whose station died, settled by
// hand; nobody knows what the pager holds, and it may be programmed again.
enum class RunState { Running, Programmed, Failed, Refused, Abandoned };

const char* RunStateName(RunState state);  // "running", "programmed", ...
std::optional<RunState> RunStateFromName(const std::string& name);

// What a run of a fleet's roster records beside the line's code-plug; empty
// for a run without a roster.
struct RosterRun {
    std::string file;                 // the roster's file name
    std::string sha256;               // of the roster file's bytes
    std::string row;                  // the row's values as a JSON object
    std::string pagerCodePlugSha256;  // the code-plug as written for this pager (stamped bytes zeroed)
    bool operator==(const RosterRun&) const = default;
};

struct RecordedRun {
    std::int64_t id = 0;
    std::string startedUtc;    // "2024-05-02T07:30:12.345Z"
    std::string startedLocal;  // "2024-05-02T09:30:12+02:00", the station's own clock
    std::string station;
    std::string port;
    std::string serial;
    std::string firmware;      // "1.2.3"; empty when it was not read
    std::string outcome;       // as the day's log or the command line shows it
    RunState state = RunState::Running;
    std::optional<std::int64_t> repeatOf;  // the earlier successful run of this serial number
    std::string programVersion;
    std::string codePlugSha256;
    std::string codePlugFile;
    std::int64_t durationMs = 0;
    std::string abandonedBy;   // Abandoned: "user@host" or the station that settled it
    std::string abandonedUtc;  // Abandoned: when it was settled
    RosterRun roster;
};

// The per-day count of one outcome, for the quality department's summary.
struct DayOutcomeCount {
    std::string day;  // "2024-05-02", the station's local date
    std::string outcome;
    std::int64_t runs = 0;
};

// Which runs a listing shows; empty parts match every run. Dates are the
// stations' local dates, "YYYY-MM-DD", both ends included.
struct RecordFilter {
    std::string serial;
    std::string station;
    std::string since;
    std::string until;
};

// The earlier run a repeated serial number is refused for.
struct EarlierRun {
    std::int64_t id = 0;
    std::string startedLocal;
    std::string station;
    std::string port;
    bool unfinished = false;  // still running, or its station died during it
};

// "A1B2C3D4E5F6 was programmed on 2024-05-02 09:30:12+02:00 at station
// line-2 (port /dev/ttyUSB0)", or for a run that has not finished "... is
// still being programmed at station line-2 (port /dev/ttyUSB0) since ...".
std::string EarlierRunText(const std::string& serial, const EarlierRun& earlier);

// The station's word for its run that another station or a person settled
// as abandoned while the pager was being written: "this run was settled as
// abandoned by X at T; the pager was programmed: check it".
std::string SettledMeanwhileText(const RecordedRun& run, bool programmed);

// The outcome an abandoned run is recorded with, and how the listings show
// a run that has not finished and one that was abandoned.
inline constexpr const char* kAbandonedOutcome = "Abandoned";
inline constexpr const char* kUnfinishedText = "(unfinished)";
inline constexpr const char* kAbandonedText = "(abandoned)";

// The outcome a refused run is recorded with.
inline constexpr const char* kRefusedOutcome = "Refused: programmed before";
// The outcome of a label the fleet's roster does not list.
inline constexpr const char* kNotInRosterOutcome = "Refused: not in the roster";

}  // namespace km640
