#pragma once
// Code-plugs to show, normalise and write that no window wrote: the built-in
// code-plug as it is stored, noise, erased memory, and channels whose spacing
// code does not fit their frequency. Each carries the model text, so the
// window and km640-cli accept it as a KM640 code-plug.

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "codeplug/CodePlugImage.h"
#include "rf/ChannelRef.h"

namespace km640::testing {

inline CodePlugImage withModelText(CodePlugImage image) {
    WriteModelText(image);
    return image;
}

inline std::vector<std::pair<std::string, CodePlugImage>> hostileImages() {
    std::vector<std::pair<std::string, CodePlugImage>> images;
    images.emplace_back("built-in", withModelText(DefaultImage()));
    for (const unsigned seed : {1u, 2u, 3u}) {
        std::mt19937 random(seed);
        CodePlugImage noise;
        for (auto& b : noise.bytes()) b = static_cast<std::uint8_t>(random());
        images.emplace_back("random bytes, seed " + std::to_string(seed), withModelText(noise));
    }
    CodePlugImage erased;
    erased.bytes().fill(0xFF);
    images.emplace_back("every byte 0xFF", withModelText(erased));
    CodePlugImage offRaster = withModelText(DefaultImage());
    setSpacingCode(offRaster, {Channel::F1, 0}, 2);   // 12.5 kHz for 152.0000 MHz: fits
    setSpacingCode(offRaster, {Channel::F2, 1}, 1);   // 6.25 kHz for 152.34 MHz: does not
    setSpacingCode(offRaster, {Channel::F1, 2}, 17);  // "Auto" resolved to 6.25 kHz for 152.125 MHz
    setSpacingCode(offRaster, {Channel::F2, 3}, 9);   // no code at all
    images.emplace_back("spacing codes that disagree with their frequencies", offRaster);
    return images;
}

}  // namespace km640::testing
