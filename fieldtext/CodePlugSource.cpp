#include "fieldtext/CodePlugSource.h"

#include <algorithm>

#include "platform/RegularFile.h"
#include "settings/CodePlugNormalisation.h"

namespace km640::fieldtext {

LoadedCodePlug loadCodePlugFile(const std::filesystem::path& path) {
    return loadCodePlugFileOnto(path, ProgrammedDefaultImage());
}

LoadedCodePlug loadCodePlugFileOnto(const std::filesystem::path& path, const CodePlugImage& base) {
    LoadedCodePlug out;
    const WholeFile file = ReadWholeRegularFile(path, kMaxCodePlugTextBytes);
    if (!file.ok()) {
        out.status = file.notAFile ? LoadedCodePlug::Status::NotAFile : LoadedCodePlug::Status::IoError;
        out.reason = file.reason;
        return out;
    }
    const std::string& content = file.bytes;

    if (content.size() <= kMaxCodePlugTextBytes && isCodePlugText(content)) {
        out.fromText = true;
        TextImport imported = importCodePlugText(content, base);
        if (!imported.error.empty()) {
            out.status = LoadedCodePlug::Status::BadText;
            out.reason = imported.error;
            return out;
        }
        if (!imported.refusals.empty()) {
            out.status = LoadedCodePlug::Status::Refused;
            out.refusals = std::move(imported.refusals);
            out.reason = std::to_string(out.refusals.size()) + " value(s) the window refuses";
            return out;
        }
        out.image = imported.image;
        out.messages = std::move(imported.messages);
        out.status = LoadedCodePlug::Status::Ok;
        return out;
    }
    // Not code-plug text, though it starts like JSON: say why it cannot be read as such.
    if (const auto first = content.find_first_not_of(" \t\r\n"); first != std::string::npos && content[first] == '{' &&
                                                                  content.size() < kImageSize) {
        const TextImport imported = importCodePlugText(content, base);
        out.status = LoadedCodePlug::Status::BadText;
        out.reason = imported.error.empty() ? "not KM640 code-plug text" : imported.error;
        return out;
    }
    if (content.size() < kImageSize) {
        out.status = LoadedCodePlug::Status::TooShort;
        out.reason = "the file holds " + std::to_string(content.size()) + " bytes, a code-plug has 2048";
        return out;
    }
    std::copy_n(content.begin(), kImageSize, out.image.bytes().begin());
    out.status = LoadedCodePlug::Status::Ok;
    return out;
}

}  // namespace km640::fieldtext
