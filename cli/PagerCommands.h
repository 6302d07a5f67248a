#pragma once
// The commands that talk to the pager: info, read, write (with its backup),
// verify, sync-time, production and diff against the pager. Each runs the
// window's own operation from pager/ on the port given with --port (or the
// one board found without it), after
// making sure the port can be opened at all, so that a missing, forbidden or
// busy port is explained instead of reported as a silent board.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "cli/CliArguments.h"
#include "cli/CliRunner.h"
#include "cli/ExitCode.h"
#include "cli/RunExitCode.h"
#include "cli/StopSignals.h"
#include "cli/TerminalMessages.h"
#include "cli/TerminalView.h"
#include "codeplug/CodePlugImage.h"
#include "link/TCommPort.h"
#include "pager/PagerOperations.h"
#include "pager/ProductionRun.h"
#include "pager/RosterProduction.h"
#include "record/ProductionRecord.h"
#include "record/RunTime.h"

namespace km640::cli {

// `ports`: the port list as the window's discovery builds it, with what the
// system calls each device.
int runPorts(CliContext& context);

// The exit code of an operation's outcome.
ExitCode exitCodeOf(Outcome outcome);

class PagerCommands {
public:
    PagerCommands(const CliArguments& arguments, CliContext& context);
    PagerCommands(const PagerCommands&) = delete;
    PagerCommands& operator=(const PagerCommands&) = delete;

    int run();

    // One board of a production line that one scanner feeds (ProductionLine),
    // on a thread of its own: the port checked and the run prepared; the
    // exit code (its reason said on the context's err) when the board
    // cannot be used.
    std::optional<ExitCode> prepareBoard();
    // A scanned label on this board.
    PagerProduced produceScanned(const std::string& serial) { return producePager(serial, true); }
    // The board's progress as one line ("Write Now ......  block 12 of 32"),
    // each time it changes.
    void observeProgress(std::function<void(const std::string&)> observer) {
        view_.observe(std::move(observer));
    }
    // A second stop signal stops the transfer after the block under way.
    void stopOnSecondSignal() {
        operations_.setStopRequest([] { return StopSignals::received() >= 2; });
    }

private:
    std::optional<ExitCode> chooseBoard();
    std::optional<ExitCode> portProblem();
    // Whether a stop signal (Ctrl-C, kill, hang-up) came in.
    bool stopSignalled() const;
    // A signal before anything went to the board: nothing is done.
    ExitCode stoppedBeforeStart();
    void reportPortProblem(int systemError);
    // Prints the outcome unless its message was just shown (or printOutcome
    // is false), and gives its exit code.
    ExitCode finish(const OperationResult& result, bool printOutcome = true);
    std::optional<ExitCode> saveBackup();

    ExitCode info();
    ExitCode read();
    ExitCode write();
    // The code-plug file as writing it put it into a pager, and the pager's
    // memory read whole: what verify and diff --port compare. The exit code
    // instead when the file or the pager could not be read.
    std::optional<ExitCode> readFileAndPager(CodePlugImage& written, CodePlugImage& memory);
    ExitCode verify();
    ExitCode syncTime();
    ExitCode production();
    // The code-plug file, the roster and the record a production run needs,
    // and the run itself; the exit code instead when one cannot be had.
    std::optional<ExitCode> prepareProduction();
    // One pager of a production run: its report on the terminal and its
    // exit code. A line per pager goes to standard output when scanned.
    PagerProduced producePager(const std::string& serial, bool scanned);
    bool reportLog(const ProductionResult& production, bool programmed);
    ExitCode productionFromStdin();
    ExitCode diffWithPager();

    const CliArguments& arguments_;
    CliContext& context_;
    TCommPort port_;
    TerminalView view_;
    TerminalMessages messages_;
    CodePlugImage image_;
    PagerOperations operations_;
    std::string portName_;             // --port, or the one board found
    std::optional<RosterJob> roster_;  // production --roster
    // production: the line's code-plug, its record and the run
    std::optional<CodePlugImage> line_;
    ProductionRecord record_;
    SystemRecordClock machineClock_;
    std::unique_ptr<ProductionRun> run_;
    RunDescription description_;
    bool catchingSignals_ = false;
    bool stoppedBeforeStart_ = false;
};

}  // namespace km640::cli
