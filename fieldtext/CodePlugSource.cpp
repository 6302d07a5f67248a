#include "fieldtext/CodePlugSource.h"

#include <algorithm>

#include "fieldtext/MessageLine.h"
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
    return loadCodePlugBytes(file.bytes, base);
}

LoadedCodePlug loadCodePlugBytes(std::string_view content, const CodePlugImage& base) {
    LoadedCodePlug out;
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

std::optional<std::string> openingRefusal(const LoadedCodePlug& loaded, const std::string& name) {
    using Status = LoadedCodePlug::Status;
    if (loaded.status == Status::Refused) {
        std::string text = "\"" + name + "\" was not opened: the window refuses " +
                           (loaded.refusals.size() == 1 ? std::string("this value") : "these values") +
                           " of the code-plug text:";
        for (const auto& refusal : loaded.refusals) text += "\n" + refusalLine(refusal);
        return text;
    }
    if (loaded.status == Status::BadText)
        return "\"" + name + "\" was not opened: it is no KM640 code-plug text (" + loaded.reason + ").";
    if (!loaded.ok()) return std::string(kFileErrorMessage);
    if (!HasModelName(loaded.image.bytes())) return std::string(kNotACodePlugMessage);
    return std::nullopt;
}

std::vector<std::string> takeAsOpened(CodePlugImage& image) {
    if (CodePlugIsOld(image.byte(ident::kVersionBcd), image.byte(ident::kVersionBcd + 1))) LegacyBatteryPatch(image);
    std::vector<std::string> messages;
    for (const RefreshMessage& message : normaliseCodePlug(image).messages) messages.push_back(messageLine(message.text));
    StampVersion(image);
    return messages;
}

}  // namespace km640::fieldtext
