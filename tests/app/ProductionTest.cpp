// Production programming through the real window: a barcode scanner types a
// serial number into "Serial No." and ends it with Enter; the pager in the
// simulated board is written and the day's log gets one line per run.

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <utility>

#include "app/ProductionRecordDialog.h"
#include "codeplug/CodePlugFile.h"
#include "pager/PagerOperations.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/BoardFixture.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/PostgresServer.h"

using namespace km640;
using namespace km640::testing;

namespace {

const char* kHeader = "-------  KM645 Programming (Barcode) Start ------- \r\n";

QByteArray logText(const MainWindowFixture& f) {
    QFile log(f.dir.path() + "/2010-03-07.log");
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}

// The record's clock as a run asks it. At the run's start (the record is
// about to be looked into and claimed) a file is handed over, and the events
// that a wait for the record lets in are taken.
class HandingOverClock : public RecordClock {
public:
    std::function<void()> atStart;
    RunTime now() override { return {1267967109000, 3600}; }
    std::int64_t steadyMs() override {
        if (const auto handOver = std::exchange(atStart, nullptr)) handOver();
        return steady += 1500;
    }
    std::int64_t steady = 0;
};

// A code-plug file the program saved, with byte 36 to recognise it by.
std::string codePlugFile(const MainWindowFixture& f, const char* name, std::uint8_t mark) {
    CodePlugImage image = DefaultImage();
    WriteModelText(image);
    StampVersion(image);
    image.setByte(36, mark);
    ImageChecksum(image);
    if (!WriteCodePlugFile(f.path(name), image, f.dir.path().toStdString()).ok()) qFatal("cannot write %s", name);
    return f.path(name);
}

}  // namespace

class ProductionTest : public QObject {
    Q_OBJECT
private slots:
    void scannedLabelWritesPagerAndLogs();
    void typedOrShortLabelsDoNothing();
    void fourteenCharacterNumber();
    void failedBlockIsLogged();
    void noBoardGivesMessageAndNoLine();
    void stoppedRunHandsTheFocusBackForTheNextScan();
    void fullLogDiskShowsTheOutcomeAndSaveError();
    void unusableLogProgramsNothing();
    void fiftyPagersInARow();
    void fileHandedOverDuringAScanOpensAfterIt();
};

void ProductionTest::scannedLabelWritesPagerAndLogs() {
    auto board = StartBoard(PagerMemory("OLD"));
    MainWindowFixture f;
    f.devices.records = DevicesWithBoard(*board);
    TfmMain& w = f.start();
    w.image().setByte(36, 77);
    scan(f, "A1B2C3D4E5F6");

    QVERIFY(f.messages.shown.empty());
    QCOMPARE(logText(f), QByteArray(kHeader) +
                             "2010-03-07 14:05:09  Serial No. = A1B2C3D4E5F6  Write Success !\r\n");
    const CodePlugImage pager = board->memory();
    QCOMPARE(QString::fromStdString(SerialNumberText(pager)), QString("A1B2C3D4E5F6"));
    QCOMPARE(int(pager.byte(36)), 77);
    QVERIFY(ImageChecksumValid(pager));
    QVERIFY(SerialBlockValid(pager.span(1952, 16)));
    QCOMPARE(board->resetCount(), 1);
    QVERIFY(w.isEnabled());
    QCOMPARE(w.statusText(1), QString("  Ready ......"));

    // A second run the same day adds a line under the same header.
    f.clock.time.second = 30;
    scan(f, "A1B2C3D4E5F7");
    QVERIFY(logText(f).endsWith("2010-03-07 14:05:30  Serial No. = A1B2C3D4E5F7  Write Success !\r\n"));
    QCOMPARE(logText(f).count(kHeader), 1);
}

void ProductionTest::typedOrShortLabelsDoNothing() {
    auto board = StartBoard(PagerMemory());
    MainWindowFixture f;
    f.devices.records = DevicesWithBoard(*board);
    f.start();
    scan(f, "A1B2C3D4E5F6", 400);  // typed by hand
    scan(f, "A1B2C3D4E5", 5);      // ten characters
    QCOMPARE(board->writeCount(), 0);
    QVERIFY(!QFile::exists(f.dir.path() + "/2010-03-07.log"));
    QVERIFY(f.messages.shown.empty());
}

void ProductionTest::fourteenCharacterNumber() {
    auto board = StartBoard(PagerMemory());
    MainWindowFixture f;
    f.devices.records = DevicesWithBoard(*board);
    f.start();
    scan(f, "A1B2C3D4E5F6G7");
    const CodePlugImage pager = board->memory();
    QCOMPARE(QString::fromStdString(pager.text(1952, 14)), QString("A1B2C3D4E5F6G7"));
    unsigned sum = 0;
    for (char c : std::string("A1B2C3D4E5F6G7")) sum += static_cast<unsigned char>(c);
    QCOMPARE(int(pager.word(1966)), int(sum));
}

void ProductionTest::failedBlockIsLogged() {
    BoardOptions options;
    options.faults.noWriteAckAtBlock = 5;
    auto board = StartBoard(PagerMemory(), options);
    MainWindowFixture f;
    f.devices.records = DevicesWithBoard(*board);
    f.start();
    scan(f, "A1B2C3D4E5F6");
    QVERIFY(logText(f).endsWith("Serial No. = A1B2C3D4E5F6  Write Fail !\r\n"));
    QCOMPARE(board->resetCount(), 0);

    options = {};
    options.faults.corruptByte = 700;
    auto second = StartBoard(PagerMemory(), options);
    f.window->setPortList({second->slavePath()});
    scan(f, "A1B2C3D4E5F8");
    QVERIFY(logText(f).endsWith("Serial No. = A1B2C3D4E5F8  Verify Fail !\r\n"));
}

void ProductionTest::noBoardGivesMessageAndNoLine() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    scan(f, "A1B2C3D4E5F6");
    QCOMPARE(f.messages.last(), std::string(kBoardNotResponding));
    // Created with its header by the run, but no result line.
    QCOMPARE(logText(f), QByteArray(kHeader));
    QVERIFY(w.isEnabled());
}

void ProductionTest::stoppedRunHandsTheFocusBackForTheNextScan() {
    BoardOptions noBoardData;
    noBoardData.faults.wrongChecksum = {true, 2016};
    auto board = StartBoard(PagerMemory(), noBoardData);
    const struct {
        const char* what;
        std::vector<SerialDeviceRecord> devices;
        const char* message;
    } cases[] = {
        {"no board", {{"ttyUSB99", ""}}, kBoardNotResponding},
        {"board data not read", DevicesWithBoard(*board), "Read Read MCU Data Fail !"},
    };
    for (const auto& c : cases) {
        MainWindowFixture f;
        f.devices.records = c.devices;
        TfmMain& w = f.start();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        scan(f, "A1B2C3D4E5F6");
        QCOMPARE(f.messages.last(), std::string(c.message));
        QVERIFY(w.isEnabled());
        // The progress window may have had the activation; the main window
        // gets it back with the serial number field focused.
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QVERIFY2(w.edtSerialNo()->hasFocus(), c.what);
        QVERIFY2(w.edtSerialNo()->text().isEmpty(), c.what);
    }
}

void ProductionTest::fullLogDiskShowsTheOutcomeAndSaveError() {
    // The production record is on a server elsewhere, as on a line whose
    // stations share one: it still takes the run when the PC's disk is full.
    // (A record on the full disk refuses the run before the pager is touched.)
    if (!PostgresServer::findPrograms())
        QSKIP("PostgreSQL server programs (initdb, pg_ctl) are not installed; scripts/deps.sh installs them");
    PostgresServer server;
    QVERIFY2(server.start(), server.error().c_str());
    QVERIFY(server.createDatabase("line"));
    auto board = StartBoard(PagerMemory());
    MainWindowFixture f;
    f.devices.records = DevicesWithBoard(*board);
    f.preferences.texts[kRecordSetting] = server.url("line");
    TfmMain& w = f.start();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    // The morning's runs are in the log when the disk fills up.
    QByteArray morning = kHeader;
    for (int n = 0; n < 20; ++n) morning += "2010-03-07 09:00:00  Serial No. = A1B2C3D4E5" + QByteArray::number(10 + n) + "  Write Success !\r\n";
    QFile log(f.dir.path() + "/2010-03-07.log");
    QVERIFY(log.open(QIODevice::WriteOnly));
    log.write(morning);
    log.close();
    {
        // Room for a few more bytes, not for the run's line.
        FileSizeLimit full(static_cast<rlim_t>(morning.size()) + 10);
        scan(f, "A1B2C3D4E5F6");
    }
    QCOMPARE(board->resetCount(), 1);
    QCOMPARE(w.statusText(0), QString(" Write Success !"));
    QCOMPARE(f.messages.shown.size(), size_t(1));
    QCOMPARE(f.messages.last(), std::string("Save Error!"));
    QCOMPARE(logText(f), morning);
    QVERIFY(w.isEnabled());
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QVERIFY(w.edtSerialNo()->hasFocus());
}

void ProductionTest::unusableLogProgramsNothing() {
    auto board = StartBoard(PagerMemory());
    const CodePlugImage before = board->memory();
    struct Case { const char* what; void (*spoil)(const QString& dir); const char* record; };
    // A server nobody listens on: the record cannot be reached either.
    const std::string unreachable = "postgresql://line@/km640?host=" + QDir::tempPath().toStdString() + "/km640-nosuchsocket";
    const Case cases[] = {
        // A log that can be neither created (the start directory is gone) ...
        {"no start directory", [](const QString& dir) { QDir(dir).removeRecursively(); }, ""},
        // ... nor opened for appending (something that is not a file holds its name).
        {"log name taken", [](const QString& dir) { QDir(dir).mkpath("2010-03-07.log"); }, ""},
        // Whatever the record's state, the log is what the operator hears of.
        {"log name taken, record out of reach", [](const QString& dir) { QDir(dir).mkpath("2010-03-07.log"); },
         unreachable.c_str()},
        {"no start directory, record out of reach", [](const QString& dir) { QDir(dir).removeRecursively(); },
         unreachable.c_str()},
    };
    for (const auto& c : cases) {
        MainWindowFixture f;
        // The user's data folder, with the record, is elsewhere.
        QTemporaryDir data;
        f.services->dataDirectory = data.path().toStdString();
        f.devices.records = DevicesWithBoard(*board);
        if (*c.record) f.preferences.texts[kRecordSetting] = c.record;
        f.start();
        c.spoil(f.dir.path());
        scan(f, "A1B2C3D4E5F6");
        QCOMPARE(f.messages.shown.size(), size_t(1));
        QCOMPARE(f.messages.last(), std::string("Save Error!"));
        QCOMPARE(f.messages.shown.back().caption, std::string("KM640"));
        QVERIFY2(board->memory().bytes() == before.bytes(), c.what);
        QCOMPARE(board->writeCount(), 0);
        QVERIFY(f.window->isEnabled());
    }
}

void ProductionTest::fiftyPagersInARow() {
    MainWindowFixture f;
    f.devices.records = {};
    TfmMain& w = f.start();
    w.image().setByte(36, 66);
    int completed = 0;
    QByteArray expectedLog = kHeader;
    for (int n = 0; n < 50; ++n) {
        BoardOptions options;
        const bool faulty = n % 12 == 5;  // a few pagers refuse a block
        if (faulty) options.faults.noWriteAckAtBlock = n % 32;
        auto board = StartBoard(PagerMemory("BLANK"), options);
        w.setPortList({board->slavePath()});
        const QString serial = QString("KM640%1").arg(n, 7, 10, QChar('0'));
        f.clock.time.second = n % 60;
        scan(f, serial);
        QVERIFY(f.messages.shown.empty());
        expectedLog += QString("2010-03-07 14:05:%1  Serial No. = %2  %3\r\n")
                           .arg(n % 60, 2, 10, QChar('0'))
                           .arg(serial, faulty ? "Write Fail !" : "Write Success !")
                           .toLatin1();
        ++completed;
        if (faulty) continue;
        // The pager holds the edited code-plug with its own serial number.
        CodePlugImage expected = w.image();
        QVERIFY(board->memory().bytes() == expected.bytes());
        QCOMPARE(QString::fromStdString(SerialNumberText(board->memory())), serial);
        QCOMPARE(int(board->memory().byte(36)), 66);
    }
    QCOMPARE(completed, 50);
    QCOMPARE(logText(f), expectedLog);
}

// A file handed over (dropped, or passed on by a second start) while a scan
// is being programmed opens once the run and its record are done: the pager
// gets the line's code-plug, never the new file or a mixture.
void ProductionTest::fileHandedOverDuringAScanOpensAfterIt() {
    auto board = StartBoard(PagerMemory("OLD"));
    MainWindowFixture f;
    f.devices.records = DevicesWithBoard(*board);
    HandingOverClock recordClock;
    f.services->recordClock = &recordClock;
    TfmMain& w = f.start();
    const std::string line = codePlugFile(f, "line.tbl", 77), other = codePlugFile(f, "other.tbl", 99);
    w.openWhenIdle(line);
    QCoreApplication::processEvents();
    QCOMPARE(int(w.image().byte(36)), 77);

    recordClock.atStart = [&] {
        w.openWhenIdle(other);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
        QCOMPARE(int(w.image().byte(36)), 77);  // not yet: the run has begun
    };
    scan(f, "A1B2C3D4E5F6");
    QVERIFY(!recordClock.atStart);
    QVERIFY2(f.messages.shown.empty(), f.messages.last().c_str());
    QVERIFY(logText(f).endsWith("Serial No. = A1B2C3D4E5F6  Write Success !\r\n"));
    QCOMPARE(int(board->memory().byte(36)), 77);

    QCoreApplication::processEvents();
    QCOMPARE(int(w.image().byte(36)), 99);
    QVERIFY2(w.windowTitle().endsWith(QString::fromStdString(other) + "]"), qPrintable(w.windowTitle()));
}

QTEST_MAIN(ProductionTest)
#include "ProductionTest.moc"
