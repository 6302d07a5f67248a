#include "cli/RecordCommands.h"

#include <filesystem>

#include "cli/ExitCode.h"
#include "record/ProductionRecord.h"
#include "record/RecordListing.h"

namespace km640::cli {

RecordUrlParse chosenRecord(const CliArguments& arguments, const CliContext& context) {
    RecordUrlParse choice = ChooseRecord(arguments.record, context.recordEnvironment.c_str(), arguments.logDir);
    if (!choice.error.empty() && arguments.record.empty()) choice.error = "KM640_RECORD: " + choice.error;
    return choice;
}

bool openRecordToRead(const CliArguments& arguments, CliContext& context, ProductionRecord& record) {
    const RecordUrlParse choice = chosenRecord(arguments, context);
    if (!choice.error.empty()) {
        context.err << "km640-cli: " << choice.error << "\n";
        return false;
    }
    // Looking at the record must not leave an empty one behind where
    // there was none, nor change one that is there (it is opened read-only).
    if (choice.location.kind == RecordLocation::Kind::Sqlite && !std::filesystem::exists(choice.location.sqliteFile)) {
        context.err << "km640-cli: there is no production record " << choice.location.sqliteFile << "\n";
        return false;
    }
    if (record.openForReading(choice.location)) return true;
    context.err << "km640-cli: " << record.error() << "\n";
    return false;
}

int runRecords(const CliArguments& arguments, CliContext& context) {
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
