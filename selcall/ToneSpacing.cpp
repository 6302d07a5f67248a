#include "selcall/ToneSpacing.h"

namespace km640 {

bool addressInUse(const CodePlugImage& image, CallChannel channel, int record) {
    return image.GetBits(address::flagsOffset(channel, record), address::kAddrOnBit, 1) == 1;
}

ToneList channelToneList(const CodePlugImage& image, CallChannel channel) {
    ToneList list;
    for (int entry = 0; entry < kToneListSize; ++entry) {
        const ToneField field = toneFieldOfEntry(channel, entry);
        list[static_cast<std::size_t>(entry)] = {storedTone(image, field),
                                                 addressInUse(image, channel, field.record)};
    }
    return list;
}

bool tonesTooClose(int tenths, int otherTenths, int p10) {
    const float r = static_cast<float>(p10 * 0.001 * 2 + 0.001);
    const float f = static_cast<float>(tenths * 0.1);
    const float t = static_cast<float>(otherTenths * 0.1);
    const float w = static_cast<float>(otherTenths * 0.1 * r);
    if (f == t) return false;
    // The band edges in double hold the single-precision differences exactly.
    const double low = static_cast<double>(t) - static_cast<double>(w);
    const double high = static_cast<double>(t) + static_cast<double>(w);
    return low < f && f < high;
}

std::optional<int> spacingConflict(int tenths, int ownEntry, const ToneList& list, int p10) {
    for (int n = 0; n < kToneListSize; ++n) {
        const ToneListEntry& entry = list[static_cast<std::size_t>(n)];
        if (n == ownEntry || !entry.enabled || !entry.tenths) continue;
        if (tonesTooClose(tenths, *entry.tenths, p10)) return n;
    }
    return std::nullopt;
}

}  // namespace km640
