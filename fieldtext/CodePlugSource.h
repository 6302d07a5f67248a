#pragma once
// Reading a code-plug from a file by its content, decided once for every
// command and the window's Open: a file that starts (after a UTF-8
// byte-order mark and blanks) with `{` and does not hold the model name where
// an image holds it is code-plug text, whatever its size, built onto the
// built-in code-plug as a window holds it (with its model text, normalised);
// a file that starts as text in UTF-16 or UTF-32 is text in an encoding this
// program does not read; anything else is the 2048 bytes of a "*.tbl" image.

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
        BadText,   // code-plug text that cannot be read (bad JSON with its place, another encoding, newer format): see reason
        Refused,   // code-plug text with problems of its form or values the window refuses: see refusals
    };
    Status status = Status::IoError;
    bool fromText = false;  // the file held code-plug text
    CodePlugImage image;    // when Ok; a text is already normalised
    std::string reason;     // what went wrong, one line
    std::vector<FieldRefusal> refusals;
    std::vector<std::string> messages;  // a text's: what normalising it shows, one line each
    bool ok() const { return status == Status::Ok; }
};

// The largest code-plug text read.
constexpr std::size_t kMaxCodePlugTextBytes = 4 * 1024 * 1024;

enum class CodePlugFileKind {
    Text,           // code-plug text (JSON), to be read as such
    OtherEncoding,  // text in UTF-16 or UTF-32
    Image,          // the bytes of a "*.tbl"
};
struct FileKind {
    CodePlugFileKind kind;
    std::string encoding;  // OtherEncoding: "UTF-16", "UTF-32"
};
// What the file's first bytes (and, for a file as long as an image, its
// model name) say it is.
FileKind codePlugFileKind(std::string_view fileBytes);

LoadedCodePlug loadCodePlugFile(const std::filesystem::path& path);
// The same with a code-plug text built onto base: the fields the text leaves
// out keep base's values.
LoadedCodePlug loadCodePlugFileOnto(const std::filesystem::path& path, const CodePlugImage& base);
// The same for a file's bytes already read (a page hands them over).
// larger: the file went on beyond what was read of it.
LoadedCodePlug loadCodePlugBytes(std::string_view content, const CodePlugImage& base, bool larger = false);

// What the window says when File > Open does not take a file.
constexpr std::string_view kFileErrorMessage =
    "Can't perform one of the following file operations: Open, Seek, Read, Close.";
constexpr std::string_view kFileErrorCaption = "File Error";
constexpr std::string_view kNotACodePlugMessage = "The file is not KM640 code-plug file.";
// The window's message for a file it does not open, named as name: refused
// values, text that cannot be read, a file it cannot read, no KM640 model
// text; nothing when the window opens it.
std::optional<std::string> openingRefusal(const LoadedCodePlug& loaded, const std::string& name);
// The line a refused code-plug text's problems follow, one a line or as
// a list: "\"NAME\" was not opened: these problems of the code-plug text ...:".
std::string refusedTextHeading(const LoadedCodePlug& loaded, const std::string& name);

// A code-plug taken in as the window takes an opened file before showing it:
// an old file's battery levels set afresh, normalised as the window shows it,
// the program's version stamped. The messages the window shows meanwhile,
// one line each, in its order.
std::vector<std::string> takeAsOpened(CodePlugImage& image);

}  // namespace km640::fieldtext
