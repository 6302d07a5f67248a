#pragma once
// The main window as the pager operations see it: its progress window,
// status bar, firmware label, serial number field and port list.

#include "pager/OperationView.h"

namespace km640 {

class TfmMain;

class WindowOperationView : public OperationView {
public:
    explicit WindowOperationView(TfmMain& window) : window_(window) {}

    void setProgressCaption(const std::string& text) override;
    void setGaugeVisible(bool visible) override;
    void setGaugeRange(int min, int max) override;
    void setGaugePosition(int position) override;
    void addToGauge(int step) override;
    void showProgress() override;
    void closeProgress() override;
    void repaintProgress() override;
    void setMainEnabled(bool enabled) override;
    void setStatus(int panel, const std::string& text) override;
    void hideFirmwareVersion() override;
    void showFirmwareVersion(const std::string& text) override;
    void setSerialNoText(const std::string& text) override;
    void commitEditing() override;
    void focusSerialNo() override;
    void refreshAll() override;
    void refreshBatteryLevels() override;
    void processEvents() override;
    bool syncClockOnWrite() override;
    int selectedPortIndex() override;
    void selectPortIndex(int index) override;

private:
    TfmMain& window_;
};

}  // namespace km640
