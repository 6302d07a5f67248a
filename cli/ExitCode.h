#pragma once
// The exit codes of km640-cli. Scripts on benches and production lines tell
// the outcomes apart by these numbers, so they never change meaning.

#include <span>
#include <string_view>

namespace km640::cli {

enum class ExitCode : int {
    Success = 0,
    Differences = 1,  // diff: the code-plugs differ; check: something is wrong
    Usage = 2,        // the command line was not understood
    BadFile = 3,      // a code-plug file is missing, short, not a regular file, or cannot be read or written
    PortError = 4,    // the port is unknown, busy, not permitted, or failed mid-transfer
    NoBoard = 5,      // the board did not answer on the port
    ReadFail = 6,     // the pager's memory or identification could not be read
    WriteFail = 7,     // a block was not acknowledged; sync-time: the clock was not acknowledged
    VerifyFail = 8,    // the pager's memory differs from the code-plug
    LogNotOpened = 9,  // production: the day's log cannot be opened or created; the pager was not programmed
    LogLineLost = 10,  // production: the pager was written, but its log line could not be written
};

struct ExitCodeMeaning {
    ExitCode code;
    std::string_view meaning;
};

// Every exit code with what it means, for the help text.
std::span<const ExitCodeMeaning> exitCodeMeanings();

constexpr int toInt(ExitCode code) { return static_cast<int>(code); }

}  // namespace km640::cli
