// The tone-table pickers driven as a user drives them: opened by a double-click
// on a tone field or by F9, a cell picked with the grid, "Enter", "Exit", Esc or
// the close box, and the pick committed into the tone field.

#include <QGroupBox>
#include <QPushButton>
#include <QTableWidget>

#include "app/pages/channels/ChannelPages.h"
#include "app/pages/channels/ToneEditing.h"
#include "tests/app/pages/channels/ChannelPagesFixture.h"

using namespace km640;
using namespace km640::testing;

namespace {

// The grid cell whose column header and row label are these.
QPoint cellOf(QTableWidget* grid, const QString& header, const QString& rowLabel) {
    int column = -1, row = -1;
    for (int c = 1; c < grid->columnCount(); ++c)
        if (grid->item(0, c)->text() == header) column = c;
    for (int r = 1; r < grid->rowCount(); ++r)
        if (grid->item(r, 0)->text() == rowLabel) row = r;
    return {column, row};
}

void doubleClick(QWidget* w) { QTest::mouseDClick(w, Qt::LeftButton); }

QTableWidget* grid(TonePickerDialog& dialog) { return dialog.grid(); }

}  // namespace

class TonePickersTest : public QObject {
    Q_OBJECT
private slots:
    void gridsHoldThePlans();
    void pickMot6Row5IntoTone2OfAddress3();
    void pickEqualToTheOtherToneIsRefused();
    void leavingShowsTheStoredToneAgain();
    void whatOpensWhere();
    void cellsWithoutToneAreNeverSelected();
};

void TonePickersTest::gridsHoldThePlans() {
    ChannelBench b;
    TfmToneTbl& tones = b.w.fmToneTbl();
    QCOMPARE(tones.windowTitle(), QString("Tone Table"));
    QCOMPARE(grid(tones)->columnCount(), 15);
    QCOMPARE(grid(tones)->rowCount(), 11);
    QCOMPARE(grid(tones)->item(0, 1)->text(), QString("Mot 1"));
    QCOMPARE(grid(tones)->item(0, 14)->text(), QString("GE C' "));
    QCOMPARE(grid(tones)->item(10, 0)->text(), QString("9"));
    QCOMPARE(grid(tones)->item(2, 3)->text(), QString("288.5"));
    QCOMPARE(grid(tones)->item(10, 11)->text(), QString("2468.2"));
    QCOMPARE(grid(tones)->item(1, 1)->textAlignment(), int(Qt::AlignCenter));

    TfmPlectronTbl& plectron = b.w.fmPlectronTbl();
    QCOMPARE(plectron.windowTitle(), QString("Plectron Tone Table"));
    QCOMPARE(b.w.findChild<QGroupBox*>("Panel1")->title(), QString("Plectron Format Tones"));
    QCOMPARE(grid(plectron)->columnCount(), 10);
    QCOMPARE(grid(plectron)->rowCount(), 6);
    QCOMPARE(grid(plectron)->item(0, 0)->text(), QString("282.2"));
    QCOMPARE(grid(plectron)->item(5, 4)->text(), QString("992.0"));
    QCOMPARE(grid(plectron)->item(4, 9)->text(), QString("3487.0"));
    QCOMPARE(grid(plectron)->item(5, 9)->text(), QString(""));
}

void TonePickersTest::pickMot6Row5IntoTone2OfAddress3() {
    ChannelBench b;
    b.click("chkF1CON2");
    // "#3" calls 1285.8 / 879.0 in the built-in code-plug; Tone 1 moves out of the way.
    b.typeInto("edtF1T12", "1000");
    QCOMPARE(b.field("edtF1T12")->text(), QString("1006.9"));

    doubleClick(b.field("edtF1T22"));
    TfmToneTbl& dialog = b.w.fmToneTbl();
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.isModal());
    const QPoint cell = cellOf(grid(dialog), "Mot 6", "5");
    grid(dialog)->setCurrentCell(cell.y(), cell.x());
    QTest::mouseClick(dialog.btnEnter(), Qt::LeftButton);

    QVERIFY(!dialog.isVisible());
    QCOMPARE(b.field("edtF1T22")->text(), QString("1285.8"));
    QCOMPARE(b.bytes(291, 3), (std::vector<int>{0x12, 0x85, 0x80}));
    QCOMPARE(b.bytes(1418, 2), (std::vector<int>{0xCA, 0x88}));
    QCOMPARE(b.field("edtF1T22")->toolTip(), QString("(0x58a, 0x58b) = 0xca, 0x88"));
    QVERIFY(b.f.messages.shown.empty());
    QVERIFY(!b.w.findChild<ChannelPages*>("ChannelPages")->tones().pendingToneField());
}

void TonePickersTest::pickEqualToTheOtherToneIsRefused() {
    // Picked by a double-click in the grid and by Enter in the grid.
    for (bool byDoubleClick : {true, false}) {
        ChannelBench b;
        const CodePlugImage before = b.w.image();
        doubleClick(b.field("edtF1T10"));
        TfmToneTbl& dialog = b.w.fmToneTbl();
        const QPoint cell = cellOf(grid(dialog), "Mot 2", "8");  // 879.0, Tone 2 of "#1"
        grid(dialog)->setCurrentCell(cell.y(), cell.x());
        if (byDoubleClick) {
            const QRect r = grid(dialog)->visualItemRect(grid(dialog)->item(cell.y(), cell.x()));
            QTest::mouseDClick(grid(dialog)->viewport(), Qt::LeftButton, {}, r.center());
        } else {
            QTest::keyClick(grid(dialog), Qt::Key_Return);
        }
        QVERIFY(!dialog.isVisible());
        QCOMPARE(b.messageTexts(), std::vector<std::string>{kSpacingMessage});
        QCOMPARE(b.f.messages.shown[0].caption, std::string("KM600Pro"));
        QCOMPARE(b.field("edtF1T10")->text(), QString("1285.8"));
        QVERIFY(b.w.image() == before);
    }
}

void TonePickersTest::leavingShowsTheStoredToneAgain() {
    enum Way { Escape, ExitButton, CloseBox };
    for (Way way : {Escape, ExitButton, CloseBox}) {
        ChannelBench b(Page::ChF2);
        b.click("radToneSystem2");
        const CodePlugImage plectron = b.w.image();
        doubleClick(b.field("edtF2T10"));
        TfmPlectronTbl& dialog = b.w.fmPlectronTbl();
        QVERIFY(dialog.isVisible());
        QVERIFY(b.field("edtF2T10")->text().isEmpty());
        switch (way) {
        case Escape: QTest::keyClick(grid(dialog), Qt::Key_Escape); break;
        case ExitButton: QTest::mouseClick(dialog.btnExit(), Qt::LeftButton); break;
        case CloseBox: dialog.close(); break;
        }
        QVERIFY(!dialog.isVisible());
        QCOMPARE(b.field("edtF2T10")->text(), QString("1287.0"));
        QVERIFY(b.w.image() == plectron);
        QVERIFY(b.f.messages.shown.empty());
        QVERIFY(!b.w.findChild<ChannelPages*>("ChannelPages")->tones().pendingToneField());
    }
}

void TonePickersTest::whatOpensWhere() {
    ChannelBench b;
    auto anyOpen = [&] { return b.w.fmToneTbl().isVisible() || b.w.fmPlectronTbl().isVisible(); };
    // F9 with no tone field entered opens nothing.
    QTest::keyClick(&b.w, Qt::Key_F9);
    QVERIFY(!anyOpen());

    // F9 after entering a tone field opens the picker of the tone system.
    b.enter("edtF1T10");
    QTest::keyClick(b.field("edtF1T10"), Qt::Key_F9);
    QVERIFY(b.w.fmToneTbl().isVisible());
    b.w.fmToneTbl().Leave();

    b.click("radToneSystem2");
    b.enter("edtF1T20");
    QTest::keyClick(b.field("edtF1T20"), Qt::Key_F9);
    QVERIFY(b.w.fmPlectronTbl().isVisible());
    grid(b.w.fmPlectronTbl())->setCurrentCell(5, 4);  // 992.0
    b.w.fmPlectronTbl().Pick();
    QCOMPARE(b.field("edtF1T20")->text(), QString("992.0"));
    QCOMPARE(b.bytes(259, 3), (std::vector<int>{0x09, 0x92, 0x00}));

    // The User system has no table: neither F9 nor a double-click opens one.
    b.click("radToneSystem1");
    b.enter("edtF1T10");
    QTest::keyClick(b.field("edtF1T10"), Qt::Key_F9);
    doubleClick(b.field("edtF1T10"));
    QVERIFY(!anyOpen());
    QVERIFY(b.f.messages.shown.empty());
}

void TonePickersTest::cellsWithoutToneAreNeverSelected() {
    ChannelBench b;
    QTableWidget* tones = grid(b.w.fmToneTbl());
    QCOMPARE(QPoint(tones->currentColumn(), tones->currentRow()), QPoint(1, 1));
    tones->setCurrentCell(0, 3);  // a header
    QCOMPARE(QPoint(tones->currentColumn(), tones->currentRow()), QPoint(1, 1));
    tones->setCurrentCell(4, 0);  // a row number
    QCOMPARE(QPoint(tones->currentColumn(), tones->currentRow()), QPoint(1, 1));
    tones->setCurrentCell(2, 3);
    QCOMPARE(tones->currentItem()->text(), QString("288.5"));

    QTableWidget* plectron = grid(b.w.fmPlectronTbl());
    plectron->setCurrentCell(4, 9);
    plectron->setCurrentCell(5, 9);  // the empty last cell
    QCOMPARE(plectron->currentItem()->text(), QString("3487.0"));
}

QTEST_MAIN(TonePickersTest)
#include "TonePickersTest.moc"
