#include "app/WindowOperationView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

#include "app/TfmMain.h"
#include "app/TfmState.h"

namespace km640 {

void WindowOperationView::setProgressCaption(const std::string& text) {
    window_.state().setCaption(QString::fromStdString(text));
}
void WindowOperationView::setGaugeVisible(bool visible) { window_.state().setGaugeVisible(visible); }
void WindowOperationView::setGaugeRange(int min, int max) { window_.state().setGaugeRange(min, max); }
void WindowOperationView::setGaugePosition(int position) { window_.state().setGaugePosition(position); }
void WindowOperationView::addToGauge(int step) { window_.state().addToGauge(step); }
void WindowOperationView::showProgress() { window_.state().showState(); }
void WindowOperationView::closeProgress() { window_.state().closeState(); }
void WindowOperationView::repaintProgress() { window_.state().repaintNow(); }
void WindowOperationView::setMainEnabled(bool enabled) { window_.setEnabled(enabled); }

void WindowOperationView::setStatus(int panel, const std::string& text) {
    window_.setStatusText(panel, QString::fromStdString(text));
}

void WindowOperationView::hideFirmwareVersion() { window_.lblFirmVer()->setVisible(false); }

void WindowOperationView::showFirmwareVersion(const std::string& text) {
    window_.lblFirmVer()->setText(QString::fromStdString(text));
    window_.lblFirmVer()->setVisible(true);
}

void WindowOperationView::setSerialNoText(const std::string& text) {
    window_.edtSerialNo()->setText(QString::fromStdString(text));
}

void WindowOperationView::commitEditing() { window_.commitEditing(); }

void WindowOperationView::focusSerialNo() { window_.focusSerialNo(); }

void WindowOperationView::refreshAll() { window_.RefreshAll(); }

void WindowOperationView::refreshBatteryLevels() { window_.refreshList().runStep(RefreshStep::Battery); }

void WindowOperationView::processEvents() { QCoreApplication::processEvents(); }

bool WindowOperationView::syncClockOnWrite() { return window_.chkWriteAndRTC()->isChecked(); }

int WindowOperationView::selectedPortIndex() { return window_.cboPort()->currentIndex(); }

void WindowOperationView::selectPortIndex(int index) {
    const QSignalBlocker quiet(window_.cboPort());
    window_.cboPort()->setCurrentIndex(index);
}

}  // namespace km640
