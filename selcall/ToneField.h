#pragma once
// One tone field of a channel page: Tone 1 or Tone 2 of an individual address, or
// the tone of a group address. The record index is the field's tag.

#include <array>
#include <optional>
#include <string>

#include "codeplug/CodePlugImage.h"
#include "selcall/AddressLayout.h"

namespace km640 {

enum class ToneColumn { Tone1, Tone2, Group };

struct ToneField {
    CallChannel channel = CallChannel::F1;
    ToneColumn column = ToneColumn::Tone1;
    int record = 0;  // 0..7 for Tone 1 and Tone 2, 8..11 for the group tones
    bool operator==(const ToneField&) const = default;
};

bool isValidToneField(const ToneField& field);

// Image offsets of the field's three BCD bytes and of its decoder word.
int toneBcdOffset(const ToneField& field);
int toneWordOffset(const ToneField& field);

// The channel's tone list: entries 0..7 Tone 1 of "#1".."#8", 8..15 Tone 2,
// 16..19 the group tones.
constexpr int kToneListSize = 20;
int toneListEntry(const ToneField& field);
ToneField toneFieldOfEntry(CallChannel channel, int entry);
int toneListOwner(int entry);  // the record of the address owning the entry

// The other tone of the same individual address; none for a group tone.
std::optional<ToneField> otherToneOfAddress(const ToneField& field);

// The stored tone; empty when its BCD digits are not decimal.
std::optional<int> storedTone(const CodePlugImage& image, const ToneField& field);
// What the field shows for the stored tone: "%04.1f", or empty for unreadable digits.
std::string shownToneText(const CodePlugImage& image, const ToneField& field);

// The twenty tone fields of a channel in tone-list order.
std::array<ToneField, kToneListSize> channelToneFields(CallChannel channel);

// The order in which a tone-system or bandwidth change commits every tone field:
// records 0..7 F1 Tone 1, F1 Tone 2, F2 Tone 1, F2 Tone 2; then records 8..11 the
// F1 group tone and the F2 group tone.
std::array<ToneField, 2 * kToneListSize> revalidationOrder();

}  // namespace km640
