#include "selcall/ToneCoding.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "codeplug/EntryNumber.h"

namespace km640 {

namespace {

constexpr double kDecoderClock = 3579545.0;   // Hz
constexpr double kDecoderSpan = 14865.0;      // clock periods the decoder measures over
constexpr double kQuarterPeriodScale = 59460.0;  // 4 x the span
constexpr double kRemainderScale = 119318.1667;  // clock / 30
constexpr int kTypedToneLimit = 100000000;       // tenths; far beyond every tone range

std::string formatOneDecimal(const char* format, double value) {
    const int length = std::snprintf(nullptr, 0, format, value);
    std::string text(static_cast<std::size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, format, value);
    return text;
}

std::string_view trimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::optional<ToneBcd> toneToBcd(int tenths) {
    if (tenths < 0 || tenths > 99999) return std::nullopt;
    const int hundredths = tenths * 10;
    ToneBcd bcd{};
    int rest = hundredths;
    for (int i = 2; i >= 0; --i) {
        const int pair = rest % 100;
        rest /= 100;
        bcd[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(((pair / 10) << 4) | (pair % 10));
    }
    return bcd;
}

std::optional<int> toneFromBcd(std::span<const std::uint8_t, 3> bcd) {
    const int digits[5] = {bcd[0] >> 4, bcd[0] & 0x0F, bcd[1] >> 4, bcd[1] & 0x0F, bcd[2] >> 4};
    for (int d : digits)
        if (d > 9) return std::nullopt;
    return (digits[0] * 10 + digits[1]) * 1000 + (digits[2] * 10 + digits[3]) * 10 + digits[4];
}

std::optional<std::uint16_t> toneDecoderWord(int tenths) {
    if (tenths < kLowestDecoderTone || tenths > kHighestDecoderTone) return std::nullopt;
    const double f = tenths / 10.0;
    const double c = std::trunc(f * kQuarterPeriodScale / kDecoderClock);
    const double d = std::trunc((kDecoderSpan / kDecoderClock - c / (4.0 * f)) * kRemainderScale);
    return static_cast<std::uint16_t>(0xC000 + 128 * static_cast<int>(c) + static_cast<int>(d));
}

std::string formatTone(int tenths) { return formatOneDecimal("%04.1f", tenths / 10.0); }

std::optional<TypedTone> parseTypedTone(std::string_view text) {
    const std::string_view number = trimBlanks(text);
    if (number.empty()) return std::nullopt;
    // A leading plus sign is a number too; the number itself takes only the minus.
    const std::string_view digits = number.front() == '+' ? number.substr(1) : number;
    if (digits.size() != number.size() && !digits.empty() && digits.front() == '-') return std::nullopt;
    const auto parsed = ParseFloatingPoint(digits);
    if (!parsed || !std::isfinite(*parsed)) return std::nullopt;
    const double value = *parsed;

    TypedTone typed;
    typed.shown = formatOneDecimal("%04.1f", value);
    // The tenths come from the re-shown text, so they follow printf's rounding.
    const bool negative = typed.shown.front() == '-';
    const auto point = typed.shown.find('.');
    const std::string_view whole = std::string_view(typed.shown).substr(negative ? 1 : 0, point - (negative ? 1 : 0));
    long long units = 0;
    if (whole.size() > 8) {
        units = kTypedToneLimit;
    } else {
        std::from_chars(whole.data(), whole.data() + whole.size(), units);
        units = units * 10 + (typed.shown[point + 1] - '0');
    }
    typed.tenths = static_cast<int>(negative ? -units : units);
    return typed;
}

}  // namespace km640
