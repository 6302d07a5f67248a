#include "rf/FrequencyBcd.h"

#include <algorithm>
#include <cstdio>

namespace km640 {

std::uint32_t decodeFrequencyBcd(std::span<const std::uint8_t, 4> bcd) {
    std::uint32_t units = 0;
    for (const std::uint8_t b : bcd) {
        const unsigned high = std::min(b >> 4, 9);
        const unsigned low = std::min(b & 0x0F, 9);
        units = units * 100 + high * 10 + low;
    }
    return units;
}

std::array<std::uint8_t, 4> encodeFrequencyBcd(std::uint32_t units) {
    units = std::min(units, kMaxFrequencyUnits);
    std::array<std::uint8_t, 4> bcd{};
    for (int k = 3; k >= 0; --k) {
        const unsigned pair = units % 100;
        units /= 100;
        bcd[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(((pair / 10) << 4) | (pair % 10));
    }
    return bcd;
}

std::string frequencyFieldText(std::uint32_t units) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%07u", static_cast<unsigned>(units));
    return buf;
}

std::optional<std::uint32_t> parseFrequencyEntry(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    if (text.size() > 8) return std::nullopt;
    std::uint32_t units = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        units = units * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return units;
}

}  // namespace km640
