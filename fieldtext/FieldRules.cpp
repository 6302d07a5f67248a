// The rule of each field's control, by the name pattern of its declaration in
// the memory map: what the window does when the user commits that control.
// Each rule reads the text and calls the rule the window's handler calls.

#include <array>
#include <span>

#include "codeplug/EntryNumber.h"
#include "codeplug/KeyFilters.h"
#include "fieldtext/FieldTextRules.h"
#include "rf/ChannelCommit.h"
#include "rf/ChannelRef.h"
#include "rf/ChannelSpacing.h"
#include "rf/FrequencyBand.h"
#include "rf/RfMessages.h"
#include "selcall/AddressRow.h"
#include "selcall/ToneCommit.h"
#include "settings/ProfileRules.h"
#include "settings/PromptText.h"
#include "settings/SystemBlock.h"
#include "settings/SystemBlockCorrections.h"
#include "settings/SystemNumbers.h"

namespace km640::fieldtext {

namespace {

using memmap::Field;

std::string asText(std::string_view text) { return std::string(text); }

// ---- Channels ----------------------------------------------------------------

ChannelRef channelOf(const Field& field) { return {field.subIndex == 0 ? Channel::F1 : Channel::F2, field.index}; }

constexpr int kFrequencyDigits = 7;

// "One Channel" disables every control of channel F2.
std::optional<std::string> channelDisabled(const CodePlugImage& image, const Field& field) {
    if (channelOf(field).channel == Channel::F2 && profiles::storedLayout(image) == profiles::ChannelLayout::One)
        return std::string("The window's control is disabled: \"One Channel\" switches channel F2 off");
    return std::nullopt;
}

Outcome frequency(CodePlugImage& image, const Field& field, std::string_view text) {
    if (auto why = channelDisabled(image, field)) return refuse(*why);
    if (auto refusal = keyFilterRefusal(KeyFilter::countedDigit(kFrequencyDigits), text)) return refuse(*refusal);
    const auto typed = ParseWholeNumber(text);
    if (!typed) return refuse(NotAWholeNumberMessage(text));
    if (*typed < 0) return refuse(asText(rfText::kBelow33MHz));
    const ChannelRef ref = channelOf(field);
    const ChannelCommit result = commitFrequency(image, ref, static_cast<std::uint32_t>(*typed),
                                                 spacingItemOfCode(spacingCode(image, ref)));
    if (result.refusal) return refuse(asText(*result.refusal));
    return stored();
}

// Typed in units of 100 Hz, from the lowest channel up to what the digits hold.
NumberRange frequencyRange(const CodePlugImage&, const Field&) {
    int top = 1;
    for (int k = 0; k < kFrequencyDigits; ++k) top *= 10;
    return {static_cast<double>(kLowestChannelHz / 100), static_cast<double>(top - 1), 1, 0};
}

Outcome spacing(CodePlugImage& image, const Field& field, std::string_view text) {
    if (auto why = channelDisabled(image, field)) return refuse(*why);
    const auto code = shownEntryValue(image, field, text);
    if (!code) return refuse(entriesMessage(image, field));
    const ChannelRef ref = channelOf(field);
    const ChannelCommit result =
        commitSpacing(image, ref, channelUnits(image, ref), spacingItemOfCode(static_cast<std::uint8_t>(*code)));
    if (result.refusal) return refuse(asText(*result.refusal));
    return stored();
}

// The low band receives in wide band only: its list is disabled there.
Outcome bandwidth(CodePlugImage& image, const Field& field, std::string_view text) {
    if (auto why = channelDisabled(image, field)) return refuse(*why);
    const ChannelRef ref = channelOf(field);
    if (channelView(image, ref).bandwidthLocked)
        return refuse("The channel lies in the low band, which receives in wide band only: the window's list is "
                      "disabled");
    return setFieldByEncoding(image, field, text);
}

Outcome squelch(CodePlugImage& image, const Field& field, std::string_view text) {
    if (auto why = channelDisabled(image, field)) return refuse(*why);
    return setFieldByEncoding(image, field, text);
}

// ---- Tones -------------------------------------------------------------------

ToneField toneFieldOf(const Field& field) {
    const CallChannel channel = field.index == 0 ? CallChannel::F1 : CallChannel::F2;
    const bool second = field.def->name.find("Tone2") != std::string_view::npos;
    const ToneColumn column = second ? ToneColumn::Tone2 : (field.subIndex >= 8 ? ToneColumn::Group : ToneColumn::Tone1);
    return {channel, column, field.subIndex};
}

Outcome tone(CodePlugImage& image, const Field& field, std::string_view text) {
    if (auto why = addressCellDisabled(image, field)) return refuse(*why);
    if (auto refusal = keyFilterRefusal(KeyFilter::decimal(1), text)) return refuse(*refusal);
    if (TrimBlanks(text).empty()) return refuse("A tone field cannot be left blank");
    const ToneCommitResult result = commitTone(image, toneFieldOf(field), text);
    switch (result.outcome) {
    case ToneCommitOutcome::Stored: return stored();
    case ToneCommitOutcome::Restored: return refuse("A tone field cannot be left blank");
    case ToneCommitOutcome::Refused:
    case ToneCommitOutcome::OutOfRange:
    case ToneCommitOutcome::NotANumber: break;
    }
    return refuse(result.message ? result.message->text : std::string("The tone is refused"));
}

// The range of the tone system in use, in hertz with one decimal.
NumberRange toneValues(const CodePlugImage& image, const Field&) {
    const ToneRange range = toneRange(storedToneSystem(image));
    return {range.lowest / 10.0, range.highest / 10.0, 0.1, 1};
}

// ---- Texts -------------------------------------------------------------------

Outcome plainText(CodePlugImage& image, const Field& field, std::string_view text,
                  std::string (*toStore)(std::string_view)) {
    const Latin1Conversion parsed = parseTextValue(text);
    if (!parsed.text) return refuse(parsed.problem);
    const auto& value = parsed.text;
    if (auto refusal = keyFilterRefusal(KeyFilter::text(field.length), *value)) return refuse(*refusal);
    image.setText(field.offset, field.length, toStore(*value));
    return stored();
}

std::string asTyped(std::string_view typed) { return std::string(typed); }

Outcome profileName(CodePlugImage& image, const Field& field, std::string_view text) {
    return plainText(image, field, text, asTyped);
}

Outcome addressName(CodePlugImage& image, const Field& field, std::string_view text) {
    if (auto why = addressCellDisabled(image, field)) return refuse(*why);
    return plainText(image, field, text, addressNameToStore);
}

Outcome logoLine(CodePlugImage& image, const Field& field, std::string_view text) {
    // With the version shown the pager has no use for the second logo line.
    if (field.name == "LogoLine2" && image.byte(memmap::field("ShowVersion").offset) != 0)
        return refuse("The window's control is disabled: \"Show Version\" takes the second line");
    return plainText(image, field, text, prompts::StoredText);
}

// Prompts 13 and 14 show only their last seven characters; their value text
// (all twelve, as `dump` prints them) may give the five blanks before them.
Outcome menuPrompt(CodePlugImage& image, const Field& field, std::string_view text) {
    // A prompt of an idle-menu item is edited while the item is on.
    const auto idleItems = image.byte(memmap::field("IdleMenuItems").offset);
    for (int item = 0; item < sysblock::kMenuItemBits; ++item)
        for (const int prompt : sysblock::PromptsOfIdleItem(item))
            if (prompt == field.index && (idleItems & (1u << item)) == 0)
                return refuse("The window's control is disabled: the idle menu item \"" +
                              std::string(sysblock::kIdleMenuItems[static_cast<std::size_t>(item)]) + "\" is off");
    const Latin1Conversion parsed = parseTextValue(text);
    if (!parsed.text) return refuse(parsed.problem);
    const auto& value = parsed.text;
    const int k = field.index;
    std::string typed = *value;
    const int width = prompts::PromptFieldWidth(k);
    if (width < prompts::kTextWidth && typed.size() > static_cast<std::size_t>(width) &&
        typed.substr(0, prompts::kCountWidth) == std::string(prompts::kCountWidth, ' '))
        typed = typed.substr(prompts::kCountWidth);
    if (typed.size() > static_cast<std::size_t>(width))
        return refuse("The field takes at most " + std::to_string(width) + " characters");
    if (auto refusal = keyFilterRefusal(KeyFilter::text(prompts::kTextWidth, true), typed)) return refuse(*refusal);
    image.setText(field.offset, prompts::kTextWidth, prompts::StoredPrompt(k, typed));
    return stored();
}

Outcome password(CodePlugImage& image, const Field& field, std::string_view text) {
    // The password is typed while "Set Password" of the power-on menu is on.
    const auto items = image.byte(memmap::field("PowerOnMenuItems").offset);
    if ((items & (1u << 5)) == 0 || (items & 1u) == 0)
        return refuse("The window's control is disabled: the power-on menu item \"Set Password\" is off");
    const Latin1Conversion parsed = parseTextValue(text);
    if (!parsed.text) return refuse(parsed.problem);
    const auto& value = parsed.text;
    if (auto refusal = keyFilterRefusal(KeyFilter::countedDigit(4), *value)) return refuse(*refusal);
    image.copyIn(field.offset, sysblock::PasswordBytes(*value));
    return stored();
}

// ---- System block --------------------------------------------------------------

Outcome toneSystem(CodePlugImage& image, const Field& field, std::string_view text) {
    const auto value = shownEntryValue(image, field, text);
    if (!value) return refuse(entriesMessage(image, field));
    selectToneSystem(image, static_cast<ToneSystem>(*value));
    return stored();
}

Outcome decodeBandwidth(CodePlugImage& image, const Field& field, std::string_view text) {
    const auto value = shownEntryValue(image, field, text);
    if (!value) return refuse(entriesMessage(image, field));
    selectDecodeBandwidth(image, static_cast<int>(*value));
    return stored();
}

// The number fields of the system block, by the field they show.
Outcome systemNumber(CodePlugImage& image, const Field& field, std::string_view text) {
    const auto entry = sysblock::systemNumberOfField(field.name);
    if (!entry) return setFieldByEncoding(image, field, text);
    if (const auto filter = sysblock::systemNumberKeyFilter(*entry))
        if (auto refusal = keyFilterRefusal(*filter, text)) return refuse(*refusal);
    const auto typed = ParseWholeNumber(text);
    if (!typed) return refuse(NotAWholeNumberMessage(text));
    if (auto refusal = sysblock::systemNumberRefusal(*entry, field.name, image, *typed)) return refuse(*refusal);
    sysblock::storeSystemNumber(*entry, field.name, image, *typed);
    return stored();
}

Outcome initialProfile(CodePlugImage& image, const Field& field, std::string_view text) {
    const auto value = shownEntryValue(image, field, text);
    if (!value) return refuse(entriesMessage(image, field));
    const int profile = static_cast<int>(*value);
    // The button of a profile that is off is disabled.
    if (image.byte(memmap::field("Profile[{}].PON", profile).offset) == 0)
        return refuse("The window's control is disabled: " + profiles::profileCaption(profile) + " is not on");
    storeNumber(image, field, *value);
    profiles::copyActiveSwitchSettings(image, profile);
    return stored();
}

// ---- Profiles ----------------------------------------------------------------

Outcome profileOn(CodePlugImage& image, const Field& field, std::string_view text) {
    const auto on = parseOnOff(text);
    if (!on) return refuse(asText(kOnOffMessage));
    if (!*on && image.byte(memmap::field("InitialProfile").offset) == field.index)
        return refuse(asText(profiles::kProfileInUse));
    image.setByte(field.offset, *on ? 1 : 0);
    profiles::selProfileAfterProfileOnClick(image);
    return stored();
}

Outcome resetDelay(CodePlugImage& image, const Field& field, std::string_view text) {
    // The delay field is shown for the reset methods that wait.
    if (!profiles::resetDelayShown(image.byte(memmap::field("Profile[{}].ResetControl", field.index).offset)))
        return refuse("The window does not show the delay: the reset control of " +
                      profiles::profileCaption(field.index) + " does not wait");
    if (auto refusal = keyFilterRefusal(KeyFilter::decimal(1), text)) return refuse(*refusal);
    const auto seconds = ParseDecimalNumber(text);
    if (!seconds) return refuse(NotADecimalNumberMessage(text));
    const profiles::ResetDelayEntry entry = profiles::judgeResetDelay(*seconds);
    switch (entry.outcome) {
    case profiles::ResetDelayEntry::Outcome::OutOfRange: return refuse(asText(profiles::kResetDelayRange));
    case profiles::ResetDelayEntry::Outcome::NotHalfSecond: return refuse(asText(profiles::kResetDelayStep));
    case profiles::ResetDelayEntry::Outcome::Stored: break;
    }
    image.setByte(field.offset, entry.halfSeconds);
    return stored();
}

NumberRange resetDelayRange(const CodePlugImage&, const Field&) {
    return {profiles::kShortestResetDelay, profiles::kLongestResetDelay, profiles::kResetDelayStepSeconds, 1};
}

// ---- Call addresses ------------------------------------------------------------

CallChannel callChannelOf(const Field& field) { return field.index == 0 ? CallChannel::F1 : CallChannel::F2; }

Outcome alertSeconds(CodePlugImage& image, const Field& field, std::string_view text) {
    if (auto why = addressCellDisabled(image, field, true)) return refuse(*why);
    for (const char c : text)
        if (const KeyDecision d = alertSecondsKey(static_cast<unsigned char>(c)); d.verdict == KeyVerdict::Refuse)
            return refuse(std::string(d.message.text));
    if (TrimBlanks(text).empty()) return refuse(alertSecondsRangeMessage().text);
    const AlertSecondsResult result = commitAlertSeconds(image, callChannelOf(field), field.subIndex, text);
    if (result.message) return refuse(result.message->text);
    return stored();
}

NumberRange alertSecondsRange(const CodePlugImage&, const Field&) {
    return {address::kMinAlertSeconds, address::kMaxAlertSeconds, 1, 0};
}

constexpr FieldRule kRules[] = {
    {"ToneSystem", toneSystem},
    {"InitialProfile", initialProfile},
    {"DecodeBandwidth", decodeBandwidth},
    {"PowerOnMenuPassword", password},
    {"MenuPrompt[{}]", menuPrompt},
    {"LogoLine1", logoLine},
    {"LogoLine2", logoLine},
    {"{}AddrName[{}]", addressName},
    {"{}Tone1[{}]", tone, toneValues},
    {"{}Tone2[{}]", tone, toneValues},
    {"{}AddrAlertSeconds[{}]", alertSeconds, alertSecondsRange},
    {"Profile[{}].PName", profileName},
    {"Profile[{}].PON", profileOn},
    {"Profile[{}].ResetDelay", resetDelay, resetDelayRange},
    {"Profile[{}].{}Freq", frequency, frequencyRange},
    {"Profile[{}].{}ChannelSpacing", spacing},
    {"Profile[{}].{}Bandwidth", bandwidth},
    {"Profile[{}].{}Squelch", squelch},
};

}  // namespace

std::span<const FieldRule> channelAndTextRules() { return kRules; }

namespace {

const FieldRule* ruleOf(const Field& field) {
    if (field.def == nullptr || !shownByWindow(field)) return nullptr;
    for (const auto rules : {channelAndTextRules(), settingRules()})
        for (const auto& rule : rules)
            if (field.def->name == rule.pattern) return &rule;
    return nullptr;
}

}  // namespace

std::optional<NumberRange> fieldRuleRange(const CodePlugImage& image, const Field& field) {
    if (const FieldRule* rule = ruleOf(field)) {
        if (rule->range) return rule->range(image, field);
        return std::nullopt;
    }
    if (!shownByWindow(field)) return std::nullopt;
    if (const auto entry = sysblock::systemNumberOfField(field.name)) {
        const auto range = sysblock::systemNumberRange(*entry, field.name, image);
        return NumberRange{static_cast<double>(range.lowest), static_cast<double>(range.highest), 1, 0};
    }
    return std::nullopt;
}

Outcome applyFieldRule(CodePlugImage& image, const Field& field, std::string_view text) {
    if (const FieldRule* rule = ruleOf(field)) return rule->apply(image, field, text);
    if (shownByWindow(field) && sysblock::systemNumberOfField(field.name)) return systemNumber(image, field, text);
    return setFieldByEncoding(image, field, text);
}

}  // namespace km640::fieldtext
