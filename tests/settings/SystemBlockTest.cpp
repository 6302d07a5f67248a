#include <gtest/gtest.h>

#include "codeplug/CodePlugImage.h"
#include "settings/FieldRef.h"
#include "settings/SystemBlock.h"

using namespace km640;
using namespace km640::sysblock;

TEST(SystemBlock, BatteryLists) {
    const auto low = BatteryListItems(BatteryLevel::Low);
    const auto med = BatteryListItems(BatteryLevel::Medium);
    const auto high = BatteryListItems(BatteryLevel::High);
    EXPECT_EQ(low, (std::vector<std::string>{"3.70V", "3.65V", "3.60V", "3.55V", "3.50V"}));
    ASSERT_EQ(med.size(), 8u);
    EXPECT_EQ(med.front(), "3.95V");
    EXPECT_EQ(med.back(), "3.60V");
    ASSERT_EQ(high.size(), 10u);
    EXPECT_EQ(high.front(), "4.15V");
    EXPECT_EQ(high.back(), "3.70V");
    // Every list entry has a code in the table.
    for (const auto* list : {&low, &med, &high})
        for (const auto& item : *list) {
            const int hundredths = (item[0] - '0') * 100 + std::stoi(item.substr(2, 2));
            EXPECT_TRUE(BatteryCode(hundredths).has_value()) << item;
        }
}

TEST(SystemBlock, BatteryListEntryOfCode) {
    const auto low = BatteryListItems(BatteryLevel::Low);
    const auto med = BatteryListItems(BatteryLevel::Medium);
    const auto high = BatteryListItems(BatteryLevel::High);
    struct Case { const std::vector<std::string>* list; std::uint8_t code; std::optional<int> entry; };
    const Case cases[] = {
        {&low, 149, 4},            // 3.50 V, the default low level
        {&med, 160, 4},            // 3.75 V
        {&high, 166, 5},           // 3.90 V
        {&high, 177, 0},           // 4.15 V
        {&low, 150, std::nullopt}, // not a battery code
        {&low, 160, std::nullopt}, // 3.75 V is not offered for the low level
        {&high, 138, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(BatteryListEntry(*c.list, c.code), c.entry) << int(c.code);
}

TEST(SystemBlock, AlertPeriod) {
    struct Case { std::uint8_t code; std::optional<int> entry; };
    const Case cases[] = {{0, 0}, {4, 1}, {10, 2}, {20, 3}, {60, 4}, {7, std::nullopt}, {255, std::nullopt}};
    for (const auto& c : cases) EXPECT_EQ(AlertPeriodEntry(c.code), c.entry) << int(c.code);
    EXPECT_EQ(kAlertPeriodItems[*AlertPeriodEntry(kAlertPeriodFallback)], "2 min");
}

TEST(SystemBlock, MenuCount) {
    struct Case { std::uint8_t items; std::uint8_t count; };
    const Case cases[] = {{0x00, 0}, {0x01, 1}, {0x40, 7}, {0x42, 7}, {0x0A, 4}, {0x02, 2}, {0x80, 8}, {0xFF, 8}};
    for (const auto& c : cases) EXPECT_EQ(MenuCount(c.items), c.count) << int(c.items);
}

TEST(SystemBlock, ShownValues) {
    struct Case { int (*shown)(std::uint8_t); std::uint8_t byte; int value; };
    const Case cases[] = {
        {MsgReadStatusShown, 240, 120}, {MsgReadStatusShown, 1, 1},    {MsgReadStatusShown, 255, 255},
        {MsgReadStatusShown, 0, 0},     {MsgReadStatusShown, 2, 1},    {MsgReadStatusShown, 3, 1},
        {BacklightShown, 255, 255},     {BacklightShown, 20, 10},      {BacklightShown, 254, 127},
        {BacklightShown, 1, 0},         {HalvedShown, 8, 4},           {PriorityScanEntry, 5, 0},
        {PriorityScanEntry, 20, 2},     {PriorityScanEntry, 255, 25},
    };
    for (const auto& c : cases) EXPECT_EQ(c.shown(c.byte), c.value) << int(c.byte);
}

TEST(SystemBlock, LcmPresetsMatchTheDefaultBlock) {
    // The built-in code-plug carries the 5 V block.
    const CodePlugImage& img = DefaultImage();
    for (int k = 0; k < kLcmBlockLength; ++k) EXPECT_EQ(img.byte(179 + k), kLcmPreset5V[k]) << k;
    EXPECT_EQ(LcmVopButton(22), 0);
    EXPECT_EQ(LcmVopButton(20), 1);
    EXPECT_EQ(LcmVopButton(0), 1);
    EXPECT_EQ(kLcmPreset7V[11], 20);
}

TEST(SystemBlock, ListTexts) {
    const auto dbw = DecodeBandwidthItems();
    ASSERT_EQ(dbw.size(), 16u);
    EXPECT_EQ(dbw[0], "0.1");
    EXPECT_EQ(dbw[3], "0.7");
    EXPECT_EQ(dbw[15], "3.1");
    EXPECT_EQ(PromptsOfIdleItem(1), (std::vector<int>{1, 9, 10, 11}));
    EXPECT_EQ(PromptsOfIdleItem(3), (std::vector<int>{3, 8}));
    EXPECT_EQ(PromptsOfIdleItem(7), (std::vector<int>{7}));
}

TEST(FieldRef, ResolvesByNameAndRefusesUnknownNames) {
    const FieldRef privacy = FieldRef::of("PrivacyEnable");
    EXPECT_EQ(privacy.offset, 16);
    EXPECT_EQ(privacy.shift, 2);
    EXPECT_EQ(privacy.width, 1);
    EXPECT_EQ(FieldRef::of("Profile[{}].Switch{}.Mode", 2, 1).offset, 1536 + 128 + 22);
    EXPECT_EQ(FieldRef::of("KeyFunctions").bit(4).shift, 4);
    EXPECT_THROW(FieldRef::of("NoSuchField"), std::out_of_range);

    CodePlugImage img = DefaultImage();
    EXPECT_EQ(FieldRef::of("DisablePowerSave").get(img), 0);
    FieldRef::of("DisablePowerSave").set(img, 1);
    EXPECT_EQ(img.byte(49), 0x01 | 0x02);  // the other bits of byte 49 stay
}

TEST(SystemBlock, StoredValuesOfTypedNumbers) {
    struct Case { int typed; bool readAccepted; std::uint8_t readStored; bool lightAccepted; std::uint8_t lightStored; };
    const Case cases[] = {
        {0, true, 0, false, 0},      {1, true, 1, true, 2},        {2, true, 4, true, 4},
        {60, true, 120, true, 120},  {120, true, 240, true, 240},  {121, false, 0, true, 242},
        {127, false, 0, true, 254},  {128, false, 0, false, 0},    {254, false, 0, false, 0},
        {255, true, 255, true, 255}, {256, false, 0, false, 0},    {-1, false, 0, false, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MsgReadStatusAccepted(c.typed), c.readAccepted) << c.typed;
        if (c.readAccepted) {
            EXPECT_EQ(MsgReadStatusStored(c.typed), c.readStored) << c.typed;
        }
        EXPECT_EQ(BacklightAccepted(c.typed), c.lightAccepted) << c.typed;
        if (c.lightAccepted) {
            EXPECT_EQ(BacklightStored(c.typed), c.lightStored) << c.typed;
        }
    }
    EXPECT_EQ(DecodingTimeMinimum(0), 5);
    EXPECT_EQ(DecodingTimeMinimum(1), 5);
    EXPECT_EQ(DecodingTimeMinimum(kPlectronToneSystem), 0);
}

TEST(SystemBlock, BatteryOrder) {
    using L = BatteryLevel;
    struct Case { L changed; int low; int medium; int high; bool refused; };
    const Case cases[] = {
        {L::High, 350, 375, 400, false},
        {L::High, 350, 375, 375, true},   // medium = high
        {L::High, 370, 360, 370, true},   // low = high, although the changed pair is in order
        {L::Medium, 370, 360, 390, true}, // medium below low
        {L::Medium, 350, 390, 390, true},
        {L::Medium, 350, 380, 390, false},
        {L::Low, 370, 370, 415, true},
        {L::Low, 365, 370, 415, false},
        // Only the changed level is judged: a medium above the high level
        // does not stop a low level below both.
        {L::Low, 350, 395, 390, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BatteryOrderRefused(c.changed, c.low, c.medium, c.high), c.refused)
            << static_cast<int>(c.changed) << " " << c.low << " " << c.medium << " " << c.high;
    for (auto level : {L::Low, L::Medium, L::High})
        for (const auto& item : BatteryListItems(level))
            EXPECT_EQ(VoltText(ListVoltHundredths(item)), item);
}

TEST(SystemBlock, PasswordBytes) {
    struct Case { const char* typed; std::array<std::uint8_t, 4> bytes; };
    const Case cases[] = {
        {"1234", {'1', '2', '3', '4'}},
        {"42", {'4', '2', 0, 0}},
        {" 7 ", {'7', 0, 0, 0}},
        {"98765", {'9', '8', '7', '6'}},  // a pasted fifth digit is cut off
    };
    for (const auto& c : cases) EXPECT_EQ(PasswordBytes(c.typed), c.bytes) << c.typed;
}
