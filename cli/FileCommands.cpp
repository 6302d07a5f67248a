#include "cli/FileCommands.h"

#include "cli/ExitCode.h"
#include "cli/TerminalMessages.h"
#include "cli/TerminalText.h"
#include "codeplug/CodePlugFile.h"
#include "fieldtext/CodePlugCheck.h"
#include "fieldtext/CodePlugDiff.h"
#include "fieldtext/CodePlugDump.h"
#include "fieldtext/CodePlugSource.h"
#include "fieldtext/MessageLine.h"
#include "settings/CodePlugNormalisation.h"

namespace km640::cli {

using namespace km640::fieldtext;

LoadedFile loadCodePlug(const std::string& path, std::ostream& err) {
    LoadedFile out;
    const LoadedCodePlug read = loadCodePlugFile(path);
    out.fromText = read.fromText;
    switch (read.status) {
    case LoadedCodePlug::Status::Ok: out.image = read.image; break;
    case LoadedCodePlug::Status::TooShort:
        err << "km640-cli: " << path << " is no code-plug: " << read.reason << "\n";
        break;
    case LoadedCodePlug::Status::NotAFile: err << "km640-cli: " << path << " " << read.reason << "\n"; break;
    case LoadedCodePlug::Status::IoError: err << "km640-cli: cannot read " << path << ": " << read.reason << "\n"; break;
    case LoadedCodePlug::Status::BadText: err << "km640-cli: " << path << " is " << terminalText(read.reason) << "\n"; break;
    case LoadedCodePlug::Status::Refused:
        printRefusals(path, read.refusals, err);
        err << "km640-cli: " << path << ": " << read.refusals.size()
            << " problem(s) in the code-plug text; nothing was done.\n";
        out.failure = ExitCode::Refused;
        break;
    }
    return out;
}

LoadedFile loadCodePlugForPager(const std::string& path, std::ostream& err) {
    LoadedFile file = loadCodePlug(path, err);
    if (!file) return file;
    CodePlugImage& image = *file.image;
    if (!HasModelName(image.bytes())) {
        err << "km640-cli: " << path << ": " << kNotACodePlugMessage << "\n";
        file.image.reset();
        return file;
    }
    for (const std::string& message : takeAsOpened(image)) err << "km640-cli: " << path << ": " << message << "\n";
    return file;
}

bool saveFileKeepingBackup(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                           const std::filesystem::path& backupFolder, std::ostream& out, std::ostream& err) {
    const auto saved = WriteFileKeepingBackup(path, bytes, backupFolder);
    switch (saved.status) {
    case CodePlugFileWrite::Status::Ok:
        if (!saved.backup.empty())
            out << "Kept the previous " << path.string() << " as " << saved.backup.string() << "\n";
        return true;
    case CodePlugFileWrite::Status::NotAFile:
        err << "km640-cli: " << path.string() << " " << saved.reason << "; nothing was saved there.\n";
        return false;
    case CodePlugFileWrite::Status::IoError: break;
    }
    err << "km640-cli: cannot write " << path.string() << ": " << saved.reason << "\n";
    return false;
}

void printRefusals(const std::string& source, const std::vector<FieldRefusal>& refusals, std::ostream& err) {
    for (const FieldRefusal& refusal : refusals)
        // The value comes from the file as it was written: no control byte of
        // it reaches the terminal.
        err << "km640-cli: " << source << ": " << terminalText(refusalLine(refusal)) << "\n";
}

int runDump(const CliArguments& arguments, std::ostream& out, std::ostream& err) {
    const auto image = loadCodePlug(arguments.files.at(0), err);
    if (!image) return toInt(image.failure);
    out << (arguments.json ? dumpJson(*image) : dumpText(*image));
    return toInt(ExitCode::Success);
}

int printDifferences(const CodePlugImage& a, const CodePlugImage& b, const std::string& nameA,
                     const std::string& nameB, const CliArguments& arguments, std::ostream& out) {
    const auto differences = diffCodePlugs(a, b);
    out << (arguments.json ? diffJson(differences, nameA, nameB)
                           : diffText(differences, nameA, nameB, arguments.labels));
    return toInt(differences.empty() ? ExitCode::Success : ExitCode::Differences);
}

int runDiffFiles(const CliArguments& arguments, std::ostream& out, std::ostream& err) {
    const auto a = loadCodePlug(arguments.files.at(0), err);
    const auto b = a ? loadCodePlug(arguments.files.at(1), err) : LoadedFile{};
    if (!a) return toInt(a.failure);
    if (!b) return toInt(b.failure);
    return printDifferences(*a, *b, arguments.files[0], arguments.files[1], arguments, out);
}

int runCheck(const CliArguments& arguments, std::ostream& out, std::ostream& err) {
    const auto image = loadCodePlug(arguments.files.at(0), err);
    if (!image) return toInt(image.failure);
    const auto findings = checkCodePlug(*image);
    out << checkText(findings);
    return toInt(findings.empty() ? ExitCode::Success : ExitCode::Differences);
}

}  // namespace km640::cli
