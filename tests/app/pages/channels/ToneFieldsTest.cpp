// The tone fields of the channel pages through their real controls: typing and
// committing tones in each tone system, the messages with their captions, the
// tone-system buttons with their timing sets and re-validation, and the end of a
// tone edit when the pointer leaves the rows.

#include "app/pages/channels/ChannelPages.h"
#include "app/pages/channels/ToneEditing.h"
#include "tests/app/pages/channels/ChannelPagesFixture.h"

using namespace km640;
using namespace km640::testing;

namespace {

const std::string kStandardRange = "Please insert a number between 288.5 to 2468.2";
const std::string kPlectronRange = "Please insert a number between 282.2 to 3487.0";
const std::string kUserRange = "Please insert a number between 280 to 3500.0";

ToneEditing& tones(TfmMain& w) { return w.findChild<ChannelPages*>("ChannelPages")->tones(); }

// Moves the pointer as the window system does.
void pointTo(QWidget* w, QPoint p) {
    QWindow* window = w->window()->windowHandle();
    QTest::mouseMove(window, window->mapFromGlobal(w->mapToGlobal(p)));
}

// The timing fields are the system block's; where that page is not built, fields
// of the same names stand in for them.
void ensureTimingFields(TfmMain& w) {
    for (const char* name : {"edtT1Min", "edtT1Max", "edtT2Min", "edtT2Max", "edtGroupMin"})
        if (!w.findChild<QLineEdit*>(name)) (new QLineEdit(w.page(Page::Advance)))->setObjectName(name);
}

QStringList timingTexts(const ChannelBench& b) {
    QStringList texts;
    for (const char* name : {"edtT1Min", "edtT1Max", "edtT2Min", "edtT2Max", "edtGroupMin"})
        texts << b.get<QLineEdit>(name)->text();
    return texts;
}

}  // namespace

class ToneFieldsTest : public QObject {
    Q_OBJECT
private slots:
    void typedToneIsFittedStoredAndHinted();
    void equalTonesOfAnAddressAreRefusedInEverySystem();
    void outOfRangeKeepsTheTextAndTheFocus();
    void userToStandardRefitsAndKeepsOutOfRangeTones();
    void toneSystemShowsItsTimingSet();
    void pointerOffTheRowsEndsTheToneEdit();
    void widerBandwidthRaisesOneMessagePerConflict();
};

void ToneFieldsTest::typedToneIsFittedStoredAndHinted() {
    ChannelBench b;
    b.enter("edtF1T10");
    QVERIFY(b.field("edtF1T10")->text().isEmpty());
    QVERIFY(!b.get("lblF1ToneTbl")->isHidden());
    QCOMPARE(b.get<QLabel>("lblF1ToneTbl")->text(), QString("[F9] Open Tone Table"));
    // The key rule: no leading point, one decimal, nothing else.
    QTest::keyClicks(b.field("edtF1T10"), ".1x00.57");
    QCOMPARE(b.field("edtF1T10")->text(), QString("100.5"));
    QTest::keyClicks(b.field("edtF1T10"), "\b\b\b\b\b1286");
    QTest::keyClick(b.field("edtF1T10"), Qt::Key_Return);
    QVERIFY(b.w.edtNull()->hasFocus());
    QCOMPARE(b.field("edtF1T10")->text(), QString("1285.8"));
    QCOMPARE(b.bytes(256, 3), (std::vector<int>{0x12, 0x85, 0x80}));
    QCOMPARE(b.bytes(1408, 2), (std::vector<int>{0xCA, 0x88}));
    QCOMPARE(b.field("edtF1T10")->toolTip(), QString("(0x580, 0x581) = 0xca, 0x88"));
    QVERIFY(b.f.messages.shown.empty());

    // Leaving without typing shows the stored tone again.
    b.enter("edtF1T20");
    QVERIFY(b.field("edtF1T20")->text().isEmpty());
    b.w.commitEditing();
    QCOMPARE(b.field("edtF1T20")->text(), QString("879.0"));
    QVERIFY(b.f.messages.shown.empty());
}

void ToneFieldsTest::equalTonesOfAnAddressAreRefusedInEverySystem() {
    const struct {
        const char* system;
        const char* field;
        const char* other;
        const char* caption;
    } cases[] = {
        {"radToneSystem0", "edtF1T10", "edtF1T20", "KM600Pro"}, {"radToneSystem1", "edtF1T20", "edtF1T10", "KM600Pro"},
        {"radToneSystem2", "edtF1T10", "edtF1T20", "KM600Pro"}, {"radToneSystem0", "edtF2T20", "edtF2T10", "KM640"},
        {"radToneSystem1", "edtF2T10", "edtF2T20", "KM640"},    {"radToneSystem2", "edtF2T20", "edtF2T10", "KM640"},
    };
    for (const auto& c : cases) {
        ChannelBench b(QString(c.field).startsWith("edtF1") ? Page::ChF1 : Page::ChF2);
        b.click(c.system);
        b.f.messages.clear();
        const CodePlugImage before = b.w.image();
        const QString shown = b.field(c.field)->text();
        b.typeInto(c.field, b.field(c.other)->text().toLatin1().constData());
        QCOMPARE(b.messageTexts(), std::vector<std::string>{kSpacingMessage});
        QCOMPARE(b.f.messages.shown[0].caption, std::string(c.caption));
        QVERIFY2(b.w.image() == before, c.field);
        QCOMPARE(b.field(c.field)->text(), shown);
    }
}

void ToneFieldsTest::outOfRangeKeepsTheTextAndTheFocus() {
    const struct {
        const char* system;
        const char* field;
        const char* typed;
        const std::string& message;
        const char* caption;
        const char* callNo;  // the address to put in use first, if it is not
    } cases[] = {
        {"radToneSystem0", "edtF1T10", "3000", kStandardRange, "KM600Pro", nullptr},
        {"radToneSystem0", "edtF2T10", "288.4", kStandardRange, "KM640", nullptr},
        {"radToneSystem1", "edtF1T20", "279.9", kUserRange, "KM600Pro", nullptr},
        {"radToneSystem1", "edtF2T111", "3500.1", kUserRange, "KM640", "chkF2CON11"},
        {"radToneSystem2", "edtF1T20", "282.1", kPlectronRange, "KM600", nullptr},
        {"radToneSystem2", "edtF1T18", "3487.1", kPlectronRange, "KM640", "chkF1CON8"},
    };
    for (const auto& c : cases) {
        ChannelBench b(QString(c.field).startsWith("edtF1") ? Page::ChF1 : Page::ChF2);
        if (c.callNo) b.click(c.callNo);
        b.click(c.system);
        b.f.messages.clear();
        const CodePlugImage before = b.w.image();
        b.typeInto(c.field, c.typed);
        QCOMPARE(b.messageTexts(), std::vector<std::string>{c.message});
        QCOMPARE(b.f.messages.shown[0].caption, std::string(c.caption));
        QVERIFY2(b.field(c.field)->hasFocus(), c.field);
        QCOMPARE(b.field(c.field)->text(), QString::number(QString(c.typed).toDouble(), 'f', 1));
        QVERIFY2(b.w.image() == before, c.field);
    }
}

void ToneFieldsTest::userToStandardRefitsAndKeepsOutOfRangeTones() {
    ChannelBench b;
    b.click("radToneSystem1");
    QCOMPARE(b.w.image().byte(5), 1);
    b.typeInto("edtF1T10", "1290");
    b.typeInto("edtF2T10", "3000");
    QCOMPARE(b.bytes(256, 3), (std::vector<int>{0x12, 0x90, 0x00}));
    QCOMPARE(b.bytes(512, 3), (std::vector<int>{0x30, 0x00, 0x00}));
    QVERIFY(b.f.messages.shown.empty());

    b.click("radToneSystem0");
    QCOMPARE(b.w.image().byte(5), 0);
    QCOMPARE(b.messageTexts(), std::vector<std::string>{kStandardRange});
    QCOMPARE(b.f.messages.shown[0].caption, std::string("KM640"));
    QCOMPARE(b.bytes(256, 3), (std::vector<int>{0x12, 0x85, 0x80}));
    QCOMPARE(b.bytes(1408, 2), (std::vector<int>{0xCA, 0x88}));
    QCOMPARE(b.field("edtF1T10")->text(), QString("1285.8"));
    QCOMPARE(b.bytes(512, 3), (std::vector<int>{0x30, 0x00, 0x00}));
    QCOMPARE(b.field("edtF2T10")->text(), QString("3000.0"));
}

void ToneFieldsTest::toneSystemShowsItsTimingSet() {
    ChannelBench b;
    ensureTimingFields(b.w);
    b.click("radToneSystem2");
    QCOMPARE(b.w.image().byte(5), 2);
    QCOMPARE(timingTexts(b), QStringList({"5", "5", "4", "4", "45"}));
    // Re-validated into the Plectron plan: 1285.8 -> 1287.0, 879.0 -> 871.0.
    QCOMPARE(b.field("edtF1T10")->text(), QString("1287.0"));
    QCOMPARE(b.field("edtF2T20")->text(), QString("871.0"));
    QVERIFY(b.f.messages.shown.empty());

    // The refresh runs the same action for the stored system.
    b.w.hooks().toneSystemClick(0);
    QVERIFY(b.get<QRadioButton>("radToneSystem0")->isChecked());
    QCOMPARE(timingTexts(b), QStringList({"8", "15", "5", "16", "125"}));
    QCOMPARE(b.w.image().byte(5), 0);

    // A click on the button already chosen re-validates nothing.
    b.w.image().copyIn(256, std::vector<std::uint8_t>{0x12, 0x90, 0x00});
    b.click("radToneSystem0");
    QCOMPARE(b.bytes(256, 3), (std::vector<int>{0x12, 0x90, 0x00}));
}

void ToneFieldsTest::pointerOffTheRowsEndsTheToneEdit() {
    ChannelBench b;
    QWidget* panel = b.get("Panel2");
    const QPoint background(10, panel->height() - 3);
    QVERIFY(!panel->childAt(background));

    b.enter("edtF1T20");
    QCOMPARE(tones(b.w).pendingToneField(), (ToneField{CallChannel::F1, ToneColumn::Tone2, 0}));
    QVERIFY(!b.get("lblF1ToneTbl")->isHidden());
    pointTo(panel, background);
    QVERIFY(b.w.edtNull()->hasFocus());
    QVERIFY(b.get("lblF1ToneTbl")->isHidden());
    // The edit ended before the commit, and the commit made its field the one
    // F9 serves.
    QCOMPARE(tones(b.w).pendingToneField(), (ToneField{CallChannel::F1, ToneColumn::Tone2, 0}));
    QTest::keyClick(&b.w, Qt::Key_F9);
    QVERIFY(b.w.fmToneTbl().isVisible());
    b.w.fmToneTbl().Leave();
    QVERIFY(!tones(b.w).pendingToneField());
    b.w.activateWindow();  // the picker had it
    QVERIFY(QTest::qWaitForWindowActive(&b.w));

    // The tone system turns to User while a tone is being edited: the spacing
    // conflict that the pointer's commit raises finds the label already hidden.
    b.click("chkF1CON1");
    b.enter("edtF1T11");
    QVERIFY(!b.get("lblF1ToneTbl")->isHidden());
    b.w.hooks().toneSystemClick(1);
    // The switch showed the stored tones again; the user types over it.
    QCOMPARE(b.field("edtF1T11")->text(), QString("1285.8"));
    for (int k = 0; k < 6; ++k) QTest::keyClick(b.field("edtF1T11"), Qt::Key_Backspace);
    QTest::keyClicks(b.field("edtF1T11"), "1286");
    pointTo(panel, background + QPoint(2, 0));
    QCOMPARE(b.messageTexts(), std::vector<std::string>{kSpacingMessage});
    QCOMPARE(tones(b.w).pendingConflict(), std::optional<int>(0));
    QVERIFY(b.get("lblF1ToneTbl")->isHidden());
    b.typeInto("edtF1T11", "1400");
    QVERIFY(!tones(b.w).pendingConflict());
    b.typeInto("edtF1T11", "1285.8");
    b.f.messages.clear();

    // User system: no tone table to offer; a spacing conflict holds the edit.
    b.click("radToneSystem1");
    b.enter("edtF1T11");
    QVERIFY(b.get("lblF1ToneTbl")->isHidden());
    QTest::keyClicks(b.field("edtF1T11"), "1286");
    pointTo(panel, background + QPoint(1, 0));
    QCOMPARE(b.messageTexts(), std::vector<std::string>{kSpacingMessage});
    QCOMPARE(tones(b.w).pendingConflict(), std::optional<int>(0));
    QCOMPARE(b.field("edtF1T11")->text(), QString("1285.8"));
    pointTo(panel, QPoint(12, panel->height() - 4));
    QCOMPARE(tones(b.w).pendingToneField(), (ToneField{CallChannel::F1, ToneColumn::Tone1, 1}));

    // A tone stored clears the conflict; the pointer ends the edit again.
    b.typeInto("edtF1T11", "1400");
    QVERIFY(!tones(b.w).pendingConflict());
    pointTo(panel, background);
    QVERIFY(!tones(b.w).pendingToneField());
}

void ToneFieldsTest::widerBandwidthRaisesOneMessagePerConflict() {
    ChannelBench b;
    b.click("radToneSystem1");
    b.click("chkF1CON1");
    b.w.hooks().decodeBandwidthClick(0);  // "0.1"
    b.typeInto("edtF1T11", "1300");
    QVERIFY(b.f.messages.shown.empty());
    CodePlugImage before = b.w.image();

    b.w.hooks().decodeBandwidthClick(15);  // "3.1"
    QCOMPARE(b.w.image().byte(228), 15);
    before.setByte(228, 15);
    QVERIFY(b.w.image() == before);
    std::string wide = kSpacingMessage;
    wide.replace(wide.find("0.7%"), 4, "3.1%");
    // Every F1 field holding 1285.8 Hz (the Tone 1 of "#1", "#3".."#8" and the four
    // group tones, whether in use or not) is now too close to "#2"'s 1300.0 Hz, and
    // "#2" to "#1"; the Tone 2 fields all hold 879.0 Hz, and equal tones do not conflict.
    QCOMPARE(b.messageTexts(), std::vector<std::string>(12, wide));
    QCOMPARE(b.field("edtF1T11")->text(), QString("1300.0"));
}

QTEST_MAIN(ToneFieldsTest)
#include "ToneFieldsTest.moc"
