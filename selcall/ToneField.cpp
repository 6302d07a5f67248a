#include "selcall/ToneField.h"

#include <stdexcept>

#include "selcall/ToneCoding.h"

namespace km640 {

namespace {

void requireValid(const ToneField& field) {
    if (!isValidToneField(field)) throw std::invalid_argument("no such tone field");
}

}  // namespace

bool isValidToneField(const ToneField& field) {
    if (field.column == ToneColumn::Group)
        return field.record >= address::kFirstGroup && field.record < address::kRecordCount;
    return field.record >= 0 && field.record < address::kIndividualCount;
}

int toneBcdOffset(const ToneField& field) {
    requireValid(field);
    return field.column == ToneColumn::Tone2 ? address::tone2Offset(field.channel, field.record)
                                             : address::tone1Offset(field.channel, field.record);
}

int toneWordOffset(const ToneField& field) {
    requireValid(field);
    return field.column == ToneColumn::Tone2 ? address::tone2WordOffset(field.channel, field.record)
                                             : address::tone1WordOffset(field.channel, field.record);
}

int toneListEntry(const ToneField& field) {
    requireValid(field);
    switch (field.column) {
    case ToneColumn::Tone1: return field.record;
    case ToneColumn::Tone2: return address::kIndividualCount + field.record;
    case ToneColumn::Group: break;
    }
    return 2 * address::kIndividualCount + (field.record - address::kFirstGroup);
}

ToneField toneFieldOfEntry(CallChannel channel, int entry) {
    if (entry < 0 || entry >= kToneListSize) throw std::out_of_range("tone list entry");
    if (entry < address::kIndividualCount) return {channel, ToneColumn::Tone1, entry};
    if (entry < 2 * address::kIndividualCount)
        return {channel, ToneColumn::Tone2, entry - address::kIndividualCount};
    return {channel, ToneColumn::Group, entry - 2 * address::kIndividualCount + address::kFirstGroup};
}

int toneListOwner(int entry) { return toneFieldOfEntry(CallChannel::F1, entry).record; }

std::optional<ToneField> otherToneOfAddress(const ToneField& field) {
    requireValid(field);
    switch (field.column) {
    case ToneColumn::Tone1: return ToneField{field.channel, ToneColumn::Tone2, field.record};
    case ToneColumn::Tone2: return ToneField{field.channel, ToneColumn::Tone1, field.record};
    case ToneColumn::Group: break;
    }
    return std::nullopt;
}

std::optional<int> storedTone(const CodePlugImage& image, const ToneField& field) {
    return toneFromBcd(image.span(toneBcdOffset(field), address::kToneBcdLength).first<3>());
}

std::string shownToneText(const CodePlugImage& image, const ToneField& field) {
    const auto tone = storedTone(image, field);
    return tone ? formatTone(*tone) : std::string();
}

std::array<ToneField, kToneListSize> channelToneFields(CallChannel channel) {
    std::array<ToneField, kToneListSize> fields;
    for (int entry = 0; entry < kToneListSize; ++entry)
        fields[static_cast<std::size_t>(entry)] = toneFieldOfEntry(channel, entry);
    return fields;
}

std::array<ToneField, 2 * kToneListSize> revalidationOrder() {
    std::array<ToneField, 2 * kToneListSize> order;
    std::size_t n = 0;
    for (int k = 0; k < address::kIndividualCount; ++k)
        for (auto channel : {CallChannel::F1, CallChannel::F2})
            for (auto column : {ToneColumn::Tone1, ToneColumn::Tone2}) order[n++] = {channel, column, k};
    for (int k = address::kFirstGroup; k < address::kRecordCount; ++k)
        for (auto channel : {CallChannel::F1, CallChannel::F2}) order[n++] = {channel, ToneColumn::Group, k};
    return order;
}

}  // namespace km640
