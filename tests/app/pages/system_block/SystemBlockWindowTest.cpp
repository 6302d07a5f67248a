// The system settings block in the main window, through its real controls:
// what a new user sees, what the refresh stores back, the rules it applies to
// loaded code-plugs, the boxes' own clicks, and editing its fields.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>
#include <functional>

#include "app/EditField.h"
#include "rf/ChannelRef.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/app/pages/SettingsWindow.h"

using namespace km640;
using namespace km640::testing;

class SystemBlockWindowTest : public QObject {
    Q_OBJECT
private slots:
    void newUserSeesTheDefaultCodePlug();
    void refreshStoresOnlyTheDerivedBytes();
    void refreshRulesForLoadedCodePlugs_data();
    void refreshRulesForLoadedCodePlugs();
    void refreshRunsClicksOnlyWhenAStandardBoxChanges();
    void refreshReachesOtherPagesThroughHooksAndArrays();
    void clicksStoreTheirBits();
    void editingTheBlocksFields();
    void blankEntryShowsTheStoredValueAgain();
    void pointerOverPagesCommits();
};

void SystemBlockWindowTest::newUserSeesTheDefaultCodePlug() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    verifyShown(w, {
        {"chkOTCh", Page::Setting, "off", true},
        {"chkDV", Page::Setting, "off", true},
        {"chkDVCh", Page::Setting, "off", true},
        {"chkPrioScan", Page::Setting, "off", true},
        {"chkDPwSave", Page::Setting, "off", true},
        {"chkEnPrivacy", Page::Setting, "off", true},
        {"chkPrioMax", Page::Setting, "off", true},
        {"chkAlertMax", Page::Setting, "off", true},
        {"chkFunAnn", Page::Setting, "on", true},
        {"chkEFSP", Page::Setting, "on", true},
        {"chkPRK", Page::Setting, "off", true},
        {"edtRpTM", Page::Setting, "120", true},
        {"edtBLightOff", Page::Setting, "10", true},
        {"chkLogo2On", Page::Setting, "on", true},
        {"TrackBar1", Page::Setting, "5", true},
        {"lblContrastVal", Page::Setting, "5", true},
        {"cboClockDisp", Page::Setting, "12H", true},
        {"chkSV", Page::Setting, "on", true},
        {"cboRecordMax", Page::Setting, "16 sections (Max. 30 s)", true},
        {"chkSQLRec", Page::Setting, "off", true},
        {"edtCOD", Page::Setting, "10", true},
        {"cboCircle", Page::Setting, "1 Second", true},
        {"cboBatHigh", Page::Advance, "3.90V", true},
        {"cboBatMed", Page::Advance, "3.75V", true},
        {"cboBatLow", Page::Advance, "3.50V", true},
        {"cboPeriodBat", Page::Advance, "10 min", true},
        {"chkQBatLow", Page::Advance, "on", true},
        {"chkEATM", Page::Advance, "off", true},
        {"edtT2Max", Page::Advance, "16", true},
        {"cboDBW", Page::Advance, "0.7", true},
        {"edtGapTM", Page::Advance, "50", true},
        {"edtGroupMin", Page::Advance, "125", true},
        {"chk1POM0", Page::Advance, "off", true},
        {"chk1POM5", Page::Advance, "off", false},
        {"chk1POM6", Page::Advance, "on", true},
        {"chk1POM7", Page::Advance, "off", false},
        {"edtPOMPwd", Page::Advance, "1234", false},
        {"edtMsgRS", Page::Advance, "255", true},
        {"edtF1ST", Page::System, "6", true},
        {"edtF2ST", Page::System, "6", true},
        {"edtPowST", Page::System, "10", true},
        {"cboAUXDB", Page::System, "2", true},
        {"radLCMVOP0", Page::System, "on", true},
        {"radLCMVOP1", Page::System, "off", true},
        {"edtT1Min", Page::System, "8", true},
        {"edtT2Min", Page::System, "5", true},
        {"chk1IdelM1", Page::Manual, "on", true},
        {"chk1IdelM2", Page::Manual, "off", true},
        {"chk1IdelM3", Page::Manual, "on", true},
        {"chk1IdelM5", Page::Manual, "off", false},
        {"chk1IdelM7", Page::Manual, "off", false},
        {"chkPSW", Page::Debug, "on", true},
        {"chkDePD", Page::Debug, "off", true},
        {"chkKeyFun0", Page::Debug, "off", true},
        {"chkShowAI", Page::Debug, "off", true},
        {"edtRpTMS", Page::Debug, "255", true},
        {"cboReTT", Page::Debug, "Same as alert type", true},
        {"edtBatLWTM", Page::Debug, "3", true},
        {"edtBatLWTS", Page::Debug, "0", true},
        {"edtTSMT", Page::Debug, "4", false},
        {"edtBS_Period1", Page::Debug, "255", true},
        {"edtRecTM", Page::Debug, "30", true},
        {"edtT1Max", Page::Debug, "15", true},
        {"edtWaitT1", Page::Debug, "100", true},
        {"edtTBT", Page::Debug, "150", true},
        {"edtNTMax", Page::Debug, "15", true},
    });
    if (QTest::currentTestFailed()) return;
    // The idle items "Keyin Password" and "Set Password" are never shown.
    w.pageControl()->setCurrentWidget(w.page(Page::Manual));
    QVERIFY(!control(w, "chk1IdelM0")->isVisible());
    QVERIFY(!control(w, "chk1IdelM5")->isVisible());
    QVERIFY(control(w, "chk1IdelM1")->isVisible());
    QVERIFY(f.messages.shown.empty());

    // Captions, list items and hints as the pager's users know them.
    QCOMPARE(control<QCheckBox>(w, "chkDV")->text(), QString("Disable All Vibrator "));
    QCOMPARE(control<QCheckBox>(w, "chk1IdelM1")->text(), QString("Clear Read Message"));
    QCOMPARE(control<QCheckBox>(w, "chk1POM1")->text(), QString("Clear All Read Msg."));
    QCOMPARE(control<QComboBox>(w, "cboBatLow")->count(), 5);
    QCOMPARE(control<QComboBox>(w, "cboBatMed")->count(), 8);
    QCOMPARE(control<QComboBox>(w, "cboBatHigh")->itemText(9), QString("3.70V"));
    QCOMPARE(control<QComboBox>(w, "cboRecordMax")->itemText(0), QString("4 section (Max. 120 s)"));
    QCOMPARE(control<QComboBox>(w, "cboDBW")->count(), 16);
    QCOMPARE(control(w, "edtBLightOff")->toolTip(), QString("0:disable, 255:endless"));
    QVERIFY(control(w, "chkEATM")->toolTip().startsWith("Attention: Because"));
    for (int tag = 0; tag < 3; ++tag) QVERIFY(w.arrays().at("cboBat", tag));
    QCOMPARE(w.arrays().at("cboBat", 2)->objectName(), QString("cboBatHigh"));
    QCOMPARE(w.arrays().at("chk1POM", 9)->objectName(), QString("chk1POM9"));
    QCOMPARE(w.arrays().at("chkKeyFun", 4)->objectName(), QString("chkKeyFun4"));
}

void SystemBlockWindowTest::refreshStoresOnlyTheDerivedBytes() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    CodePlugImage expected = DefaultImage();
    WriteModelText(expected);
    expected.setByte(21, 7);  // power-on menu: highest item 6
    expected.setByte(28, 4);  // idle menu: highest item 3
    const std::uint8_t profile1Switches[] = {0x16, 0x04, 0x02, 0x03};
    expected.copyIn(64, profile1Switches);
    // The tones are re-validated on loading: the F1 group addresses get the
    // decoder word of their 1285.8 Hz tone.
    for (int r = 8; r < 12; ++r) expected.setWord(1408 + 4 * r, 0xCA88);
    // and every channel's synthesizer words are computed afresh.
    recomputeSynthesizerWords(expected);
    for (int k = 0; k < static_cast<int>(kImageSize); ++k)
        QVERIFY2(w.image().byte(k) == expected.byte(k), qPrintable(QString("byte %1").arg(k)));
}

namespace {

struct LoadCase {
    const char* what;
    std::function<void(CodePlugImage&)> change;
    std::function<void(TfmMain&)> check;
};

const std::vector<LoadCase>& loadCases() {
    static const std::vector<LoadCase> cases = {
        {"read status 240 shows 120", [](CodePlugImage& i) { i.setByte(19, 240); },
         [](TfmMain& w) { QCOMPARE(shown(control(w, "edtMsgRS")), QString("120")); }},
        {"read status 1 shows 1", [](CodePlugImage& i) { i.setByte(19, 1); },
         [](TfmMain& w) { QCOMPARE(shown(control(w, "edtMsgRS")), QString("1")); }},
        {"read status 0 shows 0", [](CodePlugImage& i) { i.setByte(19, 0); },
         [](TfmMain& w) { QCOMPARE(shown(control(w, "edtMsgRS")), QString("0")); }},
        {"backlight endless", [](CodePlugImage& i) { i.setByte(176, 255); },
         [](TfmMain& w) { QCOMPARE(shown(control(w, "edtBLightOff")), QString("255")); }},
        {"backlight 254 is 127 s", [](CodePlugImage& i) { i.setByte(176, 254); },
         [](TfmMain& w) { QCOMPARE(shown(control(w, "edtBLightOff")), QString("127")); }},
        {"battery code outside the table keeps the list",
         [](CodePlugImage& i) { i.setByte(240, 150); },
         [](TfmMain& w) {
             QCOMPARE(shown(control(w, "cboBatLow")), QString("3.50V"));
             QCOMPARE(w.image().byte(240), 150);
         }},
        {"battery levels in the table", [](CodePlugImage& i) { i.setByte(240, 153); i.setByte(242, 177); },
         [](TfmMain& w) {
             QCOMPARE(shown(control(w, "cboBatLow")), QString("3.60V"));
             QCOMPARE(shown(control(w, "cboBatHigh")), QString("4.15V"));
         }},
        {"battery code not offered by the list", [](CodePlugImage& i) { i.setByte(240, 170); },
         [](TfmMain& w) { QCOMPARE(shown(control(w, "cboBatLow")), QString("3.50V")); }},
        {"alert period 7 becomes 4", [](CodePlugImage& i) { i.setByte(248, 7); },
         [](TfmMain& w) {
             QCOMPARE(w.image().byte(248), 4);
             QCOMPARE(shown(control(w, "cboPeriodBat")), QString("2 min"));
         }},
        {"alert period 60", [](CodePlugImage& i) { i.setByte(248, 60); },
         [](TfmMain& w) { QCOMPARE(shown(control(w, "cboPeriodBat")), QString("30 min")); }},
        {"privacy clears auto monitor", [](CodePlugImage& i) { i.SetBits(16, 2, 1, 1); i.SetBits(17, 3, 1, 1); },
         [](TfmMain& w) {
             QCOMPARE(w.image().GetBits(17, 3, 1), 0);
             QCOMPARE(shown(control(w, "chkPRK")), QString("off"));
             QVERIFY(!control(w, "chkPRK")->isEnabled());
             QCOMPARE(shown(control(w, "chkEnPrivacy")), QString("on"));
         }},
        {"auto monitor without privacy", [](CodePlugImage& i) { i.SetBits(17, 3, 1, 1); },
         [](TfmMain& w) {
             QCOMPARE(w.image().GetBits(17, 3, 1), 1);
             QCOMPARE(shown(control(w, "chkPRK")), QString("on"));
             QVERIFY(control(w, "chkPRK")->isEnabled());
         }},
        {"LCM_VOP 20 selects 7V and writes its block", [](CodePlugImage& i) { i.setByte(190, 20); i.setByte(179, 7); },
         [](TfmMain& w) {
             QCOMPARE(shown(control(w, "radLCMVOP1")), QString("on"));
             QCOMPARE(shown(control(w, "radLCMVOP0")), QString("off"));
             const std::uint8_t block7V[] = {5, 220, 223, 226, 229, 232, 235, 238, 241, 244, 247, 20, 17};
             for (int k = 0; k < 13; ++k) QCOMPARE(w.image().byte(179 + k), block7V[k]);
             QCOMPARE(shown(control(w, "TrackBar1")), QString("7"));  // the loaded contrast
             QCOMPARE(shown(control(w, "lblContrastVal")), QString("7"));
         }},
        {"LCM_VOP 0 shows 7V", [](CodePlugImage& i) { i.setByte(190, 0); },
         [](TfmMain& w) { QCOMPARE(shown(control(w, "radLCMVOP1")), QString("on")); }},
        {"contrast above the bar is stored as 9", [](CodePlugImage& i) { i.setByte(179, 12); },
         [](TfmMain& w) {
             QCOMPARE(w.image().byte(179), 9);
             QCOMPARE(shown(control(w, "lblContrastVal")), QString("9"));
         }},
        {"show version 2 becomes 1", [](CodePlugImage& i) { i.setByte(1400, 2); },
         [](TfmMain& w) {
             QCOMPARE(w.image().byte(1400), 1);
             QCOMPARE(shown(control(w, "chkLogo2On")), QString("on"));
         }},
        {"no stored voice", [](CodePlugImage& i) { i.SetBits(2, 1, 1, 1); },
         [](TfmMain& w) {
             for (const char* name : {"chkSV", "cboRecordMax", "edtMsgRS", "edtRecTM"})
                 QVERIFY2(!control(w, name)->isEnabled(), name);
         }},
        {"stored voice off enables the play time", [](CodePlugImage& i) { i.SetBits(17, 2, 0, 1); },
         [](TfmMain& w) { QVERIFY(control(w, "edtTSMT")->isEnabled()); }},
        {"Plectron timing set", [](CodePlugImage& i) { i.setByte(5, 2); },
         [](TfmMain& w) {
             const char* names[] = {"edtT1Min", "edtT2Min", "edtT2Max", "edtGroupMin", "edtT1Max", "edtGapTM"};
             const char* values[] = {"5", "4", "4", "45", "5", "50"};
             for (int k = 0; k < 6; ++k) QCOMPARE(shown(control(w, names[k])), QString(values[k]));
         }},
        {"disable all vibrator also disables it in the charger", [](CodePlugImage& i) { i.SetBits(17, 0, 1, 1); },
         [](TfmMain& w) {
             QCOMPARE(w.image().GetBits(17, 1, 1), 1);
             QCOMPARE(shown(control(w, "chkDVCh")), QString("on"));
             QVERIFY(!control(w, "chkDVCh")->isEnabled());
         }},
        {"squelch record on", [](CodePlugImage& i) { i.SetBits(80, 6, 0, 1); },
         [](TfmMain& w) { QCOMPARE(shown(control(w, "chkSQLRec")), QString("on")); }},
        {"initial profile 3 copies its switches", [](CodePlugImage& i) { i.setByte(18, 2); },
         [](TfmMain& w) {
             const std::uint8_t switches[] = {0x21, 0x02, 0x13, 0x24};
             for (int s = 0; s < 4; ++s) QCOMPARE(w.image().byte(64 + s), switches[s]);
         }},
        {"initial profile beyond the records copies nothing",
         [](CodePlugImage& i) { i.setByte(18, 7); },
         [](TfmMain& w) {
             const std::uint8_t loaded[] = {0x00, 0x11, 0x22, 0x03};
             for (int s = 0; s < 4; ++s) QCOMPARE(w.image().byte(64 + s), loaded[s]);
         }},
        {"password and set-password chain", [](CodePlugImage& i) {
             i.setByte(22, 0x21);
             const std::uint8_t two[] = {'4', '2', 0, 0};
             i.copyIn(24, two);
         },
         [](TfmMain& w) {
             QVERIFY(control(w, "chk1POM5")->isEnabled());
             QVERIFY(control(w, "edtPOMPwd")->isEnabled());
             QCOMPARE(shown(control(w, "edtPOMPwd")), QString("42"));
             QCOMPARE(w.image().byte(21), 6);
         }},
        {"no menu items count 0", [](CodePlugImage& i) { i.setByte(22, 0); i.setByte(29, 0); },
         [](TfmMain& w) {
             QCOMPARE(w.image().byte(21), 0);
             QCOMPARE(w.image().byte(28), 0);
         }},
        {"one profile on clears Sel Profile and its count",
         [](CodePlugImage& i) { i.setByte(29, 0x8A); i.setByte(22, 0xC0); },
         [](TfmMain& w) {
             QCOMPARE(w.image().byte(29), 0x0A);
             QCOMPARE(w.image().byte(28), 4);
             QCOMPARE(w.image().byte(22), 0xC0);  // the power-on item stays
             QCOMPARE(w.image().byte(21), 8);
             QCOMPARE(shown(control(w, "chk1IdelM7")), QString("off"));
             QVERIFY(!control(w, "chk1IdelM7")->isEnabled());
             QVERIFY(!control(w, "chk1POM7")->isEnabled());
         }},
        {"two profiles on keep Sel Profile", [](CodePlugImage& i) { i.setByte(29, 0x8A); i.setByte(1536 + 64 + 12, 1); },
         [](TfmMain& w) {
             QCOMPARE(w.image().byte(29), 0x8A);
             QCOMPARE(w.image().byte(28), 8);
             QCOMPARE(shown(control(w, "chk1IdelM7")), QString("on"));
             QVERIFY(control(w, "chk1IdelM7")->isEnabled());
             QVERIFY(control(w, "chk1POM7")->isEnabled());
         }},
        {"profile on byte 2 does not count", [](CodePlugImage& i) { i.setByte(29, 0x8A); i.setByte(1536 + 64 + 12, 2); },
         [](TfmMain& w) { QCOMPARE(w.image().byte(29), 0x0A); }},
        {"unknown tone system selects no button", [](CodePlugImage& i) { i.setByte(5, 9); },
         [](TfmMain& w) {
             for (int k = 0; k < 3; ++k) QCOMPARE(shown(w.arrays().at("radToneSystem", k)), QString("off"));
             QCOMPARE(shown(control(w, "edtT1Min")), QString("8"));
         }},
        {"priority scan period beyond the list", [](CodePlugImage& i) { i.setByte(55, 40); },
         [](TfmMain& w) { QCOMPARE(control<QComboBox>(w, "cboCircle")->currentIndex(), -1); }},
    };
    return cases;
}

}  // namespace

void SystemBlockWindowTest::refreshRulesForLoadedCodePlugs_data() {
    QTest::addColumn<int>("index");
    for (std::size_t k = 0; k < loadCases().size(); ++k) QTest::newRow(loadCases()[k].what) << static_cast<int>(k);
}

void SystemBlockWindowTest::refreshRulesForLoadedCodePlugs() {
    QFETCH(int, index);
    const LoadCase& c = loadCases()[static_cast<std::size_t>(index)];
    MainWindowFixture f;
    TfmMain& w = f.start();
    load(w, c.change);
    c.check(w);
    QVERIFY(f.messages.shown.empty());
}

void SystemBlockWindowTest::refreshRunsClicksOnlyWhenAStandardBoxChanges() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    std::vector<bool> layouts;
    w.hooks().oneChannelLayout = [&](bool one) { layouts.push_back(one); };
    w.RefreshAll();
    QVERIFY(layouts.empty());  // nothing changed
    load(w, [](CodePlugImage& i) { i.SetBits(1, 2, 0, 1); });
    QCOMPARE(layouts, std::vector<bool>{true});
    QCOMPARE(shown(control(w, "chkOTCh")), QString("on"));
    w.RefreshAll();
    QCOMPARE(layouts.size(), std::size_t(1));
    load(w, [](CodePlugImage&) {});
    QCOMPARE(layouts, (std::vector<bool>{true, false}));

    // The drive preset is copied only when the button changes: a 7 V image
    // whose contrast steps were edited keeps them on the next refresh.
    load(w, [](CodePlugImage& i) { i.setByte(190, 20); });
    w.image().setByte(185, 0x42);
    w.RefreshAll();
    QCOMPARE(w.image().byte(185), 0x42);
}

void SystemBlockWindowTest::refreshReachesOtherPagesThroughHooksAndArrays() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    // The controls of the other pages are real: address 3 of F1 is switched
    // on in the loaded images below, the first F2 address off.
    auto* vibrator = w.arrays().as<QCheckBox>("chkF1VCh", 3);
    auto* offRow = w.arrays().as<QCheckBox>("chkF2VCh", 0);
    QVERIFY(vibrator && offRow);
    QWidget* prompt7 = control(w, "edtManuItm7");
    QWidget* prompt9 = control(w, "edtManuItm9");
    QWidget* line2 = control(w, "edtLogo1");
    auto* profile2 = w.arrays().as<QRadioButton>("radProf", 1);
    QVERIFY(profile2);
    w.arrays().build(&w);

    std::vector<int> systems, pages, bandwidths;
    w.hooks().toneSystemShown = [&](int tag, const std::vector<ToneRevalidation>&) { systems.push_back(tag); };
    w.hooks().showProfilePage = [&](int p) { pages.push_back(p); };
    w.hooks().decodeBandwidthShown = [&](int entry) { bandwidths.push_back(entry); };

    load(w, [](CodePlugImage& i) {
        i.SetBits(256 + 16 * 3 + 6, 0, 1, 1);
        i.SetBits(512 + 6, 0, 0, 1);
        i.setByte(5, 2);
        i.setByte(18, 1);
        i.setByte(29, 0x08);  // idle: only "Set Date and Time"
        i.setByte(228, 15);
    });
    QCOMPARE(systems, std::vector<int>{2});
    QVERIFY(w.arrays().as<QRadioButton>("radToneSystem", 2)->isChecked());
    QCOMPARE(pages, std::vector<int>{1});
    QVERIFY(profile2->isChecked());
    QCOMPARE(bandwidths, std::vector<int>{15});
    QVERIFY(vibrator->isEnabled());
    QVERIFY(!offRow->isEnabled());   // its address is not on
    QVERIFY(!prompt7->isEnabled());  // one profile on
    QVERIFY(!prompt9->isEnabled());  // follows "Clear Read Message"
    QVERIFY(!line2->isEnabled());    // the version is shown instead

    load(w, [](CodePlugImage& i) {
        i.SetBits(256 + 16 * 3 + 6, 0, 1, 1);
        i.SetBits(17, 1, 1, 1);
        i.setByte(1400, 0);
    });
    QVERIFY(!vibrator->isEnabled());
    QVERIFY(line2->isEnabled());
    QVERIFY(prompt9->isEnabled());
}

void SystemBlockWindowTest::clicksStoreTheirBits() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    w.resize(1200, 900);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto click = [&](const char* name) { control<QAbstractButton>(w, name)->click(); };
    w.pageControl()->setCurrentWidget(w.page(Page::Setting));

    // Privacy with auto monitor on.
    click("chkPRK");
    QCOMPARE(w.image().GetBits(17, 3, 1), 1);
    click("chkEnPrivacy");
    QCOMPARE(w.image().GetBits(16, 2, 1), 1);
    QCOMPARE(w.image().GetBits(17, 3, 1), 0);
    QCOMPARE(shown(control(w, "chkPRK")), QString("off"));
    QVERIFY(!control(w, "chkPRK")->isEnabled());
    click("chkEnPrivacy");
    QCOMPARE(w.image().GetBits(16, 2, 1), 0);
    QVERIFY(control(w, "chkPRK")->isEnabled());
    QCOMPARE(shown(control(w, "chkPRK")), QString("off"));

    // Disable all vibrator takes the charger along; unchecking leaves it.
    click("chkDV");
    QCOMPARE(w.image().byte(17) & 0x03, 0x03);
    QCOMPARE(shown(control(w, "chkDVCh")), QString("on"));
    QVERIFY(!control(w, "chkDVCh")->isEnabled());
    click("chkDV");
    QCOMPARE(w.image().byte(17) & 0x03, 0x02);
    QVERIFY(control(w, "chkDVCh")->isEnabled());

    click("chkSQLRec");
    QCOMPARE(w.image().GetBits(80, 6, 1), 0);
    click("chkDPwSave");
    QCOMPARE(w.image().byte(49), 0x03);
    click("chkOTCh");
    QCOMPARE(w.image().GetBits(1, 2, 1), 0);

    w.pageControl()->setCurrentWidget(w.page(Page::System));
    click("radLCMVOP1");
    const std::uint8_t block7V[] = {5, 220, 223, 226, 229, 232, 235, 238, 241, 244, 247, 20, 17};
    for (int k = 0; k < 13; ++k) QCOMPARE(w.image().byte(179 + k), block7V[k]);
    w.RefreshAll();
    QCOMPARE(shown(control(w, "TrackBar1")), QString("5"));
    QCOMPARE(shown(control(w, "radLCMVOP1")), QString("on"));

    w.pageControl()->setCurrentWidget(w.page(Page::Setting));
    control<QSlider>(w, "TrackBar1")->setValue(9);
    QCOMPARE(w.image().byte(179), 9);
    QCOMPARE(shown(control(w, "lblContrastVal")), QString("9"));
    QVERIFY(f.messages.shown.empty());
}

void SystemBlockWindowTest::editingTheBlocksFields() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    w.resize(1200, 900);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    struct Case {
        const char* field;
        Page page;
        const char* keys;
        const char* text;
        const char* message;
        const char* caption;
    };
    const Case cases[] = {
        {"edtRpTM", Page::Setting, "1a5", "15", "Please insert a numeric  !", "Warning!"},
        {"edtBLightOff", Page::Setting, "2.", "2", "Please insert a numeric  !", "Warning!"},
        {"edtCOD", Page::Setting, "1x", "1x", "", ""},  // no filter: anything goes in
        {"edtMsgRS", Page::Advance, "6-0", "60", "Please insert a numeric  !", "Warning!"},
        {"edtT2Max", Page::Advance, "4\b", "4", "Please insert a numeric!", "KM640"},
        {"edtGapTM", Page::Advance, "x", "", "Please insert a numeric!", "KM640"},
        {"edtF1ST", Page::System, "9", "69", "", ""},  // not cleared on entry
        {"edtT1Min", Page::System, "\b", "8", "Please insert a numeric!", "KM640"},
    };
    for (const auto& c : cases) {
        f.messages.clear();
        w.pageControl()->setCurrentWidget(w.page(c.page));
        auto* e = control<EditField>(w, c.field);
        e->setFocus(Qt::MouseFocusReason);
        QVERIFY2(e->hasFocus(), c.field);
        e->end(false);
        type(e, c.keys);
        QCOMPARE(e->text(), QString(c.text));
        QCOMPARE(QString::fromStdString(f.messages.last()), QString(c.message));
        if (*c.caption) QCOMPARE(QString::fromStdString(f.messages.shown.back().caption), QString(c.caption));
        QVERIFY2(e->hasFocus(), c.field);
        w.RefreshAll();  // shows the stored values again for the next case
        w.commitEditing();
    }

    // The password takes four digits; a fifth key commits it.
    load(w, [](CodePlugImage& i) { i.setByte(22, 0x21); });
    w.pageControl()->setCurrentWidget(w.page(Page::Advance));
    auto* pwd = control<EditField>(w, "edtPOMPwd");
    pwd->setFocus(Qt::MouseFocusReason);
    QCOMPARE(pwd->text(), QString());
    type(pwd, "98765");
    QCOMPARE(pwd->text(), QString("9876"));
    QVERIFY(w.edtNull()->hasFocus());

    // Enter commits through the focus sink.
    auto* status = control<EditField>(w, "edtMsgRS");
    status->setFocus(Qt::MouseFocusReason);
    type(status, "3\r");
    QVERIFY(w.edtNull()->hasFocus());
}

void SystemBlockWindowTest::blankEntryShowsTheStoredValueAgain() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    struct Case { const char* field; Page page; const char* stored; };
    const Case cases[] = {
        {"edtMsgRS", Page::Advance, "255"},   // the block is shown again
        {"edtRpTM", Page::Setting, "120"},
        {"edtCOD", Page::Setting, "10"},
        {"edtGroupMin", Page::Advance, "125"},  // the field alone
        {"edtT2Max", Page::Advance, "16"},
    };
    for (const auto& c : cases) {
        w.pageControl()->setCurrentWidget(w.page(c.page));
        const CodePlugImage before = w.image();
        auto* e = control<EditField>(w, c.field);
        e->setFocus(Qt::MouseFocusReason);
        QCOMPARE(e->text(), QString());  // cleared on entry
        w.commitEditing();
        QCOMPARE(e->text(), QString(c.stored));
        QVERIFY2(w.image() == before, c.field);
    }
    // A blank is blank after trimming: a pasted blank restores as well.
    auto* e = control<EditField>(w, "edtCOD");
    w.pageControl()->setCurrentWidget(w.page(Page::Setting));
    e->setFocus(Qt::MouseFocusReason);
    e->insert("   ");
    w.commitEditing();
    QCOMPARE(e->text(), QString("10"));
    QVERIFY(f.messages.shown.empty());
}

void SystemBlockWindowTest::pointerOverPagesCommits() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    w.resize(1900, 1000);  // large enough that the page needs no scroll bars
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.pageControl()->setCurrentWidget(w.page(Page::Advance));
    auto* e = control<EditField>(w, "edtMsgRS");
    int commits = 0;
    e->setOnCommit([&](EditField&) { ++commits; });
    e->setFocus(Qt::MouseFocusReason);
    type(e, "12");
    QWindow* win = w.windowHandle();
    QWidget* page = w.page(Page::Advance);
    // Over the field's own group nothing happens; over the bare page it commits.
    QTest::mouseMove(win, win->mapFromGlobal(e->mapToGlobal(QPoint(2, 2))));
    QVERIFY(e->hasFocus());
    QTest::mouseMove(win, win->mapFromGlobal(page->mapToGlobal(QPoint(page->width() - 3, page->height() - 3))));
    QVERIFY(w.edtNull()->hasFocus());
    QCOMPARE(commits, 1);
}

QTEST_MAIN(SystemBlockWindowTest)
#include "SystemBlockWindowTest.moc"
