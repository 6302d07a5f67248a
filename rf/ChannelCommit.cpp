#include "rf/ChannelCommit.h"

#include <array>

#include "rf/ChannelSpacing.h"
#include "rf/FrequencyBcd.h"
#include "rf/RfMessages.h"
#include "rf/SquelchThresholds.h"

namespace km640 {
namespace {

constexpr int kChannelCount = 2 * profileLayout::kProfileCount;

std::size_t slot(ChannelRef ref) {
    return static_cast<std::size_t>(static_cast<int>(ref.channel) * profileLayout::kProfileCount + ref.profile);
}

std::string_view spacingError(Channel channel) {
    return channel == Channel::F1 ? rfText::kF1SpacingError : rfText::kF2SpacingError;
}

Band bandAt(const CodePlugImage& image, ChannelRef ref) { return bandOf(frequencyHz(channelUnits(image, ref))); }

// One run of band keeping: the image, what has gone wrong so far, and the
// channels that refused a replacement (they are neither replaced again nor
// used as a source in this run).
class BandKeeper {
public:
    explicit BandKeeper(CodePlugImage& image) : image_(image) {}

    // Checks and stores one channel with the given list item.
    std::optional<std::string_view> store(ChannelRef ref, std::uint32_t units, int item) {
        if (auto refusal = frequencyEntryRefusal(ref.channel, units, item)) return refusal;
        setSpacingCode(image_, ref, *spacingCodeFor(item, frequencyHz(units)));
        setChannelUnits(image_, ref, units);
        return std::nullopt;
    }

    // A channel the band rules move: committed with its own list item.
    bool replace(ChannelRef ref, std::uint32_t units) {
        const int item = spacingItemOfCode(spacingCode(image_, ref));
        if (const auto refusal = store(ref, units, item)) {
            refused_[slot(ref)] = true;
            result_.notices.push_back({ref, units, *refusal});
            return false;
        }
        return true;
    }

    // After `source` was stored: channel c of the other profiles follows it
    // into its band, then every profile's other channel follows channel c.
    void followSource(ChannelRef source) {
        const std::uint32_t units = channelUnits(image_, source);
        const Band band = bandOf(frequencyHz(units));
        for (int p = 0; p < profileLayout::kProfileCount; ++p) {
            const ChannelRef other{source.channel, p};
            if (p == source.profile || refused_[slot(other)]) continue;
            if (!partnerAccepts(band, channelUnits(image_, other))) replace(other, units);
        }
        for (int p = 0; p < profileLayout::kProfileCount; ++p) checkPartner({source.channel, p});
        result_.presetBand = band;
        loadWidebandPresets(image_, band);
    }

    // The partner rule of `from`: its profile's other channel must lie in its band.
    // Returns whether the partner was committed.
    bool checkPartner(ChannelRef from) {
        const ChannelRef to{partnerOf(from.channel), from.profile};
        if (refused_[slot(from)] || refused_[slot(to)]) return false;
        if (partnerAccepts(bandAt(image_, from), channelUnits(image_, to))) return false;
        return replace(to, channelUnits(image_, from));
    }

    ChannelCommit finish() {
        recomputeSynthesizerWords(image_);
        return std::move(result_);
    }

private:
    CodePlugImage& image_;
    std::array<bool, kChannelCount> refused_{};
    ChannelCommit result_;
};

}  // namespace

std::optional<std::string_view> frequencyEntryRefusal(Channel channel, std::uint32_t units, int spacingItem) {
    const std::int64_t hz = frequencyHz(units);
    if (hz < kLowestChannelHz) return rfText::kBelow33MHz;
    if (frequencyHasNoPartner(units)) return rfText::kNoBandForFrequency;
    if (!spacingCodeFor(spacingItem, hz)) return spacingError(channel);
    return std::nullopt;
}

ChannelCommit commitFrequency(CodePlugImage& image, ChannelRef ref, std::uint32_t units, int spacingItem) {
    BandKeeper keeper(image);
    if (auto refusal = keeper.store(ref, units, spacingItem)) return ChannelCommit{refusal, {}, {}};
    keeper.followSource(ref);
    return keeper.finish();
}

ChannelCommit commitSpacing(CodePlugImage& image, ChannelRef ref, std::uint32_t units, int spacingItem) {
    if (!spacingCodeFor(spacingItem, frequencyHz(units))) return ChannelCommit{spacingError(ref.channel), {}, {}};
    return commitFrequency(image, ref, units, spacingItem);
}

ChannelCommit refreshChannels(CodePlugImage& image) {
    BandKeeper keeper(image);
    for (const Channel channel : {Channel::F1, Channel::F2}) {
        for (int p = 0; p < profileLayout::kProfileCount; ++p) {
            const ChannelRef partner{partnerOf(channel), p};
            if (keeper.checkPartner({channel, p})) keeper.followSource(partner);
        }
    }
    return keeper.finish();
}

}  // namespace km640
