#pragma once
// How a tone travels between the field the user types into, the BCD digits the
// code-plug shows and the word the pager's tone decoder counts with.
// Inside the program a tone is an integer in tenths of a hertz (1285.8 Hz -> 12858).

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace km640 {

// Six BCD digits of the tone in hundredths of a hertz, most significant first.
using ToneBcd = std::array<std::uint8_t, 3>;

// The tone as stored: the six digits of tenths x 10. Empty when the tone does not
// fit six digits (below 0 or above 9999.9 Hz).
std::optional<ToneBcd> toneToBcd(int tenths);

// The tone read back from its three BCD bytes: digits 1-2 x 1000 + digits 3-4 x 10
// + digit 5; the sixth digit (hundredths) is ignored. Empty when one of the five
// digits read is not a decimal digit, as an erased or foreign code-plug may hold.
std::optional<int> toneFromBcd(std::span<const std::uint8_t, 3> bcd);

// The lowest and highest tone any tone system accepts, and so the span the
// decoder word is defined for (280.0 .. 3500.0 Hz).
constexpr int kLowestDecoderTone = 2800;
constexpr int kHighestDecoderTone = 35000;

// The 16-bit decoder word: 0xC000 + 128 x C + D, where C counts the whole quarter
// periods of the tone in 14865 periods of the 3.579545 MHz decoder clock and D the
// rest of that span in units of 30 clock periods. Double precision, truncated, as the
// decoder firmware expects. Empty outside 280.0 .. 3500.0 Hz.
std::optional<std::uint16_t> toneDecoderWord(int tenths);

// The tone as a tone field shows it: "%04.1f" of the hertz value.
std::string formatTone(int tenths);

// A typed tone after the field re-shows it: the text formatted "%04.1f" from its
// numeric value (C rounding) and the tenths read from that text.
struct TypedTone {
    std::string shown;
    int tenths = 0;
};

// Reads a typed or pasted tone. Surrounding blanks are ignored; empty when the text
// is not a finite decimal number. Values of 1e8 Hz and beyond come back with their
// tenths held at +/-1e8, far outside every tone range.
std::optional<TypedTone> parseTypedTone(std::string_view text);

}  // namespace km640
