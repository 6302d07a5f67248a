#include "cli/TerminalView.h"

#include <algorithm>

namespace km640::cli {

namespace {

std::string trimmed(const std::string& s) {
    const auto b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

}  // namespace

void TerminalView::setProgressCaption(const std::string& text) {
    caption_ = text;
    redraw();
}

void TerminalView::setGaugeVisible(bool visible) {
    gauge_.visible = visible;
    redraw();
}

void TerminalView::setGaugeRange(int min, int max) {
    gauge_.min = min;
    gauge_.max = max;
}

void TerminalView::setGaugePosition(int position) {
    gauge_.position = std::clamp(position, gauge_.min, std::max(gauge_.min, gauge_.max));
    redraw();
}

void TerminalView::addToGauge(int step) { setGaugePosition(gauge_.position + step); }

void TerminalView::showProgress() {
    progressShown_ = true;
    redraw();
}

void TerminalView::closeProgress() {
    progressShown_ = false;
    gauge_.position = 0;
    redraw();
}

void TerminalView::setStatus(int panel, const std::string& text) {
    status_[panel == 0 ? 0 : 1] = text;
    redraw();
}

void TerminalView::redraw() {
    if (!draw_) return;
    // Before the progress window opens (probing the board) and after it
    // closes, the activity panel says what is going on.
    std::string line = progressShown_ ? progressLine(caption_, gauge_) : trimmed(status_[1]);
    if (!progressShown_ && line.starts_with("Ready")) line.clear();
    if (line == drawn_) return;
    if (line.empty()) {
        clearLine();
        return;
    }
    std::string out = "\r" + line;
    if (line.size() < drawnWidth_) out += std::string(drawnWidth_ - line.size(), ' ') + "\r" + line;
    err_ << out << std::flush;
    drawn_ = line;
    drawnWidth_ = line.size();
}

void TerminalView::clearLine() {
    if (!draw_ || drawnWidth_ == 0) return;
    err_ << "\r" << std::string(drawnWidth_, ' ') << "\r" << std::flush;
    drawn_.clear();
    drawnWidth_ = 0;
}

}  // namespace km640::cli
