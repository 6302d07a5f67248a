#pragma once
// Production from a fleet's roster: every scanned label gets the line's
// code-plug with its own row applied, on a fresh copy, so nothing of one
// pager reaches the next; the run records which roster and row it used and
// the fingerprint of the code-plug that pager got. The window and km640-cli
// both program a fleet through here.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "codeplug/CodePlugImage.h"
#include "fieldtext/Roster.h"
#include "pager/ProductionRun.h"

namespace km640 {

struct RosterJob {
    fieldtext::Roster roster;
    std::string file;    // the roster's file name, as recorded and shown
    std::string sha256;  // of the file's bytes
};

// A roster file that was read and checked (RosterFile::usable()).
RosterJob MakeRosterJob(const std::string& path, fieldtext::RosterFile file);

struct PagerCodePlug {
    bool listed = false;         // the label has a row; else nothing may be written
    CodePlugImage image;         // the line's code-plug with the row applied and normalised
    RunDescription description;  // the line's, with the roster's part for this pager
    // Values of the row the line's code-plug refuses: possible only when the
    // code-plug changed after the roster was checked; nothing may be written.
    std::vector<fieldtext::RosterProblem> problems;
};

// The code-plug and the run's description for one scanned label. The roster
// was checked as a whole before the first pager, so a listed row applies.
PagerCodePlug CodePlugForPager(const CodePlugImage& line, const RunDescription& lineRun, const RosterJob& job,
                               const std::string& serial);

// Where a row of the roster stands in the production record: the latest
// run that programmed its serial number, else its latest run of any kind
// (failed, refused, unfinished), else none (still to do). A pager
// programmed with other values than the row holds now (the roster was
// changed since) is still to do.
struct RosterRowStatus {
    std::string serial;
    std::optional<RecordedRun> run;
    bool otherValues = false;  // run programmed it, with values the row no longer holds
    bool programmed() const { return run && run->state == RunState::Programmed && !otherValues; }
};
std::vector<RosterRowStatus> RosterStatus(const fieldtext::Roster& roster, std::span<const RecordedRun> runs);

// "Roster fleet.csv: 37 of 120 programmed" for a status bar.
// The roster's columns that name the pager (texts such as an address name or
// the power-on logo): shown beside the serial number in its progress.
std::vector<std::size_t> RosterNameColumns(const fieldtext::Roster& roster);

std::string RosterProgressText(const RosterJob& job, std::size_t programmed);

}  // namespace km640
