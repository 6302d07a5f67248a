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
    if (chosen) {
        auto file = fieldtext::readRosterFile(*chosen, image_, ScannedSerialProblem);
        if (!file.error.empty())
            warn("The roster " + *chosen + " cannot be read: " + file.error + ".");
        else if (!file.usable())
            services_.messages.showProblems(problemsHeading(*chosen, file), listed(file.problems), "KM640");
        else
            roster_ = MakeRosterJob(*chosen, std::move(file));
    }
    // The progress counts what the record shows programmed already, so a
    // fleet job can go on after a restart or on another station.
    if (roster_) {
        std::string problem;
        ProductionRecord* record = productionRecord(problem);
        const auto runs = record ? record->runs({}) : std::nullopt;
        if (runs) {
            for (const auto& row : RosterStatus(roster_->roster, *runs))
                if (row.programmed()) rosterProgrammed_.insert(row.serial);
        } else {
            warn("The roster's progress cannot be read from the production record:\n" +
                 (record ? record->error() : problem) + ".");
        }
    }
    showRosterProgress();
}

void TfmMain::showRosterProgress() {
    rosterStatus_->setVisible(roster_.has_value());
    rosterStatus_->setText(roster_ ? QString::fromStdString(RosterProgressText(*roster_, rosterProgrammed_.size()))
                                   : QString());
}

}  // namespace km640
