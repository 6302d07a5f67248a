#include "cli/PagerCommands.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "cli/FileCommands.h"
#include "cli/RecordCommands.h"
#include "codeplug/CodePlugFile.h"
#include "fieldtext/BackupName.h"
#include "fieldtext/CodePlugDiff.h"
#include "fieldtext/FieldValue.h"
#include "link/ECommError.h"
#include "link/OpenSelectedPort.h"
#include "link/PortDiscovery.h"
#include "pager/PagerClock.h"
#include "pager/ProductionLog.h"
#include "pager/WriteStamps.h"
#include "platform/RegularFile.h"
#include "record/CodePlugFingerprint.h"
#include "record/RecordListing.h"
#include "record/RunTime.h"

namespace km640::cli {

using namespace km640::fieldtext;

namespace fs = std::filesystem;

namespace {

// Where WriteCodePlugFile keeps the previous file of that name.
fs::path folderOf(const fs::path& file) { return file.has_parent_path() ? file.parent_path() : fs::path("."); }

bool saveCodePlug(const fs::path& path, const CodePlugImage& image, const fs::path& backupFolder, std::ostream& out,
                  std::ostream& err) {
    return saveFileKeepingBackup(path, image.bytes(), backupFolder, out, err);
}

}  // namespace

int runPorts(CliContext& context) {
    const auto records = context.devices.devices();
    for (const auto& port : DiscoverPorts(records)) {
        context.out << port;
        for (const auto& record : records)
            if (record.portName == port && !record.description.empty()) {
                context.out << "  " << record.description;
                break;
            }
        context.out << "\n";
    }
    return toInt(ExitCode::Success);
}

ExitCode exitCodeOf(Outcome outcome) {
    switch (outcome) {
    case Outcome::Success: return ExitCode::Success;
    case Outcome::BoardNotResponding: return ExitCode::NoBoard;
    case Outcome::IdentificationFail:
    case Outcome::SerialChecksumError:
    case Outcome::ReadFail:
    case Outcome::ChecksumError: return ExitCode::ReadFail;
    case Outcome::WriteFail: return ExitCode::WriteFail;
    case Outcome::VerifyFail: return ExitCode::VerifyFail;
    case Outcome::LogError: return ExitCode::LogNotOpened;
    case Outcome::Busy:
    case Outcome::PortError: break;
    }
    return ExitCode::PortError;
}

PagerCommands::PagerCommands(const CliArguments& arguments, CliContext& context)
    : arguments_(arguments),
      context_(context),
      view_(context.err, context.errIsTerminal && !arguments.quiet, !arguments.noClock),
      messages_(context.err, view_),
      image_(DefaultImage()),
      operations_(image_, port_, view_, messages_, context.clock, "KM640") {
    operations_.setPortList({arguments.port});
    view_.selectPortIndex(0);
}

int PagerCommands::run() {
    if (const auto problem = portProblem()) return toInt(*problem);
    ExitCode code = ExitCode::Success;
    switch (arguments_.command) {
    case Command::Info: code = info(); break;
    case Command::Read: code = read(); break;
    case Command::Write: code = write(); break;
    case Command::Verify: code = verify(); break;
    case Command::SyncTime: code = syncTime(); break;
    case Command::Production: code = production(); break;
    case Command::Diff: code = diffWithPager(); break;
    case Command::Help:
    case Command::Version:
    case Command::Ports:
    case Command::Records:
    case Command::Dump:
    case Command::Check:
    case Command::Set:
    case Command::Export:
    case Command::Import: break;
    }
    ClosePortQuietly(port_);
    view_.clearLine();
    return toInt(code);
}

void PagerCommands::reportPortProblem(int systemError) {
    view_.clearLine();
    const auto diagnosis = diagnosePort(arguments_.port, systemError, context_.portSystem);
    context_.err << "km640-cli: " << diagnosis.text << "\n";
}

// The operations report a port that cannot be opened only as a board that
// does not answer; the port is tried first so the user learns why.
std::optional<ExitCode> PagerCommands::portProblem() {
    try {
        port_.OpenAt(kBoardBaudRate, arguments_.port, kBoardLineFormat);
        port_.ClosePort();
        return std::nullopt;
    } catch (const ECommError& error) {
        ClosePortQuietly(port_);
        // The error number is whatever the system said last while Qt opened
        // the port and handled its lock file, so only a busy device is taken
        // from it; permission and holders are looked up afresh.
        const bool busy = error.code() == commerror::kOpen && error.platformError() == EBUSY;
        reportPortProblem(busy ? EBUSY : 0);
        return ExitCode::PortError;
    }
}

ExitCode PagerCommands::finish(const OperationResult& result, bool printOutcome) {
    view_.clearLine();
    if (result.outcome == Outcome::BoardNotResponding && messages_.portOpenFailed()) {
        // The port went away or was taken between the check and the operation.
        reportPortProblem(0);
        return ExitCode::PortError;
    }
    const std::string text = TrimmedText(result.text);
    if (printOutcome && !text.empty() && !messages_.lastShown(result.text)) context_.out << text << "\n";
    if (result.outcome == Outcome::BoardNotResponding) {
        const std::string note = otherHoldersNote(portDevicePath(arguments_.port), context_.portSystem);
        if (!note.empty()) context_.err << "km640-cli: " << note << "\n";
    }
    return exitCodeOf(result.outcome);
}

ExitCode PagerCommands::info() {
    PagerIdentity identity;
    const OperationResult result = operations_.Identify(identity);
    view_.clearLine();
    auto& out = context_.out;
    out << "Port: " << portDevicePath(arguments_.port) << "\n";
    if (identity.firmware) out << view_.firmwareText() << "\n";
    // The serial number comes from the pager as it is: control bytes in it
    // must not reach the terminal.
    if (identity.serialNo)
        out << "Serial No.: " << (identity.serialNo->empty() ? "(none)" : escapedText(*identity.serialNo)) << "\n";
    if (identity.identificationBlock) {
        const auto& block = *identity.identificationBlock;
        const std::string model(block.begin(), block.begin() + ident::kModelTextLength);
        out << "Model text: " << quotedText(displayText(model)) << "\n";
        out << "Software version: " << CodePlugVersion(block[14], block[15])
            << (CodePlugIsOld(block[14], block[15]) ? " (old: a write sets the battery levels afresh)" : "") << "\n";
    }
    if (result.ok()) return ExitCode::Success;
    return finish(result);
}

ExitCode PagerCommands::read() {
    // A directory or a pipe under the name is refused before the pager is read.
    if (const std::string why = NotRegularFileReason(arguments_.output); !why.empty()) {
        context_.err << "km640-cli: " << arguments_.output << " " << why << "; the pager was not read.\n";
        return ExitCode::BadFile;
    }
    const OperationResult result = operations_.Read();
    const ExitCode code = finish(result);
    if (!result.ok()) return code;
    if (!saveCodePlug(arguments_.output, image_, folderOf(arguments_.output), context_.out, context_.err))
        return ExitCode::BadFile;
    return code;
}

std::optional<ExitCode> PagerCommands::saveBackup() {
    CodePlugImage memory;
    const OperationResult result = operations_.ReadMemory(memory);
    if (!result.ok()) {
        const ExitCode code = finish(result);
        context_.err << "km640-cli: the pager could not be backed up; nothing was written.\n";
        return code;
    }
    const fs::path folder = arguments_.backupDir;
    std::error_code ec;
    fs::create_directories(folder, ec);
    const fs::path path = folder / backupFileName(context_.clock.now(), memory);
    if (!saveCodePlug(path, memory, folder, context_.out, context_.err)) {
        context_.err << "km640-cli: the pager could not be backed up; nothing was written.\n";
        return ExitCode::BadFile;
    }
    context_.out << "Backup: " << path.string() << "\n";
    return std::nullopt;
}

ExitCode PagerCommands::write() {
    const auto file = loadCodePlugForPager(arguments_.files.at(0), context_.err);
    if (!file) return file.failure;
    if (!arguments_.backupDir.empty())
        if (const auto failed = saveBackup()) return *failed;
    image_ = *file;
    return finish(operations_.Write());
}

// Does the pager hold what writing the file put there? The pager's memory is
// read whole, and the file taken as a write sends it, with what the write
// takes from the pager or stamps at the time of writing (clock, version,
// board data and serial number) as the pager holds them.
std::optional<ExitCode> PagerCommands::readFileAndPager(CodePlugImage& written, CodePlugImage& memory) {
    const auto file = loadCodePlugForPager(arguments_.files.at(0), context_.err);
    if (!file) return file.failure;
    const OperationResult result = operations_.ReadMemory(memory);
    if (!result.ok()) return finish(result);
    view_.clearLine();
    written = AsWrittenTo(*file, memory);
    if (AssumesLegacyBatteryLevels(*file, memory))
        context_.err << "km640-cli: note: the pager holds the battery levels a write sets on a pager last written "
                        "by a program before version 117 (0x95 0xA0 0xA6), not those of "
                     << arguments_.files[0] << "; they are taken as set by that write.\n";
    return std::nullopt;
}

ExitCode PagerCommands::verify() {
    CodePlugImage written, memory;
    if (const auto failed = readFileAndPager(written, memory)) return *failed;
    const auto differences = diffCodePlugs(written, memory);
    if (differences.empty()) {
        context_.out << "Verify Success !\n";
        return ExitCode::Success;
    }
    context_.out << diffText(differences, arguments_.files[0], portDevicePath(arguments_.port)) << "Verify Fail !\n";
    return ExitCode::VerifyFail;
}

ExitCode PagerCommands::syncTime() {
    const LocalDateTime now = context_.clock.now();
    const OperationResult result = operations_.SyncTime(ClockString(now));
    const ExitCode code = finish(result);
    if (result.ok()) {
        char when[64];
        std::snprintf(when, sizeof when, "%04d/%02d/%02d %02d:%02d:%02d", now.year, now.month, now.day, now.hour,
                      now.minute, now.second);
        context_.out << "Pager clock set to " << when << "\n";
    }
    return code;
}

// Every run is recorded; without a record to write to, no pager is
// programmed, as without the day's log.
ExitCode PagerCommands::production() {
    const auto file = loadCodePlugForPager(arguments_.files.at(0), context_.err);
    if (!file) return file.failure;
    const RecordUrlParse choice = chosenRecord(arguments_, context_);
    ProductionRecord record;
    if (!choice.error.empty() || !record.open(choice.location)) {
        context_.err << "km640-cli: " << (choice.error.empty() ? record.error() : choice.error)
                     << "; no pager was programmed.\n";
        return ExitCode::LogNotOpened;
    }
    SystemRecordClock machineClock;
    ProductionRun run(operations_, record, context_.recordClock ? *context_.recordClock : machineClock);
    std::error_code ec;
    const fs::path filePath = fs::absolute(arguments_.files[0], ec);
    const RunDescription description{arguments_.station.empty() ? context_.hostName : arguments_.station,
                                     portDevicePath(arguments_.port), ec ? arguments_.files[0] : filePath.string(),
                                     CodePlugSha256(*file)};
    if (arguments_.serialFromStdin) return productionFromStdin(run, *file, description);
    return producePager(run, arguments_.serial, *file, description, false).code;
}

PagerCommands::PagerProduced PagerCommands::producePager(ProductionRun& run, const std::string& serial, const CodePlugImage& codePlug,
                                     const RunDescription& description, bool scanned) {
    image_ = codePlug;
    const ProductionReport report =
        run.run(serial, arguments_.logDir, description, arguments_.allowRepeat ? RepeatPolicy::Allow : RepeatPolicy::Refuse);
    view_.clearLine();
    std::string outcome = report.outcome;
    ExitCode code = ExitCode::Success;
    switch (report.kind) {
    case ProductionReport::Kind::RecordUnavailable:
        context_.err << "km640-cli: " << report.recordError << "; " << serial << " was not programmed.\n";
        outcome = "Not programmed: no production record";
        code = ExitCode::LogNotOpened;
        break;
    case ProductionReport::Kind::Refused:
        context_.err << "km640-cli: " << EarlierRunText(serial, *report.earlier)
                     << "; not programmed again (--allow-repeat programs it anyway).\n";
        outcome = kRefusedOutcome;
        code = ExitCode::RepeatRefused;
        break;
    case ProductionReport::Kind::Finished:
        code = finish(report.production.run, !scanned);
        if (report.earlier && report.programmed) outcome += " (repeat)";
        if (const auto logCode = reportLog(report.production)) code = *logCode;
        if (report.recordLost()) {
            context_.err << "km640-cli: " << serial << ": " << report.outcome
                         << ", but the run could not be written into the production record: " << report.recordError
                         << "\n";
            if (code != ExitCode::LogLineLost) code = ExitCode::RecordLost;
        }
        break;
    }
    if (scanned) {
        context_.out << ShownLocalText(report.startedLocal.substr(0, 19)) << "  " << serial << "  " << outcome;
        if (report.kind == ProductionReport::Kind::Finished) context_.out << "  " << DurationText(report.durationMs);
        context_.out << std::endl;
    }
    return {code, report.programmed};
}

// What the day's log said, when it was not the line as usual; its exit
// code when it matters more than the write's own.
std::optional<ExitCode> PagerCommands::reportLog(const ProductionResult& production) {
    switch (production.log) {
    case ProductionLogOutcome::NotOpened:
        context_.err << "km640-cli: cannot open the production log " << production.logPath << ": "
                     << production.logReason << "; the pager was not programmed.\n";
        return std::nullopt;
    case ProductionLogOutcome::LineNotWritten:
        // The pager was written: a script must not simply program it again.
        context_.err << "km640-cli: the pager was written (" << TrimmedText(production.run.text)
                     << "), but its line could not be written to the production log " << production.logPath << ": "
                     << production.logReason << "\n";
        return ExitCode::LogLineLost;
    case ProductionLogOutcome::LineWritten:
    case ProductionLogOutcome::NoLine: break;
    }
    return std::nullopt;
}

// One pager per line, as a barcode scanner (a keyboard) types the labels,
// until the end of the input; then how many were programmed.
ExitCode PagerCommands::productionFromStdin(ProductionRun& run, const CodePlugImage& codePlug,
                                            const RunDescription& description) {
    int programmed = 0, failed = 0, refused = 0;
    std::optional<ExitCode> firstProblem;
    std::string line;
    const auto prompt = [&] { context_.err << "Scan the next serial number (Ctrl-D ends): " << std::flush; };
    for (prompt(); context_.in && std::getline(*context_.in, line); prompt()) {
        const std::string serial = TrimmedText(line);
        if (serial.empty()) continue;
        if (const std::string problem = scannedSerialProblem(serial); !problem.empty()) {
            context_.err << "km640-cli: \"" << serial << "\" is not read as a serial number: " << problem
                         << "; scan it again.\n";
            continue;
        }
        const auto [code, wasProgrammed] = producePager(run, serial, codePlug, description, true);
        (wasProgrammed ? programmed : code == ExitCode::RepeatRefused ? refused : failed)++;
        if (code != ExitCode::Success && !firstProblem) firstProblem = code;
    }
    context_.err << "\n";
    context_.out << "Programmed: " << programmed << "  Failed: " << failed << "  Refused: " << refused << std::endl;
    return firstProblem.value_or(ExitCode::Success);
}

// A failed verify explained field by field: the pager's memory is read as it
// is and compared with the code-plug the way verify compares.
ExitCode PagerCommands::diffWithPager() {
    CodePlugImage written, memory;
    if (const auto failed = readFileAndPager(written, memory)) return *failed;
    return static_cast<ExitCode>(printDifferences(written, memory, arguments_.files[0],
                                                  portDevicePath(arguments_.port), arguments_, context_.out));
}

}  // namespace km640::cli
