#pragma once
// The code-plug as text that can be read back: one field set from its value
// text as `dump` prints it, and the whole code-plug as JSON text (every field
// in memory-map order with its value as `dump` shows it, a format version),
// either as a template of what a person sets or losslessly (every byte: the
// stamps, the derived values and, in a `reserved` section, the bytes no field
// covers).
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
// on one line. A problem of a code-plug text's form (a member that is no
// member of it, a name given twice, a value of the wrong type) has no field:
// its message names what is wrong. place says where a text gives it.
struct FieldRefusal {
    std::string field;
    std::string text;
    std::string message;
    std::string place;  // "line 12, column 5", or empty
    bool operator==(const FieldRefusal&) const = default;
};

// "line 12, column 5: F1Tone1[0]=9999: Please ..." on one line, for a
// terminal or a message box.
std::string refusalLine(const FieldRefusal& refusal);

// Sets one field from its text as `dump` prints it ("\"Bench 7\"" or Bench 7
// for a text, 1520000 for a frequency, 1285.8 for a tone, "12.5 K", "Profile 2",
// "{0,2}", on/off, a list entry; a field the window does not show by its value
// as `dump` shows it too), checked by the rule the window applies when the
// user commits that field. On refusal the image is left as it was.
std::optional<FieldRefusal> setFieldFromText(CodePlugImage& image, std::string_view name, std::string_view text);

// Why a roster or `set` does not give a value to a field the program works
// out itself (synthesizer and decoder words, menu counts): what it stores
// there follows the settings it comes from.
constexpr std::string_view kWorkedOutField = "the program works this field out from other settings";

// A field's value as the text form writes it and setFieldFromText reads it
// back: the value text `dump` prints (a text field's text as it stands, in
// UTF-8).
std::string valueText(const CodePlugImage& image, const memmap::Field& field);

// The name of the format field and the version this program writes. Version
// 1 gave the fields the window does not show as raw hexadecimal bytes;
// version 2 gives them as `dump` shows them. Both are read.
constexpr std::string_view kTextFormatName = "km640-codeplug";
constexpr int kTextFormatVersion = 2;

// True for a JSON object holding the format field.
bool isCodePlugText(std::string_view fileBytes);

struct TextImport {
    CodePlugImage image;
    std::vector<FieldRefusal> refusals;  // every problem of the text's form and every value the window would refuse
    std::string error;                   // not code-plug text at all: why (bad JSON with its place, unknown or newer version)
    std::vector<std::string> messages;   // what the window shows while it normalises the result, one line each
    bool ok() const { return error.empty() && refusals.empty(); }
};

// Builds a code-plug from its text: the fields the text names set onto base
// through their rules (the values of one squelch level together, so the
// level's order rule holds for the level as the text gives it), the reserved
// bytes put back, then normalised as the window does when it shows a
// code-plug, which works out the derived values from their sources. Fields
// the text leaves out keep base's values; a text without the image checksum
// gets it computed over the result.
TextImport importCodePlugText(std::string_view text, const CodePlugImage& base);

enum class TextForm {
    // What a person sets: no clock, checksums, version stamp, serial
    // number, model text or pager data, no value the program derives, no
    // reserved bytes of the pager's own data. Imported onto a base, those
    // are the base's or worked out afresh.
    Template,
    // Every byte: importing it onto any base gives the image back byte for
    // byte once normalised.
    Lossless,
};

// The whole code-plug as JSON text, one field per line in memory-map order.
std::string exportCodePlugText(const CodePlugImage& image, TextForm form = TextForm::Template);

}  // namespace km640::fieldtext
