#pragma once
// Builds code-plugs for the selective-calling tests: the built-in code-plug with
// the tone system, the decoder bandwidth and some address tones set.

#include <vector>

#include "codeplug/CodePlugImage.h"
#include "selcall/AddressLayout.h"
#include "selcall/DecodeBandwidth.h"
#include "selcall/ToneCoding.h"
#include "selcall/ToneField.h"
#include "selcall/ToneSystem.h"

namespace km640::test {

struct ToneSetting {
    ToneField field;
    int tenths;
    bool inUse = true;
};

// Bandwidth items: 0 = "0.1", 12 = "2.5", 15 = "3.1".
inline CodePlugImage selcallImage(ToneSystem system, int bandwidthIndex, const std::vector<ToneSetting>& tones) {
    CodePlugImage image = DefaultImage();
    image.setByte(kToneSystemOffset, static_cast<std::uint8_t>(system));
    image.setByte(kDecodeBandwidthOffset, static_cast<std::uint8_t>(bandwidthIndex));
    for (const auto& t : tones) {
        image.copyIn(toneBcdOffset(t.field), *toneToBcd(t.tenths));
        image.SetBits(address::flagsOffset(t.field.channel, t.field.record), address::kAddrOnBit, t.inUse ? 1 : 0, 1);
    }
    return image;
}

inline ToneField f1Tone1(int record) { return {CallChannel::F1, ToneColumn::Tone1, record}; }
inline ToneField f1Tone2(int record) { return {CallChannel::F1, ToneColumn::Tone2, record}; }
inline ToneField f2Tone1(int record) { return {CallChannel::F2, ToneColumn::Tone1, record}; }
inline ToneField f2Tone2(int record) { return {CallChannel::F2, ToneColumn::Tone2, record}; }
inline ToneField f1Group(int record) { return {CallChannel::F1, ToneColumn::Group, record}; }
inline ToneField f2Group(int record) { return {CallChannel::F2, ToneColumn::Group, record}; }

}  // namespace km640::test
