// The main window's production write: the scanned serial number is checked
// against the production record, the pager is written with the day's log,
// and the run is recorded. The record's setting lives in "Production
// Record..." of the "&Pager" menu.

#include <QComboBox>

#include "app/ProductionRecordDialog.h"
#include "app/TfmMain.h"
#include "link/PortDevicePath.h"
#include "pager/PagerOperations.h"
#include "pager/ProductionRun.h"
#include "record/CodePlugFingerprint.h"
#include "record/ProductionRecord.h"

namespace km640 {

namespace {

std::string sentence(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

}  // namespace

ProductionRecord* TfmMain::productionRecord() {
    const std::string given = services_.preferences.text(kRecordSetting);
    const std::string choice = given + '\n' + services_.recordEnvironment + '\n' + services_.startDirectory;
    if (record_ && record_->isOpen() && choice == recordChoice_) return record_.get();
    record_.reset();
    const RecordUrlParse parse = ChooseRecord(given, services_.recordEnvironment.c_str(), services_.startDirectory);
    std::string problem = parse.error;
    if (problem.empty()) {
        auto record = std::make_unique<ProductionRecord>();
        if (record->open(parse.location)) {
            record_ = std::move(record);
            recordChoice_ = choice;
            return record_.get();
        }
        problem = record->error();
    } else {
        problem = "the production record setting is not understood: " + problem;
    }
    warn(sentence(problem) + ".\nThe pager was not programmed.");
    return nullptr;
}

void TfmMain::RunProductionWrite(const std::string& serialNo) {
    if (operations_->busy()) return;
    ProductionRecord* record = productionRecord();
    if (!record) {
        focusSerialNo();
        return;
    }
    const std::string station = services_.preferences.text(kStationSetting);
    const RunDescription description{station.empty() ? services_.hostName : station,
                                     portDevicePath(cboPort_->currentText().toStdString()), codePlugSource_, CodePlugSha256(image_)};
    SystemRecordClock machineClock;
    ProductionRun run(*operations_, *record, services_.recordClock ? *services_.recordClock : machineClock);
    const auto askRepeat = [&](const EarlierRun& earlier) {
        return services_.messages.show("Serial No. " + EarlierRunText(serialNo, earlier) +
                                           ".\n\nProgram this serial number again?",
                                       "KM640", MsgIcon::Warning, MsgButtons::YesNoDefaultNo) == MsgAnswer::Yes;
    };
    const ProductionReport report =
        run.run(serialNo, services_.startDirectory, description, RepeatPolicy::Ask, askRepeat);
    switch (report.kind) {
    case ProductionReport::Kind::Refused:
        // Answered No; or another station took the label between the look
        // into the record and the claim, and nobody was asked.
        if (!report.declined)
            warn("Serial No. " + EarlierRunText(serialNo, *report.earlier) + ".\nIt was not programmed again.");
        else if (!report.recordError.empty())
            warn(sentence(report.recordError) + ".");
        break;
    case ProductionReport::Kind::RecordUnavailable:
        warn(sentence(report.recordError) + ".\nThe pager was not programmed.");
        break;
    case ProductionReport::Kind::Finished:
        if (report.recordLost())
            warn("Serial No. " + serialNo + ": " + report.outcome +
                 "\nbut the run could not be written into the production record:\n" + report.recordError + ".");
        break;
    }
    focusSerialNo();
}

void TfmMain::editProductionRecord() {
    ProductionRecordDialog dialog(this, services_.preferences, services_.hostName);
    if (dialog.exec() == QDialog::Accepted) record_.reset();
}

}  // namespace km640
