#include "cli/RosterCommands.h"

#include <vector>

#include "cli/ExitCode.h"
#include "cli/FileCommands.h"
#include "cli/RecordCommands.h"
#include "cli/TerminalText.h"
#include "fieldtext/FieldValue.h"
#include "record/RecordListing.h"
#include "platform/RegularFile.h"
#include "record/RunTime.h"

namespace km640::cli {

namespace {

int rosterCheck(const CliArguments& arguments, CliContext& context) {
    const auto& files = arguments.files;
    const auto line = loadCodePlugForPager(files.at(1), context.err);
    if (!line) return toInt(ExitCode::BadFile);
    const auto file = fieldtext::readRosterFile(files.at(2), *line, scannedSerialProblem);
    if (!file.error.empty()) {
        context.err << "km640-cli: cannot read the roster " << terminalText(files[2]) << ": " << file.error
                    << "\n";
        return toInt(ExitCode::BadFile);
    }
    // How the file was read: a roster saved by a spreadsheet in another
    // locale is read differently from one written by hand.
    for (const auto& note : file.notes) context.out << fieldtext::escapedText(files[2]) << ": " << note << "\n";
    for (const auto& problem : file.problems) context.out << fieldtext::problemLine(problem) << "\n";
    context.out << terminalText(files[2]) << ": "
                << fieldtext::rosterSummary(file.roster.rows.size(), file.problems.size()) << "\n";
    // A roster checked before the line starts is not checked again by it.
    if (file.usable() && context.rosterChecks) context.rosterChecks->rememberPassed(file.bytes, *line);
    return toInt(file.problems.empty() ? ExitCode::Success : ExitCode::Differences);
}

std::string stateText(const RosterRowStatus& row) {
    if (!row.run) return "to do";
    if (row.otherValues) return "to do (programmed with other values)";
    if (row.programmed()) return "programmed";
    return "to do (" + std::string(RunStateName(row.run->state)) + ")";
}

// Which rows of the roster the record shows programmed, and which are
// still to do: the fleet job's progress. Only the roster's serial numbers
// are looked up, so it answers at once whatever the record's size.
int rosterStatus(const CliArguments& arguments, CliContext& context) {
    const std::string& path = arguments.files.at(1);
    // The rows' values are not checked here: the serial numbers and the
    // values as written are all the status needs, whatever code-plug the
    // line uses.
    auto file = ReadWholeRegularFile(path, fieldtext::kMaxRosterBytes);
    if (file.larger) file.reason = "is too large for a roster";
    if (!file.ok()) {
        context.err << "km640-cli: cannot read the roster " << terminalText(path) << ": " << file.reason
                    << "\n";
        return toInt(ExitCode::BadFile);
    }
    const auto read = fieldtext::readRoster(file.bytes, scannedSerialProblem);
    for (const auto& problem : read.problems)
        context.err << "km640-cli: " << terminalText(path) << ": " << fieldtext::problemLine(problem) << "\n";
    ProductionRecord record;
    if (!prepareRecord(record, arguments, context)) return toInt(ExitCode::Usage);
    if (!openRecordToRead(arguments, context, record)) return toInt(ExitCode::LogNotOpened);
    std::vector<std::string> serials;
    for (const auto& row : read.roster.rows) serials.push_back(row.serial);
    const auto runs = record.runsOfSerials(serials);
    if (!runs) {
        context.err << "km640-cli: " << terminalText(record.error()) << "\n";
        return toInt(ExitCode::LogNotOpened);
    }
    const auto status = RosterStatus(read.roster, *runs);
    const auto names = RosterNameColumns(read.roster);
    std::vector<std::vector<std::string>> rows{{"Serial No."}};
    for (const auto column : names) rows[0].push_back(read.roster.columns[column]);
    for (const char* heading : {"State", "Started", "Station", "Port", "Outcome"}) rows[0].push_back(heading);
    std::size_t programmed = 0;
    for (std::size_t i = 0; i < status.size(); ++i) {
        const auto& row = status[i];
        if (row.programmed()) ++programmed;
        std::vector<std::string> cells{row.serial};
        for (const auto column : names) cells.push_back(read.roster.rows[i].cells.at(column));
        cells.push_back(stateText(row));
        if (row.run) {
            const auto& run = *row.run;
            for (const auto& cell : {ShownLocalText(run.startedLocal), run.station, run.port,
                                     run.state == RunState::Running ? std::string(kUnfinishedText) : run.outcome})
                cells.push_back(cell);
        }
        rows.push_back(std::move(cells));
    }
    if (arguments.csv) {
        const CsvStyle style = csvStyle(arguments);
        context.out << (style.byteOrderMark ? "\xEF\xBB\xBF" : "");
        for (auto& cells : rows) {
            cells.resize(rows[0].size());
            for (std::size_t c = 0; c < cells.size(); ++c)
                context.out << (c ? std::string(1, style.separator) : std::string()) << CsvField(cells[c], style.separator);
            context.out << "\r\n";
        }
        return toInt(ExitCode::Success);
    }
    for (auto& cells : rows)
        for (auto& cell : cells) cell = terminalText(cell);
    context.out << AlignedTable(rows);
    const auto total = read.roster.rows.size();
    context.out << terminalText(path) << ": " << programmed << " of " << total << " programmed, "
                << total - programmed << " to do\n";
    return toInt(ExitCode::Success);
}

}  // namespace

std::optional<RosterJob> loadRoster(const std::string& path, const CodePlugImage& line, std::ostream& problems,
                                    RosterCheckCache* checks) {
    auto file = fieldtext::readRosterBytes(path);
    if (!file.error.empty()) {
        problems << "km640-cli: cannot read the roster " << terminalText(path) << ": " << file.error << "\n";
        return std::nullopt;
    }
    const bool known = checks && checks->passed(file.bytes, line);
    file = known ? fieldtext::rosterFromCheckedBytes(std::move(file.bytes), scannedSerialProblem)
                 : fieldtext::rosterFromBytes(std::move(file.bytes), line, scannedSerialProblem);
    for (const auto& problem : file.problems)
        problems << "km640-cli: " << terminalText(path) << ": " << fieldtext::problemLine(problem) << "\n";
    if (!file.usable()) return std::nullopt;
    if (checks && !known) checks->rememberPassed(file.bytes, line);
    return MakeRosterJob(path, std::move(file));
}

int runRoster(const CliArguments& arguments, CliContext& context) {
    return arguments.files.at(0) == "status" ? rosterStatus(arguments, context) : rosterCheck(arguments, context);
}

}  // namespace km640::cli
