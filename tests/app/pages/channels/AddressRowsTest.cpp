// The call-address rows of the channel pages through their real controls: what a
// row shows of the built-in code-plug, which cells it enables, and what each
// column writes into the address record.

#include "tests/app/pages/channels/ChannelPagesFixture.h"

using namespace km640;
using namespace km640::testing;

namespace {

constexpr int kF1 = 256;  // F1 record 0; records are 16 bytes apart
constexpr int kF2 = 512;

}  // namespace

class AddressRowsTest : public QObject {
    Q_OBJECT
private slots:
    void rowsShowTheBuiltInCodePlug();
    void everyCellIsInItsControlFamily();
    void callNoDisablesTheRowAndKeepsItsValues();
    void boxColumnsWriteOnlyTheirBit();
    void profileColumnsFollowTheProfileOnBytes();
    void userPatternIsRemembered();
    void alertSeconds();
    void markIsStoredTwelveWide();
};

void AddressRowsTest::rowsShowTheBuiltInCodePlug() {
    ChannelBench b;
    // Only "#1" is in use; it is in profile 1, the one profile switched on.
    QVERIFY(b.get<QCheckBox>("chkF1CON0")->isChecked());
    QCOMPARE(b.get<QCheckBox>("chkF1CON0")->text(), QString("#1"));
    QCOMPARE(b.get<QCheckBox>("chkF2CON11")->text(), QString("Group #4"));
    QVERIFY(!b.get<QCheckBox>("chkF1CON1")->isChecked());
    for (const char* cell : {"edtF1Mark0", "edtF1T10", "edtF1T20", "cboF1AlTT0", "chkF1PArt0", "chkF1SWD0", "chkF1P10"})
        QVERIFY2(b.get(cell)->isEnabled(), cell);
    for (const char* cell : {"chkF1P20", "lblF1P2", "cboF1APat0", "cboF1AT0", "edtF1ATM0", "edtF1Mark1", "edtF1T11",
                             "chkF1VCh1", "chkF1P11"})
        QVERIFY2(!b.get(cell)->isEnabled(), cell);
    // Flags byte 0x63: in use, vibrating in the charger, no priority alert, STD.
    QVERIFY(b.get<QCheckBox>("chkF1VCh0")->isChecked());
    QVERIFY(!b.get<QCheckBox>("chkF1PArt0")->isChecked());
    QCOMPARE(b.get<QComboBox>("cboF1AT0")->currentText(), QString("STD"));
    QVERIFY(b.get("edtF1ATM0")->isHidden());
    QVERIFY(b.get("lblF1AS0")->isHidden());
    QCOMPARE(b.get<QComboBox>("cboF1AlTT0")->currentText(), QString("Standard"));
    QCOMPARE(b.field("edtF1Mark0")->text(), QString(" Addr_1 F1"));
    QCOMPARE(b.field("edtF1T10")->text(), QString("1285.8"));
    QCOMPARE(b.field("edtF1T20")->text(), QString("879.0"));
    // Loading re-validates every tone, which shows each field's decoder word.
    QCOMPARE(b.field("edtF1T10")->toolTip(), QString("(0x580, 0x581) = 0xca, 0x88"));
    // Group addresses call with one tone.
    QCOMPARE(b.field("edtF1T18")->text(), QString("1285.8"));
    QVERIFY(!b.w.findChild<QWidget*>("edtF1T28"));
    QVERIFY(b.w.arrays().at("edtF1T2", 7) && !b.w.arrays().at("edtF1T2", 8));
    QCOMPARE(b.w.arrays().at("edtF2T1", 11), b.get("edtF2T111"));
}

void AddressRowsTest::everyCellIsInItsControlFamily() {
    // Other pages reach the address cells as (family, record), so every family
    // must be complete and hold the control of that record.
    ChannelBench b;
    const std::pair<const char*, const char*> families[] = {
        {"chk", "CON"}, {"edt", "Mark"}, {"edt", "T1"},  {"chk", "P1"},  {"chk", "P2"},   {"chk", "P3"},
        {"chk", "P4"},  {"cbo", "AlTT"}, {"cbo", "APat"}, {"cbo", "AT"},  {"edt", "ATM"},  {"lbl", "AS"},
        {"chk", "PArt"}, {"chk", "VCh"}, {"chk", "SWA"}, {"chk", "SWB"}, {"chk", "SWC"},  {"chk", "SWD"},
    };
    for (const char* channel : {"F1", "F2"})
        for (const auto& [kind, family] : families) {
            const QString prefix = QString("%1%2%3").arg(kind, channel, family);
            const auto& members = b.w.arrays().family(prefix.toStdString());
            QCOMPARE(int(members.size()), 12);
            for (int k = 0; k < 12; ++k) QCOMPARE(members[std::size_t(k)], b.get(prefix + QString::number(k)));
        }
    for (const char* prefix : {"edtF1T2", "edtF2T2"}) QCOMPARE(int(b.w.arrays().family(prefix).size()), 8);
}

void AddressRowsTest::callNoDisablesTheRowAndKeepsItsValues() {
    ChannelBench b(Page::ChF2);
    const auto record = b.bytes(kF2, 16);
    b.click("chkF2CON0");
    QCOMPARE(b.w.image().byte(kF2 + 6), record[6] & ~1);
    for (const char* cell : {"edtF2Mark0", "edtF2T10", "edtF2T20", "chkF2P10", "cboF2AlTT0", "chkF2PArt0", "chkF2VCh0",
                             "chkF2SWA0"})
        QVERIFY2(!b.get(cell)->isEnabled(), cell);
    b.click("chkF2CON0");
    QCOMPARE(b.bytes(kF2, 16), record);
    for (const char* cell : {"edtF2Mark0", "edtF2T10", "chkF2P10", "chkF2VCh0", "chkF2SWA0"})
        QVERIFY2(b.get(cell)->isEnabled(), cell);
    QCOMPARE(b.field("edtF2T10")->text(), QString("1285.8"));
}

void AddressRowsTest::boxColumnsWriteOnlyTheirBit() {
    const struct {
        const char* box;
        int offset;
        int bit;
        int afterClick;  // the bit after one click on the box as the built-in code-plug shows it
    } cases[] = {
        {"chkF1VCh0", kF1 + 6, 3, 1},   // ticked while the bit is 0
        {"chkF1PArt0", kF1 + 6, 7, 1},  {"chkF1P10", kF1 + 7, 0, 0},   {"chkF1SWA0", kF1 + 8, 0, 0},
        {"chkF1SWD0", kF1 + 8, 3, 0},   {"chkF2SWC0", kF2 + 8, 2, 0},  {"chkF2PArt0", kF2 + 6, 7, 1},
    };
    for (const auto& c : cases) {
        ChannelBench b(c.offset >= kF2 ? Page::ChF2 : Page::ChF1);
        const int before = b.w.image().byte(c.offset);
        b.click(c.box);
        QCOMPARE(b.w.image().byte(c.offset), (before & ~(1 << c.bit)) | (c.afterClick << c.bit));
        QCOMPARE((before >> c.bit) & 1, 1 - c.afterClick);
    }
}

void AddressRowsTest::profileColumnsFollowTheProfileOnBytes() {
    ChannelBench b;
    const auto record = b.bytes(kF1, 16);
    CodePlugImage& image = b.w.image();
    image.setByte(1536 + 2 * 64 + 12, 1);  // profile 3 switched on
    b.w.hooks().profileOnChanged();
    QVERIFY(b.get("chkF1P30")->isEnabled());
    QVERIFY(b.get("lblF1P3")->isEnabled());
    QVERIFY(!b.get("chkF1P31")->isEnabled());  // "#2" is not in use
    QVERIFY(b.get("chkF2P30")->isEnabled());

    image.setByte(1536 + 12, 0);  // profile 1 off
    image.SetBits(1, 2, 0, 1);     // One Channel: F2 is not used
    b.w.hooks().profileOnChanged();
    QVERIFY(!b.get("chkF1P10")->isEnabled());
    QVERIFY(!b.get("lblF1P1")->isEnabled());
    QVERIFY(b.get("chkF1P30")->isEnabled());
    QVERIFY(!b.get("chkF2P30")->isEnabled());
    QVERIFY(!b.get("lblF2P3")->isEnabled());
    // Membership bits stay as they were.
    QCOMPARE(b.bytes(kF1, 16), record);
    QVERIFY(b.get<QCheckBox>("chkF1P10")->isChecked());
}

void AddressRowsTest::userPatternIsRemembered() {
    ChannelBench b;
    // Right after start a row that never showed a pattern brings back "1".
    b.choose("cboF1AlTT0", 2);
    QVERIFY(b.get("cboF1APat0")->isEnabled());
    QCOMPARE(b.get<QComboBox>("cboF1APat0")->currentText(), QString("1"));
    QCOMPARE(b.w.image().byte(kF1 + 14), 0);

    b.choose("cboF1APat0", 4);
    QCOMPARE(b.w.image().byte(kF1 + 14), 4);
    b.choose("cboF1AlTT0", 0);
    QVERIFY(!b.get("cboF1APat0")->isEnabled());
    QCOMPARE(b.w.image().byte(kF1 + 14), 16);
    b.choose("cboF1AlTT0", 1);
    QCOMPARE(b.w.image().byte(kF1 + 14), 17);
    b.choose("cboF1AlTT0", 2);
    QCOMPARE(b.get<QComboBox>("cboF1APat0")->currentText(), QString("5"));
    QCOMPARE(b.w.image().byte(kF1 + 14), 4);

    // A shown image brings its own patterns, also for the rows' memory.
    b.w.image().setByte(kF1 + 14, 6);
    b.w.RefreshAll();
    QCOMPARE(b.get<QComboBox>("cboF1AlTT0")->currentText(), QString("User define"));
    QCOMPARE(b.get<QComboBox>("cboF1APat0")->currentText(), QString("7"));
    b.choose("cboF1AlTT0", 0);
    b.choose("cboF1AlTT0", 2);
    QCOMPARE(b.w.image().byte(kF1 + 14), 6);
}

void AddressRowsTest::alertSeconds() {
    ChannelBench b;
    b.w.image().setByte(45, 1);  // "Enable Fixed Alert Time"
    b.w.hooks().addressRowsChanged();
    QVERIFY(b.get("cboF1AT0")->isEnabled());
    QVERIFY(!b.get("cboF1AT1")->isEnabled());
    b.choose("cboF1AT0", 1);
    QCOMPARE(b.w.image().byte(kF1 + 6) & 0x10, 0x10);
    QVERIFY(!b.get("edtF1ATM0")->isHidden());
    QVERIFY(!b.get("lblF1AS0")->isHidden());
    const int stored = b.w.image().byte(kF1 + 15);
    QCOMPARE(b.field("edtF1ATM0")->text(), QString::number(stored));

    // Entering clears the field; a letter is refused with the field's own message.
    b.enter("edtF1ATM0");
    QVERIFY(b.field("edtF1ATM0")->text().isEmpty());
    QTest::keyClicks(b.field("edtF1ATM0"), "1x");
    QCOMPARE(b.field("edtF1ATM0")->text(), QString("1"));
    QCOMPARE(b.f.messages.last(), std::string("Please insert a numeric !"));
    QCOMPARE(b.f.messages.shown.back().caption, std::string("KM640"));
    b.f.messages.clear();

    for (const char* refused : {"0", "128"}) {
        b.field("edtF1ATM0")->setText(refused);
        b.w.commitEditing();
        QCOMPARE(b.f.messages.last(), std::string("Please insert a number between 1 and 127 !"));
        QCOMPARE(b.f.messages.shown.back().caption, std::string("KM640"));
        QVERIFY2(b.field("edtF1ATM0")->hasFocus(), refused);
        QCOMPARE(b.field("edtF1ATM0")->text(), QString(refused));
        QCOMPARE(int(b.w.image().byte(kF1 + 15)), stored);
    }
    QCOMPARE(b.f.messages.shown.size(), size_t(2));

    b.field("edtF1ATM0")->setText("127");
    QTest::keyClick(b.field("edtF1ATM0"), Qt::Key_Return);
    QVERIFY(b.w.edtNull()->hasFocus());
    QCOMPARE(b.w.image().byte(kF1 + 15), 0x7F);

    // Leaving blank shows the stored seconds again.
    b.enter("edtF1ATM0");
    b.w.commitEditing();
    QCOMPARE(b.field("edtF1ATM0")->text(), QString("127"));
    QCOMPARE(b.f.messages.shown.size(), size_t(2));

    b.choose("cboF1AT0", 0);
    QCOMPARE(b.w.image().byte(kF1 + 6) & 0x10, 0);
    QVERIFY(b.get("edtF1ATM0")->isHidden());
}

void AddressRowsTest::markIsStoredTwelveWide() {
    ChannelBench b(Page::ChF2);
    // The first click selects the whole name, so typing replaces it.
    b.click("chkF2CON3");
    QTest::mouseClick(b.field("edtF2Mark3"), Qt::LeftButton);
    QCOMPARE(b.field("edtF2Mark3")->selectedText(), QString(" Addr_4 F2"));
    QTest::keyClicks(b.field("edtF2Mark3"), " AB");
    QTest::keyClick(b.field("edtF2Mark3"), Qt::Key_Return);
    QCOMPARE(b.w.image().text(960 + 3 * 12, 12), std::string(" AB         "));
    QCOMPARE(b.field("edtF2Mark3")->text(), QString(" AB"));

    b.field("edtF2Mark3")->setFocus(Qt::MouseFocusReason);
    b.field("edtF2Mark3")->setText("   ");
    b.w.commitEditing();
    QCOMPARE(b.w.image().text(960 + 3 * 12, 12), std::string(12, ' '));
    QCOMPARE(b.field("edtF2Mark3")->text(), QString(""));
}

QTEST_MAIN(AddressRowsTest)
#include "AddressRowsTest.moc"
