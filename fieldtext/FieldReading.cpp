// Fields the window does not show (hidden settings, derived values, stamps)
// read back from their value as `dump` shows it: on or off, a number, a set
// of items, a text, the clock, a dotted version, hexadecimal bytes for words
// and blocks. Nothing checks these values against a rule of the window's,
// but each must be exactly one reading: a number too large for its field, a
// text too long or holding a control character, a clock that is no clock
// are refused.

#include <array>

#include "codeplug/EntryNumber.h"
#include "fieldtext/FieldTextRules.h"
#include "fieldtext/FieldValue.h"
#include "fieldtext/ShownSetting.h"

namespace km640::fieldtext {

namespace {

using memmap::Encoding;
using memmap::Field;

// The largest raw number the field holds.
std::uint32_t largest(const Field& field) {
    if (field.length == 1) return (1u << field.width) - 1u;
    return field.length >= 4 ? 0xFFFFFFFFu : (1u << (8 * field.length)) - 1u;
}

Outcome number(CodePlugImage& image, const Field& field, std::string_view text) {
    const std::string_view t = TrimBlanks(text);
    const auto whole = ParseWholeNumber(t);
    if (!whole || *whole < 0 || t.starts_with('+') || t.starts_with('-') ||
        static_cast<std::uint32_t>(*whole) > largest(field))
        return refuse("The window does not show this field: give a whole number from 0 to " +
                      std::to_string(largest(field)));
    return storeNumber(image, field, static_cast<std::uint32_t>(*whole));
}

Outcome flag(CodePlugImage& image, const Field& field, std::string_view text) {
    if (const auto on = parseOnOff(text)) return storeNumber(image, field, *on ? 1 : 0);
    // A flag of several bits may hold another number, which `dump` shows as such.
    if (field.width > 1) return number(image, field, text);
    return refuse(std::string(kOnOffMessage));
}

// A text padded with fill to the field's width.
Outcome text(CodePlugImage& image, const Field& field, std::string_view given, char fill) {
    const auto converted = parseTextValue(given);
    if (!converted.text) return refuse(converted.problem);
    const auto& value = converted.text;
    for (const char c : *value)
        if (const auto control = controlCharacterName(c)) return refuse("The field's text cannot hold " + *control);
    if (value->size() > static_cast<std::size_t>(field.length))
        return refuse("The field takes at most " + std::to_string(field.length) + " characters");
    std::string padded = *value;
    padded.resize(static_cast<std::size_t>(field.length), fill);
    image.copyIn(field.offset, std::span(reinterpret_cast<const std::uint8_t*>(padded.data()), padded.size()));
    return stored();
}

Outcome dotted(CodePlugImage& image, const Field& field, std::string_view given) {
    std::vector<std::uint8_t> bytes;
    std::string_view rest = TrimBlanks(given);
    while (true) {
        const auto dot = rest.find('.');
        const auto part = ParseWholeNumber(rest.substr(0, dot));
        const std::string_view digits = rest.substr(0, dot);
        if (!part || *part < 0 || *part > 255 || digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
            break;
        bytes.push_back(static_cast<std::uint8_t>(*part));
        if (dot == std::string_view::npos) {
            if (static_cast<int>(bytes.size()) != field.length) break;
            image.copyIn(field.offset, bytes);
            return stored();
        }
        rest = rest.substr(dot + 1);
    }
    return refuse("The window does not show this field: give " + std::to_string(field.length) +
                  " numbers from 0 to 255 with points between them");
}

std::optional<std::uint8_t> hexPair(std::string_view text) {
    const auto bytes = text.size() == 2 ? parseHexBytes(text) : std::nullopt;
    if (!bytes) return std::nullopt;
    return (*bytes)[0];
}

// "2026/12/11 04:05:06 Fri" as `dump` shows the clock: the hexadecimal
// digits of each BCD byte, the day of the week by name or as "day N".
Outcome clock(CodePlugImage& image, const Field& field, std::string_view given) {
    static constexpr std::array<std::string_view, 7> kDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    const std::string_view t = TrimBlanks(given);
    // Byte of each two digits: seconds 0, minutes 1, hours 2, day 4, month 5, year 6.
    constexpr std::array<std::pair<std::size_t, int>, 6> kDigits = {{{2, 6}, {5, 5}, {8, 4}, {11, 2}, {14, 1}, {17, 0}}};
    std::array<std::uint8_t, 7> bytes{};
    bool ok = t.size() > 20 && t.substr(0, 2) == "20" && t[4] == '/' && t[7] == '/' && t[10] == ' ' && t[13] == ':' &&
              t[16] == ':' && t[19] == ' ';
    for (const auto& [at, byte] : kDigits) {
        if (!ok) break;
        const auto value = hexPair(t.substr(at, 2));
        ok = value.has_value();
        if (ok) bytes[static_cast<std::size_t>(byte)] = *value;
    }
    if (ok) {
        const std::string_view day = t.substr(20);
        ok = false;
        for (std::size_t k = 0; k < kDays.size(); ++k)
            if (day == kDays[k]) bytes[3] = static_cast<std::uint8_t>(k), ok = true;
        if (const auto n = day.starts_with("day ") ? ParseWholeNumber(day.substr(4)) : std::nullopt;
            n && *n >= static_cast<int>(kDays.size()) && *n <= 255)
            bytes[3] = static_cast<std::uint8_t>(*n), ok = true;
    }
    if (!ok) return refuse("The window does not show this field: give the clock as `dump` shows it (\"" +
                           fieldValueText(image, field) + "\")");
    image.copyIn(field.offset, bytes);
    return stored();
}

// Words, versions and blocks show their bytes in hexadecimal.
Outcome hexadecimal(CodePlugImage& image, const Field& field, std::string_view given) {
    const auto bytes = parseHexBytes(given);
    if (!bytes || static_cast<int>(bytes->size()) != field.length)
        return refuse("The window does not show this field: give " + std::to_string(field.length) +
                      " bytes in hexadecimal (\"" + fieldValueText(image, field) + "\")");
    image.copyIn(field.offset, *bytes);
    return stored();
}

}  // namespace

Outcome setFieldFromReading(CodePlugImage& image, const Field& field, std::string_view given) {
    if (shownSetting(image, field)) {
        const auto value = shownEntryValue(image, field, given);
        if (!value) return refuse(entriesMessage(image, field));
        return storeNumber(image, field, *value);
    }
    switch (field.encoding) {
    case Encoding::Flag: return flag(image, field, given);
    case Encoding::BitSet: {
        const int width = field.length * field.width;
        const auto bits = parseItemSet(given, width);
        if (!bits) return refuse(itemSetMessage(width));
        return storeNumber(image, field, *bits);
    }
    case Encoding::Unsigned:
    case Encoding::Item:
    case Encoding::Code:
    case Encoding::BatteryCode: return number(image, field, given);
    case Encoding::Text: return text(image, field, given, ' ');
    case Encoding::ZeroPaddedText: return text(image, field, given, '\0');
    case Encoding::DottedNumbers: return dotted(image, field, given);
    case Encoding::BcdClock: return clock(image, field, given);
    default: break;
    }
    return hexadecimal(image, field, given);
}

}  // namespace km640::fieldtext
