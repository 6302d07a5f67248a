#include <gtest/gtest.h>

#include "codeplug/MemoryMap.h"
#include "fieldtext/FieldValue.h"

using namespace km640;
using namespace km640::fieldtext;

TEST(FieldValue, DefaultCodePlugAsTheWindowShowsIt) {
    const struct {
        const char* field;
        const char* value;
        const char* raw;
    } cases[] = {
        {"Profile[0].F1Freq", "1520000", "01 52 00 00"},
        {"F1Tone1[0]", "1285.8", "12 85 80"},
        {"WbSquelch[0].Nrssi", "0.95", "51"},
        {"NbSquelch[0].SpeakerOff", "0.40", "22"},
        {"ToneSystem", "Standard", "00"},
        {"DecodeBandwidth", "0.7", "03"},
        {"Profile[0].F1ChannelSpacing", "Auto", "10"},
        {"F1AddrAlertTone[0]", "Standard", "10"},
        {"F1AddrAlertTime[0]", "STD", "63"},
        {"F1AddrName[0]", "\" Addr_1 F1\"", "20 41 64 64 72 5F 31 20 46 31 20 20"},
        {"PowerOnMenuPassword", "\"1234\"", "31 32 33 34"},
        {"TwoChannelMode", "on", "EE"},
        {"F1AddrOn[1]", "off", "62"},
        {"IdleMenuItems", "{1,3}", "0A"},
        {"MsgReadStatus", "255", "FF"},
        {"PlayShowMessageTime", "4", "08"},
        {"BacklightAutoOff", "10", "14"},
        {"InitialProfile", "Profile 1", "00"},
        {"RemindToneType", "Same as alert type", "00"},
        {"PriorityScanPeriod", "1 Second", "0A"},
        {"RecordSections", "16 sections (Max. 30 s)", "03"},
        {"AuxDbData", "2", "01"},
        {"Clock24h", "12H", "FC"},
        {"BatteryGaugeLevels[0]", "3.50V", "95"},
        {"BatteryGaugeLevels[2]", "3.90V", "A6"},
        {"BatteryAlertPeriod", "10 min", "14"},
        {"Profile[0].ResetControl", "Time-Out RESET", "04"},
        {"Profile[0].ResetDelay", "8.0", "10"},
        {"Profile[0].SwitchA.Mode", "Priority Scan F1", "16"},
        {"Profile[0].SwitchA.AlertType", "Vibrate", "16"},
        {"Profile[1].SwitchB.Mode", "Silent Scan", "25"},
        {"Profile[1].SwitchB.AlertType", "Vibrate & Beep", "25"},
        {"Profile[0].F1Bandwidth", "WB", "00"},
        {"Profile[0].F1Squelch", "4", "03"},
        {"CarrierOffDelay", "10", "0A"},
        {"ClockSetting", "2009/01/01 12:00:00 Tue", "00 00 12 02 01 01 09"},
        {"TonalityHz[0]", "200", "02 00"},
        {"TonalityDivider[0]", "045E", "04 5E"},
        {"AlertPattern[0].Tones", "0 1 2 3 0 1 2 3", "01 23 01 23"},
        {"AlertPattern[0].Led", "00010001", "11"},
        {"ActiveSwitchSettings", "00 11 22 03", "00 11 22 03"},
        {"FirmwareVersion", "0.0.0", "00 00 00"},
    };
    const CodePlugImage& image = DefaultImage();
    for (const auto& c : cases) {
        const auto& field = memmap::field(c.field);
        EXPECT_EQ(fieldValueText(image, field), c.value) << c.field;
        EXPECT_EQ(rawBytesText(image, field), c.raw) << c.field;
    }
}

TEST(FieldValue, ValuesAForeignCodePlugHolds) {
    CodePlugImage image = DefaultImage();
    const std::uint8_t noTone[] = {0xFF, 0xFF, 0xFF};
    image.copyIn(256, noTone);
    image.setText(1376, 12, "A\x01\"B\\");
    image.setByte(1580, 9);    // a spacing code no list entry has
    image.setByte(270, 5);     // alert tone: user pattern 6
    image.setByte(163, 9);     // a day of week the pager does not have
    image.setByte(19, 240);    // message read status: twice the shown number
    image.setByte(176, 255);   // backlight endless
    image.SetBits(169, 0, 1, 1);
    image.setByte(83, 9);      // a record section entry the list does not have
    image.setByte(240, 150);   // a code the battery table does not have
    image.setByte(241, 177);   // 4.15 V, beyond the medium list
    image.setByte(242, 177);
    image.setByte(248, 7);     // an alert period the pager does not know
    image.setByte(1552, 6);    // reset entry 6 reads differently on the first profile
    image.setByte(1616, 6);
    image.setByte(1562, 255);
    image.setByte(1557, 0x56); // alert type 5, beyond the list
    image.setByte(1582, 1);    // narrow band on a VHF channel
    image.setByte(1599, 7);    // squelch beyond the five levels
    const struct {
        const char* field;
        const char* value;
    } cases[] = {
        {"F1Tone1[0]", "(no tone)"},
        {"LogoLine1", "\"A\\x01\\\"B\\\\\""},
        {"Profile[0].F1ChannelSpacing", "Auto"},
        {"F1AddrAlertTone[0]", "User define 6"},
        {"ClockSetting", "2009/01/01 12:00:00 day 9"},
        {"MsgReadStatus", "120"},
        {"BacklightAutoOff", "255"},
        {"Clock24h", "24H"},
        {"RecordSections", "9 (no entry)"},
        {"BatteryGaugeLevels[0]", "150 (no entry)"},
        {"BatteryGaugeLevels[1]", "4.15V (no entry)"},
        {"BatteryGaugeLevels[2]", "4.15V"},
        {"BatteryAlertPeriod", "2 min"},
        {"Profile[0].ResetControl", "Manual Reset Until Press Reset"},
        {"Profile[1].ResetControl", "Manual Reset With Recording Stop"},
        {"Profile[0].ResetDelay", "127.5"},
        {"Profile[0].SwitchA.AlertType", "5 (no entry)"},
        {"Profile[0].F1Bandwidth", "NB"},
        {"Profile[0].F2Squelch", "7 (no entry)"},
    };
    for (const auto& c : cases) EXPECT_EQ(fieldValueText(image, memmap::field(c.field)), c.value) << c.field;
}

TEST(FieldValue, PlaceOfBytesBlocksAndBits) {
    const struct {
        const char* field;
        const char* place;
    } cases[] = {
        {"Profile[0].F1Freq", "1568"}, {"ToneSystem", "5"}, {"TwoChannelMode", "1 b2"}, {"KeyFunctions", "31 b0-4"},
        {"F2AddrProfiles[3]", "567 b0-3"},
    };
    for (const auto& c : cases) EXPECT_EQ(fieldPlace(memmap::field(c.field)), c.place) << c.field;
}
