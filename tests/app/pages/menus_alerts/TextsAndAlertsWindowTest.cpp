// Alert tonality and patterns, menu prompts and the power-on logo in the main
// window, through their real controls: what a new user sees, what each commit
// stores, what is refused, and the alignment buttons.

#include <QtTest>

#include "tests/app/MainWindowFixture.h"
#include "tests/app/pages/SettingsWindow.h"

using namespace km640;
using namespace km640::testing;

namespace {

QString bytesAt(const TfmMain& w, int offset, int length) {
    QStringList hex;
    for (int k = 0; k < length; ++k) hex << QString("%1").arg(w.image().byte(offset + k), 2, 16, QChar('0')).toUpper();
    return hex.join(' ');
}

QString textAt(const TfmMain& w, int offset) { return QString::fromStdString(w.image().text(offset, 12)); }

}  // namespace

class TextsAndAlertsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void newUserSeesTheDefaultCodePlug();
    void tonalityCommits_data();
    void tonalityCommits();
    void patternCommits_data();
    void patternCommits();
    void pastedStrangersInPatterns();
    void loadedPatternsAndTonality();
    void promptCommits_data();
    void promptCommits();
    void shortPromptsCountToTwelve();
    void alignmentButtons();
    void alignmentBeforeAnyPromptActsOnPromptZero();
    void logoLines();
};

void TextsAndAlertsWindowTest::newUserSeesTheDefaultCodePlug() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    verifyShown(w, {
        {"edtTonality0", Page::Manual, "200", true},
        {"edtTonality1", Page::Manual, "400", true},
        {"edtTonality2", Page::Manual, "900", true},
        {"edtTonality3", Page::Manual, "2300", true},
        {"edtAPat0", Page::Manual, "ABCDABCD", true},
        {"edtLEDPat0", Page::Manual, "00010001", true},
        {"edtVibrPat0", Page::Manual, "00001111", true},
        {"edtAPat1", Page::Manual, "A-A-----", true},
        {"edtLEDPat1", Page::Manual, "00110011", true},
        {"edtVibrPat1", Page::Manual, "00110011", true},
        {"edtManuItm1", Page::Manual, "CLR MESSAGE", true},
        {"edtManuItm3", Page::Manual, "  SET DATE", true},
        {"edtManuItm6", Page::Manual, "SET CONTRAST", false},  // idle item off
        {"edtManuItm7", Page::Manual, "SEL PROFILE", false},   // one profile on
        {"edtManuItm10", Page::Manual, "    YES", true},
        {"edtManuItm13", Page::Manual, "PAGE", true},
        {"edtManuItm14", Page::Manual, "PAGES", true},
        {"edtManuItm0", Page::Debug, "Keyin PW?", false},
        {"edtManuItm5", Page::Debug, "Set new PW", false},
        {"edtLogo0", Page::Setting, "   NORVEX", true},
        {"edtLogo1", Page::Setting, "   KM-640", false},  // the version is shown instead
    });
    if (QTest::currentTestFailed()) return;
    for (const char* family : {"edtTonality", "edtAPat", "edtLEDPat", "edtVibrPat", "edtManuItm", "edtLogo"})
        for (QWidget* c : w.arrays().family(family)) QVERIFY2(c, family);
    QCOMPARE(w.arrays().family("edtManuItm").size(), std::size_t(15));
    QCOMPARE(w.arrays().family("edtAPat").size(), std::size_t(8));
    // The count markers stand outside the prompt family.
    QVERIFY(control(w, "edtCountMark13") && control(w, "edtCountMark14"));
    QVERIFY(w.arrays().at("edtManuItm", 13)->objectName() == "edtManuItm13");
    QVERIFY(f.messages.shown.empty());
}

void TextsAndAlertsWindowTest::tonalityCommits_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shows");
    QTest::addColumn<int>("offset");  // of the divider; the frequency bytes are 8 further
    QTest::addColumn<QString>("divider");
    QTest::addColumn<QString>("frequency");
    QTest::addColumn<bool>("refused");
    QTest::newRow("150") << "edtTonality1" << "150" << "150" << 1794 << "05 D3" << "01 32" << false;
    QTest::newRow("6000") << "edtTonality1" << "6000" << "6000" << 1794 << "00 25" << "3C 00" << false;
    QTest::newRow("1700 as tone D") << "edtTonality3" << "1700" << "1700" << 1798 << "00 83" << "11 00" << false;
    QTest::newRow("0200 shown as 200") << "edtTonality0" << "0200" << "200" << 1792 << "04 5E" << "02 00" << false;
    QTest::newRow("149") << "edtTonality1" << "149" << "149" << 1794 << "02 2F" << "04 00" << true;
    QTest::newRow("6001") << "edtTonality1" << "6001" << "6001" << 1794 << "02 2F" << "04 00" << true;
    QTest::newRow("blank") << "edtTonality2" << "" << "900" << 1796 << "00 F8" << "09 00" << false;
}

void TextsAndAlertsWindowTest::tonalityCommits() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shows);
    QFETCH(int, offset);
    QFETCH(QString, divider);
    QFETCH(QString, frequency);
    QFETCH(bool, refused);
    MainWindowFixture f;
    TfmMain& w = startActive(f);
    EditField* e = enter(w, qPrintable(field), qPrintable(typed));
    QCOMPARE(e->text(), shows);
    QCOMPARE(bytesAt(w, offset, 2), divider);
    QCOMPARE(bytesAt(w, offset + 8, 2), frequency);
    if (refused) {
        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        QCOMPARE(f.messages.last(), std::string("Please insert a number between 150Hz and 6000Hz !"));
        QCOMPARE(f.messages.shown[0].caption, w.appTitle());
        QVERIFY(f.messages.shown[0].icon == MsgIcon::None);
        QVERIFY(e->hasFocus());
    } else {
        QVERIFY(f.messages.shown.empty());
        // The other tones keep their dividers: tone D's odd default too.
        if (field != "edtTonality3") QCOMPARE(bytesAt(w, 1798, 2), QString("00 83"));
    }
}

void TextsAndAlertsWindowTest::patternCommits_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shows");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("bytes");
    QTest::newRow("letters ab") << "edtAPat0" << "ab" << "AB------" << 1808 << "01 FF FF FF 11 0F";
    QTest::newRow("letters in pattern 8") << "edtAPat7" << "dcba-dc" << "DCBA-DC-" << 1864 << "32 10 F3 2F";
    QTest::newRow("letters blank") << "edtAPat1" << "" << "A-A-----" << 1816 << "0F 0F FF FF";
    QTest::newRow("LED 101") << "edtLEDPat0" << "101" << "10100000" << 1812 << "A0 0F";
    QTest::newRow("vibrator 11") << "edtVibrPat2" << "11" << "11000000" << 1829 << "C0";
    QTest::newRow("vibrator blank") << "edtVibrPat0" << "" << "00001111" << 1813 << "0F";
}

void TextsAndAlertsWindowTest::patternCommits() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shows);
    QFETCH(int, offset);
    QFETCH(QString, bytes);
    MainWindowFixture f;
    TfmMain& w = startActive(f);
    const CodePlugImage before = w.image();
    EditField* e = enter(w, qPrintable(field), qPrintable(typed));
    QCOMPARE(e->text(), shows);
    QCOMPARE(bytesAt(w, offset, static_cast<int>(bytes.split(' ').size())), bytes);
    if (typed.isEmpty()) QVERIFY(w.image() == before);
    QVERIFY(f.messages.shown.empty());
}

void TextsAndAlertsWindowTest::pastedStrangersInPatterns() {
    MainWindowFixture f;
    TfmMain& w = startActive(f);
    const CodePlugImage before = w.image();

    // A step that is neither 0 nor 1 cannot be stored.
    auto* led = control<EditField>(w, "edtLEDPat3");
    showPageOf(w, led);
    led->setFocus(Qt::MouseFocusReason);
    led->insert("1x1");
    w.commitEditing();
    QCOMPARE(f.messages.last(), std::string("'x' is not a valid integer value"));
    QVERIFY(f.messages.shown.back().icon == MsgIcon::Error);
    QCOMPARE(led->text(), QString("1x1"));
    QVERIFY(w.image() == before);

    // A letter that names no tone sounds tone A, and the field says so.
    auto* letters = control<EditField>(w, "edtAPat3");
    letters->setFocus(Qt::MouseFocusReason);
    letters->insert("axbcdabcdd");
    w.commitEditing();
    QCOMPARE(letters->text(), QString("AABCDABC"));
    QCOMPARE(bytesAt(w, 1832, 4), QString("00 12 30 12"));
}

void TextsAndAlertsWindowTest::loadedPatternsAndTonality() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    load(w, [](CodePlugImage& i) {
        const std::uint8_t tones[] = {0x01, 0x45, 0x01, 0x23};
        i.copyIn(1808, tones);
        i.setByte(1813, 0xA5);
        i.setByte(1802, 12);
        i.setByte(1803, 34);
    });
    QCOMPARE(shown(control(w, "edtAPat0")), QString("AB"));
    QCOMPARE(shown(control(w, "edtVibrPat0")), QString("10100101"));
    QCOMPARE(shown(control(w, "edtTonality1")), QString("1234"));
}

void TextsAndAlertsWindowTest::promptCommits_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shows");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("stored");
    QTest::newRow("full prompt") << "edtManuItm3" << "ABCDEFGHIJKLM" << "ABCDEFGHIJKL" << 1188 << "ABCDEFGHIJKL";
    QTest::newRow("leading blanks kept") << "edtManuItm11" << "  NEIN" << "  NEIN" << 1316 << "  NEIN      ";
    QTest::newRow("blank prompt") << "edtManuItm1" << "" << "" << 1164 << "            ";
    QTest::newRow("prompt 13 blank") << "edtManuItm13" << "" << "" << 1340 << "            ";
    QTest::newRow("prompt 13 takes seven") << "edtManuItm13" << "ABCDEFGH" << "ABCDEFG" << 1340 << "     ABCDEFG";
    QTest::newRow("prompt 14") << "edtManuItm14" << "MSGS" << "MSGS" << 1352 << "     MSGS   ";
}

void TextsAndAlertsWindowTest::promptCommits() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shows);
    QFETCH(int, offset);
    QFETCH(QString, stored);
    MainWindowFixture f;
    TfmMain& w = startActive(f);
    auto* e = control<EditField>(w, qPrintable(field));
    showPageOf(w, e);
    e->setFocus(Qt::MouseFocusReason);
    e->selectAll();
    if (typed.isEmpty()) QTest::keyClick(e, Qt::Key_Delete);
    type(e, qPrintable(typed));
    if (e->hasFocus()) w.commitEditing();
    QCOMPARE(e->text(), shows);
    QCOMPARE(textAt(w, offset), stored);
    // The other prompts, the 24 spare bytes between the two runs included, stay.
    const CodePlugImage& defaults = DefaultImage();
    for (int k = 1152; k < 1364; ++k)
        if (k < offset || k >= offset + 12) QVERIFY2(w.image().byte(k) == defaults.byte(k), qPrintable(QString::number(k)));
    QVERIFY(f.messages.shown.empty());
}

void TextsAndAlertsWindowTest::shortPromptsCountToTwelve() {
    MainWindowFixture f;
    TfmMain& w = startActive(f);
    const struct { const char* field; int offset; } cases[] = {{"edtManuItm13", 1340}, {"edtManuItm14", 1352}};
    for (const auto& c : cases) {
        auto* e = control<EditField>(w, c.field);
        showPageOf(w, e);
        e->setFocus(Qt::MouseFocusReason);
        e->selectAll();
        // At seven characters Backspace still deletes, and an eighth
        // character is simply not taken: the field stays in the edit.
        type(e, "  PAGES\bSX");
        QCOMPARE(e->text(), QString("  PAGES"));
        QVERIFY2(e->hasFocus(), c.field);
        w.commitEditing();
        QCOMPARE(textAt(w, c.offset), QString("       PAGES"));
    }
    QVERIFY(f.messages.shown.empty());
}

void TextsAndAlertsWindowTest::alignmentButtons() {
    MainWindowFixture f;
    TfmMain& w = startActive(f);
    struct Case { const char* field; const char* typed; const char* button; const char* shows; int offset; const char* stored; };
    const Case cases[] = {
        {"edtManuItm10", "YES", "btnSP_C", "    YES", 1304, "    YES     "},
        {"edtManuItm14", "PAGES", "btnSP_R", "  PAGES", 1352, "       PAGES"},
        {"edtManuItm12", "  NO PAGES", "btnSP_L", "NO PAGES", 1328, "NO PAGES    "},
        {"edtManuItm9", "CLEARING", "btnSP_R", "    CLEARING", 1292, "    CLEARING"},
    };
    for (const auto& c : cases) {
        EditField* e = enter(w, c.field, c.typed);
        click(w, c.button);
        QCOMPARE(e->text(), QString(c.shows));
        QCOMPARE(textAt(w, c.offset), QString(c.stored));
    }
    // Entering the marker in front of prompt 13 makes prompt 13 the one the
    // buttons act on; the marker itself takes no typing.
    auto* marker = control<EditField>(w, "edtCountMark13");
    marker->setFocus(Qt::MouseFocusReason);
    type(marker, "X");
    QCOMPARE(marker->text(), QString());
    w.commitEditing();
    click(w, "btnSP_C");
    QCOMPARE(shown(control(w, "edtManuItm13")), QString(" PAGE"));
    QCOMPARE(textAt(w, 1340), QString("      PAGE  "));
    QVERIFY(f.messages.shown.empty());
}

void TextsAndAlertsWindowTest::alignmentBeforeAnyPromptActsOnPromptZero() {
    MainWindowFixture f;
    TfmMain& w = startActive(f);
    click(w, "btnSP_R");
    QCOMPARE(textAt(w, 1152), QString("   Keyin PW?"));
    QCOMPARE(shown(control(w, "edtManuItm0")), QString("   Keyin PW?"));
}

void TextsAndAlertsWindowTest::logoLines() {
    MainWindowFixture f;
    TfmMain& w = startActive(f);
    EditField* line1 = enter(w, "edtLogo0", "ABCDEFGHIJKL");
    QCOMPARE(textAt(w, 1376), QString("ABCDEFGHIJKL"));
    QCOMPARE(line1->text(), QString("ABCDEFGHIJKL"));

    // "Show Version" off lets the second line be edited.
    click(w, "chkLogo2On");
    QCOMPARE(w.image().byte(1400), 0);
    auto* line2 = control<EditField>(w, "edtLogo1");
    QVERIFY(line2->isEnabled());
    line2->setFocus(Qt::MouseFocusReason);
    line2->selectAll();
    QTest::keyClick(line2, Qt::Key_Delete);
    w.commitEditing();
    QCOMPARE(textAt(w, 1388), QString("            "));
    enter(w, "edtLogo1", " KM 640 ");
    QCOMPARE(textAt(w, 1388), QString(" KM 640     "));
    QCOMPARE(line2->text(), QString(" KM 640"));
    click(w, "chkLogo2On");
    QCOMPARE(w.image().byte(1400), 1);
    QVERIFY(!line2->isEnabled());
    QVERIFY(f.messages.shown.empty());
}

QTEST_MAIN(TextsAndAlertsWindowTest)
#include "TextsAndAlertsWindowTest.moc"
