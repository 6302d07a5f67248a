#include "cli/RecordCommands.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <cctype>
#include <filesystem>
#include <optional>

#include "cli/ExitCode.h"
#include "cli/TerminalText.h"
#include "record/ProductionRecord.h"
#include "record/RecordListing.h"
#include "record/RunTime.h"

namespace km640::cli {

RecordChoice chosenRecord(const CliArguments& arguments, const CliContext& context) {
    RecordChoice choice =
        ChooseRecord(arguments.record, context.recordEnvironment.c_str(), arguments.logDir, context.dataFolder);
    if (!choice.error.empty() && arguments.record.empty()) choice.error = "KM640_RECORD: " + choice.error;
    if (!choice.note.empty()) context.err << "km640-cli: " << terminalText(choice.note) << "\n";
    return choice;
}

std::optional<std::chrono::milliseconds> recordLimit(const std::string& text) {
    if (text.empty()) return std::chrono::seconds(kRecordCallSeconds);
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !(seconds >= 0.001 && seconds <= 3600)) return std::nullopt;
    return std::chrono::milliseconds(static_cast<std::int64_t>(seconds * 1000));
}

bool prepareRecord(ProductionRecord& record, const CliArguments& arguments, CliContext& context) {
    const auto limit = recordLimit(context.recordLimitEnvironment);
    if (!limit) {
        context.err << "km640-cli: KM640_RECORD_LIMIT must be a number of seconds (0.001 to 3600), not "
                    << terminalText(context.recordLimitEnvironment) << "\n";
        return false;
    }
    record.setCallLimit(*limit);
    record.setStation(arguments.station.empty() ? context.hostName : arguments.station);
    return true;
}

namespace {

// Who settles a run: the station given, else the user at this computer.
std::string settledBy(const CliArguments& arguments, const CliContext& context) {
    if (!arguments.station.empty()) return arguments.station;
    const passwd* user = getpwuid(geteuid());
    std::string name = user != nullptr ? user->pw_name : std::to_string(geteuid());
    return name + "@" + context.hostName;
}

bool answeredYes(std::string answer) {
    std::transform(answer.begin(), answer.end(), answer.begin(), [](unsigned char c) { return std::tolower(c); });
    answer.erase(0, answer.find_first_not_of(" \t"));
    answer.erase(answer.find_last_not_of(" \t\r") + 1);
    return answer == "y" || answer == "yes";
}

// A run whose station died stays unfinished, and its serial number is
// refused on every station. Settled here: after the operator has seen which
// run it is and said yes, it is closed as abandoned, so the pager can be
// scanned again.
int abandonRun(const CliArguments& arguments, CliContext& context, const RecordLocation& location) {
    const std::string& serial = arguments.abandon;
    ProductionRecord record;
    if (!prepareRecord(record, arguments, context)) return toInt(ExitCode::Usage);
    if (!record.open(location)) {
        context.err << "km640-cli: " << record.error() << "; nothing was changed.\n";
        return toInt(ExitCode::LogNotOpened);
    }
    const auto unfinished = record.unfinishedRuns(serial);
    if (!unfinished) {
        context.err << "km640-cli: " << record.error() << "; nothing was changed.\n";
        return toInt(ExitCode::LogNotOpened);
    }
    if (unfinished->empty()) {
        context.err << "km640-cli: " << serial << " has no unfinished run in the production record "
                    << RecordDisplayName(location) << "; nothing was changed.\n";
        return toInt(ExitCode::Differences);
    }
    for (const auto& run : *unfinished)
        context.out << EarlierRunText(serial, {run.id, run.startedLocal, run.station, run.port, true}) << ".\n";
    if (!arguments.yes) {
        if (context.in == nullptr || !context.inIsTerminal) {
            context.err << "km640-cli: --abandon asks before it changes the record, and standard input is not a "
                           "terminal; --yes settles the run without asking. Nothing was changed.\n";
            return toInt(ExitCode::Usage);
        }
        context.err << "Only when that station no longer runs: mark the run abandoned, so that " << serial
                    << " can be programmed again? [y/N] " << std::flush;
        std::string answer;
        if (!std::getline(*context.in, answer) || !answeredYes(answer)) {
            context.err << "Nothing was changed.\n";
            return toInt(ExitCode::Differences);
        }
    }
    SystemRecordClock machineClock;
    RecordClock& clock = context.recordClock ? *context.recordClock : machineClock;
    const RunTime now = clock.now();
    const auto settled = record.abandon(serial, settledBy(arguments, context), UtcText(now));
    if (!settled) {
        context.err << "km640-cli: " << record.error() << "; nothing was changed.\n";
        return toInt(ExitCode::LogNotOpened);
    }
    if (settled->empty()) {
        context.err << "km640-cli: " << serial << " has no unfinished run any more (it ended meanwhile); nothing "
                                                  "was changed.\n";
        return toInt(ExitCode::Differences);
    }
    for (const auto& run : *settled)
        context.out << "Abandoned: the run of " << serial << " started " << ShownLocalText(run.startedLocal)
                    << " at station " << run.station << ", by " << run.abandonedBy << " at "
                    << ShownLocalText(LocalText(now)) << ".\n";
    return toInt(ExitCode::Success);
}

}  // namespace

// The chosen record, when it is there: looking at it or settling a run in
// it must not leave an empty one behind where there was none.
static std::optional<RecordLocation> existingRecord(const CliArguments& arguments, CliContext& context) {
    const RecordChoice choice = chosenRecord(arguments, context);
    if (!choice.error.empty()) {
        context.err << "km640-cli: " << choice.error << "\n";
        return std::nullopt;
    }
    if (choice.location.kind == RecordLocation::Kind::Sqlite) {
        // A folder the user may not enter is said so, never an abort.
        std::error_code error;
        const bool there = std::filesystem::exists(choice.location.sqliteFile, error);
        if (error) {
            context.err << "km640-cli: cannot reach the production record " << terminalText(choice.location.sqliteFile)
                        << ": " << error.message() << "\n";
            return std::nullopt;
        }
        if (!there) {
            context.err << "km640-cli: there is no production record " << terminalText(choice.location.sqliteFile)
                        << "\n";
            return std::nullopt;
        }
    }
    return choice.location;
}

bool openRecordToRead(const CliArguments& arguments, CliContext& context, ProductionRecord& record) {
    // Opened read-only: looking does not change a record that is there.
    const auto location = existingRecord(arguments, context);
    if (!location) return false;
    if (record.openForReading(*location)) return true;
    context.err << "km640-cli: " << record.error() << "\n";
    return false;
}

CsvStyle csvStyle(const CliArguments& arguments) {
    return {arguments.csvSeparator.empty() ? ',' : arguments.csvSeparator == "tab" ? '\t' : arguments.csvSeparator[0],
            arguments.bom};
}

namespace {

// The listing goes out as its rows come; a table's first line says which
// record it is.
template <class Row>
bool listRows(ProductionRecord& record, const CliArguments& arguments, CliContext& context,
              bool (ProductionRecord::*each)(const RecordFilter&, const std::function<bool(const Row&)>&),
              std::string (*csvHeader)(CsvStyle), std::string (*csvLine)(const Row&, CsvStyle),
              std::vector<std::string> (*heading)(), std::vector<std::string> (*tableRow)(const Row&)) {
    const RecordFilter filter{arguments.serial, arguments.station, arguments.since, arguments.until};
    const CsvStyle style = csvStyle(arguments);
    if (arguments.csv) {
        context.out << csvHeader(style);
        return (record.*each)(filter, [&](const Row& row) {
            context.out << csvLine(row, style);
            return static_cast<bool>(context.out);
        });
    }
    context.out << "Production record: " << terminalText(RecordDisplayName(record.location())) << "\n";
    StreamedTable table(heading());
    std::size_t rows = 0;
    const bool read = (record.*each)(filter, [&](const Row& row) {
        ++rows;
        context.out << table.add(tableRow(row));
        return static_cast<bool>(context.out);
    });
    context.out << table.finish();
    if (read && rows == 0) context.out << "No runs recorded.\n";
    return read;
}

// The whole-file check on demand, with its progress on a terminal.
int checkRecord(const CliArguments& arguments, CliContext& context) {
    const auto location = existingRecord(arguments, context);
    if (!location) return toInt(ExitCode::LogNotOpened);
    if (location->kind != RecordLocation::Kind::Sqlite) {
        context.err << "km640-cli: records --check checks a SQLite record; a PostgreSQL server keeps its own files "
                       "whole\n";
        return toInt(ExitCode::Usage);
    }
    ProductionRecord record;
    if (!prepareRecord(record, arguments, context)) return toInt(ExitCode::Usage);
    const auto started = std::chrono::steady_clock::now();
    auto shown = started;
    const auto progress = [&] {
        const auto now = std::chrono::steady_clock::now();
        if (!context.errIsTerminal || now - shown < std::chrono::seconds(1)) return;
        shown = now;
        context.err << "\rChecking " << terminalText(location->sqliteFile) << " ... "
                    << std::chrono::duration_cast<std::chrono::seconds>(now - started).count() << " s" << std::flush;
    };
    const auto check = record.checkNow(*location, progress);
    if (shown != started) context.err << "\n";
    if (!check) {
        context.err << "km640-cli: " << terminalText(record.error()) << "\n";
        return toInt(ExitCode::LogNotOpened);
    }
    if (!record.error().empty())
        context.err << "km640-cli: the check's outcome could not be kept: " << terminalText(record.error()) << "\n";
    if (check->passed) {
        context.out << terminalText(location->sqliteFile) << ": the whole file was checked: no damage\n";
        return toInt(ExitCode::Success);
    }
    context.out << terminalText(location->sqliteFile) << ": damaged (" << terminalText(check->damage)
                << "); no station programs with it until a check passes\n";
    return toInt(ExitCode::Differences);
}

}  // namespace

int runRecords(const CliArguments& arguments, CliContext& context) {
    if (!arguments.abandon.empty()) {
        const auto location = existingRecord(arguments, context);
        return location ? abandonRun(arguments, context, *location) : toInt(ExitCode::LogNotOpened);
    }
    if (arguments.check) return checkRecord(arguments, context);
    ProductionRecord record;
    if (!prepareRecord(record, arguments, context)) return toInt(ExitCode::Usage);
    if (!openRecordToRead(arguments, context, record)) return toInt(ExitCode::LogNotOpened);
    const bool listed =
        arguments.summary
            ? listRows<DayOutcomeCount>(record, arguments, context, &ProductionRecord::eachDayCount, SummaryCsvHeader,
                                        SummaryCsvLine, SummaryTableHeading, SummaryTableRow)
            : listRows<RecordedRun>(record, arguments, context, &ProductionRecord::eachRun, RunsCsvHeader,
                                    RunCsvLine, RunsTableHeading, RunsTableRow);
    if (listed) return toInt(ExitCode::Success);
    context.err << "km640-cli: " << terminalText(record.error()) << "\n";
    return toInt(ExitCode::LogNotOpened);
}

}  // namespace km640::cli
