#pragma once
// The exit code of production --serial-from-stdin, over all pagers of the
// run (each with its own code as a single production run would end):
//
//   1. 10 or 11, of the first pager that was programmed but whose log line
//      or record row was lost: the log or the record must be put right by
//      hand, and those pagers must not simply be programmed again;
//   2. otherwise the code of the first pager that failed (not 0, 12 or 14);
//   3. otherwise that of the first refused label: 12 (programmed before) or
//      14 (not in the roster);
//   4. otherwise 0.
//
// So a refusal never hides a lost log line or row, nor a failure.

#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "cli/ExitCode.h"

namespace km640::cli {

ExitCode runExitCode(std::span<const ExitCode> pagers);

// One pager of a production run: its exit code and what became of it.
struct PagerProduced {
    ExitCode code = ExitCode::Success;
    bool programmed = false;  // the pager holds the code-plug, even if its record is missing
    bool logLost = false;     // its line did not reach the day's log
    bool recordLost = false;  // its row in the record was not completed
    bool boardLost = false;   // its board stopped answering or is gone: the pager may be half-written
};

// The pagers of a run, one after the other (or from several boards at once),
// summed up at its end.
class RunTally {
public:
    void add(const std::string& serial, const PagerProduced& pager);
    // A board of the line that could not be used at all: its code counts as
    // a failure's, so that a script hears of it even when every pager went well.
    void addBoardFailure(ExitCode code) { codes_.push_back(code); }
    // "Programmed: 5  Failed: 1  Refused: 0", then the pagers whose outcome
    // must be put into the log or the record by hand.
    void print(std::ostream& out) const;
    ExitCode exitCode() const { return runExitCode(codes_); }

private:
    int programmed_ = 0, failed_ = 0, refused_ = 0;
    std::vector<ExitCode> codes_;
    std::vector<std::string> logLost_, recordLost_;
};

}  // namespace km640::cli
