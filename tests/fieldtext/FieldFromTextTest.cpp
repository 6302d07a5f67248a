// Field values from text, per field kind: the texts the window's controls
// take (and what the field then shows) and the texts they refuse, with the
// window's own message. All start from the built-in code-plug as a pager
// programmed by this program holds it: profile 1 on, the others off, address
// "#1" in use on both channels, the Standard tone system.

#include <gtest/gtest.h>

#include "codeplug/MemoryMap.h"
#include "fieldtext/CodePlugText.h"
#include "fieldtext/FieldValue.h"
#include "settings/CodePlugNormalisation.h"

namespace km640::fieldtext {
namespace {

struct Accepted {
    const char* field;
    const char* text;
    const char* shown;  // the field's value text afterwards
};

class FieldFromText : public ::testing::Test {
protected:
    CodePlugImage image = ProgrammedDefaultImage();

    std::string shown(const char* name) { return fieldValueText(image, memmap::field(name)); }
};

TEST_F(FieldFromText, AcceptedTextsAreStoredAsTheWindowStoresThem) {
    const Accepted cases[] = {
        // Texts: the dump's quoted form or the text as it stands; leading blanks kept.
        {"Profile[0].PName", "\"Bench 7\"", "\"Bench 7\""},
        {"Profile[0].PName", " Bench 7", "\" Bench 7\""},
        {"Profile[0].PName", "\"a \\\"q\\\" \\xE9\"", "\"a \\\"q\\\" é\""},
        // Letters are typed and shown as letters (UTF-8), twelve of them in twelve bytes.
        {"F1AddrName[0]", "Löschzug Süd", "\"Löschzug Süd\""},
        {"LogoLine1", "\"Straße ½\"", "\"Straße ½\""},
        // Bytes that show as nothing keep their escape.
        {"LogoLine1", "\"\\xA0x\\xAD\"", "\"\\xA0x\\xAD\""},
        {"F1AddrName[0]", "Fire 12", "\"Fire 12\""},
        {"LogoLine1", "ACME", "\"ACME\""},
        {"MenuPrompt[13]", "PAGE", "\"     PAGE\""},
        {"MenuPrompt[13]", "     PAGES", "\"     PAGES\""},
        // Frequencies, spacing, bandwidth, squelch.
        {"Profile[0].F1Freq", "1523400", "1523400"},
        {"Profile[0].F1ChannelSpacing", "12.5 K", "12.5 K"},
        {"Profile[0].F1Squelch", "3", "3"},
        {"Profile[0].F1Bandwidth", "NB", "NB"},
        // Tones: the plan's tone nearest the typed one (Standard tone system).
        {"F1Tone1[0]", "1285.8", "1285.8"},
        {"F1Tone1[0]", "1000", "1006.9"},
        {"F2Tone2[0]", "1100.0", "1092.4"},
        // Lists and buttons by their entries.
        {"ToneSystem", "User", "User"},
        {"RecordSections", "8 sections (Max. 60 s)", "8 sections (Max. 60 s)"},
        {"PriorityScanPeriod", "0.5 Second", "0.5 Second"},
        {"BatteryAlertPeriod", "10 min", "10 min"},
        {"BatteryGaugeLevels[2]", "4.00V", "4.00V"},
        {"Clock24h", "12H", "12H"},
        {"DecodeBandwidth", "1.5", "1.5"},
        {"Profile[0].ResetControl", "Auto Reset", "Auto Reset"},
        {"Profile[0].SwitchA.Mode", "Selective Call F2", "Selective Call F2"},
        {"Profile[0].SwitchA.AlertType", "Vibrate", "Vibrate"},
        {"F1AddrAlertTone[0]", "User define 3", "User define 3"},
        // Numbers with their own storage.
        {"Profile[0].ResetDelay", "2.5", "2.5"},
        {"MsgReadStatus", "30", "30"},
        {"BacklightAutoOff", "255", "255"},
        {"RemindRepetitionTime", "0", "0"},
        {"StdTiming.DecodingTime", "5", "5"},
        {"PlectronTiming.DecodingTime", "0", "0"},
        {"TonalityHz[0]", "1700", "1700"},
        {"NbSquelch[0].SpeakerOn", "0.10", "0.11"},
        {"Contrast", "7", "7"},
        {"LcmVop", "20", "20"},
        // Flags and sets of items.
        {"PrivacyEnable", "on", "on"},
        {"Profile[1].PON", "ON", "on"},
        {"IdleMenuItems", "{1,3,6}", "{1,3,6}"},
        {"F1AddrSwitches[0]", "{}", "{}"},
        // Alert patterns: letters as the window shows them or steps as dump prints them.
        {"AlertPattern[0].Tones", "ABAB", "0 1 0 1 F F F F"},
        {"AlertPattern[0].Tones", "3 2 1 0 F F F F", "3 2 1 0 F F F F"},
        {"AlertPattern[0].Led", "1011", "10110000"},
        // Fields the window does not show: their value as `dump` shows it.
        {"RemindRepetitions", "10", "10"},
        {"ModelTag", "ABCDEFGH", "\"ABCDEFGH\""},
        {"KeyFunctions", "{0,1,2,3,4}", "{0,1,2,3,4}"},
        {"NoStoredVoice", "on", "on"},
        {"PlayShowMessageTime", "4", "4"},
        {"ClockSetting", "2026/12/11 04:05:06 Fri", "2026/12/11 04:05:06 Fri"},
        {"FirmwareVersion", "1.2.30", "1.2.30"},
        {"SerialNo", "A1B2C3D4E5F6", "\"A1B2C3D4E5F6\""},
        {"ImageChecksum", "4E4C", "4E4C"},
        {"Profile[0].MonitorAlertType", "2", "2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + "=" + c.text);
        image = ProgrammedDefaultImage();
        const auto refusal = setFieldFromText(image, c.field, c.text);
        EXPECT_FALSE(refusal) << (refusal ? refusal->message : "");
        EXPECT_EQ(shown(c.field), c.shown);
    }
}

struct Refused {
    const char* field;
    const char* text;
    const char* message;
};

TEST_F(FieldFromText, RefusedTextsLeaveTheImageAndNameTheWindowsMessage) {
    // Channel F2 is switched off for the case that names it.
    auto start = [](const char* field) {
        CodePlugImage image = ProgrammedDefaultImage();
        if (std::string(field) == "Profile[0].F2Freq") {
            EXPECT_FALSE(setFieldFromText(image, "TwoChannelMode", "off"));
        }
        return image;
    };
    const Refused cases[] = {
        {"NoSuchField", "1", "No field of the code-plug has this name"},
        // Frequencies: key filter, band, spacing.
        {"Profile[0].F1Freq", "15x", "Please insert a numeric  !"},
        {"Profile[0].F1Freq", "300000", "Please input a number greater than 33MHz"},
        {"Profile[0].F1Freq", "15200000", "The field takes at most 7 characters"},
        {"Profile[1].F2ChannelSpacing", "6.25 K", "F2 Channel Spacing Error!"},
        {"Profile[0].F1ChannelSpacing", "5 K",
         "Not an entry the window offers here; the entries are \"2.5 K\", \"6.25 K\", \"12.5 K\", \"Auto\""},
        // Tones: range of the tone system, the other tone of the address, disabled rows.
        {"F1Tone1[0]", "9999", "Please insert a number between 288.5 to 2468.2"},
        {"F1Tone1[0]", "879.0",
         "Tone Frequency Error! Please check the tone spacing rule. [1]Two tones in the same call address should not "
         "be the same. [2]Any two tones should be separated by minimum of 0.7%. The original tone frequency is "
         "restored."},
        {"F1Tone1[0]", "12a", "The field does not take the character 'a' there"},
        {"F1Tone1[3]", "1285.8", "The window's control is disabled: \"#4\" is not in use"},
        // Texts: field widths.
        {"Profile[0].PName", "Thirteen char", "The field takes at most 12 characters"},
        {"MenuPrompt[13]", "PAGESXXX", "The field takes at most 7 characters"},
        {"PowerOnMenuPassword", "4321",
         "The window's control is disabled: the power-on menu item \"Set Password\" is off"},
        {"LogoLine2", "Second", "The window's control is disabled: \"Show Version\" takes the second line"},
        {"MenuPrompt[6]", "CONTRAST", "The window's control is disabled: the idle menu item \"Set Contrast\" is off"},
        {"Profile[0].F2Freq", "1620000", "The window's control is disabled: \"One Channel\" switches channel F2 off"},
        // Letters are counted as letters; what the pager's 8-bit characters lack is named.
        {"Profile[0].PName", "Löschzug Süd!", "The field takes at most 12 characters"},
        {"LogoLine1", "\"5 €\"", "the character U+20AC cannot be stored in the pager"},
        {"LogoLine1", "L\xF6sch", "not UTF-8 text (byte 2)"},
        {"Profile[0].PName", "\"open", "A text in double quotes needs \\\" for a quote inside it, \\\\ for a backslash "
                                      "and \\xNN for other bytes"},
        // Numbers of the system block: the window's range messages.
        {"RemindRepetitionTime", "3", "Please insert a number between 5 and 255 !"},
        {"RemindRepetitionTime", "256", "Please insert a number between 5 to 255 or 0!"},
        {"BacklightAutoOff", "128", "Please insert a number between 1 to 127 or 255 !"},
        {"MsgReadStatus", "121", "Please insert a number between 0 to 120 or 255"},
        {"F1ScanTime", "0", "Please insert a number between 1 to 255"},
        {"StdTiming.GroupCallDuration", "251", "Please insert a number between 0 to 250."},
        {"StdTiming.DecodingTime", "4", "Please insert a number between 5 to 255."},
        {"StdTiming.Tone1Duration", "-1", "Please insert a numeric!"},
        // Profiles.
        {"Profile[0].PON", "off", "The Profile is being used for KM640 !"},
        {"InitialProfile", "Profile 2", "The window's control is disabled: Profile 2 is not on"},
        {"Profile[0].ResetDelay", "128", "Please insert a number between 1 to 127.5"},
        {"Profile[0].ResetDelay", "2.2", "The interval is 0.5 second."},
        {"Profile[1].ResetDelay", "2.5", "The window does not show the delay: the reset control of Profile 2 does not wait"},
        // Battery, alerts, thresholds.
        {"BatteryGaugeLevels[1]", "3.95V", "You must let Level-High > Level-Med > Level-Low !"},
        {"TonalityHz[0]", "100", "Please insert a number between 150Hz and 6000Hz !"},
        {"AlertPattern[0].Tones", "ABE", "Please input A~D or - !"},
        {"AlertPattern[0].Led", "102", "Please input 0~1 !"},
        {"NbSquelch[0].Nrssi", "2.60", "Please insert a number between 0 to 2.55"},
        {"NbSquelch[0].Nrssi", "0.20", "You must let NB_NRSSI > NB_Speaker OFF > NB_Speaker ON !"},
        // Address rows and menus.
        {"F1AddrAlertSeconds[0]", "5", "The window's control is disabled: \"Enable Fixed Alert Time\" is off"},
        {"F1AddrProfiles[0]", "{0}", "The window's control is disabled: Profile 2 is not on"},
        {"IdleMenuItems", "{5}", "The window's control is disabled: \"Set Password\" needs \"Keyin Password\""},
        {"IdleMenuItems", "{7}",
         "The window's control is disabled: with a single profile on there is no profile to select"},
        {"AutoMonitor", "yes", "Give on or off"},
        {"IdleMenuItems", "{8}", "Give the items switched on in braces, numbers from 0 to 7 (\"{0,2}\", \"{}\" for none)"},
        // Fields the window does not show: exactly one reading of the value.
        {"RemindRepetitions", "0A", "The window does not show this field: give a whole number from 0 to 255"},
        {"RemindRepetitions", "256", "The window does not show this field: give a whole number from 0 to 255"},
        {"ModelTag", "ABCDEFGHI", "The field takes at most 8 characters"},
        {"ModelTag", "AB\nC", "The field's text cannot hold a line feed"},
        {"NoStoredVoice", "01", "Give on or off"},
        {"ClockSetting", "2026/12/11 04:05 Fri",
         "The window does not show this field: give the clock as `dump` shows it (\"2009/01/01 12:00:00 Tue\")"},
        {"FirmwareVersion", "1.2", "The window does not show this field: give 3 numbers from 0 to 255 with points between them"},
        {"ImageChecksum", "4E4", "The window does not show this field: give 2 bytes in hexadecimal (\"4E4C\")"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + "=" + c.text);
        image = start(c.field);
        const CodePlugImage before = image;
        const auto refusal = setFieldFromText(image, c.field, c.text);
        ASSERT_TRUE(refusal);
        EXPECT_EQ(refusal->field, c.field);
        EXPECT_EQ(refusal->text, c.text);
        EXPECT_EQ(refusal->message, c.message);
        EXPECT_EQ(image, before);
    }
}

// The rules that depend on other settings follow them.
TEST_F(FieldFromText, RulesFollowTheSettingsTheyDependOn) {
    // Privacy switches auto monitor off and keeps it off.
    ASSERT_FALSE(setFieldFromText(image, "AutoMonitor", "on"));
    ASSERT_FALSE(setFieldFromText(image, "PrivacyEnable", "on"));
    EXPECT_EQ(shown("AutoMonitor"), "off");
    EXPECT_TRUE(setFieldFromText(image, "AutoMonitor", "on"));
    // A second profile on enables its column and its initial-profile button.
    ASSERT_FALSE(setFieldFromText(image, "Profile[1].PON", "on"));
    EXPECT_FALSE(setFieldFromText(image, "F1AddrProfiles[0]", "{0,2,3}"));
    EXPECT_FALSE(setFieldFromText(image, "InitialProfile", "Profile 2"));
    // An address switched on takes tones; the fixed alert time enables the seconds.
    EXPECT_FALSE(setFieldFromText(image, "F1AddrOn[3]", "on"));
    EXPECT_FALSE(setFieldFromText(image, "F1Tone1[3]", "1092.4"));
    EXPECT_FALSE(setFieldFromText(image, "FixedAlertTimeEnable", "on"));
    EXPECT_FALSE(setFieldFromText(image, "F1AddrAlertTime[0]", "FIXED"));
    EXPECT_FALSE(setFieldFromText(image, "F1AddrAlertSeconds[0]", "30"));
    // Switching it off again puts every address back to the standard time.
    EXPECT_FALSE(setFieldFromText(image, "FixedAlertTimeEnable", "off"));
    EXPECT_EQ(shown("F1AddrAlertTime[0]"), "STD");
    // The Plectron decoder takes a decoding time of 0 in its own timing set.
    EXPECT_FALSE(setFieldFromText(image, "ToneSystem", "Plectron"));
    EXPECT_FALSE(setFieldFromText(image, "StdTiming.DecodingTime", "5"));
    // The password is typed while "Set Password" is on, which needs "Keyin Password".
    EXPECT_FALSE(setFieldFromText(image, "PowerOnMenuItems", "{0,5,6}"));
    EXPECT_FALSE(setFieldFromText(image, "PowerOnMenuPassword", "4321"));
    EXPECT_EQ(shown("PowerOnMenuPassword"), "\"4321\"");
    EXPECT_EQ(setFieldFromText(image, "PowerOnMenuPassword", "12a")->message, "Please insert a numeric  !");
    // Push-to-listen alerts by vibration only.
    EXPECT_FALSE(setFieldFromText(image, "Profile[0].SwitchB.Mode", "Selective Call F1"));
    EXPECT_FALSE(setFieldFromText(image, "Profile[0].SwitchB.PushToListen", "on"));
    EXPECT_EQ(shown("Profile[0].SwitchB.AlertType"), "Vibrate");
    EXPECT_TRUE(setFieldFromText(image, "Profile[0].SwitchB.AlertType", "Beep"));
}

// A frequency in another band moves the other channels with it, as the
// window's commit does; the words follow.
TEST_F(FieldFromText, AFrequencyCommitKeepsTheChannelsInOneBand) {
    const auto plln = shown("Profile[0].F1PLLN");
    ASSERT_FALSE(setFieldFromText(image, "Profile[0].F1Freq", "450000"));
    EXPECT_EQ(shown("Profile[0].F1Freq"), "0450000");
    EXPECT_NE(shown("Profile[0].F1PLLN"), plln);
    // F2 of the same profile was in the VHF band: it takes F1's frequency.
    EXPECT_EQ(shown("Profile[0].F2Freq"), "0450000");
    EXPECT_EQ(shown("Profile[0].F1Bandwidth"), "WB");
    EXPECT_TRUE(setFieldFromText(image, "Profile[0].F1Bandwidth", "NB"));
}

TEST_F(FieldFromText, AValueTheFieldHoldsChangesNothingBesideIt) {
    // The tonality's divider is stored only when the tonality changes.
    image.setWord(memmap::field("TonalityDivider[0]").offset, 0x1234);
    const CodePlugImage before = image;
    ASSERT_FALSE(setFieldFromText(image, "TonalityHz[0]", shown("TonalityHz[0]").c_str()));
    EXPECT_EQ(image, before);
}

// What `dump` shows of a text field is every stored byte but the fill
// blanks, and that very text set again changes nothing.
TEST_F(FieldFromText, TheTextDumpShowsIsEveryByteAndSetsNothingNew) {
    struct Case {
        const char* field;
        std::string bytes;  // stored, the rest filled with blanks
        const char* shows;
    };
    const Case cases[] = {
        {"F1AddrName[0]", std::string("An\x01", 3), "\"An\\x01\""},
        {"F1AddrName[0]", std::string("An\0\0", 4), "\"An\\x00\\x00\""},
        {"Profile[0].PName", "L\xF6schzug S\xFC" "d", "\"Löschzug Süd\""},
        // The count room before prompt 13, which its field does not show.
        {"MenuPrompt[13]", "ABC", "\"ABC\""},
        {"MenuPrompt[14]", "  X", "\"  X\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        image = ProgrammedDefaultImage();
        const auto& field = memmap::field(c.field);
        image.setText(field.offset, field.length, c.bytes);
        EXPECT_EQ(shown(c.field), c.shows);
        const CodePlugImage before = image;
        EXPECT_FALSE(setFieldFromText(image, c.field, c.shows));
        EXPECT_EQ(image, before);
    }
}

}  // namespace
}  // namespace km640::fieldtext
