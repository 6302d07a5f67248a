// The window's fleet roster through its real menu entry: checked at once
// against the code-plug in the window, its progress in the status bar, each
// scan written with the label's own row while the window's code-plug stays as
// it is, an unlisted label refused before the board, and Cancel clearing it;
// the count following what another station puts into the same record.

#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QtTest>

#include <fstream>

#include "codeplug/MemoryMap.h"
#include "fieldtext/FieldValue.h"
#include "app/TfmState.h"
#include "record/ProductionRecord.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/BoardFixture.h"

using namespace km640;
using namespace km640::testing;

namespace {

std::string shown(const CodePlugImage& image, const char* name) {
    return fieldtext::fieldValueText(image, memmap::field(name));
}

void chooseRoster(MainWindowFixture& f, std::optional<std::string> file) {
    f.dialogs.rosterAnswers = {std::move(file)};
    auto* action = f.window->findChild<QAction*>("ProductionRoster1");
    QVERIFY(action);
    QCOMPARE(action->text(), QString("Production Roster..."));
    action->trigger();
}

std::string writeFile(MainWindowFixture& f, const char* name, const std::string& text) {
    std::ofstream(f.path(name), std::ios::binary) << text;
    return f.path(name);
}

}  // namespace

class ProductionRosterWindowTest : public QObject {
    Q_OBJECT
private slots:
    void eachScanGetsItsRow();
    void badRosterIsListedInOneDialog();
    void countFollowsAnotherStation();
};

void ProductionRosterWindowTest::eachScanGetsItsRow() {
    auto board = StartBoard(PagerMemory("OLD"));
    MainWindowFixture f;
    f.devices.records = DevicesWithBoard(*board);
    TfmMain& w = f.start();
    const std::string roster = writeFile(f, "fleet.csv",
                                         "serial,F1Tone2[0],LogoLine1\n"
                                         "A1B2C3D4E5F1,1153.4,Engine 1\n"
                                         "A1B2C3D4E5F2,1185.2,\n");
    chooseRoster(f, roster);
    QVERIFY2(f.messages.shown.empty(), f.messages.last().c_str());
    QVERIFY(w.rosterStatus()->isVisibleTo(&w));
    QCOMPARE(w.rosterStatus()->text(), QString("Roster fleet.csv: 0 of 2 programmed"));

    const CodePlugImage before = w.image();
    QVERIFY(!w.windowTitle().startsWith('*'));
    // The scanner's last key comes up while the pager is written: the title
    // is looked at then, with the pager's copy under way.
    auto* gauge = w.state().findChild<QProgressBar*>("Gauge1");
    QVERIFY(gauge);
    const auto released = QObject::connect(gauge, &QProgressBar::valueChanged, gauge, [&](int value) {
        if (value > 0) QTest::keyRelease(w.edtSerialNo(), Qt::Key_Return);
    });
    scan(f, "A1B2C3D4E5F1");
    QObject::disconnect(released);
    QVERIFY2(f.messages.shown.empty(), f.messages.last().c_str());
    // The pager got its row; the editor's code-plug is as it was, and saved.
    QVERIFY2(!w.windowTitle().startsWith('*'), qPrintable(w.windowTitle()));
    QCOMPARE(shown(board->memory(), "F1Tone2[0]"), std::string("1153.4"));
    QCOMPARE(shown(board->memory(), "LogoLine1"), std::string("\"Engine 1\""));
    QCOMPARE(w.rosterStatus()->text(), QString("Roster fleet.csv: 1 of 2 programmed"));
    QVERIFY2(w.image().bytes() == before.bytes(), "the window's code-plug is left as it was");

    scan(f, "A1B2C3D4E5F2");
    QCOMPARE(shown(board->memory(), "F1Tone2[0]"), std::string("1185.2"));
    QCOMPARE(shown(board->memory(), "LogoLine1"), shown(before, "LogoLine1"));
    QCOMPARE(w.rosterStatus()->text(), QString("Roster fleet.csv: 2 of 2 programmed"));

    const int writes = board->writeCount();
    scan(f, "A1B2C3D4E5F9");
    QCOMPARE(f.messages.shown.size(), size_t(1));
    QVERIFY2(f.messages.last().starts_with("Serial No. A1B2C3D4E5F9 is not in the roster fleet.csv."),
             f.messages.last().c_str());
    QCOMPARE(board->writeCount(), writes);

    ProductionRecord record;
    QVERIFY(record.open(ParseRecordUrl(f.path("data/km640-production.sqlite")).location));
    const auto runs = record.runs({}).value_or(std::vector<RecordedRun>{});
    QCOMPARE(runs.size(), size_t(3));
    QCOMPARE(runs[0].roster.file, std::string("fleet.csv"));
    QCOMPARE(runs[0].roster.row, std::string(R"({"serial":"A1B2C3D4E5F1","F1Tone2[0]":"1153.4","LogoLine1":"Engine 1"})"));
    QVERIFY(runs[2].state == RunState::Refused);

    // The progress comes from the record: chosen again, it still counts both.
    chooseRoster(f, roster);
    QCOMPARE(w.rosterStatus()->text(), QString("Roster fleet.csv: 2 of 2 programmed"));
    // No file clears the roster; the next scan writes the window's code-plug.
    chooseRoster(f, std::nullopt);
    QVERIFY(!w.rosterStatus()->isVisibleTo(&w));
    QVERIFY(!w.productionRoster());
}

void ProductionRosterWindowTest::badRosterIsListedInOneDialog() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    const std::string roster = writeFile(f, "bad.csv",
                                         "serial;F1Tone1[0];Nothing\n"
                                         "A1B2C3D4E5F1;9999;\n"
                                         "A1B2C3D4E5F1;1285,8;\n");
    chooseRoster(f, roster);
    // One list of every problem, row by row; no message box.
    QVERIFY2(f.messages.shown.empty(), f.messages.last().c_str());
    QCOMPARE(f.messages.problemLists.size(), size_t(1));
    const auto& list = f.messages.problemLists[0];
    QCOMPARE(list.heading, "The roster " + roster + " cannot be used (3 problems; columns separated by semicolons):");
    QCOMPARE(list.problems.size(), size_t(3));
    QCOMPARE(list.problems[0], (ListedProblem{"line 1", "Nothing", "", "unknown column: no field of the code-plug has this name"}));
    QCOMPARE(list.problems[1], (ListedProblem{"line 3, A1B2C3D4E5F1", "serial", "A1B2C3D4E5F1", "duplicate serial: also on line 2"}));
    QCOMPARE(list.problems[2].place, std::string("line 2, A1B2C3D4E5F1"));
    QCOMPARE(list.problems[2].column, std::string("F1Tone1[0]"));
    QCOMPARE(list.problems[2].value, std::string("9999"));
    QVERIFY(!w.productionRoster());
    QVERIFY(!w.rosterStatus()->isVisibleTo(&w));
}

void ProductionRosterWindowTest::countFollowsAnotherStation() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    const std::string roster = writeFile(f, "fleet.csv",
                                         "serial,F1Tone2[0],LogoLine1\n"
                                         "A1B2C3D4E5F1,1153.4,Engine 1\n"
                                         "A1B2C3D4E5F2,1185.2,Engine 2\n");
    chooseRoster(f, roster);
    QVERIFY2(f.messages.shown.empty(), f.messages.last().c_str());
    QCOMPARE(w.rosterStatus()->text(), QString("Roster fleet.csv: 0 of 2 programmed"));
    // The window looks at the record again while it waits for a scan; the
    // test takes that look at once instead of waiting for it.
    auto* follow = w.findChild<QTimer*>("RosterProgressTimer");
    QVERIFY(follow);
    QVERIFY(follow->isActive());

    // Another station on the same record programs pagers of the fleet: one
    // with values its row no longer holds (still to do), then one with its
    // row as it stands.
    ProductionRecord line2;
    QVERIFY(line2.open(ParseRecordUrl(f.path("data/km640-production.sqlite")).location));
    const std::string zeros(64, '0');
    const struct {
        const char* serial;
        const char* row;
        const char* shows;
    } runs[] = {
        {"A1B2C3D4E5F1", R"({"serial":"A1B2C3D4E5F1","F1Tone2[0]":"1185.2","LogoLine1":"Engine 1"})",
         "Roster fleet.csv: 0 of 2 programmed"},
        {"A1B2C3D4E5F2", R"({"serial":"A1B2C3D4E5F2","F1Tone2[0]":"1185.2","LogoLine1":"Engine 2"})",
         "Roster fleet.csv: 1 of 2 programmed"},
    };
    for (const auto& run : runs) {
        const Claim claim = line2.claim({"2010-03-07T13:05:09.000Z", "2010-03-07T14:05:09+01:00", "line-2",
                                         "/dev/ttyUSB1", run.serial, "1.1.9", zeros, "line.tbl",
                                         RosterRun{"fleet.csv", zeros, run.row, zeros}, {}},
                                        false);
        QVERIFY2(claim.kind == Claim::Kind::Granted, claim.error.c_str());
        QVERIFY(line2.finish(claim.runId, {RunState::Programmed, "Write Success !", "1.2.10", 1500}));
        QVERIFY(QMetaObject::invokeMethod(follow, "timeout"));
        QCOMPARE(w.rosterStatus()->text(), QString(run.shows));
    }
    QVERIFY2(f.messages.shown.empty(), f.messages.last().c_str());
}

QTEST_MAIN(ProductionRosterWindowTest)
#include "ProductionRosterWindowTest.moc"
