#pragma once
// Channel frequencies as the pager keeps them: whole units of 100 Hz, stored
// as eight packed BCD digits, most significant digit first.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace km640 {

// The largest value eight BCD digits hold (9999.9999 MHz).
constexpr std::uint32_t kMaxFrequencyUnits = 99'999'999;

// Reads eight BCD digits. A nibble above 9 (erased or foreign memory) is read
// as 9, so any four bytes give a value of at most kMaxFrequencyUnits.
std::uint32_t decodeFrequencyBcd(std::span<const std::uint8_t, 4> bcd);

// The value as "%08d" digit pairs; a value above kMaxFrequencyUnits is stored
// as kMaxFrequencyUnits.
std::array<std::uint8_t, 4> encodeFrequencyBcd(std::uint32_t units);

// Frequency in Hz; 64 bits because eight digits of 100 Hz exceed 32 bits.
constexpr std::int64_t frequencyHz(std::uint32_t units) { return static_cast<std::int64_t>(units) * 100; }

// The text of a frequency field: "%07d".
std::string frequencyFieldText(std::uint32_t units);

// A frequency field's text as a whole number of 100 Hz units: blanks around it
// are ignored; anything but one to eight digits gives nullopt (the window
// handles a blank field before converting).
std::optional<std::uint32_t> parseFrequencyEntry(std::string_view text);

}  // namespace km640
