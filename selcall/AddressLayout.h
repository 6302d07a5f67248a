#pragma once
// Where the call addresses of the two receive channels live in the code-plug:
// the 16-byte address records, the address names and the tone-decoder words.
// Every offset is an image offset; records 0..7 are the individual addresses
// "#1".."#8", records 8..11 the group addresses "Group #1".."Group #4".

#include <cstdint>

namespace km640 {

// The pager's two receive channels.
enum class CallChannel { F1 = 0, F2 = 1 };

namespace address {

constexpr int kRecordCount = 12;
constexpr int kIndividualCount = 8;
constexpr int kGroupCount = 4;
constexpr int kFirstGroup = 8;
constexpr int kRecordSize = 16;

constexpr int kF1Records = 256;  // 0x100, F1 address table
constexpr int kF2Records = 512;  // 0x200, F2 address table

// Byte positions inside a record.
constexpr int kTone1 = 0;          // Tone 1, or the group tone, 3 bytes BCD in 0.01 Hz
constexpr int kTone2 = 3;          // Tone 2 of individual addresses, 3 bytes BCD
constexpr int kToneBcdLength = 3;
constexpr int kFlags = 6;          // flag bits below
constexpr int kProfiles = 7;       // bit p: active in profile p + 1 (bits 0..3)
constexpr int kSwitches = 8;       // bit s: member of switch SW-A..SW-D (bits 0..3)
constexpr int kAlertTone = 14;     // 16 standard, 17 continuous, 0..7 user pattern 1..8
constexpr int kAlertSeconds = 15;  // fixed alert time, 1..127 s

// Bits of the flag byte. Bits 1, 2, 5 and 6 belong to the pager and are kept.
constexpr int kAddrOnBit = 0;            // 1 = address in use
constexpr int kNoVibInChargerBit = 3;    // inverted: 0 = vibrate in the charger
constexpr int kFixedAlertTimeBit = 4;    // 0 = STD, 1 = FIXED
constexpr int kPriorityAlertBit = 7;     // 1 = priority alert
constexpr int kProfileBits = 4;          // width of the profile and switch fields
constexpr int kSwitchBits = 4;

constexpr std::uint8_t kAlertToneStandard = 16;
constexpr std::uint8_t kAlertToneContinuous = 17;
constexpr int kAlertPatternCount = 8;
constexpr int kMinAlertSeconds = 1;
constexpr int kMaxAlertSeconds = 127;

// Address names: 12 blank-filled characters per record.
constexpr int kF1Names = 768;  // 0x300
constexpr int kF2Names = 960;  // 0x3C0
constexpr int kNameLength = 12;

// Tone-decoder words: per record a Tone 1 word and a Tone 2 word, 16-bit big-endian.
// Group records use only the Tone 1 word; the two bytes after it stay untouched.
constexpr int kF1ToneWords = 1408;  // 0x580
constexpr int kF2ToneWords = 1456;  // 0x5B0
constexpr int kToneWordStride = 4;
constexpr int kTone2Word = 2;

constexpr int recordOffset(CallChannel c, int record) {
    return (c == CallChannel::F1 ? kF1Records : kF2Records) + kRecordSize * record;
}
constexpr int flagsOffset(CallChannel c, int record) { return recordOffset(c, record) + kFlags; }
constexpr int tone1Offset(CallChannel c, int record) { return recordOffset(c, record) + kTone1; }
constexpr int tone2Offset(CallChannel c, int record) { return recordOffset(c, record) + kTone2; }
constexpr int nameOffset(CallChannel c, int record) {
    return (c == CallChannel::F1 ? kF1Names : kF2Names) + kNameLength * record;
}
constexpr int tone1WordOffset(CallChannel c, int record) {
    return (c == CallChannel::F1 ? kF1ToneWords : kF2ToneWords) + kToneWordStride * record;
}
constexpr int tone2WordOffset(CallChannel c, int record) { return tone1WordOffset(c, record) + kTone2Word; }

// The tables end where the reserved bytes after them begin.
static_assert(recordOffset(CallChannel::F1, kRecordCount) == 448);
static_assert(recordOffset(CallChannel::F2, kRecordCount) == 704);
static_assert(nameOffset(CallChannel::F1, kRecordCount) == 912);
static_assert(nameOffset(CallChannel::F2, kRecordCount) == 1104);
static_assert(tone1WordOffset(CallChannel::F1, kRecordCount) == kF2ToneWords);
static_assert(tone1WordOffset(CallChannel::F2, kRecordCount) == 1504);

}  // namespace address
}  // namespace km640
