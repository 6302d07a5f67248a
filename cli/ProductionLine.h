#pragma once
// One scanner for all boards: production --serial-from-stdin with several
// --port. Each board gets a station of its own (its port, its pager
// operations, its connection to the record) on a thread of its own; every
// scanned label goes to the next free board, the first in --port order,
// whose pager waits for it. While all boards are busy the next label waits.
//
// Each pager is reported as on a line with one board (its lines marked with
// its board's port), the terminal shows one line per board, and the summary
// and exit code cover every pager of every board. A board that cannot be
// opened, stops answering or vanishes is reported and left out; the others
// go on. A first stop signal ends the reading of labels and lets every
// pager under way finish; a second stops each transfer after its block.

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <QThread>

#include "cli/BoardStatusLines.h"
#include "cli/CliArguments.h"
#include "cli/CliRunner.h"
#include "cli/ExitCode.h"
#include "cli/RunExitCode.h"

namespace km640::cli {

class ProductionLine {
public:
    ProductionLine(const CliArguments& arguments, CliContext& context, bool catchingSignals);
    ~ProductionLine();
    ProductionLine(const ProductionLine&) = delete;
    ProductionLine& operator=(const ProductionLine&) = delete;

    ExitCode run();

private:
    enum class State { Starting, Free, Busy, Out };
    struct Board {
        std::size_t index = 0;
        std::string port;
        State state = State::Starting;
        std::optional<std::string> job;  // the label handed to the board
        bool quit = false;               // no further label will come
        std::condition_variable wake;
        std::unique_ptr<QThread> thread;
    };

    void serve(Board& board);
    // The station's text of one pager, each line marked with the board's port.
    void report(const Board& board, const std::string& out, const std::string& err);
    void setState(Board& board, State state);
    bool stopSignalled() const;
    // Waits until a board is free; false when none is left or a stop signal came.
    bool waitForFreeBoard();
    Board* freeBoard();

    const CliArguments& arguments_;
    CliContext& context_;
    bool catchingSignals_;
    BoardStatusLines lines_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<Board>> boards_;
    RunTally tally_;
    int changed_[2] = {-1, -1};  // a byte for every change of a board's state
};

}  // namespace km640::cli
