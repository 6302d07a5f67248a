#include "rf/FrequencyBand.h"

#include "rf/FrequencyBcd.h"

namespace km640 {

Band bandOf(std::int64_t hz) {
    if (hz >= kLowestChannelHz && hz <= kLowBandTopHz) return Band::Low;
    if (hz >= kVhfBottomHz && hz <= kVhfTopHz) return Band::Vhf;
    return Band::Upper;
}

int bandMultiplier(Band band) { return band == Band::Upper ? 2 : 1; }

bool partnerAccepts(Band band, std::uint32_t partnerUnits) {
    switch (band) {
    case Band::Low: return partnerUnits >= 330'000 && partnerUnits <= 490'000;
    case Band::Vhf: return partnerUnits >= 1'000'000 && partnerUnits <= 2'000'000;
    case Band::Upper: return partnerUnits > 2'000'000;
    }
    return false;
}

bool frequencyHasNoPartner(std::uint32_t units) {
    return !partnerAccepts(bandOf(frequencyHz(units)), units);
}

}  // namespace km640
