#pragma once
// Where the receive channels of the four profiles and the squelch threshold
// tables sit in the code-plug. Every rf/ routine takes its offsets from here.

namespace km640 {

// The two receive channels of a profile.
enum class Channel { F1 = 0, F2 = 1 };

constexpr Channel partnerOf(Channel channel) { return channel == Channel::F1 ? Channel::F2 : Channel::F1; }

namespace profileLayout {

constexpr int kProfileCount = 4;
constexpr int kFirstRecord = 1536;  // profile p at kFirstRecord + kRecordSize * p
constexpr int kRecordSize = 64;

// Fields of channel F1, relative to the record; channel F2 has the same
// fields kChannelStride bytes further on.
constexpr int kFrequency = 32;    // 4 bytes packed BCD, units of 100 Hz
constexpr int kFrequencyLength = 4;
constexpr int kPllnWord = 36;     // 32-bit big-endian main-divider word
constexpr int kPllrWord = 40;     // 32-bit big-endian reference-divider word
constexpr int kSpacingCode = 44;  // channel spacing code
constexpr int kBandwidth = 46;    // 0 wide band, 1 narrow band
constexpr int kSquelch = 47;      // squelch level entry 0..4
constexpr int kChannelStride = 16;

constexpr int recordOffset(int profile) { return kFirstRecord + kRecordSize * profile; }

// Absolute offset of one channel field (field = one of the F1 offsets above).
constexpr int channelField(int profile, Channel channel, int field) {
    return recordOffset(profile) + field + (channel == Channel::F2 ? kChannelStride : 0);
}

}  // namespace profileLayout

namespace thresholdLayout {

constexpr int kNarrowTable = 1504;  // "NB Squelch", 5 levels
constexpr int kWideTable = 1520;    // "WB Squelch", 5 levels
constexpr int kLevelCount = 5;
constexpr int kLevelSize = 3;       // NRSSI, Speaker OFF, Speaker ON

}  // namespace thresholdLayout

}  // namespace km640
