// The page "Profiles" and its rules towards the menus, the address pages and
// the one-channel layout, driven through the real controls. The menu and
// address pages are built by their own folders; the few of their controls
// these rules reach are stood in for here and reached through the control
// arrays, as the rules reach them.

#include <QCheckBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

#include "app/TextWindow.h"
#include "tests/app/pages/profiles/ProfileWindow.h"

using namespace km640;
using namespace km640::testing;

namespace {

constexpr int kProfile = 1536;
constexpr int kRecord = 64;
constexpr int kPowerOnItems = 22;
constexpr int kIdleItems = 29;

QString name(const char* family, int index) { return QString("%1%2").arg(family).arg(index); }
// cboP1C2FM0 ...: profile 0..3, switch 0..3.
QString switchName(const char* kind, const char* field, int profile, int sw) {
    return QString("%1P%2%3%4").arg(kind).arg(profile + 1).arg(field).arg(sw);
}

int switchByte(int profile, int sw) { return kProfile + kRecord * profile + 21 + sw; }

struct MenuStandIns {
    QCheckBox* idleSelProfile;
    QCheckBox* powerOnSelProfile;
    QLineEdit* selProfilePrompt;
    QCheckBox* f2AddressOn;
    QCheckBox* f2Vibrator;
};

// The page's own control where it is built, a stand-in in the control
// arrays where it is not.
template <class T>
T* standIn(ProfileWindow& pw, Page page, const char* objectName, int tag) {
    if (auto* existing = pw.w.findChild<T*>(objectName)) return existing;
    auto* control = new T(pw.w.page(page));
    control->setObjectName(objectName);
    SetControlTag(control, tag);
    return control;
}

MenuStandIns addStandIns(ProfileWindow& pw) {
    MenuStandIns s{standIn<QCheckBox>(pw, Page::Manual, "chk1IdelM7", 7),
                   standIn<QCheckBox>(pw, Page::Advance, "chk1POM7", 7),
                   standIn<QLineEdit>(pw, Page::Manual, "edtManuItm7", 7),
                   standIn<QCheckBox>(pw, Page::ChF2, "chkF2CON0", 0),
                   standIn<QCheckBox>(pw, Page::ChF2, "chkF2VCh0", 0)};
    s.f2AddressOn->setChecked(true);
    pw.w.arrays().build(&pw.w);
    return s;
}

}  // namespace

class ProfilesPageTest : public QObject {
    Q_OBJECT
private slots:
    void singleProfileClearsIdleSelProfile();
    void onRuleSwitchesProfileTwoOnAndOff();
    void resetControlAndDelay();
    void pushToListenAndPriorityScan();
    void oneChannelOnAndOff();
    void initialProfileAndNames();
};

void ProfilesPageTest::singleProfileClearsIdleSelProfile() {
    ProfileWindow pw;  // the default image refreshed without any menu page: nothing to reach, nothing breaks
    QVERIFY(!pw.get("radProf1")->isEnabled());
    const MenuStandIns s = addStandIns(pw);
    s.idleSelProfile->setChecked(true);
    pw.w.image().setByte(kIdleItems, 0x8A);
    pw.w.image().setByte(28, 8);
    pw.w.RefreshAll();
    QVERIFY(!s.idleSelProfile->isChecked());
    QVERIFY(!s.idleSelProfile->isEnabled());
    QVERIFY(!s.powerOnSelProfile->isEnabled());
    QVERIFY(!s.selProfilePrompt->isEnabled());
    QCOMPARE(pw.byte(kIdleItems), 0x0A);
    QCOMPARE(pw.byte(28), 4);  // the item count follows
    QCOMPARE(pw.byte(kPowerOnItems), 0x40);

    // An on byte of 2 shows "ON" without counting: still a single profile.
    pw.w.image().setByte(kProfile + kRecord + 12, 2);
    pw.w.image().setByte(kIdleItems, 0x8A);
    pw.w.RefreshAll();
    QVERIFY(pw.get<QCheckBox>("chkPON1")->isChecked());
    QCOMPARE(pw.byte(kIdleItems), 0x0A);

    // Two profiles on: the idle item stays as loaded and both boxes are enabled.
    pw.w.image().setByte(kProfile + kRecord + 12, 1);
    pw.w.image().setByte(kIdleItems, 0x8A);
    pw.w.RefreshAll();
    QCOMPARE(pw.byte(kIdleItems), 0x8A);
    QVERIFY(s.idleSelProfile->isEnabled());
    QVERIFY(s.powerOnSelProfile->isEnabled());
}

void ProfilesPageTest::onRuleSwitchesProfileTwoOnAndOff() {
    ProfileWindow pw;
    const MenuStandIns s = addStandIns(pw);
    auto* on = pw.get<QCheckBox>("chkPON1");

    pw.click("chkPON1");
    QVERIFY(on->isChecked());
    QCOMPARE(pw.byte(kProfile + kRecord + 12), 1);
    QVERIFY(s.powerOnSelProfile->isChecked());
    QVERIFY(s.powerOnSelProfile->isEnabled());
    QVERIFY(s.idleSelProfile->isEnabled());
    QVERIFY(!s.idleSelProfile->isChecked());
    QCOMPARE(pw.byte(kPowerOnItems), 0xC0);
    QCOMPARE(pw.byte(21), 8);
    QVERIFY(pw.get("radProf1")->isEnabled());
    QVERIFY(pw.f.messages.shown.empty());

    // The user picks "Sel Profile" in the idle menu, then switches profile 2 off.
    s.idleSelProfile->setChecked(true);
    pw.w.image().setByte(kIdleItems, 0x8A);
    pw.click("chkPON1");
    QVERIFY(!on->isChecked());
    QCOMPARE(pw.byte(kProfile + kRecord + 12), 0);
    QVERIFY(!s.powerOnSelProfile->isChecked());
    QVERIFY(!s.powerOnSelProfile->isEnabled());
    QVERIFY(!s.idleSelProfile->isChecked());
    QVERIFY(!s.idleSelProfile->isEnabled());
    QVERIFY(!s.selProfilePrompt->isEnabled());
    QCOMPARE(pw.byte(kPowerOnItems), 0x40);
    QCOMPARE(pw.byte(21), 7);
    QCOMPARE(pw.byte(kIdleItems), 0x0A);
    QVERIFY(!pw.get("radProf1")->isEnabled());

    // The initial profile cannot be switched off.
    const CodePlugImage before = pw.w.image();
    pw.click("chkPON0");
    QCOMPARE(QString::fromStdString(pw.lastMessage()), QString("The Profile is being used for KM640 !"));
    QCOMPARE(QString::fromStdString(pw.lastCaption()), QString("KM640"));
    QVERIFY(pw.get<QCheckBox>("chkPON0")->isChecked());
    QVERIFY(pw.w.image() == before);
}

void ProfilesPageTest::resetControlAndDelay() {
    ProfileWindow pw;
    const int delay = kProfile + 26;
    QCOMPARE(pw.text("cboRstCon0"), QString("Time-Out RESET"));
    QCOMPARE(pw.text("edtRstDly0"), QString("8.0"));
    QCOMPARE(pw.get<QComboBox>("cboRstCon0")->itemText(6), QString("Manual Reset Until Press Reset"));
    QCOMPARE(pw.get<QComboBox>("cboRstCon3")->itemText(6), QString("Manual Reset With Recording Stop"));

    struct Row { const char* keys; int stored; const char* shown; const char* message; const char* caption; bool keepsFocus; };
    const Row rows[] = {
        {"0", 0, "0.0", "", "", false},
        {"12.5", 25, "12.5", "", "", false},
        {"12.3", 25, "12.5", "The interval is 0.5 second.", "KM6640", false},
        {"127.5", 255, "127.5", "", "", false},
        {"128", 255, "128", "Please insert a number between 1 to 127.5", "KM640", true},
    };
    for (const auto& row : rows) {
        pw.f.messages.clear();
        pw.enterText("edtRstDly0", row.keys);
        QCOMPARE(QString::fromStdString(pw.lastMessage()), QString(row.message));
        if (*row.message) QCOMPARE(QString::fromStdString(pw.lastCaption()), QString(row.caption));
        QCOMPARE(int(pw.byte(delay)), row.stored);
        QCOMPARE(pw.text("edtRstDly0"), QString(row.shown));
        QCOMPARE(pw.get("edtRstDly0")->hasFocus(), row.keepsFocus);
    }
    pw.get<QLineEdit>("edtRstDly0")->clear();
    pw.w.commitEditing();
    QCOMPARE(pw.text("edtRstDly0"), QString("127.5"));

    // The delay belongs to the methods that wait.
    pw.pick("cboRstCon0", 2);  // "Revert SQ"
    QCOMPARE(pw.byte(kProfile + 16), 2);
    for (const char* c : {"lblDlyTM0", "edtRstDly0", "lblDlySec0"}) QVERIFY(pw.get(c)->isHidden());
    pw.pick("cboRstCon0", 4);  // "Time-Out RESET"
    for (const char* c : {"lblDlyTM0", "edtRstDly0", "lblDlySec0"}) QVERIFY(!pw.get(c)->isHidden());
    QVERIFY(pw.get("edtRstDly1")->isHidden());  // profile 2 resets automatically

    // "Help" opens the reset-function help, modally.
    bool shown = false;
    QTimer::singleShot(0, &pw.w, [&] {
        shown = pw.w.frmHelp().isVisible();
        pw.w.frmHelp().accept();
    });
    pw.click("lblHelp0");
    QVERIFY(shown);
}

void ProfilesPageTest::pushToListenAndPriorityScan() {
    ProfileWindow pw;
    // Profile 1 SW-C: "Selective Call F1", "Beep", push-to-listen off.
    QCOMPARE(pw.text("cboP1C2FM2"), QString("Selective Call F1"));
    pw.click("chkP1FPTL2");
    QVERIFY(pw.get<QCheckBox>("chkP1FPTL2")->isChecked());
    QCOMPARE(pw.byte(switchByte(0, 2)), 0x92);
    QCOMPARE(pw.text("cboP1FAT2"), QString("Vibrate"));
    QVERIFY(!pw.get("cboP1FAT2")->isEnabled());
    QCOMPARE(pw.byte(66), 0x92);  // the initial profile's switches go with it

    pw.pick("cboP1C2FM2", 6);  // "Priority Scan F1"
    QCOMPARE(pw.byte(switchByte(0, 2)), 0x16);
    QVERIFY(!pw.get<QCheckBox>("chkP1FPTL2")->isChecked());
    QVERIFY(!pw.get("chkP1FPTL2")->isEnabled());
    QVERIFY(pw.get("cboP1FAT2")->isEnabled());
    QCOMPARE(pw.byte(66), 0x16);

    pw.pick("cboP1FAT2", 2);
    QCOMPARE(pw.byte(switchByte(0, 2)), 0x26);
    pw.pick("cboP1C2FM2", 5);  // "Silent Scan" allows it again
    QVERIFY(pw.get("chkP1FPTL2")->isEnabled());

    // A profile that is not the initial one leaves the active switches alone.
    const std::uint8_t active = pw.byte(64);
    pw.pick("cboP2FAT0", 2);
    QCOMPARE(pw.byte(switchByte(1, 0)), 0x24);
    QCOMPARE(pw.byte(64), active);

    // An alert type beyond the list leaves the list as it was.
    pw.w.image().setByte(switchByte(3, 0), 0x55);
    pw.w.RefreshAll();
    QCOMPARE(pw.text("cboP4FAT0"), QString("Beep"));
    QCOMPARE(pw.byte(switchByte(3, 0)), 0x55);
}

void ProfilesPageTest::oneChannelOnAndOff() {
    ProfileWindow pw;
    const MenuStandIns s = addStandIns(pw);
    const std::uint8_t modes[4][4] = {{6, 4, 2, 3}, {4, 5, 6, 0}, {1, 2, 3, 4}, {5, 6, 0, 1}};

    pw.click("chkOTCh");
    QCOMPARE(pw.byte(1) & 0x04, 0);
    QVERIFY(!pw.w.page(Page::ChF2)->isEnabled());
    QVERIFY(!s.f2AddressOn->isEnabled());
    QVERIFY(!s.f2Vibrator->isEnabled());
    for (int p = 0; p < 4; ++p) {
        for (const char* family : {"edtF2Freq", "cboF2CS", "cboF2BW", "cboF2SQL"}) QVERIFY(!pw.get(name(family, p))->isEnabled());
        QVERIFY(pw.get(name("edtF1Freq", p))->isEnabled());
        for (int sw = 0; sw < 4; ++sw) {
            QVERIFY(pw.get(switchName("cbo", "C1FM", p, sw))->isVisibleTo(pw.get(name("tabProf", p))));
            QVERIFY(pw.get(switchName("cbo", "C2FM", p, sw))->isHidden());
            // Every switch starts at "Selective Call F1" in the one-channel list.
            QCOMPARE(pw.text(switchName("cbo", "C1FM", p, sw)), QString("Selective Call F1"));
            QCOMPARE(pw.byte(switchByte(p, sw)) & 0x0F, 2);
            QVERIFY(pw.get(switchName("chk", "FPTL", p, sw))->isEnabled());
        }
    }
    pw.pick("cboP1C1FM0", 0);  // "Monitor F1"
    QCOMPARE(pw.byte(switchByte(0, 0)) & 0x0F, 0);
    QVERIFY(!pw.get("chkP1FPTL0")->isEnabled());

    pw.click("chkOTCh");
    QCOMPARE(pw.byte(1) & 0x04, 0x04);
    QVERIFY(pw.w.page(Page::ChF2)->isEnabled());
    QVERIFY(s.f2AddressOn->isEnabled());
    QVERIFY(s.f2Vibrator->isEnabled());
    for (int p = 0; p < 4; ++p) {
        for (const char* family : {"edtF2Freq", "cboF2CS", "cboF2BW", "cboF2SQL"}) QVERIFY(pw.get(name(family, p))->isEnabled());
        for (int sw = 0; sw < 4; ++sw) {
            QVERIFY(pw.get(switchName("cbo", "C1FM", p, sw))->isHidden());
            // The two-channel list comes back with the modes it last showed.
            QCOMPARE(pw.get<QComboBox>(switchName("cbo", "C2FM", p, sw))->currentIndex(), int(modes[p][sw]));
            QCOMPARE(pw.byte(switchByte(p, sw)) & 0x0F, modes[p][sw]);
        }
    }

    // A code-plug in one-channel mode switches the layout as it is loaded
    // and keeps its own modes, not the ones the window remembers; an F2 mode
    // shows as its F1 twin, a mode the list lacks keeps its byte.
    CodePlugImage loaded = DefaultImage();
    loaded.setByte(1, 0xEA);
    const std::uint8_t loadedSwitches[] = {0x12, 0x00, 0x06, 0x03};
    const int entries[] = {1, 0, -1, 1};
    const std::uint8_t keptSwitches[] = {0x12, 0x00, 0x06, 0x02};
    for (int sw = 0; sw < 4; ++sw) loaded.setByte(switchByte(0, sw), loadedSwitches[sw]);
    pw.w.image() = loaded;
    pw.w.RefreshAll();
    QVERIFY(pw.get<QCheckBox>("chkOTCh")->isChecked());
    QVERIFY(!pw.get("edtF2Freq2")->isEnabled());
    QVERIFY(!pw.w.page(Page::ChF2)->isEnabled());
    for (int sw = 0; sw < 4; ++sw) {
        QCOMPARE(pw.get<QComboBox>(switchName("cbo", "C1FM", 0, sw))->currentIndex(), entries[sw]);
        QCOMPARE(pw.byte(switchByte(0, sw)), keptSwitches[sw]);
    }
    QCOMPARE(pw.text("cboP1C1FM0"), QString("Selective Call F1"));
}

void ProfilesPageTest::initialProfileAndNames() {
    ProfileWindow pw;
    pw.click("chkPON1");
    auto* inner = pw.get<QTabWidget>("PageControl2");
    inner->setCurrentIndex(0);
    pw.click("radProf1");
    QCOMPARE(pw.byte(18), 1);
    const std::uint8_t switches[] = {0x14, 0x25, 0x06, 0x10};
    for (int s = 0; s < 4; ++s) QCOMPARE(pw.byte(64 + s), switches[s]);
    QCOMPARE(inner->currentIndex(), 0);  // the click leaves the inner page alone
    pw.w.RefreshAll();
    QCOMPARE(inner->currentIndex(), 1);  // the refresh shows the initial profile

    struct Row { const char* keys; const char* stored; const char* shown; };
    const Row rows[] = {{"  AB", "  AB        ", "  AB"}, {"", "            ", ""}};
    for (const auto& row : rows) {
        auto* field = pw.get<QLineEdit>("edtPName2");
        pw.reveal(field);
        field->setFocus(Qt::MouseFocusReason);
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, row.keys);
        pw.w.commitEditing();
        QCOMPARE(QString::fromStdString(pw.w.image().text(kProfile + 2 * kRecord, 12)), QString(row.stored));
        QCOMPARE(pw.text("edtPName2"), QString(row.shown));
    }
}

QTEST_MAIN(ProfilesPageTest)
#include "ProfilesPageTest.moc"
