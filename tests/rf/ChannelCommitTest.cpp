#include <gtest/gtest.h>

#include <vector>

#include "codeplug/CodePlugImage.h"
#include "rf/ChannelCommit.h"
#include "rf/ChannelSpacing.h"
#include "rf/FrequencyBcd.h"
#include "rf/RfMessages.h"
#include "rf/SquelchThresholds.h"

using namespace km640;

namespace {

constexpr ChannelRef kAllChannels[] = {
    {Channel::F1, 0}, {Channel::F1, 1}, {Channel::F1, 2}, {Channel::F1, 3},
    {Channel::F2, 0}, {Channel::F2, 1}, {Channel::F2, 2}, {Channel::F2, 3},
};

std::vector<std::uint8_t> bytesAt(const CodePlugImage& image, int offset, int length) {
    const auto s = image.span(offset, length);
    return {s.begin(), s.end()};
}

std::vector<std::uint8_t> wideTable(const CodePlugImage& image) {
    return bytesAt(image, thresholdOffset(ThresholdTable::Wide, 0, ThresholdColumn::Nrssi), 15);
}

void expectWordsMatchFrequencies(const CodePlugImage& image) {
    for (const ChannelRef ref : kAllChannels) {
        EXPECT_EQ(storedPllnWord(image, ref), channelWords(image, ref).plln) << int(ref.channel) << "/" << ref.profile;
        EXPECT_EQ(storedPllrWord(image, ref), channelWords(image, ref).pllr) << int(ref.channel) << "/" << ref.profile;
    }
}

}  // namespace

TEST(ChannelRefresh, DefaultImageWordsAreReproducedAndStaleOnesReplaced) {
    CodePlugImage image = DefaultImage();
    const ChannelCommit result = refreshChannels(image);
    EXPECT_TRUE(result.notices.empty());
    EXPECT_FALSE(result.presetBand);

    // Profile 1 F1, 152.0000 MHz "Auto" (code 16): words as the built-in image holds them.
    EXPECT_EQ(bytesAt(image, 1572, 8), (std::vector<std::uint8_t>{0x00, 0x14, 0x68, 0x00, 0x00, 0x01, 0xA3, 0x11}));

    struct Row { ChannelRef ref; const char* plln; const char* pllr; };
    const Row rows[] = {
        {{Channel::F1, 0}, "00146800", "0001A311"}, {{Channel::F2, 0}, "0015F800", "0001A311"},
        {{Channel::F1, 1}, "00664C00", "00082F11"}, {{Channel::F2, 1}, "006D5400", "00082F11"},
        {{Channel::F1, 2}, "00662100", "00082F11"}, {{Channel::F2, 2}, "0015D500", "0001A311"},
        {{Channel::F1, 3}, "00686000", "00082F11"}, {{Channel::F2, 3}, "006C4800", "00082F11"},
    };
    for (const auto& row : rows) {
        const ChannelView view = channelView(image, row.ref);
        EXPECT_EQ(view.pllnText, row.plln) << row.ref.profile;
        EXPECT_EQ(view.pllrText, row.pllr) << row.ref.profile;
    }
    // The built-in profile 3 F2 carries 6.25 kHz words beside code 16 (12.5 kHz):
    // those eight bytes are the only ones the refresh changes.
    for (int offset = 0; offset < static_cast<int>(kImageSize); ++offset) {
        if (offset < 1716 || offset > 1723) {
            ASSERT_EQ(image.byte(offset), DefaultImage().byte(offset)) << offset;
        }
    }

    // Words that arrive wiped are rebuilt.
    for (int offset = 1572; offset < 1580; ++offset) image.setByte(offset, 0);
    refreshChannels(image);
    EXPECT_EQ(bytesAt(image, 1572, 8), bytesAt(DefaultImage(), 1572, 8));
}

TEST(ChannelRefresh, LoadedValuesEndWithDefinedResults) {
    using Bcd = std::array<std::uint8_t, 4>;
    struct Notice { Channel channel; std::uint32_t proposed; std::string_view message; };
    struct Row {
        const char* what;
        Bcd f1, f2;
        std::uint8_t code1, code2;
        std::vector<Notice> notices;
        std::uint32_t f1After, f2After;
    };
    const Row rows[] = {
        {"both in the 49-51 MHz gap", {0x00, 0x50, 0, 0}, {0x00, 0x50, 0, 0}, 16, 16,
         {{Channel::F2, 500'000, rfText::kNoBandForFrequency}}, 500'000, 500'000},
        {"zero beside VHF", {0, 0, 0, 0}, {0x01, 0x52, 0, 0}, 16, 16,
         {{Channel::F2, 0, rfText::kBelow33MHz}}, 0, 1'520'000},
        {"erased beside VHF", {0xFF, 0xFF, 0xFF, 0xFF}, {0x01, 0x52, 0, 0}, 0xFF, 16,
         {{Channel::F2, kMaxFrequencyUnits, rfText::kF2SpacingError}}, kMaxFrequencyUnits, 1'520'000},
        {"foreign nibble, same band", {0x01, 0x5A, 0, 0}, {0x01, 0x62, 0, 0}, 16, 16, {}, 1'590'000, 1'620'000},
        {"gap beside a low-band partner", {0x00, 0x50, 0, 0}, {0x00, 0x45, 0, 0}, 16, 16, {}, 450'000, 450'000},
        {"both erased", {0xFF, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF, 0xFF}, 0xFF, 0xFF, {},
         kMaxFrequencyUnits, kMaxFrequencyUnits},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        CodePlugImage image = DefaultImage();
        image.copyIn(1568, row.f1);
        image.copyIn(1584, row.f2);
        image.setByte(1580, row.code1);
        image.setByte(1596, row.code2);
        const ChannelCommit result = refreshChannels(image);
        ASSERT_EQ(result.notices.size(), row.notices.size());
        for (std::size_t k = 0; k < row.notices.size(); ++k) {
            EXPECT_EQ(result.notices[k].channel, (ChannelRef{row.notices[k].channel, 0}));
            EXPECT_EQ(result.notices[k].proposedUnits, row.notices[k].proposed);
            EXPECT_EQ(result.notices[k].message, row.notices[k].message);
        }
        EXPECT_EQ(channelUnits(image, {Channel::F1, 0}), row.f1After);
        EXPECT_EQ(channelUnits(image, {Channel::F2, 0}), row.f2After);
        expectWordsMatchFrequencies(image);
    }
}

TEST(ChannelRefresh, MixedBandsAreBroughtIntoTheFirstProfilesBand) {
    CodePlugImage image = DefaultImage();
    setChannelUnits(image, {Channel::F1, 0}, 450'000);  // 45 MHz beside a VHF F2
    const ChannelCommit result = refreshChannels(image);
    EXPECT_TRUE(result.notices.empty());
    EXPECT_EQ(result.presetBand, Band::Low);
    for (const ChannelRef ref : kAllChannels) EXPECT_EQ(channelUnits(image, ref), 450'000u) << ref.profile;
    expectWordsMatchFrequencies(image);
}

TEST(ChannelRefresh, EveryPairOfLoadedValuesEnds) {
    const std::uint32_t values[] = {0,         200'000,   330'000,   490'000,   490'001,    500'000,    510'000,
                                    510'001,   999'999,   1'000'000, 1'520'000, 1'523'400,  2'000'000,  2'000'001,
                                    4'500'125, 9'999'999, 99'999'999};
    const std::uint8_t codes[] = {0, 2, 7, 16, 18, 0xFF};
    for (const auto f1 : values)
        for (const auto f2 : values)
            for (const auto code : codes) {
                CodePlugImage image = DefaultImage();
                setChannelUnits(image, {Channel::F1, 1}, f1);
                setChannelUnits(image, {Channel::F2, 1}, f2);
                setSpacingCode(image, {Channel::F1, 1}, code);
                setSpacingCode(image, {Channel::F2, 1}, code);
                const ChannelCommit result = refreshChannels(image);
                // Every profile ends with partners in one band, or a notice names it.
                for (int p = 0; p < 4; ++p) {
                    const std::uint32_t u1 = channelUnits(image, {Channel::F1, p});
                    const std::uint32_t u2 = channelUnits(image, {Channel::F2, p});
                    const bool agreed = partnerAccepts(bandOf(frequencyHz(u1)), u2) &&
                                        partnerAccepts(bandOf(frequencyHz(u2)), u1);
                    bool named = false;
                    for (const auto& n : result.notices) named = named || n.channel.profile == p;
                    EXPECT_TRUE(agreed || named) << f1 << " " << f2 << " code " << int(code) << " profile " << p;
                }
                expectWordsMatchFrequencies(image);
            }
}

TEST(ChannelCommit, RefusedEntriesLeaveTheImageAlone) {
    struct Row { Channel channel; std::uint32_t units; int item; std::string_view message; };
    const Row rows[] = {
        {Channel::F1, 329'999, kAutoSpacingItem, rfText::kBelow33MHz},
        {Channel::F1, 0, kAutoSpacingItem, rfText::kBelow33MHz},
        {Channel::F1, 490'025, kAutoSpacingItem, rfText::kNoBandForFrequency},
        {Channel::F2, 500'000, kAutoSpacingItem, rfText::kNoBandForFrequency},
        {Channel::F1, 510'000, kAutoSpacingItem, rfText::kNoBandForFrequency},
        {Channel::F1, 510'025, kAutoSpacingItem, rfText::kNoBandForFrequency},
        {Channel::F1, 999'975, kAutoSpacingItem, rfText::kNoBandForFrequency},
        {Channel::F1, 1'520'025, 2, rfText::kF1SpacingError},
        {Channel::F2, 1'520'025, 2, rfText::kF2SpacingError},
        {Channel::F1, 1'520'001, kAutoSpacingItem, rfText::kF1SpacingError},
        {Channel::F2, 2'000'001, 0, rfText::kF2SpacingError},
    };
    for (const auto& row : rows) {
        CodePlugImage image = DefaultImage();
        const ChannelCommit result = commitFrequency(image, {row.channel, 1}, row.units, row.item);
        EXPECT_EQ(result.refusal, row.message) << row.units;
        EXPECT_EQ(frequencyEntryRefusal(row.channel, row.units, row.item), row.message) << row.units;
        EXPECT_TRUE(image == DefaultImage()) << row.units;
    }
}

TEST(ChannelCommit, AcceptedEntriesPutEveryChannelInTheirBand) {
    struct Row { std::uint32_t units; int item; std::uint8_t code; Band band; };
    const Row rows[] = {
        {330'000, kAutoSpacingItem, 16, Band::Low},
        {490'000, 0, 0, Band::Low},
        {1'000'000, 1, 1, Band::Vhf},
        {1'523'400, kAutoSpacingItem, 18, Band::Vhf},
        {2'000'000, 2, 2, Band::Vhf},
        {2'000'025, kAutoSpacingItem, 18, Band::Upper},
        {9'999'975, kAutoSpacingItem, 18, Band::Upper},
    };
    for (const auto& row : rows) {
        CodePlugImage image = DefaultImage();
        const ChannelRef ref{Channel::F2, 2};
        const ChannelCommit result = commitFrequency(image, ref, row.units, row.item);
        ASSERT_TRUE(result.stored()) << row.units;
        EXPECT_TRUE(result.notices.empty()) << row.units;
        EXPECT_EQ(result.presetBand, row.band);
        EXPECT_EQ(channelUnits(image, ref), row.units);
        EXPECT_EQ(spacingCode(image, ref), row.code);
        for (const ChannelRef other : kAllChannels)
            EXPECT_TRUE(partnerAccepts(row.band, channelUnits(image, other))) << row.units << " " << other.profile;
        expectWordsMatchFrequencies(image);
    }
}

TEST(ChannelCommit, UpperBandInProfileOneCarriesEveryChannelAlong) {
    CodePlugImage image = DefaultImage();
    setChannelUnits(image, {Channel::F1, 2}, 4'200'000);  // already upper band: keeps its own F1
    const ChannelCommit result = commitFrequency(image, {Channel::F1, 0}, 4'500'125, kAutoSpacingItem);
    ASSERT_TRUE(result.stored());
    EXPECT_TRUE(result.notices.empty());
    const std::uint32_t expected[2][4] = {{4'500'125, 4'500'125, 4'200'000, 4'500'125},
                                          {4'500'125, 4'500'125, 4'200'000, 4'500'125}};
    for (const ChannelRef ref : kAllChannels)
        EXPECT_EQ(channelUnits(image, ref), expected[int(ref.channel)][ref.profile]) << ref.profile;
    const ChannelView view = channelView(image, {Channel::F1, 0});
    EXPECT_EQ(view.frequencyText, "4500125");
    EXPECT_EQ(view.pllnText, "00217C00");
    EXPECT_EQ(view.multiplierText, "2");
    EXPECT_EQ(spacingCode(image, {Channel::F2, 1}), 16) << "a replaced channel stores the code its own item gives";
}

TEST(ChannelCommit, LoadedGapFrequencyInTheSameBandIsReplacedToo) {
    CodePlugImage image = DefaultImage();
    setChannelUnits(image, {Channel::F1, 3}, 500'000);  // low band, but no partner fits beside it
    ASSERT_TRUE(commitFrequency(image, {Channel::F1, 0}, 450'000, kAutoSpacingItem).notices.empty());
    for (const ChannelRef ref : kAllChannels) EXPECT_EQ(channelUnits(image, ref), 450'000u) << ref.profile;
}

TEST(ChannelCommit, ReplacementRefusedByItsOwnSpacingIsReported) {
    CodePlugImage image = DefaultImage();
    setSpacingCode(image, {Channel::F1, 1}, 2);  // profile 2 F1 fixed at "12.5 K"
    const ChannelCommit result = commitFrequency(image, {Channel::F1, 0}, 450'025, kAutoSpacingItem);
    ASSERT_TRUE(result.stored());
    ASSERT_EQ(result.notices.size(), 1u);
    EXPECT_EQ(result.notices[0].channel, (ChannelRef{Channel::F1, 1}));
    EXPECT_EQ(result.notices[0].proposedUnits, 450'025u);
    EXPECT_EQ(result.notices[0].message, rfText::kF1SpacingError);
    EXPECT_EQ(channelUnits(image, {Channel::F1, 1}), 1'523'400u) << "the refusing profile keeps its band";
    EXPECT_EQ(channelUnits(image, {Channel::F2, 1}), 1'613'400u);
    for (const int p : {0, 2, 3}) {
        EXPECT_EQ(channelUnits(image, {Channel::F1, p}), 450'025u) << p;
        EXPECT_EQ(channelUnits(image, {Channel::F2, p}), 450'025u) << p;
    }
    expectWordsMatchFrequencies(image);
}

TEST(ChannelCommit, BandDecidesTheWideBandPresets) {
    CodePlugImage image = DefaultImage();
    const auto vhfTable = wideTable(image);
    ASSERT_EQ(commitFrequency(image, {Channel::F1, 0}, 450'000, kAutoSpacingItem).presetBand, Band::Low);
    EXPECT_EQ(thresholdText(image.byte(1520)), "1.95");
    EXPECT_EQ(thresholdText(image.byte(1521)), "1.30");
    EXPECT_EQ(thresholdText(image.byte(1522)), "0.30");
    EXPECT_TRUE(channelView(image, {Channel::F2, 3}).bandwidthLocked);
    ASSERT_EQ(commitFrequency(image, {Channel::F1, 0}, 1'520'000, kAutoSpacingItem).presetBand, Band::Vhf);
    EXPECT_EQ(wideTable(image), vhfTable);
    EXPECT_FALSE(channelView(image, {Channel::F2, 3}).bandwidthLocked);
}

TEST(ChannelCommit, SpacingClick) {
    CodePlugImage image = DefaultImage();
    const ChannelRef ref{Channel::F1, 0};
    EXPECT_EQ(commitSpacing(image, {Channel::F2, 1}, 1'613'400, 2).refusal, rfText::kF2SpacingError);
    EXPECT_TRUE(image == DefaultImage());

    ASSERT_TRUE(commitSpacing(image, ref, 1'520'000, 0).stored());
    EXPECT_EQ(spacingCode(image, ref), 0);
    EXPECT_EQ(channelView(image, ref).pllrText, "00082F11");

    // A frequency no entry could make: refused before the code is stored, so
    // code and words stay as they were.
    setChannelUnits(image, ref, 200'000);
    refreshChannels(image);
    const CodePlugImage before = image;
    EXPECT_EQ(commitSpacing(image, ref, 200'000, kAutoSpacingItem).refusal, rfText::kBelow33MHz);
    EXPECT_TRUE(image == before);
}
