#pragma once
// The tone system the pager's decoder works with: the standard Motorola/GE plans,
// free user tones kept apart by the spacing rule, or the Plectron format tones.
// It sets the accepted tone range, how a typed tone is fitted, which picker opens
// and which of the two decoder timing sets the timing fields edit.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "codeplug/CodePlugImage.h"

namespace km640 {

enum class ToneSystem : std::uint8_t { Standard = 0, User = 1, Plectron = 2 };

constexpr int kToneSystemOffset = 5;  // system block byte holding the tone system
constexpr int kToneSystemCount = 3;

// Captions of the "Tone System" radio buttons, by tag.
constexpr std::array<std::string_view, kToneSystemCount> kToneSystemNames = {"Standard", "User", "Plectron"};

// The stored byte as a tone system. A byte no button stands for (a foreign or
// damaged code-plug) reads as Standard, the button selected when nothing else is.
ToneSystem toneSystemFromByte(std::uint8_t stored);
ToneSystem storedToneSystem(const CodePlugImage& image);

// Accepted tones, inclusive, in tenths of a hertz.
struct ToneRange {
    int lowest;
    int highest;
    bool contains(int tenths) const { return tenths >= lowest && tenths <= highest; }
};
ToneRange toneRange(ToneSystem system);

// The plan a typed tone is fitted to; empty for the User system, which keeps typed
// tones and applies the spacing rule instead.
std::span<const int> tonePlan(ToneSystem system);

// The picker F9 or a double-click opens: none in the User system.
enum class TonePicker { None, ToneTable, PlectronTable };
TonePicker tonePickerFor(ToneSystem system);

// Decoder timing sets: the Plectron set serves the Plectron system, the standard set
// the Standard and User systems. The timing fields edit the even bytes at these
// positions of the active set: T1 min, T1 max, T2 min, T2 max, group min.
constexpr int kPlectronTimingSet = 112;  // 0x070
constexpr int kStdTimingSet = 128;       // 0x080
constexpr std::array<int, 5> kTimingFieldPositions = {0, 2, 4, 6, 8};
// The timing fields of the "Advance" page that show those bytes, in the same order.
constexpr std::array<std::string_view, 5> kTimingFieldNames = {"edtT1Min", "edtT1Max", "edtT2Min", "edtT2Max",
                                                               "edtGroupMin"};
int decoderTimingSet(ToneSystem system);
// The image offsets the five timing fields show in a tone system.
std::array<int, 5> decoderTimingOffsets(ToneSystem system);

}  // namespace km640
