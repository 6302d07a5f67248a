#pragma once
// The two register words the pager loads into its frequency synthesizer for a
// channel. The pager computes nothing itself; the words travel in the
// code-plug next to the frequency they were made from.

#include <cstdint>
#include <string>

#include "rf/ChannelSpacing.h"
#include "rf/FrequencyBand.h"

namespace km640 {

constexpr std::int64_t kIntermediateHz = 21'400'000;  // receiver IF
constexpr std::int64_t kReferenceHz = 20'950'000;     // reference oscillator constant
constexpr std::uint32_t kPrescalerModulus = 32;       // dual-modulus prescaler

struct SynthesizerWords {
    Band band;
    int multiplier;       // "MUTL"
    std::uint32_t n;      // total divide ratio
    std::uint32_t b;      // N div 32
    std::uint32_t a;      // N mod 32
    std::uint32_t plln;   // B << 12 | A << 7
    std::uint32_t pllr;   // ((20,950,000 div S) div 4) << 8 | 0x11

    bool operator==(const SynthesizerWords&) const = default;
};

// Words for a receive frequency: the synthesizer runs the IF above the channel
// in the low band and below it elsewhere, divided by the band's multiplier.
// Every division truncates, in the order ((f +/- IF) div M) div S. A
// frequency at or below the IF (only a loaded image brings one) gives N = 0.
SynthesizerWords computeSynthesizerWords(std::int64_t hz, Spacing spacing);

// How the window shows a word: eight uppercase hexadecimal digits.
std::string wordText(std::uint32_t word);

}  // namespace km640
