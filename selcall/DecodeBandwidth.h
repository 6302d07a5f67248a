#pragma once
// The decoder bandwidth: how far (+/- per cent) a received tone may stray from its
// nominal frequency and still be decoded. Two tones of a channel must therefore lie
// further apart than the bandwidth, which the tone spacing rule checks.

#include <cstdint>
#include <string>

#include "codeplug/CodePlugImage.h"

namespace km640 {

constexpr int kDecodeBandwidthOffset = 228;  // 0x0E4, item index of the list
constexpr int kDecodeBandwidthItems = 16;    // "0.1", "0.3", ... "3.1"
constexpr int kDefaultDecodeBandwidth = 3;   // "0.7", the built-in code-plug's choice

// The list item text of an index 0..15: "0.1" + 0.2 per step.
std::string decodeBandwidthItem(int index);

// The item a stored byte selects. A byte beyond the list (a damaged code-plug)
// selects the built-in default item rather than an item that does not exist.
int decodeBandwidthIndex(std::uint8_t stored);
int storedDecodeBandwidthIndex(const CodePlugImage& image);

// The bandwidth in tenths of a per cent (P10): 2 x index + 1, so 1 .. 31.
constexpr int spacingP10(int index) { return 2 * index + 1; }

}  // namespace km640
