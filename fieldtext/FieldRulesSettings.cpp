// The rules of the settings' controls beyond the channels, tones and texts:
// the boxes of the system block with the rules their clicks run, the menus,
// the battery gauge, the coded lists, the function switches, the cells of a
// call-address row, the alert tonality and patterns, the squelch thresholds
// and the display drive.

#include <array>

#include "codeplug/EntryNumber.h"
#include "codeplug/KeyFilters.h"
#include "fieldtext/FieldTextRules.h"
#include "rf/SquelchThresholds.h"
#include "selcall/AddressRow.h"
#include "settings/AlertCoding.h"
#include "settings/ProfileRules.h"
#include "settings/SystemBlock.h"
#include "settings/SystemBlockCorrections.h"

namespace km640::fieldtext {

namespace {

using memmap::Field;
using namespace sysblock;

bool bitOf(const CodePlugImage& image, std::string_view name) { return memmap::readNumber(image, memmap::field(name)) != 0; }

std::string disabled(std::string_view why) { return "The window's control is disabled: " + std::string(why); }

// ---- Boxes of the system block -------------------------------------------------

Outcome onOff(const Field& field, CodePlugImage& image, std::string_view text, bool& on) {
    const auto value = parseOnOff(text);
    if (!value) return refuse(std::string(kOnOffMessage));
    on = *value;
    return storeNumber(image, field, on ? 1 : 0);
}

Outcome privacy(CodePlugImage& image, const Field& field, std::string_view text) {
    bool on = false;
    if (auto o = onOff(field, image, text, on); o.refusal) return o;
    clearAutoMonitorUnderPrivacy(image);
    return stored();
}

Outcome autoMonitor(CodePlugImage& image, const Field& field, std::string_view text) {
    const auto value = parseOnOff(text);
    if (!value) return refuse(std::string(kOnOffMessage));
    if (*value && bitOf(image, "PrivacyEnable")) return refuse(disabled("privacy mode leaves auto monitor off"));
    return storeNumber(image, field, *value ? 1 : 0);
}

Outcome allVibratorOff(CodePlugImage& image, const Field& field, std::string_view text) {
    bool on = false;
    if (auto o = onOff(field, image, text, on); o.refusal) return o;
    chargerVibratorOffWithAll(image);
    return stored();
}

Outcome chargerVibratorOff(CodePlugImage& image, const Field& field, std::string_view text) {
    const auto value = parseOnOff(text);
    if (!value) return refuse(std::string(kOnOffMessage));
    if (!*value && bitOf(image, "DisableAllVibrator"))
        return refuse(disabled("with \"Disable All Vibrator\" the vibrator is off in the charger too"));
    return storeNumber(image, field, *value ? 1 : 0);
}

// "One Channel" (the box is the inverse of the bit): each switch's list of
// the new layout goes to the entry it remembers in a window that has just
// opened this code-plug.
Outcome twoChannelMode(CodePlugImage& image, const Field& field, std::string_view text) {
    const profiles::SwitchModeMemories memories = profiles::modeMemoriesAfterOpening(image);
    bool on = false;
    if (auto o = onOff(field, image, text, on); o.refusal) return o;
    profiles::restoreRememberedModes(image, profiles::storedLayout(image), memories);
    return stored();
}

Outcome fixedAlertTime(CodePlugImage& image, const Field&, std::string_view text) {
    const auto on = parseOnOff(text);
    if (!on) return refuse(std::string(kOnOffMessage));
    storeFixedAlertTimeEnable(image, *on);
    return stored();
}

Outcome showVersion(CodePlugImage& image, const Field& field, std::string_view text) {
    bool on = false;
    if (auto o = onOff(field, image, text, on); o.refusal) return o;
    storeShowVersionFlag(image);
    return stored();
}

// ---- Menus ---------------------------------------------------------------------

constexpr int kKeyinPassword = 0;
constexpr int kSetPassword = 5;

Outcome menuItems(CodePlugImage& image, const Field& field, std::string_view text, bool idle) {
    const auto bits = parseItemSet(text, kMenuItemBits);
    if (!bits) return refuse(itemSetMessage(kMenuItemBits));
    const auto& items = idle ? kIdleMenuItems : kPowerOnMenuItems;
    auto has = [&](int k) { return (*bits & (1u << k)) != 0; };
    // Setting a new password needs the old one keyed in first.
    if (has(kSetPassword) && !has(kKeyinPassword))
        return refuse(disabled("\"" + std::string(items[kSetPassword]) + "\" needs \"" +
                               std::string(items[kKeyinPassword]) + "\""));
    const auto before = memmap::readNumber(image, field);
    const bool selProfileChanged = ((before ^ *bits) & (1u << kSelProfileItem)) != 0;
    if (selProfileChanged && profiles::profilesOnCount(image) == 1)
        return refuse(disabled("with a single profile on there is no profile to select"));
    storeNumber(image, field, *bits);
    storeMenuCounts(image);
    return stored();
}

Outcome powerOnMenu(CodePlugImage& image, const Field& field, std::string_view text) {
    return menuItems(image, field, text, false);
}
Outcome idleMenu(CodePlugImage& image, const Field& field, std::string_view text) {
    return menuItems(image, field, text, true);
}

// ---- Lists with codes of their own -----------------------------------------------

Outcome codedList(CodePlugImage& image, const Field& field, std::string_view text, std::span<const std::string_view> items,
                  std::span<const std::uint8_t> codes) {
    const std::string wanted(TrimBlanks(text));
    for (std::size_t k = 0; k < items.size(); ++k)
        if (items[k] == wanted) return storeNumber(image, field, codes[k]);
    return refuse(entriesMessage(image, field));
}

Outcome priorityScanPeriod(CodePlugImage& image, const Field& field, std::string_view text) {
    return codedList(image, field, text, kPriorityScanItems, kPriorityScanCodes);
}

Outcome batteryAlertPeriod(CodePlugImage& image, const Field& field, std::string_view text) {
    return codedList(image, field, text, kAlertPeriodItems, kAlertPeriodCodes);
}

Outcome recordSections(CodePlugImage& image, const Field& field, std::string_view text) {
    const auto entry = shownEntryValue(image, field, text);
    if (!entry) return refuse(entriesMessage(image, field));
    storeRecordSections(image, static_cast<int>(*entry));
    return stored();
}

Outcome auxDbData(CodePlugImage& image, const Field& field, std::string_view text) {
    const auto entry = shownEntryValue(image, field, text);
    if (!entry) return refuse(entriesMessage(image, field));
    storeAuxDbData(image, static_cast<int>(*entry));
    return stored();
}

// The gauge needs High > Medium > Low.
Outcome batteryLevel(CodePlugImage& image, const Field& field, std::string_view text) {
    const auto code = shownEntryValue(image, field, text);
    if (!code) return refuse(entriesMessage(image, field));
    std::array<int, 3> volts{};
    for (int level = 0; level < 3; ++level) {
        const auto stored = BatteryHundredths(image.byte(memmap::field("BatteryGaugeLevels[{}]", level).offset));
        volts[static_cast<std::size_t>(level)] = stored.value_or(0);
    }
    volts[static_cast<std::size_t>(field.index)] = *BatteryHundredths(static_cast<std::uint8_t>(*code));
    if (BatteryOrderRefused(static_cast<BatteryLevel>(field.index), volts[0], volts[1], volts[2]))
        return refuse(std::string(kBatteryOrderMessage));
    return storeNumber(image, field, *code);
}

// ---- Display drive -------------------------------------------------------------

Outcome contrast(CodePlugImage& image, const Field&, std::string_view text) {
    const auto position = ParseWholeNumber(text);
    if (!position || *position < 0 || *position > kContrastMax)
        return refuse("The contrast track bar goes from 0 to " + std::to_string(kContrastMax));
    storeContrast(image, *position);
    return stored();
}

NumberRange contrastRange(const CodePlugImage&, const Field&) { return {0, kContrastMax, 1, 0}; }

// The LCM_VOP buttons store the presets of "5V" and "7V" as a whole.
Outcome lcmVop(CodePlugImage& image, const Field&, std::string_view text) {
    const auto code = ParseWholeNumber(text);
    const int presetCodes[] = {kLcmPreset5V[11], kLcmPreset7V[11]};
    for (int button = 0; button < 2; ++button)
        if (code && *code == presetCodes[button]) {
            applyLcmPreset(image, button);
            return stored();
        }
    return refuse("The LCM_VOP buttons store " + std::to_string(presetCodes[0]) + " (5V) or " +
                  std::to_string(presetCodes[1]) + " (7V)");
}

// ---- Function switches -----------------------------------------------------------

Outcome switchMode(CodePlugImage& image, const Field& field, std::string_view text) {
    const auto code = shownEntryValue(image, field, text);
    if (!code) return refuse(entriesMessage(image, field));
    const auto layout = profiles::storedLayout(image);
    const auto entry = profiles::modeEntry(layout, static_cast<std::uint8_t>(*code));
    if (!entry) return refuse(entriesMessage(image, field));
    profiles::storeSwitchMode(image, layout, field.index, field.subIndex, *entry);
    return stored();
}

Field switchField(std::string_view member, const Field& field) {
    return memmap::field("Profile[{}].Switch{}." + std::string(member), field.index, field.subIndex);
}

Outcome switchAlertType(CodePlugImage& image, const Field& field, std::string_view text) {
    const auto entry = shownEntryValue(image, field, text);
    if (!entry) return refuse(entriesMessage(image, field));
    if (memmap::readNumber(image, switchField("PushToListen", field)) != 0 &&
        *entry != static_cast<std::uint32_t>(profiles::kPushToListenAlert))
        return refuse(disabled("push-to-listen alerts by vibration only"));
    storeNumber(image, field, *entry);
    profiles::activeSwitchesFollow(image, field.index);
    return stored();
}

Outcome pushToListen(CodePlugImage& image, const Field& field, std::string_view text) {
    const auto on = parseOnOff(text);
    if (!on) return refuse(std::string(kOnOffMessage));
    const auto layout = profiles::storedLayout(image);
    const auto mode = profiles::modeEntry(layout, static_cast<std::uint8_t>(memmap::readNumber(image, switchField("Mode", field))));
    if (*on && mode && !profiles::modeAllowsPushToListen(layout, *mode))
        return refuse(disabled("push-to-listen is for the selective-call modes and silent scan"));
    profiles::storePushToListen(image, field.index, field.subIndex, *on);
    return stored();
}

// ---- Call-address rows -------------------------------------------------------------

CallChannel channelOf(const Field& field) { return field.index == 0 ? CallChannel::F1 : CallChannel::F2; }

enum class Cell { Mark, Profiles, AlertPattern, AlertTime, VibratorInCharger };

// Why a cell of a row is disabled, or nothing when the user can reach it.
std::optional<std::string> cellDisabled(const CodePlugImage& image, const Field& field, Cell cell,
                                        std::uint32_t profileBits = 0) {
    const CallChannel channel = channelOf(field);
    const int record = field.subIndex;
    const AddressRowContext context = addressRowContext(image);
    if (channel == CallChannel::F2 && context.oneChannel) return disabled("\"One Channel\" switches channel F2 off");
    const AddressRowEnabling cells = addressRowEnabling(image, channel, record, context);
    if (!cells.mark) return disabled("\"" + callNumberCaption(record) + "\" is not in use");
    switch (cell) {
    case Cell::Mark: return std::nullopt;
    case Cell::Profiles:
        for (int p = 0; p < 4; ++p)
            if ((profileBits & (1u << p)) != 0 && !cells.profiles[static_cast<std::size_t>(p)])
                return disabled(profiles::profileCaption(p) + " is not on");
        return std::nullopt;
    case Cell::AlertPattern:
        return cells.alertPattern ? std::nullopt : std::optional(disabled("the alert tone type is not \"User define\""));
    case Cell::AlertTime:
        return cells.alertTime ? std::nullopt : std::optional(disabled("\"Enable Fixed Alert Time\" is off"));
    case Cell::VibratorInCharger:
        return cells.vibratorInCharger ? std::nullopt
                                       : std::optional(disabled("\"Disable Vibrator In Charger\" is on"));
    }
    return std::nullopt;
}

Outcome inRow(CodePlugImage& image, const Field& field, std::string_view text, Cell cell) {
    if (auto why = cellDisabled(image, field, cell)) return refuse(*why);
    return setFieldByEncoding(image, field, text);
}

Outcome markCell(CodePlugImage& image, const Field& field, std::string_view text) {
    return inRow(image, field, text, Cell::Mark);
}

Outcome vibratorCell(CodePlugImage& image, const Field& field, std::string_view text) {
    return inRow(image, field, text, Cell::VibratorInCharger);
}

Outcome alertTimeCell(CodePlugImage& image, const Field& field, std::string_view text) {
    return inRow(image, field, text, Cell::AlertTime);
}

// Only the boxes that change must be enabled.
Outcome profilesCell(CodePlugImage& image, const Field& field, std::string_view text) {
    const auto bits = parseItemSet(text, field.width);
    if (!bits) return refuse(itemSetMessage(field.width));
    const auto changed = *bits ^ memmap::readNumber(image, field);
    if (auto why = cellDisabled(image, field, Cell::Profiles, changed)) return refuse(*why);
    return storeNumber(image, field, *bits);
}

Outcome addressOn(CodePlugImage& image, const Field& field, std::string_view text) {
    if (channelOf(field) == CallChannel::F2 && addressRowContext(image).oneChannel)
        return refuse(disabled("\"One Channel\" switches channel F2 off"));
    return setFieldByEncoding(image, field, text);
}

// "Standard", "Continuous" or "User define N": the type list, and the pattern
// list that only "User define" enables.
Outcome alertTone(CodePlugImage& image, const Field& field, std::string_view text) {
    const auto byte = shownEntryValue(image, field, text);
    if (!byte) return refuse(entriesMessage(image, field));
    if (auto why = cellDisabled(image, field, Cell::Mark)) return refuse(*why);
    return storeNumber(image, field, alertToneByte(alertToneFromByte(static_cast<std::uint8_t>(*byte))));
}

// ---- Alert tonality and patterns ---------------------------------------------------

Outcome tonality(CodePlugImage& image, const Field& field, std::string_view text) {
    if (auto refusal = keyFilterRefusal(KeyFilter::digit(), text)) return refuse(*refusal);
    const auto hz = ParseWholeNumber(text);
    if (!hz) return refuse(NotAWholeNumberMessage(text));
    if (*hz < alerts::kTonalityMinHz || *hz > alerts::kTonalityMaxHz)
        return refuse(std::string(alerts::kTonalityRangeMessage));
    image.setWord(memmap::field("TonalityDivider[{}]", field.index).offset, alerts::TonalityDivider(*hz));
    image.copyIn(field.offset, alerts::TonalityHzBytes(*hz));
    return stored();
}

NumberRange tonalityRange(const CodePlugImage&, const Field&) {
    return {alerts::kTonalityMinHz, alerts::kTonalityMaxHz, 1, 0};
}

// The pattern's letters as the window shows them ("ABAB----"), or the tone
// steps as `dump` prints them ("0 1 0 1 F F F F").
std::optional<std::string> patternLetters(std::string_view text) {
    std::string digits;
    for (const char c : text)
        if (c != ' ') digits += c;
    const bool steps = text.find(' ') != std::string_view::npos && digits.size() == alerts::kSteps;
    if (!steps) return std::string(text);
    std::string letters;
    for (const char c : digits) {
        if (c >= '0' && c <= '3') letters += static_cast<char>('A' + (c - '0'));
        else if (c == 'F' || c == 'f') letters += '-';
        else return std::nullopt;
    }
    return letters;
}

Outcome patternTones(CodePlugImage& image, const Field& field, std::string_view text) {
    const auto letters = patternLetters(text);
    if (!letters) return refuse("A tone step is 0 to 3 (tone A to D) or F (a rest)");
    if (auto refusal = keyFilterRefusal(KeyFilter::toneLetter(), *letters)) return refuse(*refusal);
    image.copyIn(field.offset, alerts::PatternToneBytes(alerts::PatternLettersFilled(*letters)));
    return stored();
}

Outcome patternSteps(CodePlugImage& image, const Field& field, std::string_view text) {
    if (auto refusal = keyFilterRefusal(KeyFilter::bit(), text)) return refuse(*refusal);
    const alerts::StepBitsParse parsed = alerts::StepBitsByte(alerts::StepBitsFilled(text));
    if (!parsed.byte) return refuse(NotAWholeNumberMessage(std::string(1, parsed.offending)));
    image.setByte(field.offset, *parsed.byte);
    return stored();
}

// ---- Squelch thresholds --------------------------------------------------------------

ThresholdTable thresholdTable(const Field& field) {
    return field.index == 0 ? ThresholdTable::Narrow : ThresholdTable::Wide;
}

ThresholdColumn thresholdColumn(const Field& field) {
    return field.def->name.ends_with("Nrssi")        ? ThresholdColumn::Nrssi
           : field.def->name.ends_with("SpeakerOff") ? ThresholdColumn::SpeakerOff
                                                     : ThresholdColumn::SpeakerOn;
}

Outcome thresholdOutcome(const ThresholdCommit& result, std::string_view text) {
    switch (result.outcome) {
    case ThresholdCommit::Outcome::Stored: return stored();
    case ThresholdCommit::Outcome::Blank: return refuse("A threshold cannot be left blank");
    case ThresholdCommit::Outcome::NotANumber: return refuse(NotADecimalNumberMessage(text));
    case ThresholdCommit::Outcome::Refused: break;
    }
    return refuse(std::string(result.message));
}

NumberRange thresholdRange(const CodePlugImage&, const Field&) { return {0, kMaxThresholdHundredths / 100.0, 0.01, 2}; }

Outcome threshold(CodePlugImage& image, const Field& field, std::string_view text) {
    if (auto refusal = keyFilterRefusal(KeyFilter::decimal(2), text)) return refuse(*refusal);
    return thresholdOutcome(
        commitThreshold(image, thresholdTable(field), field.subIndex, thresholdColumn(field), text), text);
}

}  // namespace

std::optional<std::string> squelchLevelOf(const Field& field) {
    for (const std::string_view column : {"Nrssi", "SpeakerOff", "SpeakerOn"})
        if (field.def->name == "{}Squelch[{}]." + std::string(column))
            return field.name.substr(0, field.name.find('.'));
    return std::nullopt;
}

std::vector<Outcome> squelchLevel(CodePlugImage& image, std::span<const Field* const> fields,
                                  std::span<const std::string> texts) {
    std::vector<Outcome> out(fields.size());
    std::array<std::optional<std::string>, 3> byColumn;
    bool typed = true;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        if (auto refusal = keyFilterRefusal(KeyFilter::decimal(2), texts[k])) {
            out[k] = refuse(*refusal);
            typed = false;
        }
        byColumn[static_cast<std::size_t>(thresholdColumn(*fields[k]))] = texts[k];
    }
    if (!typed || fields.empty()) return out;
    const auto results = commitThresholdLevel(image, thresholdTable(*fields[0]), fields[0]->subIndex, byColumn);
    for (std::size_t k = 0; k < fields.size(); ++k)
        if (const auto& result = results[static_cast<std::size_t>(thresholdColumn(*fields[k]))])
            out[k] = thresholdOutcome(*result, texts[k]);
    return out;
}

std::optional<std::string> addressCellDisabled(const CodePlugImage& image, const Field& field, bool alertTime) {
    return cellDisabled(image, field, alertTime ? Cell::AlertTime : Cell::Mark);
}

std::span<const FieldRule> settingRules() {
    static constexpr FieldRule kRules[] = {
        {"TwoChannelMode", twoChannelMode},
        {"PrivacyEnable", privacy},
        {"AutoMonitor", autoMonitor},
        {"DisableAllVibrator", allVibratorOff},
        {"DisableVibratorInCharger", chargerVibratorOff},
        {"FixedAlertTimeEnable", fixedAlertTime},
        {"ShowVersion", showVersion},
        {"PowerOnMenuItems", powerOnMenu},
        {"IdleMenuItems", idleMenu},
        {"PriorityScanPeriod", priorityScanPeriod},
        {"BatteryAlertPeriod", batteryAlertPeriod},
        {"RecordSections", recordSections},
        {"AuxDbData", auxDbData},
        {"BatteryGaugeLevels[{}]", batteryLevel},
        {"Contrast", contrast, contrastRange},
        {"LcmVop", lcmVop},
        {"Profile[{}].Switch{}.Mode", switchMode},
        {"Profile[{}].Switch{}.AlertType", switchAlertType},
        {"Profile[{}].Switch{}.PushToListen", pushToListen},
        {"{}AddrOn[{}]", addressOn},
        {"{}AddrPArt[{}]", markCell},
        {"{}AddrSwitches[{}]", markCell},
        {"{}AddrProfiles[{}]", profilesCell},
        {"{}AddrNoVibInCharger[{}]", vibratorCell},
        {"{}AddrAlertTime[{}]", alertTimeCell},
        {"{}AddrAlertTone[{}]", alertTone},
        {"TonalityHz[{}]", tonality, tonalityRange},
        {"AlertPattern[{}].Tones", patternTones},
        {"AlertPattern[{}].Led", patternSteps},
        {"AlertPattern[{}].Vibrator", patternSteps},
        {"{}Squelch[{}].Nrssi", threshold, thresholdRange},
        {"{}Squelch[{}].SpeakerOff", threshold, thresholdRange},
        {"{}Squelch[{}].SpeakerOn", threshold, thresholdRange},
    };
    return kRules;
}

}  // namespace km640::fieldtext
