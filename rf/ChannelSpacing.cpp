#include "rf/ChannelSpacing.h"

namespace km640 {
namespace {

constexpr std::array<Spacing, 3> kFixedItems = {Spacing::Hz2500, Spacing::Hz6250, Spacing::Hz12500};
constexpr std::array<Spacing, 3> kAutoOrder = {Spacing::Hz12500, Spacing::Hz6250, Spacing::Hz2500};

bool onRaster(std::int64_t hz, Spacing spacing) { return hz % spacingHz(spacing) == 0; }

std::optional<std::uint8_t> autoCode(std::int64_t hz) {
    for (std::size_t k = 0; k < kAutoOrder.size(); ++k)
        if (onRaster(hz, kAutoOrder[k])) return static_cast<std::uint8_t>(kAutoCodeBase + k);
    return std::nullopt;
}

}  // namespace

std::optional<std::uint8_t> spacingCodeFor(int item, std::int64_t hz) {
    if (item == kAutoSpacingItem) return autoCode(hz);
    if (item < 0 || item >= static_cast<int>(kFixedItems.size())) return std::nullopt;
    if (!onRaster(hz, kFixedItems[static_cast<std::size_t>(item)])) return std::nullopt;
    return static_cast<std::uint8_t>(item);
}

int spacingItemOfCode(std::uint8_t code) {
    return code < kFixedItems.size() ? code : kAutoSpacingItem;
}

Spacing spacingOfCode(std::uint8_t code, std::int64_t hz) {
    if (code < kFixedItems.size()) return kFixedItems[code];
    if (code >= kAutoCodeBase && code < kAutoCodeBase + kAutoOrder.size()) return kAutoOrder[code - kAutoCodeBase];
    const auto resolved = autoCode(hz);
    return resolved ? kAutoOrder[*resolved - kAutoCodeBase] : Spacing::Hz12500;
}

}  // namespace km640
