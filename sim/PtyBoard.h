#pragma once
// A simulated board on a pseudo-terminal: the board sits on the master side
// and is served on its own thread; the program under test opens the slave
// side like any serial port. By default replies are paced like a 9600-baud
// line (about 1.04 ms a byte, the request's own bytes counted too), so
// timings are real; tests switch pacing off.

#include <atomic>
#include <optional>
#include <string>
#include <thread>

#include "sim/BoardLine.h"

namespace km640 {

class PtyBoard {
public:
    // Called on the board's thread after every block written into the pager.
    using MemoryHook = BoardLine::MemoryHook;

    // Opens the pseudo-terminal and starts serving; throws std::system_error
    // if no pseudo-terminal can be had.
    explicit PtyBoard(PagerBoard board, bool pacing = true, MemoryHook memoryWritten = {});
    ~PtyBoard();
    PtyBoard(const PtyBoard&) = delete;
    PtyBoard& operator=(const PtyBoard&) = delete;

    // The device path to open, e.g. /dev/pts/3.
    const std::string& slavePath() const { return slavePath_; }

    // Stops serving and closes both sides: to the host the port is gone.
    void Close();

    CodePlugImage memory() const;
    std::optional<PagerBoard::ClockPayload> lastClockPayload() const;
    int resetCount() const;
    int writeCount() const;

private:
    void serve();

    int master_ = -1;
    int slave_ = -1;  // kept open so the master side never sees a hang-up between hosts
    int wakePipe_[2] = {-1, -1};
    std::string slavePath_;
    BoardLine line_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace km640
