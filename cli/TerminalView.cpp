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
    blocks_ = 0;
}

void TerminalView::setGaugePosition(int position) {
    gauge_.position = std::clamp(position, gauge_.min, std::max(gauge_.min, gauge_.max));
    if (gauge_.position == gauge_.min) blocks_ = 0;
    redraw();
}

// Every transfer advances the gauge once per block it exchanged.
void TerminalView::addToGauge(int step) {
    ++blocks_;
    setGaugePosition(gauge_.position + step);
}

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

std::string TerminalView::observedLine() const {
    if (!progressShown_) {
        const std::string activity = trimmed(status_[1]);
        return activity.starts_with("Ready") ? std::string() : activity;
    }
    std::string line = trimmed(caption_);
    if (gauge_.visible) line += "  block " + std::to_string(blocks_) + " of " + std::to_string(kTransferBlocks);
    return line;
}

void TerminalView::redraw() {
    if (observer_) {
        if (std::string line = observedLine(); line != observed_) {
            observed_ = std::move(line);
            observer_(observed_);
        }
    }
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
