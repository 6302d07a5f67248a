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
    const auto f1OneChannel = addressRowEnabling(CallChannel::F1, true, AlertToneType::Standard, context);
    EXPECT_TRUE(f1OneChannel.vibratorInCharger);
    EXPECT_EQ(f1OneChannel.profiles, (std::array<bool, 4>{true, true, false, true}));
    // Without its second channel the pager has no F2 profile membership to edit.
    const auto f2OneChannel = addressRowEnabling(CallChannel::F2, true, AlertToneType::Standard, context);
    EXPECT_FALSE(f2OneChannel.vibratorInCharger);
    EXPECT_EQ(f2OneChannel.profiles, (std::array<bool, 4>{}));
    EXPECT_FALSE(profileColumnEnabled(CallChannel::F2, 0, context));
    EXPECT_TRUE(profileColumnEnabled(CallChannel::F1, 0, context));
    EXPECT_FALSE(profileColumnEnabled(CallChannel::F1, 2, context));
    context.oneChannel = false;
    context.vibratorInChargerDisabled = true;
    context.fixedAlertTimeEnabled = false;
    const auto noVib = addressRowEnabling(CallChannel::F1, true, AlertToneType::Standard, context);
    EXPECT_FALSE(noVib.vibratorInCharger);
    EXPECT_FALSE(noVib.alertTime);
}

TEST(AddressRow, ContextFromTheImage) {
    const struct {
        const char* what;
        int offset;
        std::uint8_t value;
        AddressRowContext context;
    } cases[] = {
        // The built-in code-plug: profile 1 on, two channels, no fixed alert time.
        {"built-in", 1536 + 12, 1, {{true, false, false, false}, false, false, false}},
        {"profile 3 on by a byte of 2", 1536 + 2 * 64 + 12, 2, {{true, false, true, false}, false, false, false}},
        {"profile 1 off", 1536 + 12, 0, {{false, false, false, false}, false, false, false}},
        {"fixed alert time", 45, 1, {{true, false, false, false}, true, false, false}},
        {"fixed alert time byte 2", 45, 2, {{true, false, false, false}, false, false, false}},
        {"vibrator in charger disabled", 17, 0x02, {{true, false, false, false}, false, true, false}},
        {"one channel", 1, 0x00, {{true, false, false, false}, false, false, true}},
    };
    for (const auto& c : cases) {
        CodePlugImage image = DefaultImage();
        image.setByte(c.offset, c.value);
        const auto context = addressRowContext(image);
        EXPECT_EQ(context.profileOn, c.context.profileOn) << c.what;
        EXPECT_EQ(context.fixedAlertTimeEnabled, c.context.fixedAlertTimeEnabled) << c.what;
        EXPECT_EQ(context.vibratorInChargerDisabled, c.context.vibratorInChargerDisabled) << c.what;
        EXPECT_EQ(context.oneChannel, c.context.oneChannel) << c.what;
    }
}

TEST(AddressRow, EnablingOfAStoredRow) {
    CodePlugImage image = DefaultImage();
    AddressRowContext context;
    context.profileOn = {true, false, false, false};
    // Record 0 of F1 is in use in the built-in code-plug, record 1 is not.
    image.setByte(256 + 14, 3);
    const auto used = addressRowEnabling(image, CallChannel::F1, 0, context);
    EXPECT_TRUE(used.mark && used.alertPattern && used.profiles[0]);
    image.setByte(256 + 14, 17);
    EXPECT_FALSE(addressRowEnabling(image, CallChannel::F1, 0, context).alertPattern);
    const auto unused = addressRowEnabling(image, CallChannel::F1, 1, context);
    EXPECT_FALSE(unused.mark || unused.profiles[0]);
}

TEST(AddressRow, AlertSecondsKeys) {
    const struct {
        char32_t key;
        KeyVerdict verdict;
    } cases[] = {{U'0', KeyVerdict::Pass}, {U'9', KeyVerdict::Pass},   {kKeyBackspace, KeyVerdict::Pass},
                 {kKeyEnter, KeyVerdict::Commit}, {U'.', KeyVerdict::Refuse}, {U'a', KeyVerdict::Refuse},
                 {U' ', KeyVerdict::Refuse}, {U'-', KeyVerdict::Refuse}};
    for (const auto& c : cases) {
        const KeyDecision d = alertSecondsKey(c.key);
        EXPECT_EQ(d.verdict, c.verdict) << int(c.key);
        if (d.verdict == KeyVerdict::Refuse) {
            EXPECT_EQ(d.message.text, alertSecondsKeyMessage().text);
            EXPECT_EQ(d.message.caption, "KM640");
            EXPECT_EQ(d.message.icon, KeyMessageIcon::Warning);
        }
    }
    EXPECT_EQ(alertSecondsKeyMessage().text, "Please insert a numeric !");
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
