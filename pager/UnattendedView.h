#pragma once
// An operation view with nobody at a window: a terminal or a browser page.
// What only a window does (disable itself, commit the field being edited,
// refresh its pages, turn its events) is nothing here; the firmware version
// and serial number the window would show are kept for the caller; and the
// exchanges sleep until a reply is due, since there are no events to turn.

#include <string>

#include "pager/OperationView.h"

namespace km640 {

class UnattendedView : public OperationView {
public:
    explicit UnattendedView(bool syncClockOnWrite = true) : syncClock_(syncClockOnWrite) {}

    void setMainEnabled(bool) override {}
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

    void setSyncClock(bool sync) { syncClock_ = sync; }
    const std::string& firmwareText() const { return firmware_; }
    const std::string& serialNoText() const { return serialNo_; }

private:
    bool syncClock_;
    int selectedPort_ = 0;
    std::string firmware_;
    std::string serialNo_;
};

}  // namespace km640
