#pragma once
// How the pager stores its alert sounds: the four alert tones "Tonality A" to
// "Tonality D" (a divider of the tone generator's clock plus the frequency as
// two digit pairs) and the eight alert patterns (eight tone steps, eight LED
// steps and eight vibrator steps each). Free of the window toolkit.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace km640::alerts {

constexpr int kTonalities = 4;
constexpr int kPatterns = 8;
constexpr int kSteps = 8;

// The tone generator divides this clock by the divider to sound a tone.
constexpr int kToneClock = 223721;
constexpr int kTonalityMinHz = 150;
constexpr int kTonalityMaxHz = 6000;
constexpr std::string_view kTonalityRangeMessage = "Please insert a number between 150Hz and 6000Hz !";

// The whole part of the clock divided by the frequency.
std::uint16_t TonalityDivider(int hz);
// The frequency as its two digit pairs ("%04d" split in halves): 1700 gives 17, 0.
std::array<std::uint8_t, 2> TonalityHzBytes(int hz);
// What the field shows: first pair x 100 + second pair.
int TonalityShownHz(std::uint8_t first, std::uint8_t second);

// A tone step: 0-3 sound tone A-D, 15 is a rest ("-").
constexpr std::uint8_t kRestStep = 15;

// The letters of a pattern's four tone bytes, high half first; a step that
// is neither a tone nor a rest ends the text.
std::string PatternLetters(std::span<const std::uint8_t> tones4);
// A typed pattern as the pager takes it: trimmed, upper case, at most eight
// steps, rests filling up to eight.
std::string PatternLettersFilled(std::string_view typed);
// Eight letters to the four tone bytes; a character that is no letter of a
// tone or rest becomes tone A.
std::array<std::uint8_t, 4> PatternToneBytes(std::string_view letters8);

// LED and vibrator steps: bit 7 is the first step, "1" on, "0" off.
std::string StepBitsText(std::uint8_t steps);
// A typed step pattern: trimmed, at most eight steps, "0" filling up to eight.
std::string StepBitsFilled(std::string_view typed);
// Eight steps to their byte; fails on the first character that is neither
// "0" nor "1" (only a pasted text holds one) and names it.
struct StepBitsParse {
    std::optional<std::uint8_t> byte;
    char offending = 0;
};
StepBitsParse StepBitsByte(std::string_view steps8);

}  // namespace km640::alerts
