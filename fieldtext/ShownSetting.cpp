#include "fieldtext/ShownSetting.h"

#include <iterator>
#include <span>
#include <string_view>

#include "rf/ChannelRef.h"
#include "rf/ChannelSpacing.h"
#include "rf/FrequencyBand.h"
#include "rf/FrequencyBcd.h"
#include "rf/SquelchThresholds.h"
#include "selcall/AddressRow.h"
#include "selcall/DecodeBandwidth.h"
#include "selcall/ToneSystem.h"
#include "settings/ProfileRules.h"
#include "settings/SystemBlock.h"

namespace km640::fieldtext {

namespace {

using memmap::Field;

std::string stored(std::uint32_t value) { return "stored " + std::to_string(value); }

ShownSetting entry(std::string_view text) { return {std::string(text), {}}; }

// A value that is no entry, shown as another one.
ShownSetting shownAs(std::uint32_t value, std::string_view noun, std::string_view text) {
    return {std::string(text), stored(value) + " is no " + std::string(noun) + " (shown as " + std::string(text) + ")"};
}

// A value beyond the list: the list selects no entry, or keeps the one it had.
constexpr std::string_view kSelectsNone = "the window selects none";
constexpr std::string_view kKeepsSelection = "the window keeps its selection";

ShownSetting noEntry(std::uint32_t value, std::string_view noun, std::string_view outcome = kSelectsNone) {
    return {std::to_string(value) + " (no entry)",
            stored(value) + " is no " + std::string(noun) + "; " + std::string(outcome)};
}

template <class Items>
ShownSetting listEntry(const Items& items, std::uint32_t value, std::string_view noun) {
    if (value < std::size(items)) return entry(items[value]);
    return noEntry(value, noun);
}

std::uint32_t number(const CodePlugImage& image, std::string_view name) {
    return memmap::readNumber(image, memmap::field(name));
}

// ---- System block ------------------------------------------------------------

ShownSetting toneSystem(const CodePlugImage&, const Field&, std::uint32_t v) {
    const auto system = toneSystemFromByte(static_cast<std::uint8_t>(v));
    const std::string_view text = kToneSystemNames[static_cast<std::size_t>(system)];
    return static_cast<std::uint32_t>(system) == v ? entry(text) : shownAs(v, "tone system", text);
}

ShownSetting initialProfile(const CodePlugImage&, const Field&, std::uint32_t v) {
    if (v < static_cast<std::uint32_t>(profiles::kProfileCount))
        return entry(profiles::profileCaption(static_cast<int>(v)));
    return noEntry(v, "profile");
}

ShownSetting remindToneType(const CodePlugImage&, const Field&, std::uint32_t v) {
    return listEntry(sysblock::kRemindToneTypeItems, v, "remind tone type");
}

ShownSetting priorityScanPeriod(const CodePlugImage&, const Field&, std::uint32_t v) {
    const auto item = static_cast<std::uint32_t>(sysblock::PriorityScanEntry(static_cast<std::uint8_t>(v)));
    if (item < sysblock::kPriorityScanItems.size()) return entry(sysblock::kPriorityScanItems[item]);
    return noEntry(v, "scan period");
}

ShownSetting recordSections(const CodePlugImage&, const Field&, std::uint32_t v) {
    return listEntry(sysblock::kRecordSectionItems, v, "record section entry");
}

ShownSetting auxDbData(const CodePlugImage&, const Field&, std::uint32_t v) {
    return listEntry(sysblock::kAuxDbItems, v, "AUX DB entry");
}

ShownSetting clockDisplay(const CodePlugImage&, const Field&, std::uint32_t v) {
    return listEntry(sysblock::kClockItems, v, "clock display");
}

// The list selects none for a byte beyond it; the tone spacing rule then
// counts with the built-in bandwidth.
ShownSetting decodeBandwidth(const CodePlugImage&, const Field&, std::uint32_t v) {
    ShownSetting shown = listEntry(sysblock::DecodeBandwidthItems(), v, "decoder bandwidth");
    if (!shown.problem.empty())
        shown.problem += ", and the tone spacing counts with " +
                         decodeBandwidthItem(decodeBandwidthIndex(static_cast<std::uint8_t>(v))) + " %";
    return shown;
}

// A code the battery table or the level's list does not have leaves the list
// as it was: the window then shows no voltage of this code-plug.
ShownSetting batteryLevel(const CodePlugImage&, const Field& field, std::uint32_t v) {
    const auto code = static_cast<std::uint8_t>(v);
    const auto hundredths = sysblock::BatteryHundredths(code);
    if (!hundredths) return noEntry(v, "battery code", kKeepsSelection);
    const std::string volts = sysblock::VoltText(*hundredths);
    const auto items = sysblock::BatteryListItems(static_cast<sysblock::BatteryLevel>(field.index));
    if (sysblock::BatteryListEntry(items, code)) return entry(volts);
    return {volts + " (no entry)", stored(v) + " is " + volts + ", which its list (" + items.front() + " to " +
                                       items.back() + ") does not offer; " + std::string(kKeepsSelection)};
}

// An unknown period is corrected to the fallback when the window shows it.
ShownSetting alertPeriod(const CodePlugImage&, const Field&, std::uint32_t v) {
    if (const auto item = sysblock::AlertPeriodEntry(static_cast<std::uint8_t>(v)))
        return entry(sysblock::kAlertPeriodItems[static_cast<std::size_t>(*item)]);
    const auto fallback = *sysblock::AlertPeriodEntry(sysblock::kAlertPeriodFallback);
    return shownAs(v, "alert period", sysblock::kAlertPeriodItems[static_cast<std::size_t>(fallback)]);
}

ShownSetting msgReadStatus(const CodePlugImage&, const Field&, std::uint32_t v) {
    return entry(std::to_string(sysblock::MsgReadStatusShown(static_cast<std::uint8_t>(v))));
}

ShownSetting halved(const CodePlugImage&, const Field&, std::uint32_t v) {
    return entry(std::to_string(sysblock::HalvedShown(static_cast<std::uint8_t>(v))));
}

ShownSetting backlight(const CodePlugImage&, const Field&, std::uint32_t v) {
    return entry(std::to_string(sysblock::BacklightShown(static_cast<std::uint8_t>(v))));
}

// ---- Profiles ----------------------------------------------------------------

ShownSetting resetControl(const CodePlugImage&, const Field& field, std::uint32_t v) {
    return listEntry(profiles::resetControlItems(field.index), v, "reset control");
}

ShownSetting resetDelay(const CodePlugImage&, const Field&, std::uint32_t v) {
    return entry(profiles::resetDelayText(static_cast<std::uint8_t>(v)));
}

profiles::ChannelLayout channelLayout(const CodePlugImage& image) {
    return number(image, "TwoChannelMode") != 0 ? profiles::ChannelLayout::Two : profiles::ChannelLayout::One;
}

// The mode list of the layout in use; its refresh stores the code of the
// entry it shows, so a code only the other layout knows changes.
ShownSetting switchMode(const CodePlugImage& image, const Field&, std::uint32_t v) {
    const auto layout = channelLayout(image);
    const bool two = layout == profiles::ChannelLayout::Two;
    const auto items = two ? std::span<const std::string_view>(profiles::kTwoChannelModes)
                           : std::span<const std::string_view>(profiles::kOneChannelModes);
    const std::string_view noun = two ? "mode" : "one-channel mode";
    const auto code = static_cast<std::uint8_t>(v);
    const auto item = profiles::modeEntry(layout, code);
    if (!item) return noEntry(v, noun);
    const std::string_view text = items[static_cast<std::size_t>(*item)];
    return profiles::modeCode(layout, *item) == code ? entry(text) : shownAs(v, noun, text);
}

ShownSetting switchAlertType(const CodePlugImage&, const Field&, std::uint32_t v) {
    if (const auto item = profiles::alertTypeEntry(static_cast<std::uint8_t>(v)))
        return entry(profiles::kAlertTypes[static_cast<std::size_t>(*item)]);
    return noEntry(v, "alert type", kKeepsSelection);
}

// ---- Channels ----------------------------------------------------------------

ChannelRef channelOf(const Field& field) {
    return {field.subIndex == 0 ? Channel::F1 : Channel::F2, field.index};
}

ShownSetting channelSpacing(const CodePlugImage&, const Field&, std::uint32_t v) {
    const auto item = spacingItemOfCode(static_cast<std::uint8_t>(v));
    const std::string_view text = kSpacingItems[static_cast<std::size_t>(item)];
    const bool named = v <= 2 || (v >= kAutoCodeBase && v <= kAutoCodeBase + 2u);
    return named ? entry(text) : shownAs(v, "channel spacing code", text);
}

// The low band receives in wide band only: its list shows "WB" whatever is stored.
ShownSetting bandwidth(const CodePlugImage& image, const Field& field, std::uint32_t v) {
    if (!bandwidthLocked(bandOf(frequencyHz(channelUnits(image, channelOf(field))))))
        return listEntry(kBandwidthItems, v, "bandwidth");
    const std::string_view wide = kBandwidthItems[kWideBandItem];
    if (v == static_cast<std::uint32_t>(kWideBandItem)) return entry(wide);
    const std::string held = v < kBandwidthItems.size() ? std::string(kBandwidthItems[v]) : std::to_string(v);
    return {std::string(wide), held + " is stored for a low-band channel, which receives in wide band only (shown as " +
                                   std::string(wide) + ")"};
}

ShownSetting squelch(const CodePlugImage&, const Field&, std::uint32_t v) {
    return listEntry(kSquelchItems, v, "squelch level");
}

// ---- Call addresses ----------------------------------------------------------

ShownSetting alertTone(const CodePlugImage&, const Field&, std::uint32_t v) {
    const AlertTone tone = alertToneFromByte(static_cast<std::uint8_t>(v));
    std::string text(kAlertToneTypeItems[static_cast<std::size_t>(tone.type)]);
    if (tone.type == AlertToneType::UserDefine)
        text += " " + std::string(kAlertPatternItems[static_cast<std::size_t>(tone.pattern)]);
    return alertToneByte(tone) == v ? entry(text) : shownAs(v, "alert tone", text);
}

ShownSetting alertTime(const CodePlugImage&, const Field&, std::uint32_t v) {
    return listEntry(kAlertTimeItems, v, "alert time");
}

// The fields, by the name pattern of their declaration in the memory map.
struct ShownField {
    std::string_view pattern;
    ShownSetting (*shown)(const CodePlugImage&, const Field&, std::uint32_t value);
};

constexpr ShownField kShownFields[] = {
    {"ToneSystem", toneSystem},
    {"InitialProfile", initialProfile},
    {"MsgReadStatus", msgReadStatus},
    {"RemindToneType", remindToneType},
    {"PlayShowMessageTime", halved},
    {"PriorityScanPeriod", priorityScanPeriod},
    {"RecordSections", recordSections},
    {"AuxDbDataCopy", auxDbData},
    {"AuxDbData", auxDbData},
    {"Clock24h", clockDisplay},
    {"BacklightAutoOff", backlight},
    {"DecodeBandwidth", decodeBandwidth},
    {"BatteryGaugeLevels[{}]", batteryLevel},
    {"BatteryAlertPeriod", alertPeriod},
    {"Profile[{}].ResetControl", resetControl},
    {"Profile[{}].Switch{}.Mode", switchMode},
    {"Profile[{}].Switch{}.AlertType", switchAlertType},
    {"Profile[{}].ResetDelay", resetDelay},
    {"Profile[{}].{}ChannelSpacing", channelSpacing},
    {"Profile[{}].{}Bandwidth", bandwidth},
    {"Profile[{}].{}Squelch", squelch},
    {"{}AddrAlertTone[{}]", alertTone},
    {"{}AddrAlertTime[{}]", alertTime},
};

}  // namespace

std::optional<ShownSetting> shownSetting(const CodePlugImage& image, const Field& field) {
    if (field.def == nullptr) return std::nullopt;
    for (const auto& shown : kShownFields)
        if (field.def->name == shown.pattern) return shown.shown(image, field, memmap::readNumber(image, field));
    return std::nullopt;
}

}  // namespace km640::fieldtext
