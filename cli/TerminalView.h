#pragma once
// The pager operations on a terminal: the progress window becomes one line on
// standard error, redrawn in place while a transfer runs (only when standard
// error is a terminal and --quiet was not given), and what the window would
// show in its status bar, firmware label and serial number field is kept for
// the command to print.

#include <functional>
#include <ostream>
#include <string>

#include "cli/ProgressLine.h"
#include "pager/UnattendedView.h"

namespace km640::cli {

class TerminalView : public UnattendedView {
public:
    TerminalView(std::ostream& err, bool drawProgress, bool syncClockOnWrite)
        : UnattendedView(syncClockOnWrite), err_(err), draw_(drawProgress) {}
    ~TerminalView() override { clearLine(); }
    TerminalView(const TerminalView&) = delete;
    TerminalView& operator=(const TerminalView&) = delete;

    void setProgressCaption(const std::string& text) override;
    void setGaugeVisible(bool visible) override;
    void setGaugeRange(int min, int max) override;
    void setGaugePosition(int position) override;
    void addToGauge(int step) override;
    void showProgress() override;
    void closeProgress() override;
    void repaintProgress() override { redraw(); }
    void setStatus(int panel, const std::string& text) override;

    // Called with the operation's progress as one line each time it changes
    // ("Write Now ......  block 12 of 32"), whether or not it is drawn: a
    // production line shows each board's on a line of its own.
    void observe(std::function<void(const std::string&)> observer) { observer_ = std::move(observer); }

    // Takes the progress line off the terminal so that a message can be
    // printed; the next redraw brings it back.
    void clearLine();

    const std::string& status(int panel) const { return status_[panel == 0 ? 0 : 1]; }
    const GaugeState& gauge() const { return gauge_; }

private:
    void redraw();
    std::string observedLine() const;

    std::ostream& err_;
    bool draw_;
    bool progressShown_ = false;
    std::string caption_;
    GaugeState gauge_;
    std::size_t drawnWidth_ = 0;
    std::string drawn_;
    std::string status_[2];
    int blocks_ = 0;  // gauge steps since the gauge was started: the blocks exchanged
    std::function<void(const std::string&)> observer_;
    std::string observed_;
};

}  // namespace km640::cli
