#include <gtest/gtest.h>

#include "settings/ProfileRules.h"

using namespace km640;
using namespace km640::profiles;

TEST(ResetDelay, EntriesInHalfSeconds) {
    using O = ResetDelayEntry::Outcome;
    struct Row { double seconds; O outcome; int halfSeconds; const char* shown; };
    const Row rows[] = {
        {0, O::Stored, 0, "0.0"},          {0.5, O::Stored, 1, "0.5"},
        {12.3, O::NotHalfSecond, 0, ""},   {12.5, O::Stored, 25, "12.5"},
        {12.0, O::Stored, 24, "12.0"},     {7.9, O::NotHalfSecond, 0, ""},
        {127.5, O::Stored, 255, "127.5"},  {127.6, O::OutOfRange, 0, ""},
        {128, O::OutOfRange, 0, ""},       {-0.5, O::OutOfRange, 0, ""},
    };
    for (const auto& row : rows) {
        const ResetDelayEntry e = judgeResetDelay(row.seconds);
        EXPECT_EQ(e.outcome, row.outcome) << row.seconds;
        if (row.outcome != O::Stored) continue;
        EXPECT_EQ(e.halfSeconds, row.halfSeconds) << row.seconds;
        EXPECT_EQ(e.shownText, row.shown) << row.seconds;
    }
    EXPECT_EQ(resetDelayText(16), "8.0");
    EXPECT_EQ(resetDelayText(255), "127.5");
}

TEST(SwitchModes, CodesAndEntriesOfBothLayouts) {
    struct Row { ChannelLayout layout; std::uint8_t code; std::optional<int> entry; };
    const Row rows[] = {
        {ChannelLayout::Two, 0, 0},  {ChannelLayout::Two, 6, 6}, {ChannelLayout::Two, 7, std::nullopt},
        {ChannelLayout::Two, 15, std::nullopt},
        {ChannelLayout::One, 0, 0},  {ChannelLayout::One, 1, 0}, {ChannelLayout::One, 2, 1},
        {ChannelLayout::One, 3, 1},  {ChannelLayout::One, 4, std::nullopt}, {ChannelLayout::One, 6, std::nullopt},
    };
    for (const auto& row : rows) EXPECT_EQ(modeEntry(row.layout, row.code), row.entry) << int(row.code);

    EXPECT_EQ(modeCode(ChannelLayout::One, 1), 2);
    EXPECT_EQ(modeCode(ChannelLayout::Two, 5), 5);

    const bool twoChannelAllows[] = {false, false, true, true, false, true, false};
    for (int e = 0; e < 7; ++e) EXPECT_EQ(modeAllowsPushToListen(ChannelLayout::Two, e), twoChannelAllows[e]) << e;
    EXPECT_FALSE(modeAllowsPushToListen(ChannelLayout::One, 0));
    EXPECT_TRUE(modeAllowsPushToListen(ChannelLayout::One, 1));

    EXPECT_EQ(alertTypeEntry(2), 2);
    EXPECT_EQ(alertTypeEntry(5), std::nullopt);
}

TEST(ResetControl, ListsAndDelayFields) {
    EXPECT_EQ(resetControlItems(0)[6], "Manual Reset Until Press Reset");
    for (int p = 1; p < kProfileCount; ++p) EXPECT_EQ(resetControlItems(p)[6], "Manual Reset With Recording Stop");
    const bool shown[] = {false, true, false, false, true, true, false};
    for (int e = 0; e < 7; ++e) EXPECT_EQ(resetDelayShown(e), shown[e]) << e;
}

TEST(Profiles, ActiveSwitchesAndProfilesOn) {
    CodePlugImage image = DefaultImage();
    copyActiveSwitchSettings(image, 0);
    EXPECT_EQ(image.byte(64), 0x16);
    EXPECT_EQ(image.byte(67), 0x03);
    copyActiveSwitchSettings(image, 3);
    EXPECT_EQ(image.byte(64), 0x05);
    EXPECT_EQ(image.byte(67), 0x01);
    EXPECT_EQ(switchByteOffset(2, 1), 1536 + 128 + 22);

    EXPECT_EQ(profilesOnCount(image), 1);
    image.setByte(1536 + 64 + 12, 2);  // shown as on, not counted
    EXPECT_EQ(profilesOnCount(image), 1);
    image.setByte(1536 + 192 + 12, 1);
    EXPECT_EQ(profilesOnCount(image), 2);
}
