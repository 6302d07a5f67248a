#include <gtest/gtest.h>

#include "codeplug/CodePlugImage.h"
#include "selcall/AddressRow.h"

using namespace km640;

namespace {

TEST(AddressRow, AlertToneByte) {
    const struct {
        std::uint8_t stored;
        AlertTone tone;
        bool roundTrips;
    } cases[] = {
        {16, {AlertToneType::Standard, 0}, true},   {17, {AlertToneType::Continuous, 0}, true},
        {0, {AlertToneType::UserDefine, 0}, true},  {4, {AlertToneType::UserDefine, 4}, true},
        {7, {AlertToneType::UserDefine, 7}, true},  {8, {AlertToneType::UserDefine, 0}, false},
        {15, {AlertToneType::UserDefine, 0}, false}, {18, {AlertToneType::UserDefine, 0}, false},
        {0xFF, {AlertToneType::UserDefine, 0}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(alertToneFromByte(c.stored), c.tone) << int(c.stored);
        if (c.roundTrips) {
            EXPECT_EQ(alertToneByte(c.tone), c.stored) << int(c.stored);
        }
    }
}

TEST(AddressRow, EnablingRules) {
    AddressRowContext context;
    context.profileOn = {true, true, false, true};
    context.fixedAlertTimeEnabled = true;

    const auto inUse = addressRowEnabling(CallChannel::F1, true, AlertToneType::Standard, context);
    EXPECT_TRUE(inUse.mark);
    EXPECT_EQ(inUse.profiles, (std::array<bool, 4>{true, true, false, true}));
    EXPECT_FALSE(inUse.alertPattern);
    EXPECT_TRUE(inUse.alertTime);
    EXPECT_TRUE(inUse.vibratorInCharger);
    EXPECT_TRUE(addressRowEnabling(CallChannel::F1, true, AlertToneType::UserDefine, context).alertPattern);

    const auto unused = addressRowEnabling(CallChannel::F1, false, AlertToneType::UserDefine, context);
    EXPECT_FALSE(unused.mark || unused.alertPattern || unused.alertTime || unused.vibratorInCharger);
    EXPECT_EQ(unused.profiles, (std::array<bool, 4>{}));

    context.oneChannel = true;
    EXPECT_TRUE(addressRowEnabling(CallChannel::F1, true, AlertToneType::Standard, context).vibratorInCharger);
    EXPECT_FALSE(addressRowEnabling(CallChannel::F2, true, AlertToneType::Standard, context).vibratorInCharger);
    context.oneChannel = false;
    context.vibratorInChargerDisabled = true;
    context.fixedAlertTimeEnabled = false;
    const auto noVib = addressRowEnabling(CallChannel::F1, true, AlertToneType::Standard, context);
    EXPECT_FALSE(noVib.vibratorInCharger);
    EXPECT_FALSE(noVib.alertTime);
}

TEST(AddressRow, AlertSeconds) {
    const struct {
        const char* text;
        AlertSecondsOutcome outcome;
        std::uint8_t stored;
    } cases[] = {
        {"127", AlertSecondsOutcome::Stored, 0x7F},  {"1", AlertSecondsOutcome::Stored, 1},
        {" 007 ", AlertSecondsOutcome::Stored, 7},   {"0", AlertSecondsOutcome::OutOfRange, 5},
        {"128", AlertSecondsOutcome::OutOfRange, 5}, {"-3", AlertSecondsOutcome::OutOfRange, 5},
        {"99999999999", AlertSecondsOutcome::OutOfRange, 5}, {"1x", AlertSecondsOutcome::OutOfRange, 5},
        {"", AlertSecondsOutcome::Reshown, 5},       {"  ", AlertSecondsOutcome::Reshown, 5},
    };
    for (const auto& c : cases) {
        CodePlugImage image = DefaultImage();  // F2 "Group #2" holds 5 s
        const auto result = commitAlertSeconds(image, CallChannel::F2, 9, c.text);
        EXPECT_EQ(result.outcome, c.outcome) << c.text;
        EXPECT_EQ(image.byte(512 + 16 * 9 + 15), c.stored) << c.text;
        if (c.outcome == AlertSecondsOutcome::OutOfRange) {
            EXPECT_EQ(result.message, (SelcallMessage{"Please insert a number between 1 and 127 !", "KM640"}));
        } else {
            EXPECT_FALSE(result.message);
        }
    }
}

TEST(AddressRow, NamesAreStoredTwelveWide) {
    EXPECT_EQ(addressNameToStore(" AB"), " AB         ");
    EXPECT_EQ(addressNameToStore(""), "            ");
    EXPECT_EQ(addressNameToStore("   \t"), "            ");
    EXPECT_EQ(addressNameToStore("Fire Station 12"), "Fire Station");
}

TEST(AddressRow, CallNumberCaptions) {
    EXPECT_EQ(callNumberCaption(0), "#1");
    EXPECT_EQ(callNumberCaption(7), "#8");
    EXPECT_EQ(callNumberCaption(8), "Group #1");
    EXPECT_EQ(callNumberCaption(11), "Group #4");
}

}  // namespace
