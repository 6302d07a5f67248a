#include "settings/ProfileRules.h"

#include <cmath>
#include <cstdio>

#include "codeplug/MemoryMap.h"

namespace km640::profiles {

namespace {

constexpr std::uint8_t kLastTwoChannelCode = 6;
constexpr double kLongestResetDelay = 127.5;

}  // namespace

std::string profileCaption(int profile) { return "Profile " + std::to_string(profile + 1); }

std::uint8_t modeCode(ChannelLayout layout, int entry) {
    return static_cast<std::uint8_t>(layout == ChannelLayout::One ? entry * 2 : entry);
}

std::optional<int> modeEntry(ChannelLayout layout, std::uint8_t code) {
    if (layout == ChannelLayout::Two) {
        if (code <= kLastTwoChannelCode) return code;
        return std::nullopt;
    }
    // "Monitor F2" and "Selective Call F2" fall back to their F1 modes.
    const int entry = code / 2;
    if (entry < static_cast<int>(kOneChannelModes.size())) return entry;
    return std::nullopt;
}

bool modeAllowsPushToListen(ChannelLayout layout, int entry) {
    if (layout == ChannelLayout::One) return entry == 1;
    return entry == 2 || entry == 3 || entry == 5;
}

std::optional<int> alertTypeEntry(std::uint8_t alertBits) {
    if (alertBits < kAlertTypes.size()) return alertBits;
    return std::nullopt;
}

int switchByteOffset(int profile, int sw) {
    return memmap::field("Profile[{}].Switch{}.Mode", profile, sw).offset;
}

void copyActiveSwitchSettings(CodePlugImage& image, int profile) {
    static const int active = memmap::field("ActiveSwitchSettings").offset;
    for (int s = 0; s < kSwitchCount; ++s) image.setByte(active + s, image.byte(switchByteOffset(profile, s)));
}

std::vector<std::string_view> resetControlItems(int profile) {
    return {"Auto Reset",     "Delay N sec Auto Reset",   "Revert SQ",
            "Manual RESET",   "Time-Out RESET",           "Delay AUTO N with Revert",
            profile == 0 ? "Manual Reset Until Press Reset" : "Manual Reset With Recording Stop"};
}

bool resetDelayShown(int resetEntry) { return resetEntry == 1 || resetEntry == 4 || resetEntry == 5; }

std::string resetDelayText(std::uint8_t halfSeconds) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%01.1f", halfSeconds * 0.5);
    return buf;
}

ResetDelayEntry judgeResetDelay(double seconds) {
    if (!(seconds >= 0.0 && seconds <= kLongestResetDelay)) return {ResetDelayEntry::Outcome::OutOfRange, 0, {}};
    const double whole = std::floor(seconds);
    const bool onStep = seconds == whole || std::round(seconds * 10.0) / 10.0 == whole + 0.5;
    if (!onStep) return {ResetDelayEntry::Outcome::NotHalfSecond, 0, {}};
    const auto halfSeconds = static_cast<std::uint8_t>(seconds * 2.0);
    return {ResetDelayEntry::Outcome::Stored, halfSeconds, resetDelayText(halfSeconds)};
}

int profilesOnCount(const CodePlugImage& image) {
    int count = 0;
    for (int p = 0; p < kProfileCount; ++p)
        if (image.byte(memmap::field("Profile[{}].PON", p).offset) == 1) ++count;
    return count;
}

}  // namespace km640::profiles
