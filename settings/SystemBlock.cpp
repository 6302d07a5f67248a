#include "settings/SystemBlock.h"

#include <cstdio>

#include "codeplug/KeyFilters.h"

namespace km640::sysblock {

namespace {

// The pager's battery measurement codes from 3.25 V to 4.15 V.
constexpr BatteryStep kBattery[] = {
    {325, 138}, {330, 140}, {335, 142}, {340, 145}, {345, 147}, {350, 149}, {355, 151},
    {360, 153}, {365, 155}, {370, 157}, {375, 160}, {380, 162}, {385, 164}, {390, 166},
    {395, 168}, {400, 170}, {405, 172}, {410, 174}, {415, 177},
};

struct VoltRange {
    int top;
    int bottom;
};
constexpr VoltRange kLevelRanges[] = {{370, 350}, {395, 360}, {415, 370}};

// The lists are searched over their first ten entries only.
constexpr std::size_t kBatteryEntriesSearched = 10;

}  // namespace

std::span<const BatteryStep> BatteryTable() { return kBattery; }

std::optional<int> BatteryHundredths(std::uint8_t code) {
    for (const auto& step : kBattery)
        if (step.code == code) return step.hundredths;
    return std::nullopt;
}

std::optional<std::uint8_t> BatteryCode(int hundredths) {
    for (const auto& step : kBattery)
        if (step.hundredths == hundredths) return step.code;
    return std::nullopt;
}

std::string VoltText(int hundredths) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d.%02dV", hundredths / 100, hundredths % 100);
    return buf;
}

std::vector<std::string> BatteryListItems(BatteryLevel level) {
    const VoltRange r = kLevelRanges[static_cast<int>(level)];
    std::vector<std::string> items;
    for (int v = r.top; v >= r.bottom; v -= 5) items.push_back(VoltText(v));
    return items;
}

std::optional<int> BatteryListEntry(std::span<const std::string> items, std::uint8_t code) {
    const auto volts = BatteryHundredths(code);
    if (!volts) return std::nullopt;
    const std::string text = VoltText(*volts);
    for (std::size_t k = 0; k < items.size() && k < kBatteryEntriesSearched; ++k)
        if (items[k].starts_with(text)) return static_cast<int>(k);
    return std::nullopt;
}

std::optional<int> AlertPeriodEntry(std::uint8_t code) {
    for (std::size_t k = 0; k < kAlertPeriodCodes.size(); ++k)
        if (kAlertPeriodCodes[k] == code) return static_cast<int>(k);
    return std::nullopt;
}

int ListVoltHundredths(std::string_view entry) {
    auto digit = [&](std::size_t k) { return k < entry.size() ? entry[k] - '0' : 0; };
    return digit(0) * 100 + digit(2) * 10 + digit(3);
}

bool BatteryOrderRefused(BatteryLevel changed, int low, int medium, int high) {
    switch (changed) {
    case BatteryLevel::High: return low >= high || medium >= high;
    case BatteryLevel::Medium: return medium >= high || low >= medium;
    case BatteryLevel::Low: return low >= medium || low >= high;
    }
    return true;
}

std::array<std::uint8_t, 4> PasswordBytes(std::string_view typed) {
    const std::string_view digits = TrimBlanks(typed).substr(0, 4);
    std::array<std::uint8_t, 4> bytes{};
    for (std::size_t k = 0; k < digits.size(); ++k) bytes[k] = static_cast<std::uint8_t>(digits[k]);
    return bytes;
}

std::uint8_t MenuCount(std::uint8_t items) {
    for (int bit = 7; bit >= 0; --bit)
        if (items & (1u << bit)) return static_cast<std::uint8_t>(bit + 1);
    return 0;
}

int MsgReadStatusShown(std::uint8_t byte) { return byte == 0 || byte == 1 || byte == 255 ? byte : byte >> 1; }

int BacklightShown(std::uint8_t byte) { return byte == 255 ? 255 : byte >> 1; }

bool MsgReadStatusAccepted(int shown) { return shown == 255 || (shown >= 0 && shown <= 120); }

std::uint8_t MsgReadStatusStored(int shown) {
    return static_cast<std::uint8_t>(shown == 0 || shown == 1 || shown == 255 ? shown : shown * 2);
}

bool BacklightAccepted(int seconds) { return seconds == 255 || (seconds >= 1 && seconds <= 127); }

std::uint8_t BacklightStored(int seconds) { return static_cast<std::uint8_t>(seconds == 255 ? 255 : seconds * 2); }

int DecodingTimeMinimum(std::uint8_t toneSystem) { return toneSystem == kPlectronToneSystem ? 0 : 5; }

std::vector<std::string> DecodeBandwidthItems() {
    std::vector<std::string> items;
    for (int tenths = 1; tenths <= 31; tenths += 2) items.push_back(std::to_string(tenths / 10) + "." + std::to_string(tenths % 10));
    return items;
}

std::vector<int> PromptsOfIdleItem(int item) {
    // "Clear Read Message" also owns the clearing, yes and no prompts; "Set
    // Date and Time" also the time prompt.
    if (item == 1) return {1, 9, 10, 11};
    if (item == 3) return {3, 8};
    return {item};
}

}  // namespace km640::sysblock
