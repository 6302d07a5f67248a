// The channel groups of the profile pages and the squelch tables of
// "Advance", driven through their fields and lists.

#include "fieldtext/CodePlugText.h"
#include "fieldtext/MessageLine.h"
#include "rf/ChannelRef.h"
#include "rf/SquelchThresholds.h"
#include "tests/app/pages/profiles/ProfileWindow.h"

using namespace km640;
using namespace km640::testing;

namespace {

constexpr int kProfile = 1536;
constexpr int kRecord = 64;

QString name(const char* family, int index) { return QString("%1%2").arg(family).arg(index); }

}  // namespace

class ChannelGroupsTest : public QObject {
    Q_OBJECT
private slots:
    void defaultImageWordsAreShownAndStored();
    void upperBandCommitCarriesEveryChannel();
    void bandLoadsItsWideBandPresets();
    void refusedEntriesAndSpacingClicks();
    void channelThatCannotFollowIsNamed();
    void shownChannelThatCannotFollowIsNamedOnce();
    void thresholdRules();
    void textFormTakesWhatTheFieldsTake();
    void textFormTakesWhatTheListsAndBoxesTake();
};

void ChannelGroupsTest::defaultImageWordsAreShownAndStored() {
    ProfileWindow pw;
    QCOMPARE(pw.text("edtF1Freq0"), QString("1520000"));
    QCOMPARE(pw.text("lblF1PLLN0"), QString("00146800"));
    QCOMPARE(pw.text("lblF1PLLR0"), QString("0001A311"));
    QCOMPARE(pw.text("lblF1MUTL0"), QString("1"));
    QCOMPARE(pw.text("cboF1CS0"), QString("Auto"));
    const std::uint8_t words[] = {0x00, 0x14, 0x68, 0x00, 0x00, 0x01, 0xA3, 0x11};
    for (int k = 0; k < 8; ++k) QCOMPARE(pw.byte(kProfile + 36 + k), words[k]);
    // Only the first profile has a label for the F2 reference word.
    QVERIFY(pw.w.findChild<QLabel*>("lblF2PLLR0"));
    QVERIFY(!pw.w.findChild<QLabel*>("lblF2PLLR1"));
    QCOMPARE(pw.w.arrays().family("lblF2PLLR").size(), std::size_t{1});
}

void ChannelGroupsTest::upperBandCommitCarriesEveryChannel() {
    ProfileWindow pw;
    // Profile 3 already receives in the upper band (set as a loaded image would).
    pw.w.image().copyIn(kProfile + 2 * kRecord + 32, std::array<std::uint8_t, 4>{0x04, 0x20, 0x00, 0x00});
    pw.enterText("edtF1Freq0", "4500125");
    QVERIFY(pw.f.messages.shown.empty());

    const char* expected[2][4] = {{"4500125", "4500125", "4200000", "4500125"},
                                  {"4500125", "4500125", "4200000", "4500125"}};
    for (int p = 0; p < 4; ++p) {
        QCOMPARE(pw.text(name("edtF1Freq", p)), QString(expected[0][p]));
        QCOMPARE(pw.text(name("edtF2Freq", p)), QString(expected[1][p]));
        QCOMPARE(pw.text(name("lblF1MUTL", p)), QString("2"));
        QCOMPARE(pw.text(name("lblF2MUTL", p)), QString("2"));
    }
    QCOMPARE(pw.text("lblF1PLLN0"), QString("00217C00"));
    QCOMPARE(pw.byte(kProfile + 44), 16);  // "Auto": on the 12.5 kHz raster
    // BCD in the image: profile 2 F2 took the committed frequency.
    const std::uint8_t bcd[] = {0x04, 0x50, 0x01, 0x25};
    for (int k = 0; k < 4; ++k) QCOMPARE(pw.byte(kProfile + kRecord + 48 + k), bcd[k]);
}

void ChannelGroupsTest::bandLoadsItsWideBandPresets() {
    ProfileWindow pw;
    pw.enterText("edtF1Freq0", "0450000");
    QCOMPARE(pw.text("edtWBNRSSI0"), QString("1.95"));
    QCOMPARE(pw.text("edtWSQLOFF0"), QString("1.30"));
    QCOMPARE(pw.text("edtWSQLON0"), QString("0.30"));
    QCOMPARE(pw.text("edtWSQLON4"), QString("1.65"));
    QCOMPARE(pw.byte(1520), 166);
    // The low band receives in wide band only; the stored byte stays.
    for (int p = 0; p < 4; ++p) {
        QVERIFY(!pw.get(name("cboF2BW", p))->isEnabled());
        QCOMPARE(pw.text(name("cboF2BW", p)), QString("WB"));
    }
    const std::uint8_t narrowBefore = pw.byte(1504);

    pw.enterText("edtF1Freq0", "1520000");
    QCOMPARE(pw.text("edtWBNRSSI0"), QString("0.95"));
    QCOMPARE(pw.text("edtWSQLOFF0"), QString("0.55"));
    QCOMPARE(pw.text("edtWSQLON0"), QString("0.11"));
    QCOMPARE(pw.text("edtWSQLON4"), QString("0.60"));
    for (int k = 0; k < 15; ++k) QCOMPARE(pw.byte(1520 + k), DefaultImage().byte(1520 + k));
    QCOMPARE(pw.byte(1504), narrowBefore);
    QVERIFY(pw.get("cboF2BW3")->isEnabled());
}

void ChannelGroupsTest::refusedEntriesAndSpacingClicks() {
    ProfileWindow pw;
    const CodePlugImage before = pw.w.image();
    struct Row { const char* field; const char* keys; const char* message; };
    const Row rows[] = {
        {"edtF1Freq1", "0329999", "Please input a number greater than 33MHz"},
        {"edtF2Freq2", "0500000", "Please input a frequency of 33~49MHz, 100~200MHz or above 200MHz"},
        {"edtF1Freq3", "0800000", "Please input a frequency of 33~49MHz, 100~200MHz or above 200MHz"},
    };
    for (const auto& row : rows) {
        pw.enterText(row.field, row.keys);
        QCOMPARE(QString::fromStdString(pw.lastMessage()), QString(row.message));
        QCOMPARE(QString::fromStdString(pw.lastCaption()), QString("KM640"));
        QVERIFY(pw.get(row.field)->hasFocus());
        QCOMPARE(pw.text(row.field), QString(row.keys));
        QVERIFY(pw.w.image() == before);
        // Emptied and left: the stored frequency is shown again.
        pw.get<QLineEdit>(row.field)->clear();
        pw.w.commitEditing();
        QVERIFY(pw.w.edtNull()->hasFocus());
    }
    QCOMPARE(pw.text("edtF1Freq1"), QString("1523400"));

    // A frequency off the 12.5 kHz raster refuses that spacing; the list goes back.
    pw.f.messages.clear();
    pw.enterText("edtF1Freq0", "1520025");
    QCOMPARE(pw.byte(kProfile + 44), 18);
    pw.pick("cboF1CS0", 2);
    QCOMPARE(QString::fromStdString(pw.lastMessage()), QString("F1 Channel Spacing Error!"));
    QCOMPARE(pw.text("cboF1CS0"), QString("Auto"));
    QCOMPARE(pw.byte(kProfile + 44), 18);
    pw.pick("cboF1CS0", 0);
    QCOMPARE(pw.byte(kProfile + 44), 0);
    QCOMPARE(pw.text("lblF1PLLR0"), QString("00082F11"));

    // Bandwidth and squelch store their entry.
    pw.pick("cboF2BW1", 1);
    pw.pick("cboF2SQL1", 0);
    QCOMPARE(pw.byte(kProfile + kRecord + 62), 1);
    QCOMPARE(pw.byte(kProfile + kRecord + 63), 0);
}

void ChannelGroupsTest::channelThatCannotFollowIsNamed() {
    ProfileWindow pw;
    pw.pick("cboF1CS2", 2);  // profile 3 F1 fixed at "12.5 K" (152.1250 MHz is on that raster)
    QCOMPARE(pw.byte(kProfile + 2 * kRecord + 44), 2);
    pw.enterText("edtF1Freq0", "0450025");
    QCOMPARE(QString::fromStdString(pw.lastMessage()), QString("F1 Channel Spacing Error!"));
    // Profile 3 keeps its frequency; its field offers the one it could not take.
    QCOMPARE(pw.text("edtF1Freq2"), QString("0450025"));
    const std::uint8_t kept[] = {0x01, 0x52, 0x12, 0x50};
    for (int k = 0; k < 4; ++k) QCOMPARE(pw.byte(kProfile + 2 * kRecord + 32 + k), kept[k]);
    QCOMPARE(pw.text("edtF1Freq3"), QString("0450025"));
    QCOMPARE(pw.text("edtF2Freq3"), QString("0450025"));
    QVERIFY(pw.w.edtNull()->hasFocus());
}

void ChannelGroupsTest::shownChannelThatCannotFollowIsNamedOnce() {
    ProfileWindow pw;
    // Profile 1 F1 in the upper band on the 2.5 kHz raster; its F2 at 12.5 kHz cannot follow.
    CodePlugImage plug = DefaultImage();
    setSpacingCode(plug, {Channel::F1, 0}, 0);
    setChannelUnits(plug, {Channel::F1, 0}, 4500025);
    setSpacingCode(plug, {Channel::F2, 0}, 2);
    // Also when the window shows the one-channel layout, which the code-plug switches back.
    for (const bool fromOneChannel : {false, true}) {
        if (fromOneChannel) {
            pw.w.image() = DefaultImage();
            pw.w.image().SetBits(1, 2, 0, 1);
            pw.w.RefreshAll();
        }
        pw.f.messages.clear();
        pw.w.image() = plug;
        pw.w.RefreshAll();
        QCOMPARE(pw.f.messages.shown.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(pw.lastMessage()), QString("F2 Channel Spacing Error!"));
        QCOMPARE(pw.text("edtF2Freq0"), QString("4500025"));  // offered for the user to settle
        QCOMPARE(channelUnits(pw.w.image(), {Channel::F2, 0}), 1620000u);
    }
}

void ChannelGroupsTest::thresholdRules() {
    ProfileWindow pw;
    // Wide level 5 holds 0.95 / 0.80 / 0.60, narrow level 1 0.81 / 0.40 / 0.11.
    struct Row {
        const char* field; const char* keys; int offset; int stored; const char* shown; const char* message;
    };
    const Row rows[] = {
        {"edtWSQLOFF4", "0.96", 1533, 68, "0.96", "You must let WB_NRSSI > WB_Speaker OFF > WB_Speaker ON !"},
        {"edtWSQLOFF4", "0.95", 1533, 81, "0.95", ""},
        {"edtNBNRSSI0", "0.1", 1504, 69, "0.10", "You must let NB_NRSSI > NB_Speaker OFF > NB_Speaker ON !"},
        {"edtNBNRSSI0", "2.56", 1504, 69, "2.56", "Please insert a number between 0 to 2.55"},
        {"edtNBNRSSI0", "2.55", 1504, 218, "2.55", ""},
        {"edtNSQLON0", "", 1506, 9, "0.11", ""},
    };
    for (const auto& row : rows) {
        pw.f.messages.clear();
        pw.enterText(row.field, row.keys);
        QCOMPARE(QString::fromStdString(pw.lastMessage()), QString(row.message));
        QCOMPARE(int(pw.byte(row.offset)), row.stored);
        QCOMPARE(pw.text(row.field), QString(row.shown));
        QCOMPARE(pw.get(row.field)->hasFocus(), *row.message != 0);
        if (!*row.message) continue;
        // Leaving again repeats the check; emptied, the field shows the stored value.
        pw.w.commitEditing();
        QCOMPARE(pw.f.messages.shown.size(), std::size_t{2});
        QVERIFY(pw.get(row.field)->hasFocus());
        pw.get<QLineEdit>(row.field)->clear();
        pw.w.commitEditing();
        QCOMPARE(pw.text(row.field), QString::fromStdString(thresholdText(pw.byte(row.offset))));
    }
}

// The code-plug text sets a field through the rule the window's field
// applies: typed into the real field and given as text, a value is stored
// with the same bytes or refused with the same message.
void ChannelGroupsTest::textFormTakesWhatTheFieldsTake() {
    struct Case {
        const char* control;
        const char* field;
        const char* typed;
        // A key the field's filter refuses: the window then commits the keys
        // typed before it, the text form takes nothing of the value.
        bool keyRefused = false;
    };
    const Case cases[] = {
        {"edtF1Freq0", "Profile[0].F1Freq", "1523400"},
        {"edtF1Freq0", "Profile[0].F1Freq", "0450000"},
        {"edtF1Freq0", "Profile[0].F1Freq", "300000"},
        {"edtF1Freq0", "Profile[0].F1Freq", "15x", true},
        {"edtF2Freq0", "Profile[0].F2Freq", "4500125"},
        {"edtF1T10", "F1Tone1[0]", "1000"},
        {"edtF1T10", "F1Tone1[0]", "9999"},
        {"edtF1T10", "F1Tone1[0]", "879.0"},
        {"edtF2T20", "F2Tone2[0]", "1285.8"},
        {"edtPName0", "Profile[0].PName", "Bench 7"},
        {"edtRstDly0", "Profile[0].ResetDelay", "2.5"},
        {"edtRstDly0", "Profile[0].ResetDelay", "128"},
        {"edtRstDly0", "Profile[0].ResetDelay", "2.2"},
        {"edtWBNRSSI0", "WbSquelch[0].Nrssi", "1.20"},
        {"edtWBNRSSI0", "WbSquelch[0].Nrssi", "2.60"},
        {"edtNSQLON0", "NbSquelch[0].SpeakerOn", "0.90"},
        {"edtRpTM", "RemindRepetitionTime", "3"},
        {"edtRpTM", "RemindRepetitionTime", "200"},
        {"edtT2Max", "StdTiming.DecodingTime", "4"},
        {"edtMsgRS", "MsgReadStatus", "121"},
        {"edtBLightOff", "BacklightAutoOff", "60"},
        {"edtTonality0", "TonalityHz[0]", "100"},
        {"edtTonality0", "TonalityHz[0]", "1700"},
        {"edtAPat0", "AlertPattern[0].Tones", "ABE", true},
        {"edtLEDPat0", "AlertPattern[0].Led", "1011"},
        {"edtLogo0", "LogoLine1", "ACME"},
        {"edtManuItm1", "MenuPrompt[1]", "CLEAR"},
    };
    for (const auto& c : cases) {
        ProfileWindow pw;
        const std::string what = std::string(c.control) + " " + c.typed;
        const CodePlugImage before = pw.w.image();
        CodePlugImage byText = before;
        const auto refusal = fieldtext::setFieldFromText(byText, c.field, c.typed);
        pw.f.messages.clear();
        // Typed over the whole text, as after the first click into a text field.
        auto* field = pw.get<QLineEdit>(c.control);
        pw.reveal(field);
        field->setFocus(Qt::MouseFocusReason);
        QVERIFY2(field->hasFocus(), what.c_str());
        field->selectAll();
        QTest::keyClicks(field, c.typed);
        pw.w.commitEditing();
        if (refusal) {
            QVERIFY2(!pw.f.messages.shown.empty(), what.c_str());
            QCOMPARE(refusal->message, fieldtext::messageLine(pw.f.messages.shown.front().text));
        } else {
            QVERIFY2(pw.f.messages.shown.empty(), (what + ": " + pw.lastMessage()).c_str());
        }
        if (c.keyRefused) {
            QVERIFY2(byText == before, what.c_str());
            continue;
        }
        std::string differences;
        for (int k = 0; k < static_cast<int>(kImageSize); ++k)
            if (pw.w.image().byte(k) != byText.byte(k))
                differences += " " + std::to_string(k) + ": window " + std::to_string(pw.w.image().byte(k)) +
                               ", text " + std::to_string(byText.byte(k));
        QVERIFY2(differences.empty(), (what + differences).c_str());
    }
}

// The same for list entries picked and boxes clicked.
void ChannelGroupsTest::textFormTakesWhatTheListsAndBoxesTake() {
    struct Case {
        const char* control;
        int entry;  // the list entry picked; -1 for a box clicked
        const char* field;
        const char* text;
    };
    const Case cases[] = {
        {"cboF1CS0", 2, "Profile[0].F1ChannelSpacing", "12.5 K"},
        {"cboF2CS1", 1, "Profile[1].F2ChannelSpacing", "6.25 K"},
        {"cboF1SQL0", 4, "Profile[0].F1Squelch", "5"},
        {"cboBatMed", 0, "BatteryGaugeLevels[1]", "3.95V"},
        {"cboBatHigh", 4, "BatteryGaugeLevels[2]", "3.95V"},
        {"cboRecordMax", 1, "RecordSections", "8 sections (Max. 60 s)"},
        {"cboPeriodBat", 3, "BatteryAlertPeriod", "10 min"},
        {"cboCircle", 0, "PriorityScanPeriod", "0.5 Second"},
        {"cboAUXDB", 5, "AuxDbData", "6"},
        {"chkEnPrivacy", -1, "PrivacyEnable", "on"},
        {"chkDV", -1, "DisableAllVibrator", "on"},
        {"chkPON1", -1, "Profile[1].PON", "on"},
    };
    for (const auto& c : cases) {
        ProfileWindow pw;
        const std::string what = std::string(c.control) + " " + c.text;
        CodePlugImage byText = pw.w.image();
        const auto refusal = fieldtext::setFieldFromText(byText, c.field, c.text);
        pw.f.messages.clear();
        if (c.entry >= 0) pw.pick(c.control, c.entry);
        else pw.click(c.control);
        if (refusal) {
            QVERIFY2(!pw.f.messages.shown.empty(), what.c_str());
            QCOMPARE(refusal->message, fieldtext::messageLine(pw.f.messages.shown.front().text));
        } else {
            QVERIFY2(pw.f.messages.shown.empty(), (what + ": " + pw.lastMessage()).c_str());
        }
        QVERIFY2(pw.w.image() == byText, what.c_str());
    }
}

QTEST_MAIN(ChannelGroupsTest)
#include "ChannelGroupsTest.moc"
