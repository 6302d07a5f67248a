#pragma once
// Reading the text of a committed edit field as a number. The key filters
// keep most fields to digits, but a pasted text can hold anything, and a long
// run of digits must not overflow: both simply fail to convert.

#include <optional>
#include <string>
#include <string_view>

namespace km640 {

// A whole number: optional blanks around, an optional sign, then decimal
// digits only, within the range of a 32-bit signed integer ("007" is 7).
// Anything else, including an empty text, gives nothing.
std::optional<int> ParseWholeNumber(std::string_view text);

// A decimal number: optional blanks around, an optional sign, digits with at
// most one point and at least one digit ("12.5", "7", ".5", "3."). No
// exponent, no infinity; anything else gives nothing.
std::optional<double> ParseDecimalNumber(std::string_view text);

// A floating-point number written as C++ writes one, read the same whatever
// the process locale: an optional minus, digits with at most one point, an
// optional exponent ("1e3", "2.5E-1"), or "inf", "infinity", "nan" in any
// case. No blanks, no plus sign, nothing left over; a value too large or too
// small for a double gives nothing too.
std::optional<double> ParseFloatingPoint(std::string_view text);

// The message shown when a text does not convert.
std::string NotAWholeNumberMessage(std::string_view text);
std::string NotADecimalNumberMessage(std::string_view text);

}  // namespace km640
