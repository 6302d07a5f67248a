#include <gtest/gtest.h>

#include <functional>

#include "fieldtext/CodePlugCheck.h"
#include "rf/ChannelRef.h"
#include "selcall/ToneCoding.h"
#include "settings/ProfileRules.h"
#include "tests/cli/SavedImage.h"

using namespace km640;
using namespace km640::fieldtext;

namespace {

void setTone(CodePlugImage& image, int offset, int tenths) { image.copyIn(offset, *toneToBcd(tenths)); }

bool hasFinding(const std::vector<CheckFinding>& findings, const std::string& subject, const std::string& part) {
    for (const auto& f : findings)
        if (f.subject == subject && f.problem.find(part) != std::string::npos) return true;
    return false;
}

}  // namespace

namespace km640::fieldtext {
void PrintTo(const CheckFinding& finding, std::ostream* out) { *out << finding.subject << ": " << finding.problem; }
}  // namespace km640::fieldtext

// Also after edits the window makes itself.
TEST(CodePlugCheck, ASavedCodePlugPasses) {
    const struct {
        const char* what;
        std::function<void(CodePlugImage&)> edit;
    } cases[] = {
        {"as saved", [](CodePlugImage&) {}},
        {"push-to-listen on a selective call of the initial profile",
         [](CodePlugImage& i) {
             i.setByte(1559, 0x92);
             profiles::copyActiveSwitchSettings(i, 0);
         }},
        {"a second profile made the initial one",
         [](CodePlugImage& i) {
             i.setByte(1600 + 12, 1);
             i.setByte(18, 1);
             profiles::copyActiveSwitchSettings(i, 1);
         }},
    };
    for (const auto& c : cases) {
        CodePlugImage image = clitest::savedImage();
        c.edit(image);
        ImageChecksum(image);
        const auto findings = checkCodePlug(image);
        EXPECT_TRUE(findings.empty()) << c.what << ":\n" << checkText(findings);
    }
}

// The built-in code-plug as it is stored: its menu counts and active switch
// settings are stale, and the F1 group addresses carry decoder words that do
// not belong to their tone (C2AC where 1285.8 Hz gives CA88). A pager gets
// them as normalisation stores them, in image order.
TEST(CodePlugCheck, WhatTheBuiltInCodePlugHolds) {
    CodePlugImage image = DefaultImage();
    WriteModelText(image);
    recomputeSynthesizerWords(image);
    ImageChecksum(image);
    const auto findings = checkCodePlug(image);
    std::vector<CheckFinding> expected = {
        {"PowerOnMenuCount", "stored 8, written as 7"},
        {"IdleMenuCount", "stored 8, written as 4"},
        {"ActiveSwitchSettings", "stored 00 11 22 03, written as 16 04 02 03"},
    };
    for (int record = 8; record < 12; ++record)
        expected.push_back({"F1ToneWords[" + std::to_string(record) + "].Tone1", "stored C2AC, written as CA88"});
    EXPECT_EQ(findings, expected);
}

TEST(CodePlugCheck, FindsWhatIsWrong) {
    const struct {
        const char* what;
        std::function<void(CodePlugImage&)> damage;
        const char* subject;
        const char* problem;
    } cases[] = {
        {"image checksum", [](CodePlugImage& i) { i.setByte(1951, i.byte(1951) + 1); }, "ImageChecksum",
         ", the bytes 0 to 1949 sum to "},
        {"model text", [](CodePlugImage& i) { i.setText(1968, 10, "KM600 V119"); }, "ModelText",
         "\"KM600 V119\" does not name a KM640 code-plug"},
        {"serial checksum",
         [](CodePlugImage& i) {
             StoreSerialNumber(i, "A1B2C3");
             i.setByte(1967, i.byte(1967) + 1);
         },
         "SerialChecksum", "the serial number sums to 0x015C"},
        {"stale synthesizer word", [](CodePlugImage& i) { setChannelUnits(i, {Channel::F1, 0}, 1530000); },
         "Profile[0].F1PLLN", "stored 00146800, written as 00149000"},
        {"channels in two bands",
         [](CodePlugImage& i) {
             setChannelUnits(i, {Channel::F2, 3}, 4500000);
             recomputeSynthesizerWords(i);
         },
         "Channels", "VHF Profile[0].F1Freq"},
        {"below 33 MHz",
         [](CodePlugImage& i) {
             setChannelUnits(i, {Channel::F1, 1}, 300000);
             recomputeSynthesizerWords(i);
         },
         "Profile[1].F1Freq", "0300000: Please input a number greater than 33MHz"},
        {"frequency off its raster",
         [](CodePlugImage& i) {
             i.setByte(1580, 0);  // 2.5 kHz
             setChannelUnits(i, {Channel::F1, 0}, 1520010);
             recomputeSynthesizerWords(i);
         },
         "Profile[0].F1Freq", "1520010: F1 Channel Spacing Error!"},
        {"unknown spacing code", [](CodePlugImage& i) { i.setByte(1580, 5); }, "Profile[0].F1ChannelSpacing",
         "stored 5 is no channel spacing code (shown as Auto)"},
        {"narrow band on a low-band channel",
         [](CodePlugImage& i) {
             for (int p = 0; p < 4; ++p)
                 for (const Channel c : {Channel::F1, Channel::F2}) setChannelUnits(i, {c, p}, 450000);
             recomputeSynthesizerWords(i);
             i.setByte(1582, 1);
         },
         "Profile[0].F1Bandwidth",
         "NB is stored for a low-band channel, which receives in wide band only (shown as WB)"},
        {"squelch level beyond the list", [](CodePlugImage& i) { i.setByte(1599, 5); }, "Profile[0].F2Squelch",
         "stored 5 is no squelch level; the window selects none"},
        {"tone outside the Standard range", [](CodePlugImage& i) { setTone(i, 259, 30000); }, "F1Tone2[0]",
         "3000.0: Please insert a number between 288.5 to 2468.2"},
        {"tone off the Standard plan", [](CodePlugImage& i) { setTone(i, 256, 12900); }, "F1Tone1[0]",
         "stored 1290.0, written as 1285.8"},
        {"two equal tones of an address", [](CodePlugImage& i) { setTone(i, 259, 12858); }, "F1Tone1[0]",
         "1285.8 is the other tone of its address too"},
        {"tones too close in the User system",
         [](CodePlugImage& i) {
             i.setByte(5, 1);
             i.SetBits(272 + 6, 0, 1, 1);  // F1 address #2 in use
             setTone(i, 272, 12900);
         },
         "F1Tone1[0]", "1285.8 is too close to a tone of address #2 for the decoder bandwidth of 0.7 %"},
        {"unreadable tone digits", [](CodePlugImage& i) { i.setByte(512 + 16, 0xFA); }, "F2Tone1[1]",
         "the digits FA 85 80 are no tone"},
        {"stale decoder word", [](CodePlugImage& i) { i.setWord(1456, 0x1234); }, "F2ToneWords[0].Tone1",
         "stored 1234, written as CA88"},
        {"threshold above 2.55 V", [](CodePlugImage& i) { i.setByte(1523, 0xF0); }, "WbSquelch[1].Nrssi",
         "2.81: Please insert a number between 0 to 2.55"},
        {"threshold order", [](CodePlugImage& i) { i.setByte(1504, 0x10); }, "NbSquelch[0].Nrssi",
         "You must let NB_NRSSI > NB_Speaker OFF > NB_Speaker ON !"},
        {"tone system byte", [](CodePlugImage& i) { i.setByte(5, 7); }, "ToneSystem",
         "stored 7 is no tone system (shown as Standard)"},
        {"decoder bandwidth byte", [](CodePlugImage& i) { i.setByte(228, 40); }, "DecodeBandwidth",
         "stored 40 is no decoder bandwidth; the window selects none, and the tone spacing counts with 0.7 %"},
        {"alert tone byte", [](CodePlugImage& i) { i.setByte(256 + 14, 9); }, "F1AddrAlertTone[0]",
         "stored 9 is no alert tone (shown as User define 1)"},
        {"alert period", [](CodePlugImage& i) { i.setByte(248, 7); }, "BatteryAlertPeriod",
         "stored 7 is no alert period (shown as 2 min)"},
        {"battery code not in the table", [](CodePlugImage& i) { i.setByte(240, 150); }, "BatteryGaugeLevels[0]",
         "stored 150 is no battery code; the window keeps its selection"},
        {"battery voltage beyond its list", [](CodePlugImage& i) { i.setByte(240, 177); }, "BatteryGaugeLevels[0]",
         "stored 177 is 4.15V, which its list (3.70V to 3.50V) does not offer"},
        {"record sections beyond the list", [](CodePlugImage& i) { i.setByte(83, 5); }, "RecordSections",
         "stored 5 is no record section entry"},
        {"stale menu count", [](CodePlugImage& i) { i.setByte(21, 8); }, "PowerOnMenuCount",
         "stored 8, written as 7"},
        {"initial profile beyond the four", [](CodePlugImage& i) { i.setByte(18, 4); }, "InitialProfile",
         "stored 4 is no profile; the window selects none"},
        {"initial profile switched off", [](CodePlugImage& i) { i.setByte(18, 1); }, "InitialProfile",
         "Profile 2 is switched off, which the window refuses for the initial profile"},
        {"stale active switch settings", [](CodePlugImage& i) { i.setByte(64, 0); }, "ActiveSwitchSettings",
         "stored 00 04 02 03, written as 16 04 02 03"},
        {"reset control beyond the list", [](CodePlugImage& i) { i.setByte(1616, 7); }, "Profile[1].ResetControl",
         "stored 7 is no reset control; the window selects none"},
        {"mode code of the other layout",
         [](CodePlugImage& i) { i.SetBits(1, 2, 0, 1); },  // one channel: SW-D holds "Selective Call F2"
         "Profile[0].SwitchD.Mode", "stored 3 is no one-channel mode (shown as Selective Call F1)"},
        {"alert type beyond the list", [](CodePlugImage& i) { i.setByte(1557, 0x56); }, "Profile[0].SwitchA.AlertType",
         "stored 5 is no alert type; the window keeps its selection"},
        {"push-to-listen in a scan that listens", [](CodePlugImage& i) { i.setByte(1558, 0x84); },
         "Profile[0].SwitchB.PushToListen",
         "stored on, written as off"},
        {"alert seconds of an address in use", [](CodePlugImage& i) { i.setByte(256 + 15, 0); },
         "F1AddrAlertSeconds[0]", "0: "},
    };
    for (const auto& c : cases) {
        CodePlugImage image = clitest::savedImage();
        c.damage(image);
        if (std::string(c.subject) != "ImageChecksum") ImageChecksum(image);
        const auto findings = checkCodePlug(image);
        EXPECT_TRUE(hasFinding(findings, c.subject, c.problem)) << c.what << ":\n" << checkText(findings);
        EXPECT_FALSE(hasFinding(findings, "ImageChecksum", "") && std::string(c.subject) != "ImageChecksum") << c.what;
    }
}

TEST(CodePlugCheck, OneLinePerFinding) {
    EXPECT_EQ(checkText({{"ImageChecksum", "stored 0x0000"}, {"ToneSystem", "byte 7"}}),
              "ImageChecksum: stored 0x0000\nToneSystem: byte 7\n");
    EXPECT_EQ(checkText({}), "");
}
