#include "selcall/ToneSystem.h"

#include "selcall/ToneCoding.h"
#include "selcall/TonePlan.h"

namespace km640 {

ToneSystem toneSystemFromByte(std::uint8_t stored) {
    switch (stored) {
    case 1: return ToneSystem::User;
    case 2: return ToneSystem::Plectron;
    default: return ToneSystem::Standard;
    }
}

ToneSystem storedToneSystem(const CodePlugImage& image) {
    return toneSystemFromByte(image.byte(kToneSystemOffset));
}

ToneRange toneRange(ToneSystem system) {
    switch (system) {
    case ToneSystem::User: return {kLowestDecoderTone, kHighestDecoderTone};
    case ToneSystem::Plectron: return {kPlectronTonePlan.front(), kPlectronTonePlan.back()};
    case ToneSystem::Standard: break;
    }
    return {standardTonePlan().front(), standardTonePlan().back()};
}

std::span<const int> tonePlan(ToneSystem system) {
    switch (system) {
    case ToneSystem::Standard: return standardTonePlan();
    case ToneSystem::Plectron: return kPlectronTonePlan;
    case ToneSystem::User: break;
    }
    return {};
}

TonePicker tonePickerFor(ToneSystem system) {
    switch (system) {
    case ToneSystem::Standard: return TonePicker::ToneTable;
    case ToneSystem::Plectron: return TonePicker::PlectronTable;
    case ToneSystem::User: break;
    }
    return TonePicker::None;
}

int decoderTimingSet(ToneSystem system) {
    return system == ToneSystem::Plectron ? kPlectronTimingSet : kStdTimingSet;
}

std::array<int, 5> decoderTimingOffsets(ToneSystem system) {
    std::array<int, 5> offsets{};
    for (std::size_t i = 0; i < offsets.size(); ++i) offsets[i] = decoderTimingSet(system) + kTimingFieldPositions[i];
    return offsets;
}

}  // namespace km640
