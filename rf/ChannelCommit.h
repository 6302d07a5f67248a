#pragma once
// Committing a channel frequency or spacing, and keeping all eight channels of
// the code-plug in one frequency band.
//
// The image is the record of truth: a channel's frequency is what its BCD
// field holds, and a refused change leaves the image as it was. Every
// operation here ends: a commit replaces each other channel at most once,
// and the refresh checks the eight pairs in a bounded number of passes.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "codeplug/CodePlugImage.h"
#include "rf/ChannelRef.h"
#include "rf/FrequencyBand.h"

namespace km640 {

// A replacement the band rules asked for but the target channel refused (its
// own spacing item does not fit the frequency, or the frequency is one a
// channel cannot take). The target keeps its frequency; the window shows
// `message` (caption "KM640", warning icon) and may put the proposed
// frequency into the target's field so the user can settle it.
struct ChannelNotice {
    ChannelRef channel;
    std::uint32_t proposedUnits;
    std::string_view message;
};

struct ChannelCommit {
    // Set when the entry itself was refused: nothing was stored; the field
    // keeps the typed text and the focus.
    std::optional<std::string_view> refusal;
    std::vector<ChannelNotice> notices;
    // The band whose wide-band presets were stored over the "WB Squelch"
    // table (the window shows that table again).
    std::optional<Band> presetBand;

    bool stored() const { return !refusal; }
};

// The checks of a commit, in order: below 33 MHz, a frequency no partner can
// be accepted beside (band gaps), the spacing list item. Returns the message
// to show, or nullopt when the entry can be stored.
std::optional<std::string_view> frequencyEntryRefusal(Channel channel, std::uint32_t units, int spacingItem);

// Leaving a frequency field (units = the typed value; the window restores a
// blank field with refreshChannels instead). On success: stores the spacing
// code and frequency, moves every other channel that lies outside the new
// frequency's band onto it (channel c of the other profiles takes the new
// frequency, each profile's other channel takes its partner's), recomputes
// all words and loads the band's wide-band presets.
ChannelCommit commitFrequency(CodePlugImage& image, ChannelRef ref, std::uint32_t units, int spacingItem);

// A click on a spacing list: the new item is checked against the field's
// frequency first ("F1/F2 Channel Spacing Error!"), then the frequency is
// committed with it. On refusal nothing is stored and the list shows the
// stored code's item again (spacingItemOfCode).
ChannelCommit commitSpacing(CodePlugImage& image, ChannelRef ref, std::uint32_t units, int spacingItem);

// The channel step of the whole-image refresh: checks each profile's partner
// rule, F1 against F2 for profiles 0..3, then F2 against F1; a partner in
// another band takes its channel's frequency through a commit. The checks
// run again until they change nothing, so what the refresh leaves another
// refresh leaves alone. Then stores the words of all eight channels.
// `refusal` is never set.
ChannelCommit refreshChannels(CodePlugImage& image);

}  // namespace km640
