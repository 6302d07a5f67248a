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

// Every decimal number the program reads (tones, frequencies, levels,
// times) is read here, character by character: the point is always ".",
// whatever the process locale says, so a pager gets the same value on every
// machine. The form is that of ParseDecimalNumber, and with exponent also an
// "e" or "E" and a signed whole power of ten ("1e3"). The result is the
// double nearest the decimal value for every text of up to 19 significant
// digits and a power of ten up to 22; longer texts are read to within the
// last bit. A number beyond the range of a double gives nothing.
std::optional<double> ReadDecimal(std::string_view text, bool exponent = false);

// The message shown when a text does not convert.
std::string NotAWholeNumberMessage(std::string_view text);
std::string NotADecimalNumberMessage(std::string_view text);

}  // namespace km640
