#pragma once
// The code-plug as text that can be read back: one field set from its value
// text as `dump` prints it, and the whole code-plug as a lossless JSON text
// (every field in memory-map order, the bytes no field covers kept in a
// `reserved` section, a format version).
//
// A value goes through the rule the window applies when the user commits
// that field (ranges, key filters and widths, tone ranges and the tone plan,
// band edges, the profile and one-channel rules, ...): a value the window
// would refuse is refused here with the window's own message.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codeplug/CodePlugImage.h"
#include "codeplug/MemoryMap.h"

namespace km640::fieldtext {

// A value refused: the field's name, the text given and the window's message
// on one line.
struct FieldRefusal {
    std::string field;
    std::string text;
    std::string message;
    bool operator==(const FieldRefusal&) const = default;
};

// "F1Tone1[0]=9999: Please ..." on one line, for a terminal or a message box.
std::string refusalLine(const FieldRefusal& refusal);

// Sets one field from its text as `dump` prints it ("\"Bench 7\"" or Bench 7
// for a text, 1520000 for a frequency, 1285.8 for a tone, "12.5 K", "Profile 2",
// "{0,2}", on/off, a list entry, raw hexadecimal bytes for a field the window
// does not show), checked by the rule the window applies when the user
// commits that field. On refusal the image is left as it was.
std::optional<FieldRefusal> setFieldFromText(CodePlugImage& image, std::string_view name, std::string_view text);

// A field's value as the text form writes it and setFieldFromText reads it
// back: the value text `dump` prints, a text field's text as it stands (its
// 8-bit characters), raw hexadecimal bytes for a field the window does not show.
std::string valueText(const CodePlugImage& image, const memmap::Field& field);

// The name of the format field and the version this program writes.
constexpr std::string_view kTextFormatName = "km640-codeplug";
constexpr int kTextFormatVersion = 1;

// True for a JSON object holding the format field: the content, not the file
// name, says a file is code-plug text.
bool isCodePlugText(std::string_view fileBytes);

struct TextImport {
    CodePlugImage image;
    std::vector<FieldRefusal> refusals;  // every value the window would refuse
    std::string error;                   // not code-plug text at all: why (bad JSON, unknown or newer version)
    std::vector<std::string> messages;   // what the window shows while it normalises the result, one line each
    bool ok() const { return error.empty() && refusals.empty(); }
};

// Builds a code-plug from its text: the fields the text names set onto base
// through their rules, the reserved bytes put back, then normalised as the
// window does when it shows a code-plug. Fields the text leaves out keep
// base's values.
TextImport importCodePlugText(std::string_view text, const CodePlugImage& base);

// The whole code-plug as JSON text, one field per line in memory-map order;
// importing it onto any base gives the image back byte for byte once
// normalised.
std::string exportCodePlugText(const CodePlugImage& image);

}  // namespace km640::fieldtext
