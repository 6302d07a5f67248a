#pragma once
// One receive channel of one profile in the code-plug, and the reads and
// writes of its fields.

#include <cstdint>
#include <string>

#include "codeplug/CodePlugImage.h"
#include "rf/ProfileLayout.h"
#include "rf/SynthesizerWords.h"

namespace km640 {

struct ChannelRef {
    Channel channel;
    int profile;  // 0..3

    bool operator==(const ChannelRef&) const = default;
};

// The stored frequency in units of 100 Hz (see decodeFrequencyBcd).
std::uint32_t channelUnits(const CodePlugImage& image, ChannelRef ref);
void setChannelUnits(CodePlugImage& image, ChannelRef ref, std::uint32_t units);

std::uint8_t spacingCode(const CodePlugImage& image, ChannelRef ref);
void setSpacingCode(CodePlugImage& image, ChannelRef ref, std::uint8_t code);

// The words that belong to the stored frequency and spacing code.
SynthesizerWords channelWords(const CodePlugImage& image, ChannelRef ref);

// The words as they sit in the record.
std::uint32_t storedPllnWord(const CodePlugImage& image, ChannelRef ref);
std::uint32_t storedPllrWord(const CodePlugImage& image, ChannelRef ref);

// Computes the words of every profile's F1 and F2 from their frequencies and
// spacing codes and stores them; the words an image arrived with are never
// read.
void recomputeSynthesizerWords(CodePlugImage& image);

// What the controls of one channel group show.
struct ChannelView {
    std::string frequencyText;  // "%07d", for edtF1Freq/edtF2Freq
    int spacingItem;            // cboF1CS/cboF2CS item
    std::string pllnText;       // lblF1PLLN/lblF2PLLN
    std::string pllrText;       // lblF1PLLR/lblF2PLLR
    std::string multiplierText; // lblF1MUTL/lblF2MUTL, "1" or "2"
    bool bandwidthLocked;       // low band: cboF1BW/cboF2BW shows "WB" and is disabled
};
ChannelView channelView(const CodePlugImage& image, ChannelRef ref);

}  // namespace km640
