#include <gtest/gtest.h>

#include "SelcallFixture.h"
#include "selcall/ToneSpacing.h"

using namespace km640;
using namespace km640::test;

namespace {

TEST(ToneSpacing, BandEdgesInSinglePrecision) {
    const struct {
        int p10;
        int other;
        int tenths;
        bool tooClose;
    } cases[] = {
        // +/-2.5 % keeps tones 5.1 % of the other tone apart: 1000.0 -> 949.0 .. 1051.0.
        {25, 10000, 10510, false}, {25, 10000, 9490, false}, {25, 10000, 10509, true},
        {25, 10000, 9491, true},   {25, 10000, 10000, false},
        // +/-0.1 %: 700.0 +/- 2.1, where single-precision 697.9 lies just inside.
        {1, 7000, 6979, true},     {1, 7000, 6978, false},   {1, 7000, 7022, false},
        // The band width itself is rounded to single precision: 2057.9 +/- 1.9 % ends
        // exactly on 2097.0, which a double-precision width would still take in.
        {9, 20579, 20970, false}, {9, 20579, 20969, true},
        // The band is taken around the other tone, not the new one.
        {31, 30000, 28110, false}, {31, 30000, 28111, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tonesTooClose(c.tenths, c.other, c.p10), c.tooClose) << c.p10 << " " << c.other << " " << c.tenths;
}

TEST(ToneSpacing, BandwidthItems) {
    const struct {
        int index;
        const char* item;
        int p10;
    } cases[] = {{0, "0.1", 1}, {1, "0.3", 3}, {3, "0.7", 7}, {12, "2.5", 25}, {15, "3.1", 31}};
    for (const auto& c : cases) {
        EXPECT_EQ(decodeBandwidthItem(c.index), c.item);
        EXPECT_EQ(spacingP10(c.index), c.p10);
    }
}

TEST(ToneSpacing, StoredBandwidthBeyondTheListSelectsTheDefaultItem) {
    for (std::uint8_t stored : {16, 0x80, 0xFF}) EXPECT_EQ(decodeBandwidthIndex(stored), 3) << int(stored);
    EXPECT_EQ(decodeBandwidthIndex(15), 15);
    EXPECT_EQ(decodeBandwidthIndex(0), 0);
}

TEST(ToneSpacing, ToneListFollowsTheImage) {
    CodePlugImage image = selcallImage(ToneSystem::User, 12, {{f2Tone2(3), 10000}, {f2Group(9), 20000}});
    image.copyIn(toneBcdOffset(f2Tone1(5)), std::array<std::uint8_t, 3>{0xFF, 0xFF, 0xFF});
    const ToneList list = channelToneList(image, CallChannel::F2);
    EXPECT_EQ(list[8 + 3].tenths, 10000);
    EXPECT_TRUE(list[8 + 3].enabled);
    EXPECT_TRUE(list[3].enabled) << "both tones of an address share its switch";
    EXPECT_EQ(list[16 + 1].tenths, 20000);
    EXPECT_FALSE(list[5].tenths) << "unreadable digits hold no tone";
    EXPECT_EQ(list[0].tenths, 12858);
    EXPECT_TRUE(list[0].enabled) << "the built-in \"#1\" is in use";
    EXPECT_FALSE(list[1].enabled);
}

TEST(ToneSpacing, ConflictsOnlyWithOtherEnabledEntries) {
    ToneList list{};
    auto set = [&](int entry, int tenths, bool enabled) { list[static_cast<std::size_t>(entry)] = {tenths, enabled}; };
    set(0, 10000, true);
    EXPECT_EQ(spacingConflict(10509, 3, list, 25), 0);
    EXPECT_FALSE(spacingConflict(10509, 0, list, 25)) << "the tone's own entry is left out";
    set(0, 10000, false);
    EXPECT_FALSE(spacingConflict(10509, 3, list, 25)) << "a disabled address is ignored";
    set(17, 10400, true);
    EXPECT_EQ(spacingConflict(10509, 3, list, 25), 17);
    EXPECT_EQ(toneListOwner(17), 9);
}

TEST(ToneSpacing, AnEqualToneDoesNotEndTheSearch) {
    // An equal tone in another address is fine, but a close tone further down the
    // list still conflicts.
    ToneList list{};
    list[0] = {10000, true};
    list[9] = {10100, true};
    EXPECT_EQ(spacingConflict(10000, 4, list, 25), 9);
}

}  // namespace
