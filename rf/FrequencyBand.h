#pragma once
// The three frequency bands of the receiver. All channels of a code-plug must
// lie in one band: the front end is built for one band at a time.

#include <cstdint>

namespace km640 {

enum class Band { Low, Vhf, Upper };

constexpr std::int64_t kLowestChannelHz = 33'000'000;
constexpr std::int64_t kLowBandTopHz = 51'000'000;
constexpr std::int64_t kVhfBottomHz = 100'000'000;
constexpr std::int64_t kVhfTopHz = 200'000'000;

// Low band 33..51 MHz, VHF 100..200 MHz (bounds inclusive), upper band
// everything else, including what lies below 33 MHz or between the bands.
Band bandOf(std::int64_t hz);

// Synthesizer frequency multiplier: 2 in the upper band, else 1 ("MUTL").
int bandMultiplier(Band band);

// The partner rule: may the other channel of a profile, holding `partnerUnits`
// (100 Hz), stay beside a channel of `band`? Low band 33.0..49.0 MHz, VHF
// 100..200 MHz, upper band above 200 MHz.
bool partnerAccepts(Band band, std::uint32_t partnerUnits);

// True for a frequency that its own band's partner rule rejects, so no partner
// could ever be accepted beside it: above 49 up to 51 MHz, above 51 and below
// 100 MHz, and below 33 MHz. Such a frequency is refused at commit.
bool frequencyHasNoPartner(std::uint32_t units);

// The low band receives in wide band only (the bandwidth list is locked to "WB").
constexpr bool bandwidthLocked(Band band) { return band == Band::Low; }

}  // namespace km640
