// Setting one field from its value text: the text read back as `dump` prints
// it, then stored through the rule the window applies when that field's
// control is committed. The rules themselves live with their settings (rf/,
// selcall/, settings/); this file only reads the text and picks the rule.

#include <algorithm>
#include <cctype>
#include <span>

#include "codeplug/EntryNumber.h"
#include "codeplug/KeyFilters.h"
#include "fieldtext/CodePlugText.h"
#include "fieldtext/FieldTextRules.h"
#include "fieldtext/FieldValue.h"
#include "fieldtext/MessageLine.h"
#include "fieldtext/ShownSetting.h"

namespace km640::fieldtext {

namespace {

using memmap::Encoding;
using memmap::Field;

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::optional<int> hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return std::nullopt;
}

// ---- The field kinds every field of an encoding shares -------------------------

Outcome rawBytes(CodePlugImage& image, const Field& field, std::string_view text) {
    const auto bytes = parseHexBytes(text);
    const std::string expected = field.length == 1 && field.width < 8
                                     ? "one byte from 00 to " + hexByte(static_cast<std::uint8_t>((1u << field.width) - 1u))
                                     : std::to_string(field.length) + " bytes in hexadecimal (\"" +
                                           rawBytesText(image, field) + "\")";
    if (!bytes || static_cast<int>(bytes->size()) != field.length)
        return refuse("The window does not show this field: give " + expected);
    if (field.length == 1 && field.width < 8) {
        if ((*bytes)[0] >= (1u << field.width)) return refuse("The window does not show this field: give " + expected);
        image.SetBits(field.offset, field.shift, (*bytes)[0], field.width);
        return stored();
    }
    image.copyIn(field.offset, *bytes);
    return stored();
}

Outcome flag(CodePlugImage& image, const Field& field, std::string_view text) {
    const auto on = parseOnOff(text);
    if (!on) return refuse(std::string(kOnOffMessage));
    return storeNumber(image, field, *on ? 1 : 0);
}

Outcome bitSet(CodePlugImage& image, const Field& field, std::string_view text) {
    const int width = field.length * field.width;
    const auto bits = parseItemSet(text, width);
    if (!bits) return refuse(itemSetMessage(width));
    return storeNumber(image, field, *bits);
}

// A list entry, a radio button or another setting the window shows by a text
// of its own: the stored value whose shown text is the text given.
Outcome listEntry(CodePlugImage& image, const Field& field, std::string_view text) {
    const auto value = shownEntryValue(image, field, text);
    if (!value) return refuse(entriesMessage(image, field));
    return storeNumber(image, field, *value);
}

Outcome byEncoding(CodePlugImage& image, const Field& field, std::string_view text) {
    if (!shownByWindow(field)) return setFieldFromReading(image, field, text);
    if (shownSetting(image, field)) return listEntry(image, field, text);
    switch (field.encoding) {
    case Encoding::Flag: return flag(image, field, text);
    case Encoding::BitSet: return bitSet(image, field, text);
    default: break;
    }
    return rawBytes(image, field, text);
}

}  // namespace

// ---- Shared reading of value texts -----------------------------------------------

std::optional<std::string> controlCharacterName(char c) {
    const auto byte = static_cast<unsigned char>(c);
    switch (byte) {
    case 0x00: return "a NUL byte";
    case '\t': return "a tab";
    case '\n': return "a line feed";
    case '\r': return "a carriage return";
    default: break;
    }
    if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0)) return "the control character 0x" + hexByte(byte);
    return std::nullopt;
}

std::string hexByte(std::uint8_t byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[byte >> 4], kDigits[byte & 0x0F]};
}

std::optional<std::vector<std::uint8_t>> parseHexBytes(std::string_view text) {
    std::vector<std::uint8_t> out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        if (i + 1 >= text.size()) return std::nullopt;
        const auto high = hexDigit(text[i]);
        const auto low = hexDigit(text[i + 1]);
        if (!high || !low) return std::nullopt;
        out.push_back(static_cast<std::uint8_t>(*high * 16 + *low));
        i += 2;
    }
    if (out.empty()) return std::nullopt;
    return out;
}

std::optional<bool> parseOnOff(std::string_view text) {
    const std::string t = lowered(TrimBlanks(text));
    if (t == "on") return true;
    if (t == "off") return false;
    return std::nullopt;
}

std::optional<std::uint32_t> parseItemSet(std::string_view text, int width) {
    const std::string_view t = TrimBlanks(text);
    if (t.size() < 2 || t.front() != '{' || t.back() != '}') return std::nullopt;
    std::uint32_t bits = 0;
    std::string_view rest = t.substr(1, t.size() - 2);
    if (TrimBlanks(rest).empty()) return bits;
    while (true) {
        const auto comma = rest.find(',');
        const auto item = ParseWholeNumber(rest.substr(0, comma));
        if (!item || *item < 0 || *item >= width) return std::nullopt;
        bits |= 1u << *item;
        if (comma == std::string_view::npos) return bits;
        rest = rest.substr(comma + 1);
    }
}

std::string itemSetMessage(int width) {
    return "Give the items switched on in braces, numbers from 0 to " + std::to_string(width - 1) +
           " (\"{0,2}\", \"{}\" for none)";
}

Latin1Conversion parseTextValue(std::string_view text) {
    if (text.empty() || text.front() != '"') return latin1FromUtf8(text);
    const Latin1Conversion malformed{std::nullopt, std::string(kBadQuotes)};
    if (text.size() < 2 || text.back() != '"') return malformed;
    std::string out;
    // The letters between escapes, from UTF-8.
    std::string letters;
    auto takeLetters = [&] {
        auto converted = latin1FromUtf8(letters);
        letters.clear();
        if (!converted.text) return std::optional<std::string>(converted.problem);
        out += *converted.text;
        return std::optional<std::string>();
    };
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') return malformed;  // an inner quote must be escaped
        if (c != '\\') {
            letters += c;
            continue;
        }
        if (auto problem = takeLetters()) return {std::nullopt, *problem};
        if (i + 2 >= text.size()) return malformed;
        const char e = text[++i];
        if (e == '\\' || e == '"') {
            out += e;
        } else if (e == 'x' && i + 3 < text.size()) {
            const auto high = hexDigit(text[i + 1]);
            const auto low = hexDigit(text[i + 2]);
            if (!high || !low) return malformed;
            out += static_cast<char>(*high * 16 + *low);
            i += 2;
        } else {
            return malformed;
        }
    }
    if (auto problem = takeLetters()) return {std::nullopt, *problem};
    return {std::move(out), {}};
}

bool shownByWindow(const Field& field) {
    return !field.hidden() && !field.stamped() && !field.derived() && field.encoding != Encoding::RawBlock;
}

Outcome storeNumber(CodePlugImage& image, const Field& field, std::uint32_t value) {
    if (field.length == 1) {
        image.SetBits(field.offset, field.shift, static_cast<std::uint8_t>(value), field.width);
        return stored();
    }
    for (int k = field.length - 1; k >= 0; --k, value >>= 8)
        image.setByte(field.offset + k, static_cast<std::uint8_t>(value & 0xFF));
    return stored();
}

std::optional<std::uint32_t> shownEntryValue(const CodePlugImage& image, const Field& field, std::string_view text) {
    const std::string wanted(TrimBlanks(text));
    const std::uint32_t values = field.length == 1 ? (1u << field.width) : 256u;
    CodePlugImage trial = image;
    for (std::uint32_t v = 0; v < values; ++v) {
        storeNumber(trial, field, v);
        const auto shown = shownSetting(trial, field);
        if (shown && shown->problem.empty() && shown->text == wanted) return v;
    }
    return std::nullopt;
}

std::vector<std::string> shownEntries(const CodePlugImage& image, const Field& field) {
    std::vector<std::string> out;
    const std::uint32_t values = field.length == 1 ? (1u << field.width) : 256u;
    CodePlugImage trial = image;
    for (std::uint32_t v = 0; v < values; ++v) {
        storeNumber(trial, field, v);
        const auto shown = shownSetting(trial, field);
        if (shown && shown->problem.empty() && std::find(out.begin(), out.end(), shown->text) == out.end())
            out.push_back(shown->text);
    }
    return out;
}

std::string entriesMessage(const CodePlugImage& image, const Field& field) {
    std::string list;
    for (const auto& entry : shownEntries(image, field)) list += (list.empty() ? "\"" : ", \"") + entry + "\"";
    return "Not an entry the window offers here; the entries are " + list;
}

// The text typed key by key into a field with this filter, as into an emptied
// field: the message of a refused key, or why the field would not hold the
// text as given (a key dropped, the field full before the text ends).
std::optional<std::string> keyFilterRefusal(const KeyFilter& filter, std::string_view text) {
    std::string typed;
    for (const char c : text) {
        if (const auto control = controlCharacterName(c)) return "The window's field cannot take " + *control;
        const auto key = static_cast<char32_t>(static_cast<unsigned char>(c));
        const KeyDecision decision = FilterKey(filter, typed, false, key);
        switch (decision.verdict) {
        case KeyVerdict::Pass: typed += c; break;
        case KeyVerdict::Refuse: return std::string(decision.message.text);
        case KeyVerdict::Swallow:
            return "The field does not take the character '" + escapedText(std::string(1, c)) + "' there";
        case KeyVerdict::Commit:
            return "The field takes at most " + std::to_string(typed.size()) + " characters";
        }
    }
    return std::nullopt;
}

Outcome setFieldByEncoding(CodePlugImage& image, const Field& field, std::string_view text) {
    return byEncoding(image, field, text);
}

bool sameFieldBits(const CodePlugImage& a, const CodePlugImage& b, const Field& field) {
    const std::uint8_t mask = field.length == 1 ? field.mask() : 0xFF;
    for (int k = 0; k < field.length; ++k)
        if (((a.byte(field.offset + k) ^ b.byte(field.offset + k)) & mask) != 0) return false;
    return true;
}

std::string refusalLine(const FieldRefusal& refusal) {
    const std::string place = refusal.place.empty() ? "" : refusal.place + ": ";
    if (refusal.field.empty()) return place + refusal.message;
    return place + refusal.field + "=" + refusal.text + ": " + refusal.message;
}

std::optional<FieldRefusal> setFieldFromText(CodePlugImage& image, std::string_view name, std::string_view text) {
    const Field* field = memmap::findField(name);
    auto refusal = [&](std::string message) {
        return FieldRefusal{std::string(name), std::string(text), messageLine(message), {}};
    };
    if (field == nullptr) return refusal("No field of the code-plug has this name");
    // The very text `dump` shows for a field is no change, also where the
    // window's control shows less of the bytes (the count room before
    // prompts 13 and 14) or could not take them as they stand (a control
    // byte in a name), so every stored byte reads back as it was.
    const bool textField = field->encoding == Encoding::Text || field->encoding == Encoding::ZeroPaddedText;
    if (textField && text == fieldValueText(image, *field)) return std::nullopt;
    CodePlugImage changed = image;
    const Outcome outcome = applyFieldRule(changed, *field, text);
    if (outcome.refusal) return refusal(*outcome.refusal);
    // A field given the value it holds is no change: what its commit would
    // store beside it (a word, a code, a copy) stays as it is, so a text of
    // a code-plug reads back to the same bytes.
    if (sameFieldBits(changed, image, *field)) return std::nullopt;
    image = changed;
    return std::nullopt;
}

}  // namespace km640::fieldtext
