#include "rf/ChannelCommit.h"

#include <algorithm>
#include <array>

#include "rf/ChannelSpacing.h"
#include "rf/FrequencyBcd.h"
#include "rf/RfMessages.h"
#include "rf/SquelchThresholds.h"

namespace km640 {
namespace {

constexpr int kChannelCount = 2 * profileLayout::kProfileCount;
// The refresh checks the partners again until a pass changes nothing. Two
// passes settle nearly every code-plug and a few more the rest of hundreds of
// thousands of random ones; the limit only keeps the run finite.
constexpr int kMaxRefreshPasses = 16;

std::size_t slot(ChannelRef ref) {
    return static_cast<std::size_t>(static_cast<int>(ref.channel) * profileLayout::kProfileCount + ref.profile);
}

std::string_view spacingError(Channel channel) {
    return channel == Channel::F1 ? rfText::kF1SpacingError : rfText::kF2SpacingError;
}

Band bandAt(const CodePlugImage& image, ChannelRef ref) { return bandOf(frequencyHz(channelUnits(image, ref))); }

// One run of band keeping: the image, what has gone wrong so far, and the
// frequency each channel last refused. A channel that refused keeps a
// frequency the run wanted to move away from, so it is no source for its
// partner in this run. It is not offered the frequency it refused again, but
// a partner or source with another frequency may still move it; a channel
// that stores a frequency forgets its refusal.
class BandKeeper {
public:
    explicit BandKeeper(CodePlugImage& image) : image_(image) {}

    // Checks and stores one channel with the given list item.
    std::optional<std::string_view> store(ChannelRef ref, std::uint32_t units, int item) {
        if (auto refusal = frequencyEntryRefusal(ref.channel, units, item)) return refusal;
        setSpacingCode(image_, ref, *spacingCodeFor(item, frequencyHz(units)));
        setChannelUnits(image_, ref, units);
        refused_[slot(ref)].reset();
        return std::nullopt;
    }

    // A channel the band rules move: committed with its own list item.
    bool replace(ChannelRef ref, std::uint32_t units) {
        if (refused_[slot(ref)] == units) return false;
        const int item = spacingItemOfCode(spacingCode(image_, ref));
        if (const auto refusal = store(ref, units, item)) {
            refused_[slot(ref)] = units;
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
            if (p == source.profile) continue;
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
        if (refused_[slot(from)]) return false;
        if (partnerAccepts(bandAt(image_, from), channelUnits(image_, to))) return false;
        return replace(to, channelUnits(image_, from));
    }

    ChannelCommit finish() {
        recomputeSynthesizerWords(image_);
        return std::move(result_);
    }

    // What this run found, added to what earlier runs found; a notice
    // already given is not given again.
    void addTo(ChannelCommit& total) const {
        for (const ChannelNotice& notice : result_.notices) {
            const bool given = std::any_of(total.notices.begin(), total.notices.end(), [&](const ChannelNotice& n) {
                return n.channel == notice.channel && n.proposedUnits == notice.proposedUnits &&
                       n.message == notice.message;
            });
            if (!given) total.notices.push_back(notice);
        }
        if (result_.presetBand) total.presetBand = result_.presetBand;
    }

private:
    CodePlugImage& image_;
    std::array<std::optional<std::uint32_t>, kChannelCount> refused_{};
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
    // Each pass depends on the image alone, and passes run until one changes
    // nothing: so the refresh of what a refresh left changes nothing either.
    ChannelCommit result;
    for (int pass = 0; pass < kMaxRefreshPasses; ++pass) {
        const CodePlugImage before = image;
        BandKeeper keeper(image);
        for (const Channel channel : {Channel::F1, Channel::F2}) {
            for (int p = 0; p < profileLayout::kProfileCount; ++p) {
                const ChannelRef partner{partnerOf(channel), p};
                if (keeper.checkPartner({channel, p})) keeper.followSource(partner);
            }
        }
        keeper.addTo(result);
        if (image == before) break;
    }
    recomputeSynthesizerWords(image);
    return result;
}

}  // namespace km640
