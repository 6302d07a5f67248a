// The main window's production write: the scanned serial number is checked
// against the production record, the pager is written with the day's log,
// and the run is recorded. The record's setting lives in "Production
// Record..." of the "&Pager" menu.

#include <QComboBox>
#include <QLabel>
#include <QCoreApplication>

#include "app/ProductionRecordDialog.h"
#include "app/TfmMain.h"
#include "app/TfmState.h"
#include "link/PortDevicePath.h"
#include "pager/PagerOperations.h"
#include "pager/ProductionLog.h"
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

// The record's place in the status bar; one at the earlier place says so,
// and its hint and the "Production Record" dialog say how to move it.
RecordChoice TfmMain::chooseRecord() {
    RecordChoice choice = ChooseRecord(services_.preferences.text(kRecordSetting), services_.recordEnvironment.c_str(),
                                       services_.startDirectory, services_.dataDirectory);
    const std::string place = choice.error.empty() ? RecordDisplayName(choice.location) : "(not understood)";
    recordPlace_->setText(QString::fromStdString("Record: " + place + (choice.note.empty() ? "" : " (earlier place)")));
    recordPlace_->setToolTip(QString::fromStdString(choice.note.empty() ? place : sentence(choice.note) + "."));
    return choice;
}

ProductionRecord* TfmMain::productionRecord(std::string& problem) {
    const RecordChoice chosen = chooseRecord();
    const std::string choice = services_.preferences.text(kRecordSetting) + '\n' + services_.recordEnvironment + '\n' +
                               RecordDisplayName(chosen.location);
    if (record_ && record_->isOpen() && choice == recordChoice_) return record_.get();
    record_.reset();
    problem = chosen.error.empty() ? MakeRecordFolder(chosen) : "the production record setting is not understood: " +
                                                                     chosen.error;
    if (problem.empty()) {
        auto record = std::make_unique<ProductionRecord>();
        record->setWaitHook([this](std::chrono::milliseconds waited, bool done) { waitForRecord(waited, done); });
        if (record->open(chosen.location)) {
            record_ = std::move(record);
            recordChoice_ = choice;
            return record_.get();
        }
        problem = record->error();
    }
    return nullptr;
}

// The record is waited for on its own thread: the window keeps painting
// (user input waits, so no second scan starts meanwhile), and a wait that
// is noticeable shows the progress window with what it waits for.
void TfmMain::waitForRecord(std::chrono::milliseconds waited, bool done) {
    if (done) {
        if (recordWaitShown_) {
            state().closeState();
            setStatusText(1, "  Ready ......");
        }
        recordWaitShown_ = false;
        return;
    }
    if (!recordWaitShown_ && waited >= std::chrono::milliseconds(100) && !state().isVisible()) {
        state().setGaugeVisible(false);
        state().setCaption("Production Record ...");
        setStatusText(1, "  Production Record ......");
        state().showState();
        recordWaitShown_ = true;
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
}

// Nothing was programmed. A day's log that cannot be written is what the
// line hears of, as it did before there was a record, whatever became of
// the record; else what the record said.
void TfmMain::recordUnavailable(const std::string& problem) {
    if (!ProductionLog::check(services_.startDirectory, services_.clock.now()).ok)
        services_.messages.show("Save Error!", "KM640", MsgIcon::Exclamation, MsgButtons::Ok);
    else
        warn(sentence(problem) + ".\nThe pager was not programmed.");
}

void TfmMain::RunProductionWrite(const std::string& serialNo) {
    if (operations_->busy() || productionRunning_) return;
    productionRunning_ = true;
    runProductionWrite(serialNo);
    productionRunning_ = false;
}

void TfmMain::runProductionWrite(const std::string& serialNo) {
    std::string problem;
    ProductionRecord* record = productionRecord(problem);
    if (!record) {
        recordUnavailable(problem);
        focusSerialNo();
        return;
    }
    const std::string station = services_.preferences.text(kStationSetting);
    const RunDescription description{station.empty() ? services_.hostName : station,
                                     portDevicePath(cboPort_->currentText().toStdString()), codePlugSource_, CodePlugSha256(image_), {}};
    SystemRecordClock machineClock;
    ProductionRun run(*operations_, *record, services_.recordClock ? *services_.recordClock : machineClock);
    const auto askRepeat = [&](const EarlierRun& earlier) {
        return services_.messages.show("Serial No. " + EarlierRunText(serialNo, earlier) +
                                           ".\n\nProgram this serial number again?",
                                       "KM640", MsgIcon::Warning, MsgButtons::YesNoDefaultNo) == MsgAnswer::Yes;
    };
    ProductionReport report;
    if (roster_) {
        // The pager gets its own row on a copy; the window's code-plug stays
        // as it is for the next scan.
        const PagerCodePlug pager = CodePlugForPager(image_, description, *roster_, serialNo);
        if (!pager.listed) {
            report = run.refuseNotInRoster(serialNo, pager.description);
        } else if (!pager.problems.empty()) {
            // The code-plug was changed after the roster was chosen.
            std::string text = "The roster's row for Serial No. " + serialNo + " does not fit the code-plug:";
            for (const auto& problem : pager.problems) text += "\n" + fieldtext::problemLine(problem);
            warn(text + "\nThe pager was not programmed. Choose the roster again to check it.");
            focusSerialNo();
            return;
        } else {
            const CodePlugImage line = image_;
            image_ = pager.image;
            report = run.run(serialNo, services_.startDirectory, pager.description, RepeatPolicy::Ask, askRepeat);
            image_ = line;
            // The title was looked at while the pager's copy was in the
            // editor's place; the editor's code-plug did not change.
            updateTitle();
            // What the record holds now, this scan and every other station's.
            std::string problem;
            if (!countRosterFromRecord(problem) && report.programmed) rosterProgrammed_.insert(TrimmedText(serialNo));
            showRosterProgress();
        }
    } else {
        report = run.run(serialNo, services_.startDirectory, description, RepeatPolicy::Ask, askRepeat);
    }
    switch (report.kind) {
    case ProductionReport::Kind::Refused:
        // Answered No; or another station took the label between the look
        // into the record and the claim, and nobody was asked.
        if (!report.declined)
            warn("Serial No. " + EarlierRunText(serialNo, *report.earlier) + ".\nIt was not programmed again.");
        else if (!report.recordError.empty())
            warn(sentence(report.recordError) + ".");
        break;
    case ProductionReport::Kind::NotInRoster:
        warn("Serial No. " + serialNo + " is not in the roster " + roster_->file + ".\nThe pager was not programmed." +
             (report.recordError.empty() ? std::string()
                                         : "\nThe refusal could not be written into the production record:\n" +
                                               report.recordError + "."));
        break;
    case ProductionReport::Kind::RecordUnavailable:
        recordUnavailable(report.recordError);
        break;
    case ProductionReport::Kind::Finished:
        if (report.recordLost())
            warn("Serial No. " + serialNo + ": " + report.outcome +
                 (report.settledMeanwhile ? "\nbut " : "\nbut the run could not be written into the production record:\n") +
                 report.recordError + ".");
        break;
    }
    focusSerialNo();
}

void TfmMain::editProductionRecord() {
    const RecordChoice inUse = chooseRecord();
    std::string text = "In use: " + (inUse.error.empty() ? RecordDisplayName(inUse.location)
                                                         : "none, the setting is not understood: " + inUse.error);
    if (!inUse.note.empty()) text += "\n" + sentence(inUse.note) + ".";
    const std::string sharedDefault =
        services_.dataDirectory.empty()
            ? std::string(kDefaultRecordFile) + " in the start folder"
            : PcRecordFile(services_.dataDirectory).string();
    ProductionRecordDialog dialog(this, services_.preferences, services_.hostName, text, sharedDefault);
    if (dialog.exec() == QDialog::Accepted) record_.reset();
    chooseRecord();
}

}  // namespace km640
