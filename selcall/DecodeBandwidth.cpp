#include "selcall/DecodeBandwidth.h"

#include <stdexcept>

namespace km640 {

std::string decodeBandwidthItem(int index) {
    if (index < 0 || index >= kDecodeBandwidthItems) throw std::out_of_range("decoder bandwidth item");
    const int p10 = spacingP10(index);
    return std::to_string(p10 / 10) + "." + std::to_string(p10 % 10);
}

int decodeBandwidthIndex(std::uint8_t stored) {
    return stored < kDecodeBandwidthItems ? stored : kDefaultDecodeBandwidth;
}

int storedDecodeBandwidthIndex(const CodePlugImage& image) {
    return decodeBandwidthIndex(image.byte(kDecodeBandwidthOffset));
}

}  // namespace km640
