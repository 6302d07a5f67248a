#include "selcall/ToneCommit.h"

#include <cstdio>
#include <stdexcept>

#include "selcall/DecodeBandwidth.h"
#include "selcall/ToneCoding.h"
#include "selcall/TonePlan.h"
#include "selcall/ToneSpacing.h"

namespace km640 {

namespace {

ToneCommitResult restored(const CodePlugImage& image, const ToneField& field, ToneCommitOutcome outcome,
                          std::optional<SelcallMessage> message) {
    ToneCommitResult result;
    result.outcome = outcome;
    result.fieldText = shownToneText(image, field);
    result.message = std::move(message);
    return result;
}

bool equalsOtherTone(const CodePlugImage& image, const ToneField& field, int tenths) {
    const auto other = otherToneOfAddress(field);
    return other && storedTone(image, *other) == tenths;
}

}  // namespace

ToneCommitResult commitTone(CodePlugImage& image, const ToneField& field, std::string_view text) {
    if (!isValidToneField(field)) throw std::invalid_argument("no such tone field");
    if (text.find_first_not_of(" \t") == std::string_view::npos)
        return restored(image, field, ToneCommitOutcome::Restored, std::nullopt);

    const auto typed = parseTypedTone(text);
    if (!typed) {
        ToneCommitResult result;
        result.outcome = ToneCommitOutcome::NotANumber;
        result.fieldText = std::string(text);
        result.message = toneNotANumberMessage(text);
        return result;
    }

    const ToneSystem system = storedToneSystem(image);
    const int p10 = spacingP10(storedDecodeBandwidthIndex(image));

    // The two tones of an address must differ, whatever the tone system.
    if (equalsOtherTone(image, field, typed->tenths))
        return restored(image, field, ToneCommitOutcome::Refused, toneSpacingMessage(field, p10));

    if (!toneRange(system).contains(typed->tenths)) {
        ToneCommitResult result;
        result.outcome = ToneCommitOutcome::OutOfRange;
        result.fieldText = typed->shown;
        result.message = toneRangeMessage(field, system);
        return result;
    }

    int tone = typed->tenths;
    const auto plan = tonePlan(system);
    if (!plan.empty()) {
        tone = nearestPlanTone(plan, tone);
        // Two typed tones may fit to the same plan tone; the address would then
        // call with one tone twice, which the decoder cannot tell from a single tone.
        if (equalsOtherTone(image, field, tone))
            return restored(image, field, ToneCommitOutcome::Refused, toneSpacingMessage(field, p10));
    } else if (const auto conflict =
                   spacingConflict(tone, toneListEntry(field), channelToneList(image, field.channel), p10)) {
        ToneCommitResult result = restored(image, field, ToneCommitOutcome::Refused, toneSpacingMessage(field, p10));
        result.marker = ConflictMarker::Set;
        result.conflictRecord = toneListOwner(*conflict);
        return result;
    }

    // Every tone system's range lies inside the six BCD digits and the decoder span.
    const ToneBcd bcd = *toneToBcd(tone);
    const std::uint16_t word = *toneDecoderWord(tone);
    image.copyIn(toneBcdOffset(field), bcd);
    image.setWord(toneWordOffset(field), word);

    ToneCommitResult result;
    result.outcome = ToneCommitOutcome::Stored;
    result.fieldText = formatTone(tone);
    result.marker = ConflictMarker::Cleared;
    result.hint = toneWordHint(field, word);
    return result;
}

std::string toneWordHint(const ToneField& field, std::uint16_t word) {
    const int offset = toneWordOffset(field);
    char hint[64];
    std::snprintf(hint, sizeof hint, "(0x%x, 0x%x) = 0x%x, 0x%x", static_cast<unsigned>(offset),
                  static_cast<unsigned>(offset + 1), static_cast<unsigned>(word >> 8),
                  static_cast<unsigned>(word & 0xFF));
    return hint;
}

std::vector<ToneRevalidation> revalidateAllTones(CodePlugImage& image) {
    std::vector<ToneRevalidation> fields;
    for (const ToneField& field : revalidationOrder()) {
        ToneRevalidation entry;
        entry.field = field;
        entry.before = storedTone(image, field);
        entry.wordBefore = image.word(toneWordOffset(field));
        entry.result = commitTone(image, field, shownToneText(image, field));
        entry.after = storedTone(image, field);
        entry.wordAfter = image.word(toneWordOffset(field));
        fields.push_back(std::move(entry));
    }
    return fields;
}

std::vector<ToneRevalidation> selectToneSystem(CodePlugImage& image, ToneSystem system) {
    image.setByte(kToneSystemOffset, static_cast<std::uint8_t>(system));
    return revalidateAllTones(image);
}

std::vector<ToneRevalidation> selectDecodeBandwidth(CodePlugImage& image, int index) {
    if (index < 0 || index >= kDecodeBandwidthItems) throw std::out_of_range("decoder bandwidth item");
    image.setByte(kDecodeBandwidthOffset, static_cast<std::uint8_t>(index));
    return revalidateAllTones(image);
}

}  // namespace km640
