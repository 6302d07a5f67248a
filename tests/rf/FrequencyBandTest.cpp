#include <gtest/gtest.h>

#include "rf/FrequencyBand.h"

using namespace km640;

TEST(FrequencyBand, BandsAndMultiplierAtTheirEdges) {
    struct Row { std::int64_t hz; Band band; int multiplier; };
    const Row rows[] = {
        {0, Band::Upper, 2},
        {32'999'900, Band::Upper, 2},
        {33'000'000, Band::Low, 1},
        {51'000'000, Band::Low, 1},
        {51'000'100, Band::Upper, 2},
        {99'999'900, Band::Upper, 2},
        {100'000'000, Band::Vhf, 1},
        {200'000'000, Band::Vhf, 1},
        {200'000'100, Band::Upper, 2},
        {9'999'999'900, Band::Upper, 2},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(bandOf(row.hz), row.band) << row.hz;
        EXPECT_EQ(bandMultiplier(bandOf(row.hz)), row.multiplier) << row.hz;
    }
}

TEST(FrequencyBand, PartnerRuleAndFrequenciesNoPartnerCanJoin) {
    struct Row { std::uint32_t units; bool low, vhf, upper, noPartner; };
    const Row rows[] = {
        {329'999, false, false, false, true},
        {330'000, true, false, false, false},
        {490'000, true, false, false, false},
        {490'001, false, false, false, true},
        {510'000, false, false, false, true},  // still low band, yet outside the low partner rule
        {510'001, false, false, false, true},
        {999'999, false, false, false, true},
        {1'000'000, false, true, false, false},
        {2'000'000, false, true, false, false},
        {2'000'001, false, false, true, false},
        {99'999'999, false, false, true, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(partnerAccepts(Band::Low, row.units), row.low) << row.units;
        EXPECT_EQ(partnerAccepts(Band::Vhf, row.units), row.vhf) << row.units;
        EXPECT_EQ(partnerAccepts(Band::Upper, row.units), row.upper) << row.units;
        EXPECT_EQ(frequencyHasNoPartner(row.units), row.noPartner) << row.units;
    }
}
