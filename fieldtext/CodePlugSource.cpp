#include "fieldtext/CodePlugSource.h"

#include <algorithm>
#include <array>

#include "fieldtext/MessageLine.h"
#include "platform/RegularFile.h"
#include "settings/CodePlugNormalisation.h"

namespace km640::fieldtext {

namespace {

using namespace std::string_view_literals;

// The byte-order marks and the shapes of a JSON text's first character in the
// encodings a text editor may have saved it in.
struct Encoding {
    std::string_view start;
    const char* name;
};
constexpr std::array<Encoding, 8> kOtherEncodings = {{
    {"\xFF\xFE\0\0"sv, "UTF-32"},
    {"\0\0\xFE\xFF"sv, "UTF-32"},
    {"\xFF\xFE"sv, "UTF-16"},
    {"\xFE\xFF"sv, "UTF-16"},
    {"{\0\0\0"sv, "UTF-32"},
    {"\0\0\0{"sv, "UTF-32"},
    {"{\0"sv, "UTF-16"},
    {"\0{"sv, "UTF-16"},
}};

LoadedCodePlug failed(LoadedCodePlug::Status status, std::string reason) {
    LoadedCodePlug out;
    out.status = status;
    out.reason = std::move(reason);
    return out;
}

}  // namespace

FileKind codePlugFileKind(std::string_view bytes) {
    // An image holds the model name where a text would hold anything: such
    // a file is an image, whatever its first bytes are.
    const auto* first = reinterpret_cast<const std::uint8_t*>(bytes.data());
    if (HasModelName(std::span(first, bytes.size()))) return {CodePlugFileKind::Image, {}};
    for (const Encoding& encoding : kOtherEncodings)
        if (bytes.starts_with(encoding.start)) return {CodePlugFileKind::OtherEncoding, encoding.name};
    std::size_t start = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    start = bytes.find_first_not_of(" \t\r\n", start);
    if (start != std::string_view::npos && bytes[start] == '{') return {CodePlugFileKind::Text, {}};
    return {CodePlugFileKind::Image, {}};
}

LoadedCodePlug loadCodePlugFile(const std::filesystem::path& path) {
    return loadCodePlugFileOnto(path, ProgrammedDefaultImage());
}

LoadedCodePlug loadCodePlugFileOnto(const std::filesystem::path& path, const CodePlugImage& base) {
    const WholeFile file = ReadWholeRegularFile(path, kMaxCodePlugTextBytes);
    if (!file.ok())
        return failed(file.notAFile ? LoadedCodePlug::Status::NotAFile : LoadedCodePlug::Status::IoError, file.reason);
    return loadCodePlugBytes(file.bytes, base, file.larger);
}

LoadedCodePlug loadCodePlugBytes(std::string_view content, const CodePlugImage& base, bool larger) {
    const FileKind kind = codePlugFileKind(content);
    if (kind.kind == CodePlugFileKind::OtherEncoding) {
        LoadedCodePlug out = failed(LoadedCodePlug::Status::BadText,
                                    "text in " + kind.encoding + ", which this program does not read: save it as UTF-8");
        out.fromText = true;
        return out;
    }
    if (kind.kind == CodePlugFileKind::Text) {
        LoadedCodePlug out;
        out.fromText = true;
        if (larger || content.size() > kMaxCodePlugTextBytes) {
            out.status = LoadedCodePlug::Status::BadText;
            out.reason = "code-plug text larger than " + std::to_string(kMaxCodePlugTextBytes / (1024 * 1024)) +
                         " MiB, far more than any code-plug needs";
            return out;
        }
        TextImport imported = importCodePlugText(content, base);
        if (!imported.error.empty()) {
            out.status = LoadedCodePlug::Status::BadText;
            out.reason = imported.error;
            return out;
        }
        if (!imported.refusals.empty()) {
            out.status = LoadedCodePlug::Status::Refused;
            out.refusals = std::move(imported.refusals);
            out.reason = std::to_string(out.refusals.size()) + " problem(s) in the code-plug text";
            return out;
        }
        out.image = imported.image;
        out.messages = std::move(imported.messages);
        out.status = LoadedCodePlug::Status::Ok;
        return out;
    }
    if (content.size() < kImageSize)
        return failed(LoadedCodePlug::Status::TooShort,
                      "the file holds " + std::to_string(content.size()) + " bytes, a code-plug has 2048");
    LoadedCodePlug out;
    std::copy_n(content.begin(), kImageSize, out.image.bytes().begin());
    out.status = LoadedCodePlug::Status::Ok;
    return out;
}

std::string refusedTextHeading(const LoadedCodePlug& loaded, const std::string& name) {
    return "\"" + name + "\" was not opened: " +
           (loaded.refusals.size() == 1 ? std::string("this problem") : "these problems") +
           " of the code-plug text (values with the window's own message):";
}

std::optional<std::string> openingRefusal(const LoadedCodePlug& loaded, const std::string& name) {
    using Status = LoadedCodePlug::Status;
    // A code-plug text names its problems, each with its place; the file
    // opens only without any.
    if (loaded.status == Status::Refused) {
        std::string text = refusedTextHeading(loaded, name);
        for (const auto& refusal : loaded.refusals) text += "\n" + refusalLine(refusal);
        return text;
    }
    if (loaded.status == Status::BadText) return "\"" + name + "\" was not opened: it is " + loaded.reason + ".";
    if (!loaded.ok()) return std::string(kFileErrorMessage);
    if (!HasModelName(loaded.image.bytes())) return std::string(kNotACodePlugMessage);
    return std::nullopt;
}

std::vector<std::string> takeAsOpened(CodePlugImage& image) {
    std::vector<std::string> messages;
    for (const RefreshMessage& message : PrepareForPager(image).messages) messages.push_back(messageLine(message.text));
    return messages;
}

}  // namespace km640::fieldtext
