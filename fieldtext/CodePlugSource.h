#pragma once
// Reading a code-plug from a file by its content: the 2048 bytes of a "*.tbl"
// image, or the code-plug text (JSON with the format field) built onto the
// built-in code-plug as a window holds it (with its model text, normalised).
// The command line's write, verify and production and the window's Open take
// files through here.

#include <filesystem>
#include <optional>
#include <string_view>
#include <string>
#include <vector>

#include "codeplug/CodePlugImage.h"
#include "fieldtext/CodePlugText.h"

namespace km640::fieldtext {

struct LoadedCodePlug {
    enum class Status {
        Ok,
        IoError,   // cannot be opened or read
        NotAFile,  // a directory, a named pipe, a device ...
        TooShort,  // neither code-plug text nor 2048 bytes
        BadText,   // code-plug text that cannot be read (bad JSON, newer format): see reason
        Refused,   // code-plug text with values the window refuses: see refusals
    };
    Status status = Status::IoError;
    bool fromText = false;  // the file held code-plug text
    CodePlugImage image;    // when Ok; a text is already normalised
    std::string reason;     // what went wrong, one line
    std::vector<FieldRefusal> refusals;
    std::vector<std::string> messages;  // a text's: what normalising it shows, one line each
    bool ok() const { return status == Status::Ok; }
};

// The largest code-plug text read; a bigger file is no code-plug.
constexpr std::size_t kMaxCodePlugTextBytes = 4 * 1024 * 1024;

LoadedCodePlug loadCodePlugFile(const std::filesystem::path& path);
// The same with a code-plug text built onto base: the fields the text leaves
// out keep base's values.
LoadedCodePlug loadCodePlugFileOnto(const std::filesystem::path& path, const CodePlugImage& base);
// The same for a file's bytes already read (a page hands them over).
LoadedCodePlug loadCodePlugBytes(std::string_view content, const CodePlugImage& base);

// What the window says when File > Open does not take a file.
constexpr std::string_view kFileErrorMessage =
    "Can't perform one of the following file operations: Open, Seek, Read, Close.";
constexpr std::string_view kFileErrorCaption = "File Error";
constexpr std::string_view kNotACodePlugMessage = "The file is not KM640 code-plug file.";
// The window's message for a file it does not open, named as name: refused
// values, text that cannot be read, a file it cannot read, no KM640 model
// text; nothing when the window opens it.
std::optional<std::string> openingRefusal(const LoadedCodePlug& loaded, const std::string& name);

// A code-plug taken in as the window takes an opened file before showing it:
// an old file's battery levels set afresh, normalised as the window shows it,
// the program's version stamped. The messages the window shows meanwhile,
// one line each, in its order.
std::vector<std::string> takeAsOpened(CodePlugImage& image);

}  // namespace km640::fieldtext
