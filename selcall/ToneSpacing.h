#pragma once
// The tone spacing rule of the User tone system: two different tones of a channel
// must lie further apart than the decoder bandwidth on both sides, or the decoder
// could answer one address on the other's tone. Equal tones in different addresses
// are fine: they call both addresses at once, as intended.

#include <array>
#include <optional>

#include "codeplug/CodePlugImage.h"
#include "selcall/AddressLayout.h"
#include "selcall/ToneField.h"

namespace km640 {

// One entry of a channel's tone list: the stored tone (empty when its digits are
// unreadable) and whether the owning address is in use. Only entries of addresses
// in use take part in the rule.
struct ToneListEntry {
    std::optional<int> tenths;
    bool enabled = false;
};
using ToneList = std::array<ToneListEntry, kToneListSize>;

bool addressInUse(const CodePlugImage& image, CallChannel channel, int record);
ToneList channelToneList(const CodePlugImage& image, CallChannel channel);

// True when a tone lies strictly inside the band around another tone, at the
// bandwidth P10 (tenths of a per cent). The decoder firmware works in single
// precision, so the band is worked out the same way: r = P10 x 0.002 + 0.001 and
// the tones in hertz rounded to single precision, the band edges compared exactly.
// Equal tones are never too close.
bool tonesTooClose(int tenths, int otherTenths, int p10);

// The first entry of the list (leaving out the tone's own entry and every entry of
// an address not in use) that the tone is too close to; empty when none is.
std::optional<int> spacingConflict(int tenths, int ownEntry, const ToneList& list, int p10);

}  // namespace km640
