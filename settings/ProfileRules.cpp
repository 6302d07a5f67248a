#include "settings/ProfileRules.h"

#include <cmath>
#include <cstdio>

#include "codeplug/MemoryMap.h"
#include "settings/FieldRef.h"
#include "settings/SystemBlock.h"

namespace km640::profiles {

namespace {

constexpr std::uint8_t kLastTwoChannelCode = 6;
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

void activeSwitchesFollow(CodePlugImage& image, int profile) {
    static const FieldRef initial = FieldRef::of("InitialProfile");
    if (initial.get(image) == profile) copyActiveSwitchSettings(image, profile);
}

void storePushToListen(CodePlugImage& image, int profile, int sw, bool on) {
    FieldRef::of("Profile[{}].Switch{}.PushToListen", profile, sw).set(image, on ? 1 : 0);
    if (on) FieldRef::of("Profile[{}].Switch{}.AlertType", profile, sw).set(image, kPushToListenAlert);
    activeSwitchesFollow(image, profile);
}

ChannelLayout storedLayout(const CodePlugImage& image) {
    static const FieldRef twoChannels = FieldRef::of("TwoChannelMode");
    return twoChannels.get(image) != 0 ? ChannelLayout::Two : ChannelLayout::One;
}

void storeSwitchMode(CodePlugImage& image, ChannelLayout layout, int profile, int sw, int entry) {
    if (!modeAllowsPushToListen(layout, entry))
        FieldRef::of("Profile[{}].Switch{}.PushToListen", profile, sw).set(image, 0);
    FieldRef::of("Profile[{}].Switch{}.Mode", profile, sw).set(image, modeCode(layout, entry));
    activeSwitchesFollow(image, profile);
}

void storeShownSwitchModes(CodePlugImage& image) {
    const ChannelLayout layout = storedLayout(image);
    for (int sw = 0; sw < kSwitchCount; ++sw)
        for (int p = 0; p < kProfileCount; ++p)
            if (const auto entry = modeEntry(layout, FieldRef::of("Profile[{}].Switch{}.Mode", p, sw).get(image)))
                storeSwitchMode(image, layout, p, sw, *entry);
}

namespace {

// The entries a new run's lists start with, for SW-A to SW-D.
constexpr std::array<int, kSwitchCount> kTwoChannelStart = {5, 4, 2, 3};
constexpr std::array<int, kSwitchCount> kOneChannelStart = {1, 1, 1, 1};

template <class Memories>
auto& memoryOf(Memories& memories, ChannelLayout layout, int profile, int sw) {
    auto& lists = layout == ChannelLayout::Two ? memories.two : memories.one;
    return lists.at(static_cast<std::size_t>(profile)).at(static_cast<std::size_t>(sw));
}

}  // namespace

SwitchModeMemories startingModeMemories() {
    SwitchModeMemories memories;
    memories.two.fill(kTwoChannelStart);
    memories.one.fill(kOneChannelStart);
    return memories;
}

void rememberMode(SwitchModeMemories& memories, ChannelLayout layout, int profile, int sw, int entry) {
    memoryOf(memories, layout, profile, sw) = entry;
}

void rememberShownModes(SwitchModeMemories& memories, const CodePlugImage& image) {
    const ChannelLayout layout = storedLayout(image);
    for (int p = 0; p < kProfileCount; ++p)
        for (int sw = 0; sw < kSwitchCount; ++sw)
            if (const auto entry = modeEntry(layout, FieldRef::of("Profile[{}].Switch{}.Mode", p, sw).get(image)))
                rememberMode(memories, layout, p, sw, *entry);
}

SwitchModeMemories modeMemoriesAfterOpening(const CodePlugImage& image) {
    SwitchModeMemories memories = startingModeMemories();
    rememberShownModes(memories, DefaultImage());
    rememberShownModes(memories, image);
    return memories;
}

void restoreRememberedModes(CodePlugImage& image, ChannelLayout layout, const SwitchModeMemories& memories) {
    for (int p = 0; p < kProfileCount; ++p)
        for (int sw = 0; sw < kSwitchCount; ++sw)
            storeSwitchMode(image, layout, p, sw, memoryOf(memories, layout, p, sw));
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
    if (!(seconds >= kShortestResetDelay && seconds <= kLongestResetDelay))
        return {ResetDelayEntry::Outcome::OutOfRange, 0, {}};
    const double whole = std::floor(seconds);
    const bool onStep = seconds == whole || std::round(seconds * 10.0) / 10.0 == whole + kResetDelayStepSeconds;
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

void selProfileFollowsProfilesOn(CodePlugImage& image) {
    if (profilesOnCount(image) != 1) return;
    static const FieldRef items = FieldRef::of("IdleMenuItems");
    static const FieldRef count = FieldRef::of("IdleMenuCount");
    items.bit(sysblock::kSelProfileItem).set(image, 0);
    count.set(image, sysblock::MenuCount(items.get(image)));
}

void selProfileAfterProfileOnClick(CodePlugImage& image) {
    selProfileFollowsProfilesOn(image);
    static const FieldRef items = FieldRef::of("PowerOnMenuItems");
    static const FieldRef count = FieldRef::of("PowerOnMenuCount");
    items.bit(sysblock::kSelProfileItem).set(image, profilesOnCount(image) == 1 ? 0 : 1);
    count.set(image, sysblock::MenuCount(items.get(image)));
}

}  // namespace km640::profiles
