#include "cli/BoardStatusLines.h"

namespace km640::cli {

namespace {

// A line longer than the terminal wraps and would throw the redraw off.
constexpr std::size_t kMaxColumns = 79;

std::string fitted(const std::string& text) {
    return text.size() <= kMaxColumns ? text : text.substr(0, kMaxColumns - 3) + "...";
}

}  // namespace

BoardStatusLines::BoardStatusLines(std::ostream& err, bool draw, std::size_t boards)
    : err_(err), draw_(draw), lines_(boards) {}

BoardStatusLines::~BoardStatusLines() {
    std::lock_guard lock(mutex_);
    // The last state of every board stays on the terminal.
    if (draw_ && drawn_ && !prompt_.empty()) {
        prompt_.clear();
        eraseLocked();
        drawLocked();
    }
}

void BoardStatusLines::set(std::size_t board, const std::string& text) {
    std::lock_guard lock(mutex_);
    if (board >= lines_.size() || lines_[board] == text) return;
    lines_[board] = text;
    if (!draw_) return;
    eraseLocked();
    drawLocked();
}

void BoardStatusLines::print(std::ostream& stream, const std::string& text) {
    if (text.empty()) return;
    std::lock_guard lock(mutex_);
    if (draw_) eraseLocked();
    // A message does not run on from the prompt's line.
    if (!draw_ && promptOpen_) err_ << "\n";
    promptOpen_ = false;
    stream << text << std::flush;
    if (draw_) drawLocked();
}

void BoardStatusLines::prompt(const std::string& text) {
    std::lock_guard lock(mutex_);
    prompt_ = text;
    if (!draw_) {
        if (!text.empty() && !promptOpen_) err_ << text << std::flush;
        promptOpen_ = promptOpen_ || !text.empty();
        return;
    }
    eraseLocked();
    drawLocked();
}

void BoardStatusLines::lineEchoed() {
    std::lock_guard lock(mutex_);
    if (draw_ && drawn_) ++drawnRows_;
    promptOpen_ = false;
}

void BoardStatusLines::eraseLocked() {
    if (!drawn_) return;
    err_ << "\r";
    if (drawnRows_ > 0) err_ << "\x1b[" << drawnRows_ << "A";
    err_ << "\x1b[J" << std::flush;
    drawn_ = false;
    drawnRows_ = 0;
}

void BoardStatusLines::drawLocked() {
    for (const auto& line : lines_) err_ << fitted(line) << "\n";
    err_ << prompt_ << std::flush;
    drawnRows_ = lines_.size();
    drawn_ = true;
}

}  // namespace km640::cli
