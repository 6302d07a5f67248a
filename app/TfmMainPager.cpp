// The main window's side of the pager operations: the "&Pager" menu, the
// port list, SYNC TIME with its one-second clock texts, and the serial number
// field that a barcode scanner types into on the production line.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "app/TfmMain.h"
#include "link/PortDiscovery.h"
#include "pager/PagerClock.h"
#include "pager/PagerOperations.h"
#include "pager/ScanDetector.h"

namespace km640 {

void TfmMain::buildPagerControls() {
    // Never-visible holders of the prepared clock string and of the two
    // sync-success texts, refreshed every second.
    edtRTC_User_ = new QLineEdit(this);
    edtRTC_User_->setObjectName("edtRTC_User");
    edtRTC_User_->setMaxLength(14);
    edtRTC_User_->setVisible(false);
    lbl12H_ = new QLabel(this);
    lbl12H_->setObjectName("lbl12H");
    lbl12H_->setVisible(false);
    lbl24H_ = new QLabel(this);
    lbl24H_->setObjectName("lbl24H");
    lbl24H_->setVisible(false);

    connect(btnADJTime_, &QPushButton::clicked, this, [this] { btnADJTimeClick(); });
    connect(cboPort_, &QComboBox::currentIndexChanged, this, [this] { cboPortChange(); });

    timer1_ = new QTimer(this);
    timer1_->setObjectName("Timer1");
    timer1_->setInterval(1000);
    connect(timer1_, &QTimer::timeout, this, [this] { Timer1Timer(); });
    timer1_->start();

    scanDetector_ = std::make_unique<ScanDetector>();
    edtSerialNo_->installEventFilter(this);
}

void TfmMain::connectClockGroup() {
    // "SYNC DATE && TIME WITH PC" sits in the "Clock" group of the status
    // settings page; it is ticked at start.
    chkWriteAndRTC_ = findChild<QCheckBox*>("chkWriteAndRTC");
    chkWriteAndRTC_->setChecked(true);
    connect(chkWriteAndRTC_, &QCheckBox::clicked, this, [this] { chkRTC_PCClick(); });
}

void TfmMain::fillPortList() {
    reportedPorts_ = EnumeratePorts(services_.serialDevices);
    setPortList(reportedPorts_);
}

void TfmMain::setPortList(const std::vector<std::string>& ports) {
    operations_->setPortList(ports);
    const QSignalBlocker quiet(cboPort_);
    cboPort_->clear();
    for (const auto& p : ports) cboPort_->addItem(QString::fromStdString(p));
    cboPort_->setCurrentIndex(0);
    cboPortChange();
}

void TfmMain::refreshPortList() {
    // An operation holds its port; the list stays as it is meanwhile.
    if (operations_->busy()) return;
    const std::vector<std::string> ports = EnumeratePorts(services_.serialDevices);
    reportedPorts_ = ports;
    if (ports == operations_->portList()) return;
    const QString selected = cboPort_->currentText();
    operations_->setPortList(ports);
    const QSignalBlocker quiet(cboPort_);
    cboPort_->clear();
    for (const auto& p : ports) cboPort_->addItem(QString::fromStdString(p));
    const int kept = cboPort_->findText(selected);
    cboPort_->setCurrentIndex(kept >= 0 ? kept : 0);
    if (kept < 0) cboPortChange();
}

bool TfmMain::selectedPortPresent() {
    if (operations_->busy()) return true;  // the operation answers for itself
    const std::string port = cboPort_->currentText().toStdString();
    // Only a port the machine reported can have gone; one put into the list
    // otherwise is left to the operation.
    const auto has = [](const std::vector<std::string>& list, const std::string& name) {
        return std::find(list.begin(), list.end(), name) != list.end();
    };
    if (port.empty() || !has(reportedPorts_, port) || has(EnumeratePorts(services_.serialDevices), port)) return true;
    // Opening a device that is gone would say "Port already in use?" and then
    // that the board does not respond; neither is what happened.
    ClosePortQuietly(services_.port);
    refreshPortList();
    warn("The programmer board on " + port +
         " is gone: its adapter was unplugged or its simulator ended.\nPlug it in again and pick its port in the "
         "COM Port list.");
    return false;
}

void TfmMain::cboPortChange() {
    // The next operation opens the newly chosen port.
    if (!operations_->busy()) ClosePortQuietly(services_.port);
}

// A code-plug handed over while an operation ran opens once it has ended.
void TfmMain::Read1Click() {
    if (!operations_->busy() && selectedPortPresent() && askToSaveChanges() && operations_->Read().ok()) {
        rememberUnchanged();
        codePlugSource_ = "(read from the pager)";
        // The code-plug now belongs to this pager, not to any file: the title
        // says which pager, and Save asks for a file.
        saveName_.clear();
        const std::string serial = SerialNumberText(image_);
        setTitleWithPath(serial.empty() ? "pager" : "pager " + serial);
    }
    openHandedFiles();
}

void TfmMain::Write1Click() {
    if (!operations_->busy() && selectedPortPresent() && (!backupBeforeWrite() || takePagerBackup())) {
        // A write that stops halfway names the backup it can be undone with.
        operations_->setBackupPath(backupBeforeWrite() ? lastBackupPath_ : std::string());
        operations_->Write();
        updateTitle();
    }
    openHandedFiles();
}

void TfmMain::Verify1Click() {
    // The list offered after a failed Verify comes from the memory the Verify
    // read; only when some of it did not arrive is the pager read again.
    std::optional<CodePlugImage> memory;
    const bool failed = selectedPortPresent() && operations_->Verify(&memory).outcome == Outcome::VerifyFail;
    if (failed && services_.messages.show("The pager holds another code-plug than the editor.\nShow the fields that "
                                          "differ?",
                                          "KM640", MsgIcon::Information, MsgButtons::YesNo) == MsgAnswer::Yes) {
        if (memory)
            showComparison(*memory, true);
        else
            compareWithPager(true);
    }
    openHandedFiles();
}

bool TfmMain::twentyFourHourClock() const {
    // "Clock To Display": item 0 is "12H", item 1 "24H".
    const auto* display = findChild<QComboBox*>("cboClockDisp");
    return display && display->currentIndex() == 1;
}

void TfmMain::Timer1Timer() {
    const LocalDateTime now = services_.clock.now();
    edtRTC_User_->setText(QString::fromStdString(ClockString(now)));
    lbl12H_->setText(QString::fromStdString(SyncSuccessText(now, false)));
    lbl24H_->setText(QString::fromStdString(SyncSuccessText(now, true)));
}

void TfmMain::chkRTC_PCClick() { edtRTC_User_->setText(QString::fromStdString(ClockString(services_.clock.now()))); }

void TfmMain::btnADJTimeClick() {
    if (!selectedPortPresent()) return;
    if (edtRTC_User_->text().isEmpty()) Timer1Timer();  // before the first tick
    const OperationResult r = operations_->SyncTime(edtRTC_User_->text().toStdString());
    if (r.outcome != Outcome::Busy && r.outcome != Outcome::PortError) {
        std::string text = r.ok() ? (twentyFourHourClock() ? lbl24H_ : lbl12H_)->text().toStdString() : " SYNC FAIL !";
        // The prepared texts double their ampersands as label captions do.
        for (std::size_t at = text.find("&&"); at != std::string::npos; at = text.find("&&", at + 1))
            text.erase(at, 1);
        services_.messages.show(text, "Information", MsgIcon::Information, MsgButtons::Ok);
    }
    openHandedFiles();
}

void TfmMain::focusSerialNo() {
    // The scanner types like a keyboard: its next label goes to the active
    // window, so the main window takes the activation back from the progress
    // window before the field takes the focus.
    activateWindow();
    edtSerialNo_->setFocus(Qt::OtherFocusReason);
}

bool TfmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edtSerialNo_) {
        switch (event->type()) {
        case QEvent::FocusIn:
            edtSerialNo_->clear();  // every scan starts in an empty field
            break;
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (serialNoKeyDown(key)) return true;
            if (serialNoKeyPress(key)) return true;
            break;
        }
        default: break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// Every key in the serial number field, before it changes the text.
bool TfmMain::serialNoKeyDown(int key) {
    const QString text = edtSerialNo_->text().trimmed();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    switch (scanDetector_->keyDown(static_cast<int>(text.size()), enter, services_.ticks.milliseconds())) {
    case ScanDetector::Action::None: return false;
    case ScanDetector::Action::SwallowEnter:
        // A hand-typed number stays in the field; the key-press rule below
        // still moves the focus on for a long one.
        serialNoKeyPress(key);
        return true;
    case ScanDetector::Action::StartProduction:
        RunProductionWrite(text.toStdString());
        openHandedFiles();
        return true;
    }
    return false;
}

// The Enter character after a complete number hands the focus on.
bool TfmMain::serialNoKeyPress(int key) {
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (!enter || edtSerialNo_->text().trimmed().size() <= 10) return false;
    commitEditing();
    return true;
}

}  // namespace km640
