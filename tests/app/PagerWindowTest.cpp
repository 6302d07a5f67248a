// Pager operations through the real window, offscreen, against a simulated
// board on a pseudo-terminal.

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>
#include <QtTest>

#include "app/TfmState.h"
#include "codeplug/MemoryMap.h"
#include "link/ECommError.h"
#include "pager/PagerOperations.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/BoardFixture.h"

using namespace km640;
using namespace km640::testing;

namespace {

// Starts the window with the board as the second listed port.
TfmMain& startWithBoard(MainWindowFixture& f, const PtyBoard& board) {
    f.devices.records = DevicesWithBoard(board);
    return f.start();
}

// The highest gauge position an operation reached.
struct GaugeWatch {
    int last = 0;
    explicit GaugeWatch(TfmMain& w) {
        auto* gauge = w.state().findChild<QProgressBar*>("Gauge1");
        QObject::connect(gauge, &QProgressBar::valueChanged, [this](int v) {
            if (v != 0) last = v;
        });
    }
};

// Runs action once, when the block transfer of an operation has begun (the
// gauge takes its first step), in the middle of the operation.
void onFirstBlock(TfmMain& w, std::function<void()> action) {
    auto* gauge = w.state().findChild<QProgressBar*>("Gauge1");
    auto done = std::make_shared<bool>(false);
    QObject::connect(gauge, &QProgressBar::valueChanged, gauge, [done, action](int v) {
        if (*done || v == 0) return;
        *done = true;
        action();
    });
}

// Counts the paints of a window.
class PaintCount : public QObject {
public:
    explicit PaintCount(QWidget* window) : window_(window) { window->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Paint) ++paints;
        return false;
    }

private:
    QWidget* window_;
};

}  // namespace

class PagerWindowTest : public QObject {
    Q_OBJECT
private slots:
    void startUpFindsBoardOnThirdPort();
    void readReplacesImage();
    void readWithWrongChecksumKeepsEdits();
    void readStopsAtFailedBlock();
    void writeThenVerify();
    void writePatchesOldBatteryLevels();
    void writeWithoutAcknowledgement();
    void adapterVanishingMidRead();
    void adapterVanishingMidWrite();
    void noBoardForOperations();
    void syncTimeSendsClockAndReset();
    void secondClickWhileBusyIsIgnored();
    void progressWindowRepaintsWhileAwaitingReplies();
    void fileHandedOverDuringWriteWaits();
};

void PagerWindowTest::startUpFindsBoardOnThirdPort() {
    auto board = StartBoard(PagerMemory());
    MainWindowFixture f;
    f.devices.records = {{"ttyUSB97", ""}, {"ttyUSB98", ""}, {board->slavePath(), "km640-sim board"}};
    TfmMain& w = f.start();
    QCOMPARE(w.cboPort()->currentIndex(), 2);
    QCOMPARE(w.cboPort()->currentText(), QString::fromStdString(board->slavePath()));
    QVERIFY(f.startupMessages.empty());
    QVERIFY(!f.port.IsOpen());  // closed again before the default code-plug loads
}

void PagerWindowTest::readReplacesImage() {
    auto board = StartBoard(PagerMemory());
    MainWindowFixture f;
    TfmMain& w = startWithBoard(f, *board);
    w.Read1Click();
    QCOMPARE(w.statusText(0), QString(" Read Success !"));
    QCOMPARE(w.statusText(1), QString("  Ready ......"));
    QVERIFY(f.messages.shown.empty());
    QVERIFY(SameSettings(w.image(), board->memory()));
    QCOMPARE(int(w.image().byte(36)), 90);
    QCOMPARE(w.edtSerialNo()->text(), QString("A1B2C3D4E5F6"));
    QVERIFY(w.lblFirmVer()->isVisibleTo(&w));
    QCOMPARE(w.lblFirmVer()->text(), QString("FirmVer. 1.2.10"));
    QVERIFY(w.isEnabled());
    QVERIFY(!w.state().isVisible());
    QVERIFY(!f.port.IsOpen());

    // All fourteen characters of a long serial number are shown.
    auto longer = StartBoard(PagerMemory("A1B2C3D4E5F6G7"));
    w.setPortList({longer->slavePath()});
    w.Read1Click();
    QCOMPARE(w.edtSerialNo()->text(), QString("A1B2C3D4E5F6G7"));
}

void PagerWindowTest::readWithWrongChecksumKeepsEdits() {
    CodePlugImage memory = PagerMemory();
    memory.setByte(1951, static_cast<std::uint8_t>(memory.byte(1951) + 1));
    auto board = StartBoard(memory);
    MainWindowFixture f;
    TfmMain& w = startWithBoard(f, *board);
    w.image().setByte(36, 11);
    f.messages.answers = {MsgAnswer::No};  // the edit is not saved first
    w.Read1Click();
    QCOMPARE(w.statusText(0), QString("Checksum Error !"));
    QCOMPARE(f.messages.shown.size(), size_t(1));
    QVERIFY(f.messages.last().starts_with("Save changes to the code-plug?\n"));
    QCOMPARE(int(w.image().byte(36)), 11);
    // The board data and serial number blocks were stored on the way.
    QCOMPARE(int(w.image().byte(2016)), 1);
    QCOMPARE(int(w.image().byte(2018)), 10);
    QCOMPARE(QString::fromStdString(SerialNumberText(w.image())), QString("A1B2C3D4E5F6"));
}

void PagerWindowTest::readStopsAtFailedBlock() {
    BoardOptions options;
    // Probe, board data and serial number are three answers; ten blocks follow.
    options.faults.stopAfterBlocks = 10;
    auto board = StartBoard(PagerMemory(), options);
    MainWindowFixture f;
    TfmMain& w = startWithBoard(f, *board);
    const CodePlugImage before = w.image();
    GaugeWatch gauge(w);
    w.Read1Click();
    QCOMPARE(w.statusText(0), QString("  Read Fail !"));
    QCOMPARE(gauge.last, 11 * 109);
    QCOMPARE(int(w.image().byte(36)), int(before.byte(36)));
    QVERIFY(w.isEnabled());
}

void PagerWindowTest::writeThenVerify() {
    CodePlugImage memory = PagerMemory();
    memory.setByte(36, 1);
    auto board = StartBoard(memory);
    MainWindowFixture f;
    TfmMain& w = startWithBoard(f, *board);
    w.image().setByte(36, 55);
    GaugeWatch gauge(w);
    w.Write1Click();
    QCOMPARE(w.statusText(0), QString(" Write Success !"));
    QCOMPARE(w.statusText(1), QString("  Ready ......"));
    QCOMPARE(gauge.last, 3200);
    QVERIFY(f.messages.shown.empty());
    QVERIFY(board->memory().bytes() == w.image().bytes());
    QCOMPARE(int(board->memory().byte(36)), 55);
    QVERIFY(ImageChecksumValid(board->memory()));
    QCOMPARE(QString::fromStdString(SerialNumberText(w.image())), QString("A1B2C3D4E5F6"));
    // The clock went into the image and to the pager, then the reset.
    QCOMPARE(int(w.image().byte(160)), 0x09);
    QCOMPARE(int(w.image().byte(166)), 0x10);
    QVERIFY(board->lastClockPayload().has_value());
    QCOMPARE(board->resetCount(), 1);

    w.Verify1Click();
    QCOMPARE(w.statusText(0), QString(" Verify Success !"));

    w.image().setByte(1000, static_cast<std::uint8_t>(w.image().byte(1000) ^ 0x20));
    f.messages.answers = {MsgAnswer::No};  // no list of the differences
    w.Verify1Click();
    QCOMPARE(w.statusText(0), QString(" Verify Fail !"));
    QVERIFY(w.isEnabled());

    // Without "SYNC DATE && TIME WITH PC" no clock goes out, the reset does.
    MainWindowFixture g;
    auto second = StartBoard(memory);
    TfmMain& w2 = startWithBoard(g, *second);
    w2.chkWriteAndRTC()->setChecked(false);
    w2.Write1Click();
    QCOMPARE(w2.statusText(0), QString(" Write Success !"));
    QVERIFY(!second->lastClockPayload().has_value());
    QCOMPARE(second->resetCount(), 1);
}

void PagerWindowTest::writePatchesOldBatteryLevels() {
    BoardOptions options;
    options.softwareVersion = 116;
    auto board = StartBoard(PagerMemory(), options);
    MainWindowFixture f;
    TfmMain& w = startWithBoard(f, *board);
    w.image().setByte(240, 138);
    w.image().setByte(241, 142);
    w.image().setByte(242, 160);
    w.RefreshAll();
    QCOMPARE(w.findChild<QComboBox*>("cboBatHigh")->currentText(), QString("3.75V"));
    w.Write1Click();
    QCOMPARE(w.statusText(0), QString(" Write Success !"));
    QCOMPARE(int(board->memory().byte(240)), 0x95);
    QCOMPARE(int(board->memory().byte(241)), 0xA0);
    QCOMPARE(int(board->memory().byte(242)), 0xA6);
    QCOMPARE(int(board->memory().byte(1982)), 0x01);
    QCOMPARE(int(board->memory().byte(1983)), 0x19);
    // The battery lists show the new levels.
    QCOMPARE(w.findChild<QComboBox*>("cboBatLow")->currentText(), QString("3.50V"));
    QCOMPARE(w.findChild<QComboBox*>("cboBatMed")->currentText(), QString("3.75V"));
    QCOMPARE(w.findChild<QComboBox*>("cboBatHigh")->currentText(), QString("3.90V"));
}

void PagerWindowTest::writeWithoutAcknowledgement() {
    BoardOptions options;
    options.faults.noWriteAckAtBlock = 5;
    auto board = StartBoard(PagerMemory(), options);
    MainWindowFixture f;
    TfmMain& w = startWithBoard(f, *board);
    GaugeWatch gauge(w);
    w.Write1Click();
    QCOMPARE(w.statusText(0), QString(" Write Fail !"));
    QCOMPARE(gauge.last, 6 * 109);
    QVERIFY(!board->lastClockPayload().has_value());
    QCOMPARE(board->resetCount(), 0);
    // The status keeps its text; one message says what it means for the
    // pager, and where its memory from before the write is.
    QVERIFY(!w.lastBackupPath().empty());
    QCOMPARE(f.messages.shown.size(), size_t(1));
    QCOMPARE(f.messages.last(), "The programmer board on " + board->slavePath() +
                                    " stopped answering during block 6 of 32: the pager may be half-written. Write "
                                    "it again; its memory before this write is in " + w.lastBackupPath() + ".");
    QVERIFY(w.isEnabled());
    QVERIFY(!f.port.IsOpen());
}

void PagerWindowTest::adapterVanishingMidWrite() {
    auto board = StartBoard(PagerMemory());
    MainWindowFixture f;
    TfmMain& w = startWithBoard(f, *board);
    // Without a backup there is no file to name.
    w.setBackupBeforeWrite(false);
    onFirstBlock(w, [&] { board->Close(); });
    w.Write1Click();
    QVERIFY(w.isEnabled());
    QVERIFY(!f.port.IsOpen());
    QCOMPARE(w.statusText(0), QString("Comm Port Error !"));
    // One message, about the pager: not the port's error and then another box.
    QCOMPARE(f.messages.shown.size(), size_t(1));
    QCOMPARE(f.messages.last(), "The programmer board on " + board->slavePath() +
                                    " stopped answering during block 2 of 32: the pager may be half-written. Write "
                                    "it again.");
}

void PagerWindowTest::adapterVanishingMidRead() {
    auto board = StartBoard(PagerMemory());
    MainWindowFixture f;
    TfmMain& w = startWithBoard(f, *board);
    const CodePlugImage before = w.image();
    // The adapter is pulled once the read is under way.
    onFirstBlock(w, [&] { board->Close(); });
    w.Read1Click();
    QVERIFY(w.isEnabled());
    QVERIFY(!w.state().isVisible());
    QVERIFY(!f.port.IsOpen());
    QVERIFY(!w.operations().busy());
    QCOMPARE(w.statusText(0), QString("Comm Port Error !"));
    QCOMPARE(f.messages.shown.size(), size_t(1));
    QCOMPARE(int(w.image().byte(36)), int(before.byte(36)));
}

void PagerWindowTest::noBoardForOperations() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    const std::string board = "The Board is not responding ! \nPlease check your programer ready \nand COM port "
                              "connect properly !";
    // The Write itself, without the backup read that comes first by default.
    w.setBackupBeforeWrite(false);
    struct Case { void (TfmMain::*click)(); const char* ready; };
    const Case cases[] = {{&TfmMain::Read1Click, "  Ready ....."},
                          {&TfmMain::Write1Click, "  Ready ......"},
                          {&TfmMain::Verify1Click, "  Ready ....."}};
    for (const auto& c : cases) {
        f.messages.clear();
        (w.*c.click)();
        // The adapter is absent: the open error first, then the board message.
        QCOMPARE(f.messages.shown.size(), size_t(2));
        QCOMPARE(f.messages.shown[0].text, std::string("Error opening comm port. Port already in use?"));
        QCOMPARE(f.messages.shown[0].caption, std::string("KM640 V1.1.9"));
        QCOMPARE(f.messages.shown[1].text, board);
        QCOMPARE(w.statusText(0), QString("The Board is not responding !"));
        QCOMPARE(w.statusText(1), QString(c.ready));
        QVERIFY(w.isEnabled());
    }
}

void PagerWindowTest::syncTimeSendsClockAndReset() {
    auto board = StartBoard(PagerMemory());
    MainWindowFixture f;
    TfmMain& w = startWithBoard(f, *board);
    w.Timer1Timer();  // the fixed clock: Sunday 7 March 2010 14:05:09
    QCOMPARE(w.edtRTC_User()->text(), QString("10030700140509"));
    w.btnADJTimeClick();
    const PagerBoard::ClockPayload expected = {0x09, 0x05, 0x14, 0x00, 0x07, 0x03, 0x10, w.image().byte(167),
                                               0, 0, 0, 0, 0, 0, 0, 0x28};
    QVERIFY(board->lastClockPayload() == expected);
    QCOMPARE(board->resetCount(), 1);
    QCOMPARE(f.messages.shown.size(), size_t(1));
    QCOMPARE(f.messages.last(), std::string("SYNC SUCCESS ! \n\nDATE & TIME : 2010/03/07  02:05 pm"));

    BoardOptions silentClock;
    silentClock.faults.noClockAck = true;
    auto other = StartBoard(PagerMemory(), silentClock);
    w.setPortList({other->slavePath()});
    QVERIFY(!f.port.IsOpen());  // a new port selection closes the old one
    f.messages.clear();
    w.btnADJTimeClick();
    QCOMPARE(f.messages.shown.size(), size_t(1));
    QCOMPARE(f.messages.last(), std::string(" SYNC FAIL !"));
    QVERIFY(f.port.IsOpen());  // SYNC TIME leaves the port open for the next command
    QCOMPARE(other->resetCount(), 0);
}

void PagerWindowTest::secondClickWhileBusyIsIgnored() {
    auto board = StartBoard(PagerMemory());
    MainWindowFixture f;
    TfmMain& w = startWithBoard(f, *board);
    int clicksDuringRead = 0;
    // While the read waits for replies the window handles events; a click
    // on SYNC TIME then must not start a second exchange.
    onFirstBlock(w, [&] {
        w.btnADJTimeClick();
        ++clicksDuringRead;
    });
    w.Read1Click();
    QCOMPARE(clicksDuringRead, 1);
    QCOMPARE(w.statusText(0), QString(" Read Success !"));
    QVERIFY(!board->lastClockPayload().has_value());
    QVERIFY(f.messages.shown.empty());
}

void PagerWindowTest::fileHandedOverDuringWriteWaits() {
    auto board = StartBoard(PagerMemory());
    MainWindowFixture f;
    TfmMain& w = startWithBoard(f, *board);
    CodePlugImage handed = PagerMemory();
    handed.setByte(36, 99);
    {
        QFile file(QString::fromStdString(f.path("handed.tbl")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(handed.bytes().data()), static_cast<qint64>(kImageSize));
    }
    w.image().setByte(36, 55);
    // A second start hands a file over in the middle of the write, and the
    // window gets to handle events before the write goes on.
    onFirstBlock(w, [&] {
        w.openWhenIdle(f.path("handed.tbl"));
        QCoreApplication::processEvents();
        QCOMPARE(int(w.image().byte(36)), 55);
    });
    w.Write1Click();
    QCOMPARE(w.statusText(0), QString(" Write Success !"));
    QCOMPARE(int(board->memory().byte(36)), 55);
    QVERIFY(ImageChecksumValid(board->memory()));
    // Once the write is over the file opens.
    QCOMPARE(int(w.image().byte(36)), 99);
    QCOMPARE(w.windowTitle(), QString::fromStdString("KM640 V1.1.9  [" + f.path("handed.tbl") + "]"));
}

void PagerWindowTest::progressWindowRepaintsWhileAwaitingReplies() {
    // A board at the pace of a real line: every reply keeps the window
    // waiting for about 80 ms.
    auto board = std::make_unique<PtyBoard>(PagerBoard(PagerMemory(), {}), true);
    MainWindowFixture f;
    TfmMain& w = startWithBoard(f, *board);
    PaintCount painted(&w.state());
    // The desktop asks the progress window to paint itself again and again
    // (another window moved over it); only the window's own event handling
    // can answer, and it gets its turns while replies are awaited.
    QTimer exposed;
    QObject::connect(&exposed, &QTimer::timeout, &w.state(), [&w] { w.state().update(); });
    exposed.start(10);
    w.Read1Click();
    exposed.stop();
    QCOMPARE(w.statusText(0), QString(" Read Success !"));
    // About four seconds of waiting: hundreds of chances; a handful would
    // mean the window froze between its explicit repaints.
    QVERIFY2(painted.paints >= 100, std::to_string(painted.paints).c_str());
}

QTEST_MAIN(PagerWindowTest)
#include "PagerWindowTest.moc"
