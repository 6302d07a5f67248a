#include "fieldtext/FieldValue.h"

#include <array>
#include <cstdio>

#include "fieldtext/Latin1.h"
#include "fieldtext/ShownSetting.h"
#include "rf/FrequencyBcd.h"
#include "rf/SquelchThresholds.h"
#include "rf/SynthesizerWords.h"
#include "selcall/ToneCoding.h"

namespace km640::fieldtext {

namespace {

using memmap::Encoding;
using memmap::Field;

std::string formatted(const char* format, auto... values) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, values...);
    return buf;
}

std::string flagText(std::uint32_t v) {
    if (v == 0) return "off";
    if (v == 1) return "on";
    return std::to_string(v);
}

std::string doubledText(std::uint32_t v) {
    return std::to_string(v / 2) + (v % 2 != 0 ? ".5" : "");
}

std::string clockText(const std::vector<std::uint8_t>& b) {
    // Seconds, minutes, hours, day of week, day, month, year, all BCD: the
    // hexadecimal digits of a BCD byte are its decimal digits.
    static constexpr std::array<const char*, 7> kDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    const std::string day = b[3] < kDays.size() ? kDays[b[3]] : formatted("day %u", unsigned{b[3]});
    return formatted("20%02X/%02X/%02X %02X:%02X:%02X ", unsigned{b[6]}, unsigned{b[5]}, unsigned{b[4]},
                     unsigned{b[2]}, unsigned{b[1]}, unsigned{b[0]}) +
           day;
}

std::string patternStepsText(const std::vector<std::uint8_t>& b) {
    std::string text;
    for (const auto byte : b) {
        for (const int nibble : {byte >> 4, byte & 0x0F}) {
            if (!text.empty()) text += " ";
            text += formatted("%X", static_cast<unsigned>(nibble));
        }
    }
    return text;
}

std::string stepBitsText(std::uint8_t v) {
    std::string text;
    for (int bit = 7; bit >= 0; --bit) text += ((v >> bit) & 1u) != 0 ? '1' : '0';
    return text;
}

std::string zeroPaddedText(const std::vector<std::uint8_t>& b) {
    std::string text;
    for (const auto byte : b) {
        if (byte == 0) break;
        text += static_cast<char>(byte);
    }
    return text;
}

std::string hexBytes(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (const auto byte : bytes) {
        if (!text.empty()) text += " ";
        text += formatted("%02X", unsigned{byte});
    }
    return text;
}

}  // namespace

std::string bitSetText(std::uint32_t v, int width) {
    std::string text = "{";
    for (int bit = 0; bit < width; ++bit) {
        if (((v >> bit) & 1u) == 0) continue;
        if (text.size() > 1) text += ",";
        text += std::to_string(bit);
    }
    return text + "}";
}

std::string fieldPlace(const Field& field) {
    if (field.length > 1 || field.width == 8) return std::to_string(field.offset);
    if (field.width == 1) return formatted("%d b%d", field.offset, field.shift);
    return formatted("%d b%d-%d", field.offset, field.shift, field.shift + field.width - 1);
}

std::string rawBytesText(const CodePlugImage& image, const Field& field) {
    return hexBytes(image.span(field.offset, field.length));
}

std::string escapedText(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || (byte >= 0x7F && byte <= 0xA0) || byte == 0xAD)
            out += formatted("\\x%02X", unsigned{byte});
        else if (c == '\\')
            out += "\\\\";
        else
            out += utf8FromLatin1(std::string_view(&c, 1));
    }
    return out;
}

std::string quotedText(std::string_view text) {
    std::string out = "\"";
    for (const char c : escapedText(text)) {
        if (c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string storedText(std::string_view raw) {
    const auto end = raw.find_last_not_of(' ');
    return std::string(raw.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

std::string fieldValueText(const CodePlugImage& image, const Field& field) {
    const auto raw = memmap::readField(image, field);
    const auto number = [&] { return memmap::readNumber(image, field); };
    if (const auto shown = shownSetting(image, field)) return shown->text;

    switch (field.encoding) {
    case Encoding::Flag: return flagText(number());
    case Encoding::BitSet: return bitSetText(number(), field.length * field.width);
    case Encoding::Unsigned:
    case Encoding::Item:
    case Encoding::Code:
    case Encoding::BatteryCode: return std::to_string(number());
    case Encoding::Doubled: return doubledText(number());
    case Encoding::BcdFrequency:
        return frequencyFieldText(decodeFrequencyBcd(std::span<const std::uint8_t, 4>(raw.data(), 4)));
    case Encoding::BcdTone: {
        const auto tone = toneFromBcd(std::span<const std::uint8_t, 3>(raw.data(), 3));
        return tone ? formatTone(*tone) : "(no tone)";
    }
    case Encoding::BcdClock: return clockText(raw);
    case Encoding::BcdVersion: return formatted("%02X%02X", unsigned{raw[0]}, unsigned{raw[1]});
    case Encoding::Word16: return formatted("%04X", number());
    case Encoding::Word32: return wordText(number());
    case Encoding::DecimalPair: return std::to_string(raw[0] * 100 + raw[1]);
    case Encoding::Text: return quotedText(storedText(std::string(raw.begin(), raw.end())));
    case Encoding::ZeroPaddedText: return quotedText(zeroPaddedText(raw));
    case Encoding::ThresholdCode: return thresholdText(raw[0]);
    case Encoding::PatternSteps: return patternStepsText(raw);
    case Encoding::StepBits: return stepBitsText(raw[0]);
    case Encoding::DottedNumbers: {
        std::string text;
        for (const auto byte : raw) text += (text.empty() ? "" : ".") + std::to_string(byte);
        return text;
    }
    case Encoding::RawBlock: break;
    }
    return hexBytes(raw);
}

const Field* fieldStartingAt(int offset) {
    for (const auto& field : memmap::fields())
        if (field.offset == offset && !field.aggregate()) return &field;
    return nullptr;
}

}  // namespace km640::fieldtext
