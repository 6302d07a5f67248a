#include "cli/FileCommands.h"

#include "cli/ExitCode.h"
#include "cli/TerminalMessages.h"
#include "codeplug/CodePlugFile.h"
#include "fieldtext/CodePlugCheck.h"
#include "fieldtext/CodePlugDiff.h"
#include "fieldtext/CodePlugDump.h"
#include "fieldtext/MessageLine.h"
#include "settings/CodePlugNormalisation.h"

namespace km640::cli {

using namespace km640::fieldtext;

std::optional<CodePlugImage> loadCodePlug(const std::string& path, std::ostream& err) {
    const auto read = ReadCodePlugFile(path);
    switch (read.status) {
    case CodePlugFileRead::Status::Ok: {
        CodePlugImage image;
        image.bytes() = read.bytes;
        return image;
    }
    case CodePlugFileRead::Status::TooShort:
        err << "km640-cli: " << path << " is no code-plug: " << read.reason << "\n";
        break;
    case CodePlugFileRead::Status::NotAFile:
        err << "km640-cli: " << path << " " << read.reason << "\n";
        break;
    case CodePlugFileRead::Status::IoError:
        err << "km640-cli: cannot read " << path << ": " << read.reason << "\n";
        break;
    }
    return std::nullopt;
}

std::optional<CodePlugImage> loadCodePlugForPager(const std::string& path, std::ostream& err) {
    auto image = loadCodePlug(path, err);
    if (!image) return std::nullopt;
    if (!HasModelName(image->bytes())) {
        err << "km640-cli: " << path << ": The file is not KM640 code-plug file.\n";
        return std::nullopt;
    }
    if (CodePlugIsOld(image->byte(ident::kVersionBcd), image->byte(ident::kVersionBcd + 1)))
        LegacyBatteryPatch(*image);
    for (const RefreshMessage& message : normaliseCodePlug(*image).messages)
        err << "km640-cli: " << path << ": " << messageLine(message.text) << "\n";
    StampVersion(*image);
    return image;
}

int runDump(const CliArguments& arguments, std::ostream& out, std::ostream& err) {
    const auto image = loadCodePlug(arguments.files.at(0), err);
    if (!image) return toInt(ExitCode::BadFile);
    out << (arguments.json ? dumpJson(*image) : dumpText(*image));
    return toInt(ExitCode::Success);
}

int printDifferences(const CodePlugImage& a, const CodePlugImage& b, const std::string& nameA,
                     const std::string& nameB, bool json, std::ostream& out) {
    const auto differences = diffCodePlugs(a, b);
    out << (json ? diffJson(differences, nameA, nameB) : diffText(differences, nameA, nameB));
    return toInt(differences.empty() ? ExitCode::Success : ExitCode::Differences);
}

int runDiffFiles(const CliArguments& arguments, std::ostream& out, std::ostream& err) {
    const auto a = loadCodePlug(arguments.files.at(0), err);
    const auto b = a ? loadCodePlug(arguments.files.at(1), err) : std::nullopt;
    if (!a || !b) return toInt(ExitCode::BadFile);
    return printDifferences(*a, *b, arguments.files[0], arguments.files[1], arguments.json, out);
}

int runCheck(const CliArguments& arguments, std::ostream& out, std::ostream& err) {
    const auto image = loadCodePlug(arguments.files.at(0), err);
    if (!image) return toInt(ExitCode::BadFile);
    const auto findings = checkCodePlug(*image);
    out << checkText(findings);
    return toInt(findings.empty() ? ExitCode::Success : ExitCode::Differences);
}

}  // namespace km640::cli
