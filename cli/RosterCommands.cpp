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

std::string countText(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

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
    context.out << terminalText(files[2]) << ": " << countText(file.roster.rows.size(), "row", "rows") << ", "
                << (file.problems.empty() ? std::string("every row good")
                                          : countText(file.problems.size(), "problem", "problems"))
                << "\n";
    return toInt(file.problems.empty() ? ExitCode::Success : ExitCode::Differences);
}

// Which rows of the roster the record shows programmed, and which are
// still to do: the fleet job's progress.
int rosterStatus(const CliArguments& arguments, CliContext& context) {
    const std::string& path = arguments.files.at(1);
    // The rows' values are not checked here: the serial numbers are all the
    // status needs, whatever code-plug the line uses.
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
    if (!openRecordToRead(arguments, context, record)) return toInt(ExitCode::LogNotOpened);
    const auto runs = record.runs({});
    if (!runs) {
        context.err << "km640-cli: " << record.error() << "\n";
        return toInt(ExitCode::LogNotOpened);
    }
    const auto status = RosterStatus(read.roster, *runs);
    std::vector<std::vector<std::string>> rows{{"Serial No.", "State", "Started", "Station", "Port", "Outcome"}};
    std::size_t programmed = 0;
    for (const auto& row : status) {
        if (row.programmed()) ++programmed;
        if (!row.run) {
            rows.push_back({row.serial, "to do"});
            continue;
        }
        const auto& run = *row.run;
        const std::string state = row.programmed() ? "programmed" : "to do (" + std::string(RunStateName(run.state)) + ")";
        rows.push_back({row.serial, state, ShownLocalText(run.startedLocal), run.station, run.port,
                        run.state == RunState::Running ? "(unfinished)" : run.outcome});
    }
    context.out << AlignedTable(rows);
    const auto total = read.roster.rows.size();
    context.out << terminalText(path) << ": " << programmed << " of " << total << " programmed, "
                << total - programmed << " to do\n";
    return toInt(ExitCode::Success);
}

}  // namespace

std::optional<RosterJob> loadRoster(const std::string& path, const CodePlugImage& line, std::ostream& problems) {
    auto file = fieldtext::readRosterFile(path, line, scannedSerialProblem);
    if (!file.error.empty()) {
        problems << "km640-cli: cannot read the roster " << terminalText(path) << ": " << file.error << "\n";
        return std::nullopt;
    }
    for (const auto& problem : file.problems)
        problems << "km640-cli: " << terminalText(path) << ": " << fieldtext::problemLine(problem) << "\n";
    if (!file.usable()) return std::nullopt;
    return MakeRosterJob(path, std::move(file));
}

int runRoster(const CliArguments& arguments, CliContext& context) {
    return arguments.files.at(0) == "status" ? rosterStatus(arguments, context) : rosterCheck(arguments, context);
}

}  // namespace km640::cli
