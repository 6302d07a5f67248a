#include "cli/ProductionLine.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <sstream>

#include <QThread>

#include "cli/PagerCommands.h"
#include "cli/ScannedLines.h"
#include "cli/StopSignals.h"
#include "cli/TerminalText.h"
#include "link/PortDevicePath.h"

namespace km640::cli {

namespace {

// Every line of text marked with the board it came from.
std::string marked(const std::string& text, const std::string& port, bool message) {
    static const std::string program = "km640-cli: ";
    std::string out;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty()) continue;
        if (!message)
            out += port + "  " + line + "\n";
        else
            out += program + port + ": " + (line.starts_with(program) ? line.substr(program.size()) : line) + "\n";
    }
    return out;
}

}  // namespace

ProductionLine::ProductionLine(const CliArguments& arguments, CliContext& context, bool catchingSignals)
    : arguments_(arguments),
      context_(context),
      catchingSignals_(catchingSignals),
      lines_(context.err, context.errIsTerminal && !arguments.quiet, arguments.ports.size()) {
    if (::pipe2(changed_, O_CLOEXEC | O_NONBLOCK) != 0) changed_[0] = changed_[1] = -1;
}

ProductionLine::~ProductionLine() {
    for (const int fd : changed_)
        if (fd >= 0) ::close(fd);
}

bool ProductionLine::stopSignalled() const { return catchingSignals_ && StopSignals::received() > 0; }

void ProductionLine::report(const Board& board, const std::string& out, const std::string& err) {
    lines_.print(context_.err, marked(err, board.port, true));
    lines_.print(context_.out, marked(out, board.port, false));
}

void ProductionLine::setState(Board& board, State state) {
    {
        std::lock_guard lock(mutex_);
        board.state = state;
    }
    const char byte = 1;
    (void)!::write(changed_[1], &byte, 1);
}

// The board's station, on its own thread: its port object and its record
// connection are made and used here only.
void ProductionLine::serve(Board& board) {
    CliArguments arguments = arguments_;
    arguments.port = board.port;
    arguments.ports = {board.port};
    std::ostringstream out, err;
    CliContext context{out, err, false, context_.clock, context_.devices, context_.portSystem};
    context.hostName = context_.hostName;
    context.recordEnvironment = context_.recordEnvironment;
    context.recordClock = context_.recordClock;
    context.rosterChecks = context_.rosterChecks;
    const std::string shownPort = terminalText(portDevicePath(board.port));
    const auto take = [&] {
        report(board, out.str(), err.str());
        out.str({});
        err.str({});
    };

    PagerCommands station(arguments, context);
    if (catchingSignals_) station.stopOnSecondSignal();
    if (const auto failure = station.prepareBoard()) {
        take();
        {
            std::lock_guard lock(mutex_);
            tally_.addBoardFailure(*failure);
        }
        lines_.set(board.index, shownPort + "  left out: it cannot be used");
        setState(board, State::Out);
        return;
    }
    lines_.set(board.index, shownPort + "  waiting for a label");
    setState(board, State::Free);
    std::string serial;
    station.observeProgress([&](const std::string& progress) {
        lines_.set(board.index, shownPort + "  " + serial + "  " + progress);
    });
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            board.wake.wait(lock, [&] { return board.job || board.quit; });
            if (!board.job) return;
            serial = std::move(*board.job);
            board.job.reset();
        }
        const PagerProduced pager = station.produceScanned(serial);
        take();
        {
            std::lock_guard lock(mutex_);
            tally_.add(serial, pager);
        }
        if (pager.boardLost) {
            lines_.set(board.index, shownPort + "  " + serial + "  the board stopped answering: left out");
            lines_.print(context_.err, "km640-cli: " + shownPort +
                                           ": the board is left out; the other boards go on.\n");
            setState(board, State::Out);
            return;
        }
        lines_.set(board.index, shownPort + "  " + serial + "  " +
                                    (pager.programmed ? "programmed" : "not programmed") + "; waiting for a label");
        setState(board, State::Free);
    }
}

ProductionLine::Board* ProductionLine::freeBoard() {
    for (auto& board : boards_)
        if (board->state == State::Free) return board.get();
    return nullptr;
}

bool ProductionLine::waitForFreeBoard() {
    for (;;) {
        if (stopSignalled()) return false;
        {
            std::lock_guard lock(mutex_);
            if (freeBoard() != nullptr) return true;
            const bool anyLeft = std::ranges::any_of(boards_, [](const auto& b) { return b->state != State::Out; });
            if (!anyLeft) {
                lines_.print(context_.err, "km640-cli: no board is left; no further label was read.\n");
                return false;
            }
        }
        // A board that finishes or is left out writes a byte; so does a stop
        // signal into its own pipe.
        pollfd fds[2] = {{changed_[0], POLLIN, 0}, {catchingSignals_ ? StopSignals::wakeFd() : -1, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) return false;
        char drained[64];
        while (::read(changed_[0], drained, sizeof drained) > 0) {
        }
    }
}

ExitCode ProductionLine::run() {
    if (changed_[0] < 0) {
        context_.err << "km640-cli: cannot wait for the boards (no pipe); no pager was programmed.\n";
        return ExitCode::PortError;
    }
    for (std::size_t i = 0; i < arguments_.ports.size(); ++i) {
        boards_.push_back(std::make_unique<Board>());
        boards_.back()->index = i;
        boards_.back()->port = arguments_.ports[i];
    }
    // Threads of Qt's own: the serial ports watch their devices through it.
    for (auto& board : boards_) {
        board->thread.reset(QThread::create([this, b = board.get()] { serve(*b); }));
        board->thread->start();
    }

    ScannedLines labels(context_.in, catchingSignals_ ? context_.inFd : -1,
                        catchingSignals_ ? StopSignals::wakeFd() : -1);
    while (waitForFreeBoard()) {
        lines_.prompt("Scan the next serial number (Ctrl-D ends): ");
        std::ostringstream refused;
        const auto serial = labels.nextSerial(refused);
        if (context_.inIsTerminal) lines_.lineEchoed();
        lines_.prompt({});
        lines_.print(context_.err, refused.str());
        if (!serial) break;
        std::lock_guard lock(mutex_);
        Board* board = freeBoard();
        board->state = State::Busy;
        board->job = *serial;
        board->wake.notify_one();
    }
    {
        std::lock_guard lock(mutex_);
        for (auto& board : boards_) {
            board->quit = true;
            board->wake.notify_one();
        }
    }
    // Every pager under way is finished first.
    for (auto& board : boards_) board->thread->wait();
    lines_.prompt({});
    context_.err << "\n";
    tally_.print(context_.out);
    return tally_.exitCode();
}

}  // namespace km640::cli
