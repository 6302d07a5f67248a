#pragma once
// Channel spacing: the raster the synthesizer steps in, as the spacing list
// offers it and as the profile record codes it.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace km640 {

enum class Spacing { Hz2500 = 2500, Hz6250 = 6250, Hz12500 = 12500 };

constexpr int spacingHz(Spacing spacing) { return static_cast<int>(spacing); }

// Items of the "Channel Space" list; the item index is what the window passes.
constexpr std::array<std::string_view, 4> kSpacingItems = {"2.5 K", "6.25 K", "12.5 K", "Auto"};
constexpr int kAutoSpacingItem = 3;

// Codes 0, 1, 2 are the fixed items; "Auto" stores 16 + the position of the
// spacing it found in the order 12.5, 6.25, 2.5 kHz.
constexpr std::uint8_t kAutoCodeBase = 16;

// The spacing check of a commit: the code to store for list item `item` at
// `hz`, or nullopt when the frequency is not on that raster (for "Auto": on
// none of the three).
std::optional<std::uint8_t> spacingCodeFor(int item, std::int64_t hz);

// The list item showing a stored code: codes 0, 1, 2 their own item, every
// other code "Auto".
int spacingItemOfCode(std::uint8_t code);

// The spacing the synthesizer words are computed with. Codes 0, 1, 2, 16, 17,
// 18 name their spacing. Any other code (only a loaded image brings one) is
// shown as "Auto" and so is resolved as "Auto" would resolve it at `hz`;
// when no raster fits, 12.5 kHz, the first one "Auto" tries.
Spacing spacingOfCode(std::uint8_t code, std::int64_t hz);

}  // namespace km640
