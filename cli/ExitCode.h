#pragma once
// The exit codes of km640-cli. Scripts on benches and production lines tell
// the outcomes apart by these numbers, so they never change meaning.

#include <span>
#include <string_view>

namespace km640::cli {

enum class ExitCode : int {
    Success = 0,
    Differences = 1,  // diff: the code-plugs differ; check: something is wrong; records --abandon: no unfinished
                      // run, or the operator answered no; nothing was changed
    Usage = 2,        // the command line was not understood
    BadFile = 3,      // a code-plug file is missing, short, not a regular file, or cannot be read or written
    PortError = 4,    // the port is unknown, busy, not permitted, or failed mid-transfer
    NoBoard = 5,      // the board did not answer on the port
    ReadFail = 6,     // the pager's memory or identification could not be read
    WriteFail = 7,     // a block was not acknowledged; sync-time: the clock was not acknowledged
    VerifyFail = 8,    // the pager's memory differs from the code-plug
    LogNotOpened = 9,  // production: the day's log or the production record cannot be opened; the pager was not
                       // programmed; records: the record cannot be read
    LogLineLost = 10,  // production: the pager was written, but its log line could not be written
    RecordLost = 11,   // production: the pager's outcome is printed, but its run is missing from the production record
    RepeatRefused = 12,  // production: the serial number was programmed before; nothing was sent to the board
    Refused = 13,        // set, import, and a code-plug text given to any command: a value the window refuses
                         // or a problem of the text's form; nothing was saved or sent
    NotInRoster = 14,    // production --roster: the label is not in the roster; nothing was sent to the board
    Interrupted = 15,  // a second stop signal (Ctrl-C, kill, hang-up) ended a transfer after the block being
                       // exchanged: the pager is not written whole (the log and the record say so), or nothing
                       // was read or saved; a signal before the command talked to the pager: nothing was done
};

struct ExitCodeMeaning {
    ExitCode code;
    std::string_view meaning;
};

// Every exit code with what it means, for the help text.
std::span<const ExitCodeMeaning> exitCodeMeanings();

constexpr int toInt(ExitCode code) { return static_cast<int>(code); }

}  // namespace km640::cli
