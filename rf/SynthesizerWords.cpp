#include "rf/SynthesizerWords.h"

#include <cstdio>

namespace km640 {

SynthesizerWords computeSynthesizerWords(std::int64_t hz, Spacing spacing) {
    SynthesizerWords w{};
    w.band = bandOf(hz);
    w.multiplier = bandMultiplier(w.band);
    const std::int64_t s = spacingHz(spacing);
    std::int64_t synthHz = w.band == Band::Low ? hz + kIntermediateHz : hz - kIntermediateHz;
    if (synthHz < 0) synthHz = 0;
    w.n = static_cast<std::uint32_t>((synthHz / w.multiplier) / s);
    w.b = w.n / kPrescalerModulus;
    w.a = w.n % kPrescalerModulus;
    w.plln = (w.b << 12) | (w.a << 7);
    w.pllr = static_cast<std::uint32_t>(((kReferenceHz / s) / 4) << 8) | 0x11u;
    return w;
}

std::string wordText(std::uint32_t word) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(word));
    return buf;
}

}  // namespace km640
