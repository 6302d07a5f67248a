// The main window's fleet roster: Pager > "Production Roster..." chooses a
// roster, checks every row against the code-plug in the window at once and
// shows the fleet job's progress in the status bar. Each scan then writes the
// code-plug with the label's row applied (see RunProductionWrite).

#include <QLabel>

#include "app/TfmMain.h"
#include "fieldtext/Roster.h"
#include "pager/ScanDetector.h"
#include "record/ProductionRecord.h"

namespace km640 {

namespace {

// Each problem of the roster as a row of the list: where, which column,
// the cell as written and why.
std::vector<ListedProblem> listed(const std::vector<fieldtext::RosterProblem>& problems) {
    std::vector<ListedProblem> rows;
    for (const auto& p : problems) {
        std::string place = p.line > 0 ? "line " + std::to_string(p.line) : std::string("roster");
        if (!p.serial.empty()) place += ", " + p.serial;
        rows.push_back({place, p.column, p.value, p.message});
    }
    return rows;
}

std::string problemsHeading(const std::string& path, const fieldtext::RosterFile& file) {
    std::string text = "The roster " + path + " cannot be used (" + std::to_string(file.problems.size()) +
                       (file.problems.size() == 1 ? " problem" : " problems");
    for (const auto& note : file.notes) text += "; " + note;
    return text + "):";
}

}  // namespace

void TfmMain::chooseProductionRoster() {
    commitEditing();
    const auto chosen = services_.dialogs.openRoster(services_.startDirectory);
    roster_.reset();
    rosterProgrammed_.clear();
    std::string problem;
    if (chosen) {
        auto file = fieldtext::readRosterFile(*chosen, image_, ScannedSerialProblem);
        if (!file.error.empty())
            warn("The roster " + *chosen + " cannot be read: " + file.error + ".");
        else if (!file.usable())
            services_.messages.showProblems(problemsHeading(*chosen, file), listed(file.problems), "KM640");
        else
            roster_ = MakeRosterJob(*chosen, std::move(file));
    }
    if (roster_ && !countRosterFromRecord(problem)) warn(problem);
    showRosterProgress();
}

// The progress counts what the record shows programmed with the roster's
// current rows, so a fleet job goes on after a restart or on another
// station. Only the roster's serial numbers are looked up: the count
// follows the roster, not the record.
bool TfmMain::countRosterFromRecord(std::string& problem) {
    std::string unavailable;
    ProductionRecord* record = productionRecord(unavailable);
    std::vector<std::string> serials;
    for (const auto& row : roster_->roster.rows) serials.push_back(row.serial);
    const auto runs = record ? record->runsOfSerials(serials) : std::nullopt;
    if (!runs) {
        problem = "The roster's progress cannot be read from the production record:\n" +
                  (record ? record->error() : unavailable) + ".";
        return false;
    }
    rosterProgrammed_.clear();
    for (const auto& row : RosterStatus(roster_->roster, *runs))
        if (row.programmed()) rosterProgrammed_.insert(row.serial);
    return true;
}

// Other stations program the same fleet: the count is read again every so
// often while the window waits for the next scan.
void TfmMain::followRosterProgress() {
    std::string problem;
    if (roster_ && !operations_->busy() && countRosterFromRecord(problem)) showRosterProgress();
}

void TfmMain::showRosterProgress() {
    rosterStatus_->setVisible(roster_.has_value());
    rosterStatus_->setText(roster_ ? QString::fromStdString(RosterProgressText(*roster_, rosterProgrammed_.size()))
                                   : QString());
}

}  // namespace km640
