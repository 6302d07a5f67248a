#pragma once
// What a pager operation shows while it runs and how it reports, so that the
// main window, the tests and the command-line tool run the same operations.
// The window implements it with its progress window, status bar, firmware
// label and serial number field; the command-line tool with a progress bar
// on the terminal.

#include <string>

#include "codeplug/CodePlugImage.h"
#include "platform/Services.h"

namespace km640 {

// The 64-byte blocks a whole write or read exchanges with the pager; the
// gauge advances once per block.
inline constexpr int kTransferBlocks = static_cast<int>(kImageSize) / 64;

class OperationView {
public:
    virtual ~OperationView() = default;

    // Progress window: one caption line and a gauge. Showing it disables the
    // main window; closing it enables the main window again and sets the
    // gauge to 0.
    virtual void setProgressCaption(const std::string& text) = 0;
    virtual void setGaugeVisible(bool visible) = 0;
    virtual void setGaugeRange(int min, int max) = 0;
    virtual void setGaugePosition(int position) = 0;
    virtual void addToGauge(int step) = 0;  // never past the maximum
    virtual void showProgress() = 0;
    virtual void closeProgress() = 0;
    virtual void repaintProgress() = 0;

    virtual void setMainEnabled(bool enabled) = 0;
    // Panel 0 shows an operation's outcome, panel 1 what it is doing.
    virtual void setStatus(int panel, const std::string& text) = 0;
    virtual void hideFirmwareVersion() = 0;
    virtual void showFirmwareVersion(const std::string& text) = 0;  // "FirmVer. 1.2.10"
    virtual void setSerialNoText(const std::string& text) = 0;
    // Commits the field being edited (focus to the focus sink).
    virtual void commitEditing() = 0;
    // Hands the focus back to the serial number field for the next scan.
    virtual void focusSerialNo() = 0;
    virtual void refreshAll() = 0;
    virtual void refreshBatteryLevels() = 0;
    // Lets the window handle its events while a reply is awaited.
    virtual void processEvents() = 0;
    // False for a view with no events of its own (a terminal): the exchanges
    // then sleep until a reply is due instead of waking every few
    // milliseconds for processEvents.
    virtual bool turnsEvents() const { return true; }
    // "SYNC DATE && TIME WITH PC": whether a write also sets the pager clock.
    virtual bool syncClockOnWrite() = 0;
    // The port list entry chosen by the user, and choosing one without
    // running the selection's change handler.
    virtual int selectedPortIndex() = 0;
    virtual void selectPortIndex(int index) = 0;
};

}  // namespace km640
