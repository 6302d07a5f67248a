#pragma once
// The boards of a production line on a terminal: one line per board (port,
// serial number, what it is doing or how its pager ended), redrawn in place
// under what was printed, and the scanner's prompt below them. Messages go
// above the lines. Every board's station writes from its own thread.
//
// Without a terminal (or with --quiet) nothing is drawn: messages and the
// prompt are printed as they come.

#include <cstddef>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

namespace km640::cli {

class BoardStatusLines {
public:
    BoardStatusLines(std::ostream& err, bool draw, std::size_t boards);
    ~BoardStatusLines();
    BoardStatusLines(const BoardStatusLines&) = delete;
    BoardStatusLines& operator=(const BoardStatusLines&) = delete;

    void set(std::size_t board, const std::string& text);
    // Whole lines of text on stream, above the boards' lines.
    void print(std::ostream& stream, const std::string& text);
    // The question for the next label; empty takes it away.
    void prompt(const std::string& text);
    // The operator's label was echoed by the terminal: the cursor is a line
    // further down.
    void lineEchoed();

private:
    void eraseLocked();
    void drawLocked();

    std::mutex mutex_;
    std::ostream& err_;
    bool draw_;
    std::vector<std::string> lines_;
    std::string prompt_;
    std::size_t drawnRows_ = 0;  // rows from the first drawn line down to the cursor's
    bool drawn_ = false;
    bool promptOpen_ = false;  // without drawing: the prompt ends the last line printed
};

}  // namespace km640::cli
