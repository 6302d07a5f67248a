// production: one pager by --serial, pager after pager from a scanner, and
// one board of a line whose boards one scanner feeds (ProductionLine).

#include <filesystem>

#include "cli/PagerCommands.h"
#include "cli/ProductionLine.h"
#include "cli/RecordCommands.h"
#include "cli/RosterCommands.h"
#include "cli/RunExitCode.h"
#include "cli/ScannedLines.h"
#include "cli/StopSignals.h"
#include "cli/TerminalText.h"
#include "cli/FileCommands.h"
#include "link/PortDevicePath.h"
#include "pager/ProductionLog.h"
#include "record/CodePlugFingerprint.h"
#include "record/RecordListing.h"

namespace km640::cli {

namespace fs = std::filesystem;

// Every run is recorded; without a record to write to, no pager is
// programmed, as without the day's log.
ExitCode PagerCommands::production() {
    if (const auto failed = prepareProduction()) return *failed;
    // Several boards: each gets a station of its own on its own thread; this
    // one has checked the file, the roster and the record for all of them.
    if (arguments_.ports.size() > 1)
        return ProductionLine(arguments_, context_, catchingSignals_).run();
    if (arguments_.serialFromStdin) return productionFromStdin();
    // Opening the record may have taken a moment; nothing is claimed yet.
    if (stopSignalled()) return stoppedBeforeStart();
    return producePager(arguments_.serial, false).code;
}

std::optional<ExitCode> PagerCommands::prepareProduction() {
    auto file = loadCodePlugForPager(arguments_.files.at(0), context_.err);
    if (!file) return file.failure;
    line_ = *file;
    // The whole roster is checked before the first pager: a bad row found
    // halfway through a fleet would stop the line with pagers half done.
    if (!arguments_.roster.empty()) {
        roster_ = loadRoster(arguments_.roster, *line_, context_.err, context_.rosterChecks);
        if (!roster_) {
            context_.err << "km640-cli: the roster cannot be used; no pager was programmed.\n";
            return ExitCode::Refused;
        }
    }
    const RecordChoice choice = chosenRecord(arguments_, context_);
    std::string problem = choice.error.empty() ? MakeRecordFolder(choice) : choice.error;
    if (problem.empty() && !record_.open(choice.location)) problem = record_.error();
    if (!problem.empty()) {
        context_.err << "km640-cli: " << terminalText(problem) << "; no pager was programmed.\n";
        return ExitCode::LogNotOpened;
    }
    run_ = std::make_unique<ProductionRun>(operations_, record_,
                                           context_.recordClock ? *context_.recordClock : machineClock_);
    std::error_code ec;
    const fs::path filePath = fs::absolute(arguments_.files[0], ec);
    description_ = {arguments_.station.empty() ? context_.hostName : arguments_.station, portDevicePath(portName_),
                    ec ? arguments_.files[0] : filePath.string(), CodePlugSha256(*line_), {}};
    return std::nullopt;
}

std::optional<ExitCode> PagerCommands::prepareBoard() {
    if (const auto problem = portProblem()) return problem;
    return prepareProduction();
}

PagerProduced PagerCommands::producePager(const std::string& serial, bool scanned) {
    // A fleet's pager gets its own row on a fresh copy of the line's code-plug.
    ProductionReport report;
    const auto pager =
        roster_ ? std::optional(CodePlugForPager(*line_, description_, *roster_, serial)) : std::nullopt;
    if (pager && !pager->listed) {
        report = run_->refuseNotInRoster(serial, pager->description);
    } else if (pager && !pager->problems.empty()) {
        // Cannot happen: the roster was checked against this very code-plug.
        for (const auto& problem : pager->problems)
            context_.err << "km640-cli: " << fieldtext::problemLine(problem) << "\n";
        return {ExitCode::Refused};
    } else {
        image_ = pager ? pager->image : *line_;
        report = run_->run(serial, arguments_.logDir, pager ? pager->description : description_,
                           arguments_.allowRepeat ? RepeatPolicy::Allow : RepeatPolicy::Refuse);
    }
    view_.clearLine();
    std::string outcome = report.outcome;
    PagerProduced produced;
    switch (report.kind) {
    case ProductionReport::Kind::RecordUnavailable:
        context_.err << "km640-cli: " << terminalText(report.recordError) << "; " << serial << " was not programmed.\n";
        outcome = "Not programmed: no production record";
        produced.code = ExitCode::LogNotOpened;
        break;
    case ProductionReport::Kind::Refused:
        // The earlier run's station and port come from the record.
        context_.err << "km640-cli: " << terminalText(EarlierRunText(serial, *report.earlier))
                     << "; not programmed again (--allow-repeat programs it anyway).\n";
        if (report.earlier->unfinished)
            context_.err << "km640-cli: if that station stopped in the middle of the pager, 'km640-cli records "
                            "--abandon "
                         << serial << "' settles its run.\n";
        outcome = kRefusedOutcome;
        produced.code = ExitCode::RepeatRefused;
        break;
    case ProductionReport::Kind::NotInRoster:
        context_.err << "km640-cli: " << serial << " is not in the roster " << roster_->file
                     << "; nothing was sent to the board.\n";
        if (!report.recordError.empty())
            context_.err << "km640-cli: the refusal could not be written into the production record: "
                         << report.recordError << "\n";
        produced.code = ExitCode::NotInRoster;
        break;
    case ProductionReport::Kind::Finished: {
        const OperationResult& result = report.production.run;
        produced.code = finish(result, !scanned);
        // A production write shows no box: the meaning for the pager is told here.
        if (!result.explanation.empty() && !messages_.lastShown(result.explanation))
            context_.err << "km640-cli: " << terminalText(result.explanation) << "\n";
        produced.boardLost = !result.explanation.empty() || result.outcome == Outcome::PortError ||
                             result.outcome == Outcome::BoardNotResponding;
        if (report.earlier && report.programmed) outcome += " (repeat)";
        // 10 and 11 tell a script that the pager holds its code-plug and
        // must not simply be programmed again; a write that failed keeps its
        // own code, and the messages say both things.
        produced.programmed = report.programmed;
        produced.logLost = reportLog(report.production, report.programmed);
        if (produced.logLost && report.programmed) produced.code = ExitCode::LogLineLost;
        produced.recordLost = report.recordLost();
        if (produced.recordLost) {
            context_.err << "km640-cli: " << serial
                         << (report.programmed ? ": " + report.outcome + ", but"
                                               : " was not programmed (" + report.outcome + "), and")
                         << (report.settledMeanwhile ? " " : " the run could not be written into the production record: ")
                         << terminalText(report.recordError) << "\n";
            if (report.programmed && produced.code != ExitCode::LogLineLost) produced.code = ExitCode::RecordLost;
        }
        break;
    }
    }
    if (scanned) {
        context_.out << ShownLocalText(report.startedLocal.substr(0, 19)) << "  " << serial << "  " << outcome;
        if (report.kind == ProductionReport::Kind::Finished) context_.out << "  " << DurationText(report.durationMs);
        context_.out << std::endl;
    }
    return produced;
}

// What the day's log said, when it was not the line as usual; true when the
// run's line was lost.
bool PagerCommands::reportLog(const ProductionResult& production, bool programmed) {
    switch (production.log) {
    case ProductionLogOutcome::NotOpened:
        context_.err << "km640-cli: cannot open the production log " << production.logPath << ": "
                     << production.logReason << "; the pager was not programmed.\n";
        return false;
    case ProductionLogOutcome::LineNotWritten:
        context_.err << "km640-cli: the pager was " << (programmed ? "written (" : "not programmed (")
                     << TrimmedText(production.run.text) << (programmed ? "), but" : "), and")
                     << " its line could not be written to the production log " << production.logPath << ": "
                     << production.logReason << "\n";
        return true;
    case ProductionLogOutcome::LineWritten:
    case ProductionLogOutcome::NoLine: break;
    }
    return false;
}

// One pager per line, as a barcode scanner (a keyboard) types the labels,
// until the end of the input; then how many were programmed.
ExitCode PagerCommands::productionFromStdin() {
    RunTally tally;
    // Once a stop signal came in, the pager under way is finished and no
    // further label is read: the run ends as at the end of the input.
    ScannedLines lines(context_.in, catchingSignals_ ? context_.inFd : -1,
                       catchingSignals_ ? StopSignals::wakeFd() : -1);
    const auto prompt = [&] { context_.err << "Scan the next serial number (Ctrl-D ends): " << std::flush; };
    for (prompt(); !stopSignalled(); prompt()) {
        const auto serial = lines.nextSerial(context_.err);
        if (!serial) break;
        tally.add(*serial, producePager(*serial, true));
    }
    context_.err << "\n";
    tally.print(context_.out);
    return tally.exitCode();
}

}  // namespace km640::cli
