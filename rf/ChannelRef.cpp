#include "rf/ChannelRef.h"

#include <span>

#include "rf/FrequencyBcd.h"

namespace km640 {
namespace {

int fieldOffset(ChannelRef ref, int field) { return profileLayout::channelField(ref.profile, ref.channel, field); }

std::uint32_t readWord32(const CodePlugImage& image, int offset) {
    return (static_cast<std::uint32_t>(image.word(offset)) << 16) | image.word(offset + 2);
}

void writeWord32(CodePlugImage& image, int offset, std::uint32_t word) {
    image.setWord(offset, static_cast<std::uint16_t>(word >> 16));
    image.setWord(offset + 2, static_cast<std::uint16_t>(word & 0xFFFF));
}

}  // namespace

std::uint32_t channelUnits(const CodePlugImage& image, ChannelRef ref) {
    const auto bytes = image.span(fieldOffset(ref, profileLayout::kFrequency), profileLayout::kFrequencyLength);
    return decodeFrequencyBcd(bytes.first<4>());
}

void setChannelUnits(CodePlugImage& image, ChannelRef ref, std::uint32_t units) {
    const auto bcd = encodeFrequencyBcd(units);
    image.copyIn(fieldOffset(ref, profileLayout::kFrequency), bcd);
}

std::uint8_t spacingCode(const CodePlugImage& image, ChannelRef ref) {
    return image.byte(fieldOffset(ref, profileLayout::kSpacingCode));
}

void setSpacingCode(CodePlugImage& image, ChannelRef ref, std::uint8_t code) {
    image.setByte(fieldOffset(ref, profileLayout::kSpacingCode), code);
}

SynthesizerWords channelWords(const CodePlugImage& image, ChannelRef ref) {
    const std::int64_t hz = frequencyHz(channelUnits(image, ref));
    return computeSynthesizerWords(hz, spacingOfCode(spacingCode(image, ref), hz));
}

std::uint32_t storedPllnWord(const CodePlugImage& image, ChannelRef ref) {
    return readWord32(image, fieldOffset(ref, profileLayout::kPllnWord));
}

std::uint32_t storedPllrWord(const CodePlugImage& image, ChannelRef ref) {
    return readWord32(image, fieldOffset(ref, profileLayout::kPllrWord));
}

void recomputeSynthesizerWords(CodePlugImage& image) {
    for (const Channel channel : {Channel::F1, Channel::F2}) {
        for (int p = 0; p < profileLayout::kProfileCount; ++p) {
            const ChannelRef ref{channel, p};
            const SynthesizerWords words = channelWords(image, ref);
            writeWord32(image, fieldOffset(ref, profileLayout::kPllnWord), words.plln);
            writeWord32(image, fieldOffset(ref, profileLayout::kPllrWord), words.pllr);
        }
    }
}

ChannelView channelView(const CodePlugImage& image, ChannelRef ref) {
    const Band band = bandOf(frequencyHz(channelUnits(image, ref)));
    return ChannelView{
        frequencyFieldText(channelUnits(image, ref)),
        spacingItemOfCode(spacingCode(image, ref)),
        wordText(storedPllnWord(image, ref)),
        wordText(storedPllrWord(image, ref)),
        std::to_string(bandMultiplier(band)),
        bandwidthLocked(band),
    };
}

}  // namespace km640
