#pragma once
// Inside the code-plug text: reading value texts, and the rule of each field
// kind that a value goes through (the window's own commit rules, called from
// rf/, selcall/ and settings/). CodePlugText.h is the interface to use.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "codeplug/CodePlugImage.h"
#include "codeplug/KeyFilters.h"
#include "codeplug/MemoryMap.h"
#include "fieldtext/Latin1.h"
#include "fieldtext/NumberRange.h"

namespace km640::fieldtext {

// What a rule did with a value: stored it, or refused it with the window's message.
struct Outcome {
    std::optional<std::string> refusal;
};
inline Outcome stored() { return {}; }
inline Outcome refuse(std::string message) { return {std::move(message)}; }

constexpr std::string_view kOnOffMessage = "Give on or off";
constexpr std::string_view kBadQuotes =
    "A text in double quotes needs \\\" for a quote inside it, \\\\ for a backslash and \\xNN for other bytes";

// "0A"
std::string hexByte(std::uint8_t byte);
// "01 52 00 00" or "01520000": bytes in hexadecimal, blanks between them allowed.
std::optional<std::vector<std::uint8_t>> parseHexBytes(std::string_view text);
std::optional<bool> parseOnOff(std::string_view text);
// "{0,2}" to its bits; every item below width.
std::optional<std::uint32_t> parseItemSet(std::string_view text, int width);
std::string itemSetMessage(int width);
// A text field's value: the quoted form `dump` prints ("\"Bench 7\"", with
// \", \\ and \xNN), or any text that does not start with a double quote as it
// stands. The text is UTF-8, as a terminal or a text file gives it; each of
// its characters is stored as the pager's 8-bit character of that letter
// (\xNN gives the byte itself). Nothing, with the reason, for a quoted text
// that is not well formed or a character the pager cannot hold.
Latin1Conversion parseTextValue(std::string_view text);

// The text typed key by key into an emptied field with this filter: the
// message of a refused key, or why the field would not hold the text as
// given (a key dropped, the field full before the text ends).
std::optional<std::string> keyFilterRefusal(const KeyFilter& filter, std::string_view text);

// A character no key of the window types into a field (a control
// character: C0, DEL or C1), named as a person knows it ("a line feed").
std::optional<std::string> controlCharacterName(char c);

// Whether the window shows the field in a control of its own; the others
// are read back from their value as `dump` shows it (setFieldFromReading).
bool shownByWindow(const memmap::Field& field);

// Whether a and b agree in every bit of the field.
bool sameFieldBits(const CodePlugImage& a, const CodePlugImage& b, const memmap::Field& field);

// Stores a field's raw number (bits or big-endian bytes), unchecked.
Outcome storeNumber(CodePlugImage& image, const memmap::Field& field, std::uint32_t value);

// For a setting the window shows as a list entry or a text of its own: the
// stored value it shows as text (as an entry of its own, not as a stand-in
// for another value), and the entries there are.
std::optional<std::uint32_t> shownEntryValue(const CodePlugImage& image, const memmap::Field& field,
                                             std::string_view text);
std::vector<std::string> shownEntries(const CodePlugImage& image, const memmap::Field& field);
std::string entriesMessage(const CodePlugImage& image, const memmap::Field& field);

// The plain rule of the field's encoding (raw bytes, flag, set of items, list entry).
Outcome setFieldByEncoding(CodePlugImage& image, const memmap::Field& field, std::string_view text);

// The rule of a control, by the name pattern of the field's declaration,
// and for a number control the values the rule takes now.
struct FieldRule {
    std::string_view pattern;
    Outcome (*apply)(CodePlugImage&, const memmap::Field&, std::string_view text);
    NumberRange (*range)(const CodePlugImage&, const memmap::Field&) = nullptr;
};
// Channels, tones, texts, profiles (FieldRules.cpp); the other settings
// (FieldRulesSettings.cpp).
std::span<const FieldRule> channelAndTextRules();
std::span<const FieldRule> settingRules();

// Why a cell of a call-address row (a field of the address record or its
// name) cannot be reached in the window: the address is not in use, channel
// F2 is off, or for the alert time cells the fixed alert time is off.
std::optional<std::string> addressCellDisabled(const CodePlugImage& image, const memmap::Field& field,
                                               bool alertTime = false);

// The squelch level a threshold field belongs to ("NbSquelch[3]"), nothing
// for other fields.
std::optional<std::string> squelchLevelOf(const memmap::Field& field);
// The thresholds of one squelch level (fields of one level, at most one per
// column) set together: each value read as its field's commit reads it, the
// level's order rule checked on the level as it stands with all of them.
// One outcome per field; nothing is stored when any value is refused.
std::vector<Outcome> squelchLevel(CodePlugImage& image, std::span<const memmap::Field* const> fields,
                                  std::span<const std::string> texts);

// A field the window does not show, from its value as `dump` shows it (on
// or off, a number, a text, "{0,2}", the clock, hexadecimal bytes for
// words and blocks).
Outcome setFieldFromReading(CodePlugImage& image, const memmap::Field& field, std::string_view text);

// The values the field's own rule takes now, for a number control; nothing
// for the other controls.
std::optional<NumberRange> fieldRuleRange(const CodePlugImage& image, const memmap::Field& field);

// The rule of the field's own control, falling back on the field's encoding.
Outcome applyFieldRule(CodePlugImage& image, const memmap::Field& field, std::string_view text);

}  // namespace km640::fieldtext
