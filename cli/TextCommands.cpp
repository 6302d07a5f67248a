#include "cli/TextCommands.h"

#include <span>
#include <vector>

#include "cli/ExitCode.h"
#include "cli/FileCommands.h"
#include "cli/TerminalText.h"
#include "codeplug/MemoryMap.h"
#include "fieldtext/CodePlugSource.h"
#include "fieldtext/CodePlugText.h"
#include "fieldtext/MessageLine.h"
#include "settings/CodePlugNormalisation.h"

namespace km640::cli {

using namespace km640::fieldtext;
namespace fs = std::filesystem;

namespace {

fs::path folderOf(const fs::path& file) { return file.has_parent_path() ? file.parent_path() : fs::path("."); }

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Stamped as the window's Save stamps a code-plug.
void stampAsSaved(CodePlugImage& image) {
    StampVersion(image);
    ImageChecksum(image);
}

// Saves the image as text or as the 2048 bytes of an image.
bool saveImage(const fs::path& path, const CodePlugImage& image, bool asText, std::ostream& out, std::ostream& err) {
    if (asText) return saveFileKeepingBackup(path, bytesOf(exportCodePlugText(image)), folderOf(path), out, err);
    return saveFileKeepingBackup(path, image.bytes(), folderOf(path), out, err);
}

bool isTextName(const std::string& path) { return fs::path(path).extension() == ".json"; }

}  // namespace

std::optional<std::string> malformedSetWord(std::span<const std::string> words) {
    for (const auto& word : words)
        if (const auto eq = word.find('='); eq == std::string::npos || eq == 0) return word;
    return std::nullopt;
}

std::size_t applySetWords(CodePlugImage& image, std::span<const std::string> words, const std::string& path,
                   std::ostream& err) {
    // The values are committed in a window that has just shown the file.
    const ShownBeforeRefresh shown = shownAfterShowing(image);
    std::vector<FieldRefusal> refusals;
    for (const auto& word : words) {
        const auto eq = word.find('=');
        const std::string name = word.substr(0, eq), value = word.substr(eq + 1);
        // A value given to a worked-out field would be replaced at once.
        if (const auto* field = memmap::findField(name); field && field->derived())
            refusals.push_back({name, value, std::string(kWorkedOutField) + "; set those instead", {}});
        else if (auto refusal = setFieldFromText(image, name, value))
            refusals.push_back(*refusal);
    }
    if (!refusals.empty()) {
        printRefusals(path, refusals, err);
        return refusals.size();
    }
    for (const RefreshMessage& message : normaliseCodePlug(image, shown).messages)
        err << "km640-cli: " << path << ": " << messageLine(message.text) << "\n";
    return 0;
}

int runSet(const CliArguments& arguments, std::ostream& out, std::ostream& err) {
    const std::string& path = arguments.files.at(0);
    const auto words = std::span(arguments.files).subspan(1);
    if (const auto bad = malformedSetWord(words)) {
        err << "km640-cli: set takes NAME=VALUE, not '" << *bad << "'\nTry \"km640-cli --help\".\n";
        return toInt(ExitCode::Usage);
    }
    LoadedFile file = loadCodePlugForPager(path, err);
    if (!file) return toInt(file.failure);
    CodePlugImage image = *file;
    if (const auto refused = applySetWords(image, words, path, err)) {
        err << "km640-cli: " << refused << " value(s) refused; nothing was saved.\n";
        return toInt(ExitCode::Refused);
    }
    stampAsSaved(image);
    const std::string target = arguments.output.empty() ? path : arguments.output;
    const bool asText = arguments.output.empty() ? file.fromText : isTextName(target);
    return toInt(saveImage(target, image, asText, out, err) ? ExitCode::Success : ExitCode::BadFile);
}

int runExport(const CliArguments& arguments, std::ostream& out, std::ostream& err) {
    const LoadedFile file = loadCodePlug(arguments.files.at(0), err);
    if (!file) return toInt(file.failure);
    const std::string text =
        exportCodePlugText(*file, arguments.lossless ? TextForm::Lossless : TextForm::Template);
    if (arguments.output.empty()) {
        out << text;
        return toInt(ExitCode::Success);
    }
    return toInt(saveFileKeepingBackup(arguments.output, bytesOf(text), folderOf(arguments.output), out, err)
                     ? ExitCode::Success
                     : ExitCode::BadFile);
}

int runImport(const CliArguments& arguments, std::ostream& out, std::ostream& err) {
    const std::string& path = arguments.files.at(0);
    CodePlugImage base = ProgrammedDefaultImage();
    if (!arguments.base.empty()) {
        const LoadedFile loaded = loadCodePlug(arguments.base, err);
        if (!loaded) return toInt(loaded.failure);
        base = *loaded;
    }
    const LoadedCodePlug read = loadCodePlugFileOnto(path, base);
    if (!read.fromText && read.status == LoadedCodePlug::Status::Ok) {
        err << "km640-cli: " << path << " is no code-plug text (a JSON object with \"format\": \""
            << kTextFormatName << "\")\n";
        return toInt(ExitCode::BadFile);
    }
    switch (read.status) {
    case LoadedCodePlug::Status::Ok: break;
    case LoadedCodePlug::Status::Refused:
        printRefusals(path, read.refusals, err);
        err << "km640-cli: " << read.refusals.size() << " problem(s) in the code-plug text; nothing was saved.\n";
        return toInt(ExitCode::Refused);
    case LoadedCodePlug::Status::BadText:
        err << "km640-cli: " << path << " is " << terminalText(read.reason) << "\n";
        return toInt(ExitCode::BadFile);
    case LoadedCodePlug::Status::NotAFile: err << "km640-cli: " << path << " " << read.reason << "\n"; return toInt(ExitCode::BadFile);
    case LoadedCodePlug::Status::IoError:
    case LoadedCodePlug::Status::TooShort:
        err << "km640-cli: cannot read " << path << " as code-plug text: " << read.reason << "\n";
        return toInt(ExitCode::BadFile);
    }
    for (const std::string& message : read.messages) err << "km640-cli: " << path << ": " << message << "\n";
    CodePlugImage image = read.image;
    stampAsSaved(image);
    return toInt(saveImage(arguments.output, image, isTextName(arguments.output), out, err) ? ExitCode::Success
                                                                                           : ExitCode::BadFile);
}

}  // namespace km640::cli
