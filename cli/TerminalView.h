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
#include "pager/OperationView.h"

namespace km640::cli {

class TerminalView : public OperationView {
public:
    TerminalView(std::ostream& err, bool drawProgress, bool syncClockOnWrite)
        : err_(err), draw_(drawProgress), syncClock_(syncClockOnWrite) {}
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

    void setMainEnabled(bool) override {}
    void setStatus(int panel, const std::string& text) override;
    void hideFirmwareVersion() override { firmware_.clear(); }
    void showFirmwareVersion(const std::string& text) override { firmware_ = text; }
    void setSerialNoText(const std::string& text) override { serialNo_ = text; }
    void commitEditing() override {}
    void focusSerialNo() override {}
    void refreshAll() override {}
    void refreshBatteryLevels() override {}
    void processEvents() override {}
    bool turnsEvents() const override { return false; }
    bool syncClockOnWrite() override { return syncClock_; }
    int selectedPortIndex() override { return selectedPort_; }
    void selectPortIndex(int index) override { selectedPort_ = index; }

    // Called with the operation's progress as one line each time it changes
    // ("Write Now ......  block 12 of 32"), whether or not it is drawn: a
    // production line shows each board's on a line of its own.
    void observe(std::function<void(const std::string&)> observer) { observer_ = std::move(observer); }

    // Takes the progress line off the terminal so that a message can be
    // printed; the next redraw brings it back.
    void clearLine();

    const std::string& firmwareText() const { return firmware_; }
    const std::string& serialNoText() const { return serialNo_; }
    const std::string& status(int panel) const { return status_[panel == 0 ? 0 : 1]; }
    const GaugeState& gauge() const { return gauge_; }

private:
    void redraw();
    std::string observedLine() const;

    std::ostream& err_;
    bool draw_;
    bool syncClock_;
    bool progressShown_ = false;
    std::string caption_;
    GaugeState gauge_;
    std::size_t drawnWidth_ = 0;
    std::string drawn_;
    std::string firmware_;
    std::string serialNo_;
    std::string status_[2];
    int selectedPort_ = 0;
    int blocks_ = 0;  // gauge steps since the gauge was started: the blocks exchanged
    std::function<void(const std::string&)> observer_;
    std::string observed_;
};

}  // namespace km640::cli
