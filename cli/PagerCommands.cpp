#include "cli/PagerCommands.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "cli/BoardSearch.h"
#include "cli/FileCommands.h"
#include "cli/RecordCommands.h"
#include "cli/RosterCommands.h"
#include "cli/TextCommands.h"
#include "cli/RunExitCode.h"
#include "cli/ScannedLines.h"
#include "cli/StopSignals.h"
#include "cli/TerminalText.h"
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
    case Outcome::Interrupted: return ExitCode::Interrupted;
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
      operations_(image_, port_, view_, messages_, context.clock, "KM640"),
      portName_(arguments.port) {
    operations_.setPortList({portName_});
    view_.selectPortIndex(0);
}

int PagerCommands::run() {
    // A first signal lets the pager under way finish; a second stops the
    // transfer between two block exchanges.
    if (context_.catchStopSignals && StopSignals::install()) {
        catchingSignals_ = true;
        operations_.setStopRequest([] { return StopSignals::received() >= 2; });
    }
    if (portName_.empty()) {
        if (const auto problem = chooseBoard()) return toInt(*problem);
    }
    // Each board of a line is checked by its own station (ProductionLine):
    // one that cannot be opened is left out while the others go on.
    if (arguments_.ports.size() <= 1) {
        if (const auto problem = portProblem()) return toInt(*problem);
    }
    if (stopSignalled()) return toInt(stoppedBeforeStart());
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
    case Command::Import:
    case Command::Roster: break;
    }
    ClosePortQuietly(port_);
    view_.clearLine();
    if (stopSignalled() && code != ExitCode::Interrupted) {
        context_.err << "km640-cli: stopped by a signal; "
                     << (arguments_.serialFromStdin ? "no further label was read.\n"
                                                    : "the operation under way was finished first.\n");
    } else if (stopSignalled() && !stoppedBeforeStart_) {
        context_.err << "km640-cli: stopped by a second signal after the block being exchanged; "
                     << (arguments_.command == Command::Read ? "nothing was saved.\n"
                         : arguments_.command == Command::Write || arguments_.command == Command::Production
                             ? "the pager is not written whole: write it again.\n"
                             : "the pager was not compared whole.\n");
    }
    return toInt(code);
}

// Without --port the one board found is used, as the window finds one at
// start-up; with none or several the user is asked for --port.
std::optional<ExitCode> PagerCommands::chooseBoard() {
    const BoardSearch search = searchBoards(context_.devices, context_.clock);
    if (const std::string problem = boardSearchProblem(search); !problem.empty()) {
        context_.err << "km640-cli: " << terminalText(problem) << ".\n";
        return search.answering.empty() ? ExitCode::NoBoard : ExitCode::Usage;
    }
    portName_ = search.answering.front();
    operations_.setPortList({portName_});
    context_.err << "km640-cli: the programmer board on " << terminalText(portDevicePath(portName_)) << "\n";
    return std::nullopt;
}

bool PagerCommands::stopSignalled() const { return catchingSignals_ && StopSignals::received() > 0; }

ExitCode PagerCommands::stoppedBeforeStart() {
    stoppedBeforeStart_ = true;
    context_.err << "km640-cli: stopped by a signal before anything was sent to the board.\n";
    return ExitCode::Interrupted;
}

void PagerCommands::reportPortProblem(int systemError) {
    view_.clearLine();
    const auto diagnosis = diagnosePort(portName_, systemError, context_.portSystem);
    context_.err << "km640-cli: " << diagnosis.text << "\n";
}

// The operations report a port that cannot be opened only as a board that
// does not answer; the port is tried first so the user learns why.
std::optional<ExitCode> PagerCommands::portProblem() {
    try {
        port_.OpenAt(kBoardBaudRate, portName_, kBoardLineFormat);
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
        const std::string note = otherHoldersNote(portDevicePath(portName_), context_.portSystem);
        if (!note.empty()) context_.err << "km640-cli: " << note << "\n";
    }
    return exitCodeOf(result.outcome);
}

ExitCode PagerCommands::info() {
    PagerIdentity identity;
    const OperationResult result = operations_.Identify(identity);
    view_.clearLine();
    auto& out = context_.out;
    out << "Port: " << portDevicePath(portName_) << "\n";
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
    operations_.setBackupPath(path.string());
    return std::nullopt;
}

ExitCode PagerCommands::write() {
    const auto file = loadCodePlugForPager(arguments_.files.at(0), context_.err);
    if (!file) return file.failure;
    // --set changes a few values for this pager only; FILE stays as it is.
    CodePlugImage image = *file;
    if (const auto bad = malformedSetWord(arguments_.setValues)) {
        context_.err << "km640-cli: --set takes NAME=VALUE, not '" << *bad << "'\nTry \"km640-cli --help\".\n";
        return ExitCode::Usage;
    }
    if (!arguments_.setValues.empty()) {
        if (const auto refused = applySetWords(image, arguments_.setValues, arguments_.files[0], context_.err)) {
            context_.err << "km640-cli: " << refused << " value(s) refused; nothing was sent to the pager.\n";
            return ExitCode::Refused;
        }
    }
    if (!arguments_.backupDir.empty()) {
        if (const auto failed = saveBackup()) return *failed;
        // The backup is saved; the write has not begun.
        if (stopSignalled()) return stoppedBeforeStart();
    }
    image_ = image;
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
    context_.out << diffText(differences, arguments_.files[0], portDevicePath(portName_)) << "Verify Fail !\n";
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

// A failed verify explained field by field: the pager's memory is read as it
// is and compared with the code-plug the way verify compares.
ExitCode PagerCommands::diffWithPager() {
    CodePlugImage written, memory;
    if (const auto failed = readFileAndPager(written, memory)) return *failed;
    return static_cast<ExitCode>(printDifferences(written, memory, arguments_.files[0],
                                                  portDevicePath(portName_), arguments_, context_.out));
}

}  // namespace km640::cli
