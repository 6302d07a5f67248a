#include "rf/SquelchThresholds.h"

#include <charconv>
#include <cstdio>

#include "codeplug/EntryNumber.h"
#include "rf/ProfileLayout.h"
#include "rf/RfMessages.h"

namespace km640 {
namespace {

constexpr std::array<ThresholdLevel, 5> kWideVhfUpper = {{
    {95, 55, 10}, {95, 55, 15}, {95, 60, 20}, {95, 60, 45}, {95, 80, 60},
}};
constexpr std::array<ThresholdLevel, 5> kWideLow = {{
    {195, 130, 30}, {195, 160, 60}, {195, 160, 100}, {195, 190, 130}, {195, 190, 165},
}};

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string voltsText(double volts) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%1.2f", volts);
    return buf;
}

int& levelField(ThresholdLevel& level, ThresholdColumn column) {
    switch (column) {
    case ThresholdColumn::Nrssi: return level.nrssi;
    case ThresholdColumn::SpeakerOff: return level.speakerOff;
    case ThresholdColumn::SpeakerOn: break;
    }
    return level.speakerOn;
}

}  // namespace

const std::array<ThresholdLevel, 5>& widebandPresets(Band band) {
    return band == Band::Low ? kWideLow : kWideVhfUpper;
}

void loadWidebandPresets(CodePlugImage& image, Band band) {
    const auto& presets = widebandPresets(band);
    for (int k = 0; k < thresholdLayout::kLevelCount; ++k) {
        const ThresholdLevel& row = presets[static_cast<std::size_t>(k)];
        image.setByte(thresholdOffset(ThresholdTable::Wide, k, ThresholdColumn::Nrssi), ThresholdCode(row.nrssi));
        image.setByte(thresholdOffset(ThresholdTable::Wide, k, ThresholdColumn::SpeakerOff), ThresholdCode(row.speakerOff));
        image.setByte(thresholdOffset(ThresholdTable::Wide, k, ThresholdColumn::SpeakerOn), ThresholdCode(row.speakerOn));
    }
}

int thresholdOffset(ThresholdTable table, int level, ThresholdColumn column) {
    const int base = table == ThresholdTable::Wide ? thresholdLayout::kWideTable : thresholdLayout::kNarrowTable;
    return base + thresholdLayout::kLevelSize * level + static_cast<int>(column);
}

std::string thresholdText(std::uint8_t code) { return voltsText(code * 3.0 * 0.00390625); }

std::optional<int> shownHundredths(std::string_view shown) {
    std::string digits;
    for (const char c : trimmed(shown))
        if (c != '.') digits.push_back(c);
    int value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty()) return std::nullopt;
    return value;
}

std::optional<std::string_view> thresholdRangeMessage(double volts) {
    if (volts >= 0.0 && volts <= kMaxThresholdHundredths / 100.0) return std::nullopt;
    return rfText::kThresholdRange;
}

std::optional<std::string_view> thresholdOrderMessage(ThresholdTable table, const ThresholdLevel& shown) {
    if (shown.nrssi >= shown.speakerOff && shown.nrssi >= shown.speakerOn) return std::nullopt;
    return table == ThresholdTable::Wide ? rfText::kWideThresholdOrder : rfText::kNarrowThresholdOrder;
}

ThresholdCommit commitThreshold(CodePlugImage& image, ThresholdTable table, int level, ThresholdColumn column,
                                std::string_view text) {
    const int offset = thresholdOffset(table, level, column);
    const std::string_view typed = trimmed(text);
    if (typed.empty()) return {ThresholdCommit::Outcome::Blank, thresholdText(image.byte(offset)), {}, 0};
    const auto volts = ReadDecimal(typed, true);
    if (!volts) return {ThresholdCommit::Outcome::NotANumber, std::string(text), {}, 0};
    return commitThreshold(image, table, level, column, *volts);
}

ThresholdCommit commitThreshold(CodePlugImage& image, ThresholdTable table, int level, ThresholdColumn column,
                                double volts) {
    const int offset = thresholdOffset(table, level, column);
    const std::string shown = voltsText(volts);
    if (const auto message = thresholdRangeMessage(volts))
        return {ThresholdCommit::Outcome::Refused, shown, *message, 0};

    auto storedHundredths = [&](ThresholdColumn c) {
        return shownHundredths(thresholdText(image.byte(thresholdOffset(table, level, c)))).value_or(0);
    };
    ThresholdLevel row{storedHundredths(ThresholdColumn::Nrssi), storedHundredths(ThresholdColumn::SpeakerOff),
                       storedHundredths(ThresholdColumn::SpeakerOn)};
    levelField(row, column) = shownHundredths(shown).value_or(0);
    if (const auto message = thresholdOrderMessage(table, row))
        return {ThresholdCommit::Outcome::Refused, shown, *message, 0};

    const std::uint8_t code = ThresholdCodeFromVolts(static_cast<float>(volts));
    image.setByte(offset, code);
    return {ThresholdCommit::Outcome::Stored, shown, {}, code};
}

std::array<std::optional<ThresholdCommit>, 3> commitThresholdLevel(
    CodePlugImage& image, ThresholdTable table, int level, const std::array<std::optional<std::string>, 3>& texts) {
    std::array<std::optional<ThresholdCommit>, 3> out;
    std::array<double, 3> volts{};
    CodePlugImage trial = image;
    bool allPass = true;
    for (std::size_t k = 0; k < texts.size(); ++k) {
        if (!texts[k]) continue;
        const auto column = static_cast<ThresholdColumn>(k);
        const int offset = thresholdOffset(table, level, column);
        const std::string_view typed = trimmed(*texts[k]);
        const auto value = ReadDecimal(typed, true);
        if (typed.empty()) out[k] = {ThresholdCommit::Outcome::Blank, thresholdText(image.byte(offset)), {}, 0};
        else if (!value) out[k] = {ThresholdCommit::Outcome::NotANumber, *texts[k], {}, 0};
        else if (const auto message = thresholdRangeMessage(*value))
            out[k] = {ThresholdCommit::Outcome::Refused, voltsText(*value), *message, 0};
        else {
            volts[k] = *value;
            trial.setByte(offset, ThresholdCodeFromVolts(static_cast<float>(*value)));
            continue;
        }
        allPass = false;
    }
    if (!allPass) return out;
    for (std::size_t k = 0; k < texts.size(); ++k) {
        if (!texts[k]) continue;
        out[k] = commitThreshold(trial, table, level, static_cast<ThresholdColumn>(k), volts[k]);
        allPass = allPass && out[k]->outcome == ThresholdCommit::Outcome::Stored;
    }
    if (allPass) image = trial;
    return out;
}

}  // namespace km640
