// Editing the system settings block in the main window through its real
// controls: the number fields of "Status Setting", "Advance" and "System"
// with their refusals, the lists with the battery order rule, "Enable Fixed
// Alert Time", the two menus with the password, and the message read status
// with its help window.

#include <QCheckBox>
#include <QTimer>
#include <QtTest>

#include "app/TextWindow.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/app/pages/SettingsWindow.h"

using namespace km640;
using namespace km640::testing;

namespace {

bool checked(TfmMain& w, const char* name) { return control<QAbstractButton>(w, name)->isChecked(); }
bool enabled(TfmMain& w, const char* name) { return control(w, name)->isEnabled(); }

}  // namespace

class SystemBlockEditingWindowTest : public QObject {
    Q_OBJECT
private slots:
    void numberCommits_data();
    void numberCommits();
    void decoderTimingGoesToTheActiveSet_data();
    void decoderTimingGoesToTheActiveSet();
    void listPicks();
    void batteryOrderRule();
    void fixedAlertTime();
    void powerOnMenuItemsAndCount();
    void passwordChain();
    void idleMenuItems();
    void helpOnTheReadStatus();
};

void SystemBlockEditingWindowTest::numberCommits_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("stored");   // -1: refused, the byte keeps its value
    QTest::addColumn<QString>("shows");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("plain");   // a plain box, or a warning box "KM640"
    QTest::addColumn<bool>("focusStays");
    const QString between5 = "Please insert a number between 5 and 255 !";
    const QString rep255 = "Please insert a number between 5 to 255 or 0!";
    const QString light = "Please insert a number between 1 to 127 or 255 !";
    const QString read = "Please insert a number between 0 to 120 or 255";
    QTest::newRow("repetition 0") << "edtRpTM" << "0" << 36 << 0 << "0" << "" << true << false;
    QTest::newRow("repetition 4") << "edtRpTM" << "4" << 36 << -1 << "4" << between5 << true << false;
    QTest::newRow("repetition 5") << "edtRpTM" << "5" << 36 << 5 << "5" << "" << true << false;
    QTest::newRow("repetition 007") << "edtRpTM" << "007" << 36 << 7 << "7" << "" << true << false;
    QTest::newRow("repetition 256") << "edtRpTM" << "256" << 36 << -1 << "256" << rep255 << true << false;
    QTest::newRow("backlight 0") << "edtBLightOff" << "0" << 176 << -1 << "0" << light << true << true;
    QTest::newRow("backlight 127") << "edtBLightOff" << "127" << 176 << 254 << "127" << "" << true << false;
    QTest::newRow("backlight 128") << "edtBLightOff" << "128" << 176 << -1 << "128" << light << true << true;
    QTest::newRow("backlight 255") << "edtBLightOff" << "255" << 176 << 255 << "255" << "" << true << false;
    QTest::newRow("carrier off 25") << "edtCOD" << "25" << 39 << 25 << "25" << "" << true << false;
    QTest::newRow("carrier off 256") << "edtCOD" << "256" << 39 << -1 << "256"
                                     << "Please insert a number between 0 and 255 !" << true << false;
    QTest::newRow("carrier off 1x") << "edtCOD" << "1x" << 39 << -1 << "1x" << "'1x' is not a valid integer value"
                                    << true << false;
    QTest::newRow("read status 60") << "edtMsgRS" << "60" << 19 << 120 << "60" << "" << false << false;
    QTest::newRow("read status 1") << "edtMsgRS" << "1" << 19 << 1 << "1" << "" << false << false;
    QTest::newRow("read status 0") << "edtMsgRS" << "0" << 19 << 0 << "0" << "" << false << false;
    QTest::newRow("read status 121") << "edtMsgRS" << "121" << 19 << -1 << "121" << read << false << true;
    QTest::newRow("read status 255") << "edtMsgRS" << "255" << 19 << 255 << "255" << "" << false << false;
    QTest::newRow("F1 scan 0") << "edtF1ST" << "0" << 52 << -1 << "0" << "Please insert a number between 1 to 255"
                               << false << true;
    QTest::newRow("F1 scan 255") << "edtF1ST" << "255" << 52 << 255 << "255" << "" << false << false;
    QTest::newRow("F2 scan 33") << "edtF2ST" << "33" << 53 << 33 << "33" << "" << false << false;
    QTest::newRow("power save 0") << "edtPowST" << "0" << 54 << -1 << "0"
                                  << "Please insert a number between 1 to 255." << false << true;
    QTest::newRow("power save 77") << "edtPowST" << "77" << 54 << 77 << "77" << "" << false << false;
    QTest::newRow("gap 256") << "edtGapTM" << "256" << 140 << -1 << "256"
                             << "Please insert a number between 0 to 255." << false << true;
    QTest::newRow("gap 0") << "edtGapTM" << "0" << 140 << 0 << "0" << "" << false << false;
}

void SystemBlockEditingWindowTest::numberCommits() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(int, offset);
    QFETCH(int, stored);
    QFETCH(QString, shows);
    QFETCH(QString, message);
    QFETCH(bool, plain);
    QFETCH(bool, focusStays);
    MainWindowFixture f;
    TfmMain& w = startActive(f);
    const CodePlugImage before = w.image();
    EditField* e = enter(w, qPrintable(field), qPrintable(typed));
    QCOMPARE(e->text(), shows);
    CodePlugImage expected = before;
    if (stored >= 0) expected.setByte(offset, static_cast<std::uint8_t>(stored));
    QCOMPARE(w.image().byte(offset), expected.byte(offset));
    QVERIFY(w.image() == expected);
    QCOMPARE(QString::fromStdString(f.messages.last()), message);
    if (!message.isEmpty()) {
        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        const ShownMessage& m = f.messages.shown[0];
        if (message.startsWith("'")) {
            QVERIFY(m.icon == MsgIcon::Error);  // the standard box of a failed conversion
        } else if (plain) {
            QCOMPARE(m.caption, w.appTitle());
            QVERIFY(m.icon == MsgIcon::None);
        } else {
            QCOMPARE(m.caption, std::string("KM640"));
            QVERIFY(m.icon == MsgIcon::Exclamation);
        }
        QCOMPARE(e->hasFocus(), focusStays);
        if (!focusStays) QVERIFY(w.edtNull()->hasFocus());
    }
}

void SystemBlockEditingWindowTest::decoderTimingGoesToTheActiveSet_data() {
    QTest::addColumn<int>("toneSystem");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<int>>("offsets");  // empty: refused
    QTest::addColumn<QString>("message");
    const QString least5 = "Please insert a number between 5 to 255.";
    QTest::newRow("Standard decoding 4") << 0 << "edtT2Max" << "4" << QList<int>{} << least5;
    QTest::newRow("Standard decoding 5") << 0 << "edtT2Max" << "5" << QList<int>{134} << "";
    QTest::newRow("User decoding 4") << 1 << "edtT2Max" << "4" << QList<int>{} << least5;
    QTest::newRow("Plectron decoding 0") << 2 << "edtT2Max" << "0" << QList<int>{118} << "";
    QTest::newRow("Plectron decoding 256") << 2 << "edtT2Max" << "256" << QList<int>{}
                                           << "Please insert a number between 0 to 255.";
    QTest::newRow("Standard group call 100") << 0 << "edtGroupMin" << "100" << QList<int>{136, 138} << "";
    QTest::newRow("Plectron group call 100") << 2 << "edtGroupMin" << "100" << QList<int>{120, 122} << "";
    QTest::newRow("group call 251") << 0 << "edtGroupMin" << "251" << QList<int>{}
                                    << "Please insert a number between 0 to 250.";
    QTest::newRow("Standard tone 1") << 0 << "edtT1Min" << "100" << QList<int>{128} << "";
    QTest::newRow("Plectron tone 2") << 2 << "edtT2Min" << "100" << QList<int>{116} << "";
    QTest::newRow("tone 1 256") << 0 << "edtT1Min" << "256" << QList<int>{}
                                << "Please insert a number between 0 to 255.";
    QTest::newRow("Plectron gap stays standard") << 2 << "edtGapTM" << "100" << QList<int>{140} << "";
}

void SystemBlockEditingWindowTest::decoderTimingGoesToTheActiveSet() {
    QFETCH(int, toneSystem);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QList<int>, offsets);
    QFETCH(QString, message);
    MainWindowFixture f;
    TfmMain& w = startActive(f);
    load(w, [&](CodePlugImage& i) { i.setByte(5, static_cast<std::uint8_t>(toneSystem)); });
    CodePlugImage expected = w.image();
    for (int offset : offsets) expected.setByte(offset, static_cast<std::uint8_t>(typed.toInt()));
    EditField* e = enter(w, qPrintable(field), qPrintable(typed));
    QVERIFY(w.image() == expected);
    QCOMPARE(QString::fromStdString(f.messages.last()), message);
    QCOMPARE(e->hasFocus(), !message.isEmpty());
}

void SystemBlockEditingWindowTest::listPicks() {
    MainWindowFixture f;
    TfmMain& w = startActive(f);
    std::vector<int> bandwidths;
    w.hooks().decodeBandwidthClick = [&](int entry) { bandwidths.push_back(entry); };
    struct Case { const char* list; const char* entry; std::vector<std::pair<int, int>> bytes; };
    const Case cases[] = {
        {"cboRecordMax", "16 sections (Max. 30 s)", {{83, 3}, {84, 30}}},
        {"cboRecordMax", "4 section (Max. 120 s)", {{83, 0}, {84, 120}}},
        {"cboClockDisp", "24H", {{169, 0xFD}}},  // the other bits of the byte stay
        {"cboCircle", "2 Second", {{55, 20}}},
        {"cboCircle", "0.5 Second", {{55, 5}}},
        {"cboPeriodBat", "30 min", {{248, 60}}},
        {"cboPeriodBat", "Disable", {{248, 0}}},
        {"cboAUXDB", "3", {{86, 2}, {87, 2}}},
        // The decoder bandwidth is stored by the channel pages, which also
        // re-validate every tone against it.
        {"cboDBW", "1.1", {}},
    };
    for (const auto& c : cases) {
        CodePlugImage expected = w.image();
        for (auto [offset, value] : c.bytes) expected.setByte(offset, static_cast<std::uint8_t>(value));
        pick(w, c.list, c.entry);
        for (auto [offset, value] : c.bytes)
            QVERIFY2(w.image().byte(offset) == value, qPrintable(QString("%1 byte %2").arg(c.list).arg(offset)));
        QVERIFY2(w.image() == expected, c.list);
    }
    QCOMPARE(shown(control(w, "edtRecTM")), QString("120"));  // the hidden field follows its byte
    QCOMPARE(bandwidths, std::vector<int>{5});
    QVERIFY(f.messages.shown.empty());
}

void SystemBlockEditingWindowTest::batteryOrderRule() {
    MainWindowFixture f;
    TfmMain& w = startActive(f);
    // Defaults: high 3.90 V, medium 3.75 V, low 3.50 V.
    pick(w, "cboBatHigh", "4.00V");
    QCOMPARE(w.image().byte(242), 170);
    pick(w, "cboBatLow", "3.70V");
    QCOMPARE(w.image().byte(240), 157);
    QVERIFY(f.messages.shown.empty());

    const CodePlugImage before = w.image();
    pick(w, "cboBatMed", "3.60V");
    QCOMPARE(f.messages.last(), std::string("You must let Level-High > Level-Med > Level-Low !"));
    QCOMPARE(f.messages.shown.back().caption, std::string("KM640"));
    QCOMPARE(shown(control(w, "cboBatMed")), QString("3.75V"));
    QVERIFY(control(w, "cboBatMed")->hasFocus());
    QVERIFY(w.image() == before);

    f.messages.clear();
    pick(w, "cboBatHigh", "3.70V");  // equal to the low level
    QCOMPARE(f.messages.shown.size(), std::size_t(1));
    QCOMPARE(shown(control(w, "cboBatHigh")), QString("4.00V"));
    pick(w, "cboBatLow", "3.50V");
    pick(w, "cboBatMed", "3.60V");
    QCOMPARE(w.image().byte(241), 153);
    QCOMPARE(f.messages.shown.size(), std::size_t(1));
}

void SystemBlockEditingWindowTest::fixedAlertTime() {
    MainWindowFixture f;
    TfmMain& w = startActive(f);
    // Every address alerts for a fixed time, with the other flag bits set too.
    load(w, [](CodePlugImage& i) {
        i.setByte(45, 0);
        for (int channel : {256, 512})
            for (int a = 0; a < 12; ++a) i.setByte(channel + 16 * a + 6, 0xFF);
    });
    const CodePlugImage loaded = w.image();
    int rowsShown = 0;
    w.hooks().addressRowsChanged = [&] { ++rowsShown; };

    f.messages.answers = {MsgAnswer::Cancel};
    click(w, "chkEATM");
    QCOMPARE(f.messages.shown.size(), std::size_t(1));
    const ShownMessage& m = f.messages.shown[0];
    QCOMPARE(m.text, std::string("Attention : Because it does not record messages during alert, part of the incoming "
                                 "message might be lost while KM640 is alerting."));
    QCOMPARE(m.caption, std::string("KM640"));
    QVERIFY(m.icon == MsgIcon::None);
    QVERIFY(m.buttons == MsgButtons::OkCancel);
    QVERIFY(!checked(w, "chkEATM"));
    QVERIFY(w.image() == loaded);
    QCOMPARE(rowsShown, 0);

    click(w, "chkEATM");  // OK this time
    QVERIFY(checked(w, "chkEATM"));
    QCOMPARE(w.image().byte(45), 1);
    QCOMPARE(rowsShown, 1);

    f.messages.clear();
    click(w, "chkEATM");
    QVERIFY(f.messages.shown.empty());
    QCOMPARE(w.image().byte(45), 0);
    CodePlugImage expected = loaded;
    for (int channel : {256, 512})
        for (int a = 0; a < 12; ++a) expected.setByte(channel + 16 * a + 6, 0xEF);
    QVERIFY(w.image() == expected);
    QCOMPARE(rowsShown, 2);
}

void SystemBlockEditingWindowTest::powerOnMenuItemsAndCount() {
    MainWindowFixture f;
    TfmMain& w = startActive(f);
    load(w, [](CodePlugImage& i) { i.setByte(22, 0); });
    click(w, "chk1POM1");
    click(w, "chk1POM6");
    QCOMPARE(w.image().byte(22), 0x42);
    QCOMPARE(w.image().byte(21), 7);
    click(w, "chk1POM6");
    QCOMPARE(w.image().byte(22), 0x02);
    QCOMPARE(w.image().byte(21), 2);

    // The "(2T)" items have no place in the pager's memory.
    const CodePlugImage before = w.image();
    for (const char* box : {"chk1POM8", "chk1POM9", "chk1IdelM8", "chk1IdelM9"}) {
        click(w, box);
        QVERIFY2(checked(w, box), box);
    }
    QVERIFY(w.image() == before);
}

void SystemBlockEditingWindowTest::passwordChain() {
    MainWindowFixture f;
    TfmMain& w = startActive(f);
    load(w, [](CodePlugImage& i) { i.setByte(22, 0); });
    QVERIFY(!enabled(w, "chk1POM5"));

    click(w, "chk1POM0");
    QCOMPARE(w.image().byte(22), 0x01);
    QCOMPARE(w.image().byte(21), 1);
    QVERIFY(enabled(w, "chk1POM5"));
    QVERIFY(!checked(w, "chk1POM5"));
    QVERIFY(!enabled(w, "edtPOMPwd"));

    click(w, "chk1POM5");
    QCOMPARE(w.image().byte(22), 0x21);
    QCOMPARE(w.image().byte(21), 6);
    QVERIFY(enabled(w, "edtPOMPwd"));

    EditField* pwd = enter(w, "edtPOMPwd", "42");
    QCOMPARE(pwd->text(), QString("42"));
    const std::uint8_t two[] = {'4', '2', 0, 0};
    for (int k = 0; k < 4; ++k) QCOMPARE(w.image().byte(24 + k), two[k]);
    // Left blank, the stored password is shown again.
    enter(w, "edtPOMPwd", "");
    QCOMPARE(pwd->text(), QString("42"));
    QCOMPARE(w.image().byte(25), '2');

    click(w, "chk1POM0");
    QVERIFY(!checked(w, "chk1POM5"));
    QVERIFY(!enabled(w, "chk1POM5"));
    QVERIFY(!enabled(w, "edtPOMPwd"));
    QCOMPARE(w.image().byte(22), 0x00);
    QCOMPARE(w.image().byte(21), 0);
    QVERIFY(f.messages.shown.empty());
}

void SystemBlockEditingWindowTest::idleMenuItems() {
    MainWindowFixture f;
    TfmMain& w = startActive(f);
    // Two profiles on, so "Sel Profile" can be used; every item on.
    load(w, [](CodePlugImage& i) { i.setByte(29, 0xFF); i.setByte(1536 + 64 + 12, 1); });
    for (int k : {1, 2, 3, 4, 6, 7}) click(w, qPrintable(QString("chk1IdelM%1").arg(k)));
    QCOMPARE(w.image().byte(29), 0x21);  // the items never shown stay
    QCOMPARE(w.image().byte(28), 6);
    for (int k : {1, 2, 3, 4, 6, 7, 8, 9, 10, 11})
        QVERIFY2(!w.arrays().at("edtManuItm", k)->isEnabled(), qPrintable(QString::number(k)));
    for (int k : {0, 5, 12, 13, 14}) QVERIFY(w.arrays().at("edtManuItm", k)->isEnabled());

    load(w, [](CodePlugImage& i) { i.setByte(29, 0x0A); });
    for (int k : {1, 3}) click(w, qPrintable(QString("chk1IdelM%1").arg(k)));
    QCOMPARE(w.image().byte(29), 0x00);
    QCOMPARE(w.image().byte(28), 0);
    click(w, "chk1IdelM3");
    QCOMPARE(w.image().byte(29), 0x08);
    QCOMPARE(w.image().byte(28), 4);
    QVERIFY(w.arrays().at("edtManuItm", 8)->isEnabled());
    QVERIFY(!w.arrays().at("edtManuItm", 9)->isEnabled());
}

void SystemBlockEditingWindowTest::helpOnTheReadStatus() {
    MainWindowFixture f;
    TfmMain& w = startActive(f);
    auto* link = control<QLabel>(w, "TBXLabel54");
    QVERIFY(w.page(Page::Advance)->isAncestorOf(link));
    bool shownModally = false;
    // The window is modal: look at it and close it from inside its own loop.
    QTimer::singleShot(0, &w, [&] {
        TextWindow& help = w.frmDfRMsg();
        shownModally = help.isVisible() && QApplication::activeModalWidget() == &help;
        help.accept();
    });
    emit link->linkActivated("help");
    QVERIFY(shownModally);
    QVERIFY(w.frmDfRMsg().text().contains("[2~120] : The message will be shown as read when the message"));
}

QTEST_MAIN(SystemBlockEditingWindowTest)
#include "SystemBlockEditingWindowTest.moc"
