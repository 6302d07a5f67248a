#include "codeplug/EntryNumber.h"

#include <charconv>
#include <cmath>
#include <cstdint>
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

std::optional<double> ParseDecimalNumber(std::string_view text) { return ReadDecimal(text); }

std::optional<double> ReadDecimal(std::string_view text, bool exponent) {
    bool negative = false;
    const std::string_view number = withoutSign(TrimBlanks(text), negative);
    // The digits as a whole number (the first 19 significant ones) and the
    // power of ten that scales it.
    std::uint64_t digitsValue = 0;
    int significant = 0;
    int digits = 0;
    long long power = 0;
    bool point = false;
    std::size_t at = 0;
    for (; at < number.size(); ++at) {
        const char c = number[at];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (!isDigit(c)) break;
        ++digits;
        if (significant < 19 && (significant > 0 || c != '0')) {
            digitsValue = digitsValue * 10 + static_cast<unsigned>(c - '0');
            ++significant;
            if (point) --power;
        } else if (significant == 0) {
            if (point) --power;  // a leading zero after the point
        } else if (!point) {
            ++power;  // a digit beyond those kept, before the point
        }
    }
    if (digits == 0) return std::nullopt;
    if (at < number.size()) {
        if (!exponent || (number[at] != 'e' && number[at] != 'E')) return std::nullopt;
        bool negativePower = false;
        const std::string_view powerDigits = withoutSign(number.substr(at + 1), negativePower);
        if (powerDigits.empty()) return std::nullopt;
        long long given = 0;
        for (const char c : powerDigits) {
            if (!isDigit(c)) return std::nullopt;
            if (given < 100000) given = given * 10 + (c - '0');
        }
        power += negativePower ? -given : given;
    }
    if (digitsValue == 0) return negative ? -0.0 : 0.0;
    // Beyond the range of a double however the digits go; far below it is 0.
    if (power + significant > 310) return std::nullopt;
    if (power + significant < -330) return negative ? -0.0 : 0.0;
    static constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    double value = 0;
    if (digitsValue <= (std::uint64_t{1} << 53) && power >= -22 && power <= 22) {
        // Both numbers are exact doubles: one rounding, to the nearest.
        const double whole = static_cast<double>(digitsValue);
        value = power < 0 ? whole / kExactPowers[-power] : whole * kExactPowers[power];
    } else {
        long double scaled = static_cast<long double>(digitsValue);
        long double ten = 10.0L;
        for (long long rest = power < 0 ? -power : power; rest > 0; rest >>= 1, ten *= ten)
            if (rest & 1) scaled = power < 0 ? scaled / ten : scaled * ten;
        value = static_cast<double>(scaled);
    }
    if (!std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

std::string NotAWholeNumberMessage(std::string_view text) {
    return "'" + std::string(text) + "' is not a valid integer value";
}

std::string NotADecimalNumberMessage(std::string_view text) {
    return "'" + std::string(text) + "' is not a valid floating point value";
}

}  // namespace km640
