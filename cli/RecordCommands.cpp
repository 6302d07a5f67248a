#include "cli/RecordCommands.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>

#include "cli/ExitCode.h"
#include "record/ProductionRecord.h"
#include "record/RecordListing.h"
#include "record/RunTime.h"

namespace km640::cli {

RecordUrlParse chosenRecord(const CliArguments& arguments, const CliContext& context) {
    RecordUrlParse choice = ChooseRecord(arguments.record, context.recordEnvironment.c_str(), arguments.logDir);
    if (!choice.error.empty() && arguments.record.empty()) choice.error = "KM640_RECORD: " + choice.error;
    return choice;
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
    const RecordUrlParse choice = chosenRecord(arguments, context);
    if (!choice.error.empty()) {
        context.err << "km640-cli: " << choice.error << "\n";
        return std::nullopt;
    }
    if (choice.location.kind == RecordLocation::Kind::Sqlite && !std::filesystem::exists(choice.location.sqliteFile)) {
        context.err << "km640-cli: there is no production record " << choice.location.sqliteFile << "\n";
        return std::nullopt;
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

int runRecords(const CliArguments& arguments, CliContext& context) {
    if (!arguments.abandon.empty()) {
        const auto location = existingRecord(arguments, context);
        return location ? abandonRun(arguments, context, *location) : toInt(ExitCode::LogNotOpened);
    }
    ProductionRecord record;
    if (!openRecordToRead(arguments, context, record)) return toInt(ExitCode::LogNotOpened);
    const RecordFilter filter{arguments.serial, arguments.station, arguments.since, arguments.until};
    if (arguments.summary) {
        if (const auto counts = record.summary(filter)) {
            context.out << (arguments.csv ? SummaryCsv(*counts) : SummaryTable(*counts));
            return toInt(ExitCode::Success);
        }
    } else if (const auto runs = record.runs(filter)) {
        context.out << (arguments.csv ? RunsCsv(*runs) : RunsTable(*runs));
        return toInt(ExitCode::Success);
    }
    context.err << "km640-cli: " << record.error() << "\n";
    return toInt(ExitCode::LogNotOpened);
}

}  // namespace km640::cli
