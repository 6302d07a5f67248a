#include "codeplug/EntryNumber.h"

#include <charconv>
#include <system_error>

#include "codeplug/KeyFilters.h"

namespace km640 {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Splits off a leading sign: from_chars takes neither "+" nor, for the
// magnitude, "-".
std::string_view withoutSign(std::string_view s, bool& negative) {
    negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    return s;
}

}  // namespace

std::optional<int> ParseWholeNumber(std::string_view text) {
    bool negative = false;
    const std::string_view digits = withoutSign(TrimBlanks(text), negative);
    if (digits.empty()) return std::nullopt;
    for (char c : digits)
        if (!isDigit(c)) return std::nullopt;
    // Converted as a magnitude so that the most negative number fits too.
    long long magnitude = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    const long long value = negative ? -magnitude : magnitude;
    if (value < -2147483648LL || value > 2147483647LL) return std::nullopt;
    return static_cast<int>(value);
}

std::optional<double> ParseDecimalNumber(std::string_view text) {
    bool negative = false;
    const std::string_view number = withoutSign(TrimBlanks(text), negative);
    int digits = 0;
    int points = 0;
    for (char c : number) {
        if (isDigit(c)) ++digits;
        else if (c == '.') ++points;
        else return std::nullopt;
    }
    if (digits == 0 || points > 1) return std::nullopt;
    double value = 0;
    const auto [end, ec] =
        std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::fixed);
    if (ec != std::errc() || end != number.data() + number.size()) return std::nullopt;
    return negative ? -value : value;
}

std::string NotAWholeNumberMessage(std::string_view text) {
    return "'" + std::string(text) + "' is not a valid integer value";
}

std::string NotADecimalNumberMessage(std::string_view text) {
    return "'" + std::string(text) + "' is not a valid floating point value";
}

}  // namespace km640
