#include "codeplug/EntryNumber.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <locale>
#include <sstream>
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
    const auto value = ParseFloatingPoint(number);
    if (!value) return std::nullopt;
    return negative ? -*value : *value;
}

namespace {

bool sameLetters(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size()) return false;
    for (std::size_t k = 0; k < text.size(); ++k)
        if ((text[k] | 0x20) != lower[k]) return false;
    return true;
}

// The length of the digits at the start of text.
std::size_t digitRun(std::string_view text) {
    std::size_t n = 0;
    while (n < text.size() && isDigit(text[n])) ++n;
    return n;
}

// "nan" alone or with a parenthesised run of letters, digits and underscores.
bool isNotANumber(std::string_view text) {
    if (text.size() < 3 || !sameLetters(text.substr(0, 3), "nan")) return false;
    const std::string_view rest = text.substr(3);
    if (rest.empty()) return true;
    if (rest.front() != '(' || rest.back() != ')') return false;
    for (char c : rest.substr(1, rest.size() - 2))
        if (!isDigit(c) && !((c | 0x20) >= 'a' && (c | 0x20) <= 'z') && c != '_') return false;
    return true;
}

}  // namespace

std::optional<double> ParseFloatingPoint(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    const std::string_view body = negative ? text.substr(1) : text;
    const double sign = negative ? -1.0 : 1.0;
    if (sameLetters(body, "inf") || sameLetters(body, "infinity"))
        return sign * std::numeric_limits<double>::infinity();
    if (isNotANumber(body)) return sign * std::numeric_limits<double>::quiet_NaN();

    // The digits, the point and the exponent are checked here; the stream only
    // converts a text already known to be a plain number.
    const std::size_t whole = digitRun(body);
    std::size_t at = whole;
    std::size_t fraction = 0;
    if (at < body.size() && body[at] == '.') {
        fraction = digitRun(body.substr(at + 1));
        at += 1 + fraction;
    }
    if (whole + fraction == 0) return std::nullopt;
    if (at < body.size() && (body[at] == 'e' || body[at] == 'E')) {
        std::size_t exponentAt = at + 1;
        if (exponentAt < body.size() && (body[exponentAt] == '-' || body[exponentAt] == '+')) ++exponentAt;
        const std::size_t exponent = digitRun(body.substr(exponentAt));
        if (exponent == 0) return std::nullopt;
        at = exponentAt + exponent;
    }
    if (at != body.size()) return std::nullopt;

    // The classic locale reads the point as the decimal point whatever the
    // user's locale says.
    std::istringstream in{std::string(body)};
    in.imbue(std::locale::classic());
    double value = 0;
    in >> value;
    if (in.fail() || !std::isfinite(value)) return std::nullopt;
    return sign * value;
}

std::string NotAWholeNumberMessage(std::string_view text) {
    return "'" + std::string(text) + "' is not a valid integer value";
}

std::string NotADecimalNumberMessage(std::string_view text) {
    return "'" + std::string(text) + "' is not a valid floating point value";
}

}  // namespace km640
