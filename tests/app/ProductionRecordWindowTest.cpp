// The window's production write with its production record: every scanned
// pager recorded, a serial number programmed before asked about (default
// No), a record that cannot be used stops the line, and the "Production
// Record" setting through its real controls.

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/ProductionRecordDialog.h"
#include "app/TfmState.h"
#include "platform/UserFolders.h"
#include "record/CodePlugFingerprint.h"
#include "record/ProductionRecord.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/BoardFixture.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/ShellCommand.h"

using namespace km640;
using namespace km640::testing;

namespace {

std::vector<RecordedRun> recorded(const std::string& file) {
    ProductionRecord record;
    if (!record.open(ParseRecordUrl(file).location)) return {};
    return record.runs({}).value_or(std::vector<RecordedRun>{});
}

}  // namespace

class ProductionRecordWindowTest : public QObject {
    Q_OBJECT
private slots:
    void everyScanIsRecorded();
    void repeatedSerialIsAskedAboutDefaultNo();
    void unusableRecordProgramsNothing();
    void settingThroughItsDialog();
    void windowPaintsWhileTheRecordIsLocked();
    void frozenServerIsReportedWhileTheWindowPaints();
    void windowAndCliShareThePcsRecord();
    void recordAtTheEarlierPlaceIsStillUsed();
};

namespace {

// What the window did while a scan waited for its record: the timer ticks
// only when the window's thread gets to its events.
struct WhileWaiting {
    int ticks = 0;
    QString caption;
    bool mainDisabled = false;
    QTimer timer;
    explicit WhileWaiting(TfmMain& w) {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [this, &w] {
            ++ticks;
            if (w.state().isVisible()) caption = w.state().caption();
            mainDisabled = mainDisabled || !w.isEnabled();
        });
        timer.start();
    }
};

}  // namespace

void ProductionRecordWindowTest::everyScanIsRecorded() {
    auto board = StartBoard(PagerMemory("OLD"));
    MainWindowFixture f;
    f.devices.records = DevicesWithBoard(*board);
    f.preferences.texts[kStationSetting] = "line-7";
    TfmMain& w = f.start();
    scan(f, "A1B2C3D4E5F6");
    QVERIFY(f.messages.shown.empty());
    const std::string settings = CodePlugSha256(w.image());

    BoardOptions failing;
    failing.faults.noWriteAckAtBlock = 3;
    auto second = StartBoard(PagerMemory("OLD"), failing);
    w.setPortList({second->slavePath()});
    scan(f, "A1B2C3D4E5F7");

    const auto runs = recorded(f.path("data/km640-production.sqlite"));
    QCOMPARE(runs.size(), size_t(2));
    QCOMPARE(runs[0].serial, std::string("A1B2C3D4E5F6"));
    QCOMPARE(runs[0].station, std::string("line-7"));
    QCOMPARE(runs[0].port, board->slavePath());
    QCOMPARE(runs[0].outcome, std::string("Write Success !"));
    QVERIFY(runs[0].state == RunState::Programmed);
    QCOMPARE(runs[0].firmware, std::string("1.2.10"));
    QCOMPARE(runs[0].codePlugFile, std::string("(built-in defaults)"));
    // The same code-plug, whatever serial number and clock each pager got.
    QCOMPARE(runs[0].codePlugSha256, settings);
    QCOMPARE(runs[1].codePlugSha256, settings);
    QCOMPARE(runs[1].outcome, std::string("Write Fail !"));
    QVERIFY(runs[1].state == RunState::Failed);
}

void ProductionRecordWindowTest::repeatedSerialIsAskedAboutDefaultNo() {
    auto board = StartBoard(PagerMemory("OLD"));
    MainWindowFixture f;
    f.devices.records = DevicesWithBoard(*board);
    f.start();
    scan(f, "A1B2C3D4E5F6");
    QVERIFY(f.messages.shown.empty());
    const int writes = board->writeCount();

    // Enter on the question is No: nothing goes to the pager.
    scan(f, "A1B2C3D4E5F6");
    QCOMPARE(f.messages.shown.size(), size_t(1));
    const ShownMessage question = f.messages.shown[0];
    QVERIFY(question.buttons == MsgButtons::YesNoDefaultNo);
    QCOMPARE(question.caption, std::string("KM640"));
    QVERIFY2(question.text.starts_with("Serial No. A1B2C3D4E5F6 was programmed on ") &&
                 question.text.find(" at station bench-pc (port " + board->slavePath() + ")") != std::string::npos &&
                 question.text.ends_with("Program this serial number again?"),
             question.text.c_str());
    QCOMPARE(board->writeCount(), writes);
    QVERIFY(f.window->isEnabled());

    // Yes programs it again, as a repeat.
    f.messages.clear();
    f.messages.answers = {MsgAnswer::Yes};
    scan(f, "A1B2C3D4E5F6");
    QCOMPARE(f.messages.shown.size(), size_t(1));
    QVERIFY(board->writeCount() > writes);

    const auto runs = recorded(f.path("data/km640-production.sqlite"));
    QCOMPARE(runs.size(), size_t(3));
    QVERIFY(runs[1].state == RunState::Refused);
    QCOMPARE(runs[1].repeatOf, std::optional<std::int64_t>(runs[0].id));
    QVERIFY(runs[2].state == RunState::Programmed);
    QCOMPARE(runs[2].repeatOf, std::optional<std::int64_t>(runs[0].id));
}

void ProductionRecordWindowTest::unusableRecordProgramsNothing() {
    auto board = StartBoard(PagerMemory());
    const struct {
        const char* record;
        const char* says;
    } cases[] = {
        {"/nonexistent-folder/record.sqlite", "The production record /nonexistent-folder/record.sqlite cannot be "
                                              "opened"},
        {"mysql://db/km640", "The production record setting is not understood: unknown kind"},
    };
    for (const auto& c : cases) {
        MainWindowFixture f;
        f.devices.records = DevicesWithBoard(*board);
        f.preferences.texts[kRecordSetting] = c.record;
        TfmMain& w = f.start();
        scan(f, "A1B2C3D4E5F6");
        QCOMPARE(f.messages.shown.size(), size_t(1));
        QVERIFY2(f.messages.last().starts_with(c.says), f.messages.last().c_str());
        QVERIFY(f.messages.last().ends_with("The pager was not programmed."));
        QCOMPARE(board->writeCount(), 0);
        QVERIFY(!QFile::exists(f.dir.path() + "/2010-03-07.log"));
        QVERIFY(w.isEnabled());
    }
    // The start folder went away, and with it the day's log: the log is what
    // the line hears of (the record is in the user's data folder).
    MainWindowFixture f;
    QTemporaryDir data;
    f.services->dataDirectory = data.path().toStdString();
    f.devices.records = DevicesWithBoard(*board);
    f.start();
    f.dir.remove();
    scan(f, "A1B2C3D4E5F6");
    QCOMPARE(f.messages.shown.size(), size_t(1));
    QCOMPARE(f.messages.last(), std::string("Save Error!"));
    QCOMPARE(board->writeCount(), 0);
}

void ProductionRecordWindowTest::settingThroughItsDialog() {
    FakePreferences settings;
    settings.texts[kRecordSetting] = "/srv/old.sqlite";
    ProductionRecordDialog dialog(nullptr, settings, "bench-pc", "In use: /srv/old.sqlite",
                                  "/home/anna/.local/share/km640/km640-production.sqlite");
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.edtRecord()->text(), QString("/srv/old.sqlite"));
    QCOMPARE(dialog.edtRecord()->placeholderText(), QString("/home/anna/.local/share/km640/km640-production.sqlite"));
    QCOMPARE(dialog.lblInUse()->text(), QString("In use: /srv/old.sqlite"));
    QCOMPARE(dialog.edtStation()->placeholderText(), QString("bench-pc"));
    QPushButton* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);

    dialog.edtRecord()->clear();
    QTest::keyClicks(dialog.edtRecord(), "postgresql://line@db:99999/km640");
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.lblProblem()->text().contains("not a port number"));
    QCOMPARE(settings.texts[kRecordSetting], std::string("/srv/old.sqlite"));

    // The settings file is plain text: a URL with a password is not kept,
    // whether the password is in the user part or a parameter.
    for (const char* withPassword :
         {"postgresql://line:Zq7Xw9@db/km640", "postgresql://line@db/km640?password=Zq7Xw9"}) {
        dialog.edtRecord()->clear();
        QTest::keyClicks(dialog.edtRecord(), withPassword);
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.lblProblem()->text().contains("~/.pgpass"));
        QVERIFY(!dialog.lblProblem()->text().contains("Zq7Xw9"));
        QCOMPARE(settings.texts[kRecordSetting], std::string("/srv/old.sqlite"));
    }

    dialog.edtRecord()->clear();
    QTest::keyClicks(dialog.edtRecord(), "postgresql://line@db/km640");
    QTest::keyClicks(dialog.edtStation(), "line-3 ");
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(settings.texts[kRecordSetting], std::string("postgresql://line@db/km640"));
    QCOMPARE(settings.texts[kStationSetting], std::string("line-3"));
}

// Another program holds the station's record (a hand-made change left open):
// the scan waits its few seconds with the window painting and the progress
// window saying why, then says the record is locked; nothing is programmed.
void ProductionRecordWindowTest::windowPaintsWhileTheRecordIsLocked() {
    auto board = StartBoard(PagerMemory("OLD"));
    MainWindowFixture f;
    f.devices.records = DevicesWithBoard(*board);
    TfmMain& w = f.start();
    scan(f, "A1B2C3D4E5F6");
    QVERIFY(f.messages.shown.empty());
    const int writes = board->writeCount();
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other");
        other.setDatabaseName(QString::fromStdString(f.path("data/km640-production.sqlite")));
        QVERIFY(other.open());
        QSqlQuery hold(other);
        QVERIFY(hold.exec("BEGIN IMMEDIATE"));
        WhileWaiting waiting(w);
        scan(f, "A1B2C3D4E5F7");
        waiting.timer.stop();
        QVERIFY(hold.exec("ROLLBACK"));
        QVERIFY(waiting.ticks > 0);
        QCOMPARE(waiting.caption, QString("Production Record ..."));
        QVERIFY(waiting.mainDisabled);
    }
    QSqlDatabase::removeDatabase("other");
    QCOMPARE(f.messages.shown.size(), size_t(1));
    QVERIFY2(f.messages.last().find("the record is locked by another program (database is locked") !=
                 std::string::npos,
             f.messages.last().c_str());
    QVERIFY(f.messages.last().ends_with("The pager was not programmed."));
    QCOMPARE(board->writeCount(), writes);
    QVERIFY(w.isEnabled());
    QVERIFY(!w.state().isVisible());
    QCOMPARE(w.statusText(1), QString("  Ready ......"));
    // The record is free again: the next scan is programmed.
    scan(f, "A1B2C3D4E5F7");
    QCOMPARE(f.messages.shown.size(), size_t(1));
    QVERIFY(board->writeCount() > writes);
}

// The shared server hangs: the scan is given up after a few seconds with the
// reason, the window painting all the while; nothing is programmed, and the
// line goes on when the server is back.
void ProductionRecordWindowTest::frozenServerIsReportedWhileTheWindowPaints() {
    if (!PostgresServer::findPrograms())
        QSKIP("PostgreSQL server programs (initdb, pg_ctl) are not installed; scripts/deps.sh installs them");
    PostgresServer server;
    QVERIFY2(server.start(), server.error().c_str());
    QVERIFY(server.createDatabase("line"));
    auto board = StartBoard(PagerMemory("OLD"));
    MainWindowFixture f;
    f.devices.records = DevicesWithBoard(*board);
    f.preferences.texts[kRecordSetting] = server.url("line");
    TfmMain& w = f.start();
    scan(f, "A1B2C3D4E5F6");
    QVERIFY(f.messages.shown.empty());
    const int writes = board->writeCount();
    QVERIFY(server.freeze());
    {
        WhileWaiting waiting(w);
        scan(f, "A1B2C3D4E5F7");
        waiting.timer.stop();
        QVERIFY(server.thaw());
        QVERIFY(waiting.ticks > 0);
        QCOMPARE(waiting.caption, QString("Production Record ..."));
    }
    QCOMPARE(f.messages.shown.size(), size_t(1));
    QVERIFY2(f.messages.last().find("took longer than 10 s (the server did not answer in time)") != std::string::npos,
             f.messages.last().c_str());
    QVERIFY(f.messages.last().ends_with("The pager was not programmed."));
    QCOMPARE(board->writeCount(), writes);
    QVERIFY(w.isEnabled());
    scan(f, "A1B2C3D4E5F7");
    QCOMPARE(f.messages.shown.size(), size_t(1));
    QVERIFY(board->writeCount() > writes);
}

namespace {

// What "Production Record..." shows as the record in use; the dialog is
// closed as soon as it is up.
QString recordInUse(TfmMain& w) {
    QString shown;
    QTimer::singleShot(0, &w, [&shown] {
        auto* dialog = qobject_cast<ProductionRecordDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        shown = dialog->lblInUse()->text();
        dialog->reject();
    });
    w.editProductionRecord();
    return shown;
}

}  // namespace

// The window and km640-cli, started anywhere, use one record on a PC: the
// one in the user's data folder, which both find the same way.
void ProductionRecordWindowTest::windowAndCliShareThePcsRecord() {
    QTemporaryDir home;
    const QByteArray dataHome = (home.path() + "/share").toLocal8Bit();
    qputenv("XDG_DATA_HOME", dataHome);
    auto board = StartBoard(PagerMemory("OLD"));
    MainWindowFixture f;
    f.services->dataDirectory = UserDataFolder(dataHome.constData(), nullptr).string();
    f.devices.records = DevicesWithBoard(*board);
    TfmMain& w = f.start();
    const std::string shared = home.path().toStdString() + "/share/km640/km640-production.sqlite";
    QCOMPARE(w.recordPlace()->text().toStdString(), "Record: " + shared);
    scan(f, "A1B2C3D4E5F6");
    QVERIFY(f.messages.shown.empty());
    QCOMPARE(recordInUse(w).toStdString(), "In use: " + shared);

    // km640-cli in another folder, with another log folder, lists that run.
    const std::string cli = "cd '" + home.path().toStdString() + "' && XDG_DATA_HOME='" + dataHome.toStdString() +
                            "' " KM640_CLI_PROGRAM " records --log-dir logs";
    const ProgramRun table = runProgram(cli, StandardError::WithOutput);
    QCOMPARE(table.status, 0);
    QVERIFY2(table.out.starts_with("Production record: " + shared + "\n"), table.out.c_str());
    QVERIFY2(table.out.find("A1B2C3D4E5F6") != std::string::npos, table.out.c_str());
    QVERIFY(!QFile::exists(home.path() + "/logs"));
    qunsetenv("XDG_DATA_HOME");
}

// A record the window kept in its start folder before is still used while
// it is there; the status bar and the dialog say where it is and where to
// move it, so that the window and km640-cli share one.
void ProductionRecordWindowTest::recordAtTheEarlierPlaceIsStillUsed() {
    auto board = StartBoard(PagerMemory("OLD"));
    MainWindowFixture f;
    {
        ProductionRecord earlier;
        QVERIFY(earlier.open(ParseRecordUrl(f.path("km640-production.sqlite")).location));
    }
    f.devices.records = DevicesWithBoard(*board);
    TfmMain& w = f.start();
    const std::string earlier = f.path("km640-production.sqlite"), shared = f.path("data/km640-production.sqlite");
    const std::string note = "Using the record at " + earlier +
                             " (the earlier place); to share it with the window and km640-cli on this PC, move it "
                             "to " + shared + " while no station uses it.";
    QCOMPARE(w.recordPlace()->text().toStdString(), "Record: " + earlier + " (earlier place)");
    QCOMPARE(w.recordPlace()->toolTip().toStdString(), note);
    QCOMPARE(recordInUse(w).toStdString(), "In use: " + earlier + "\n" + note);
    scan(f, "A1B2C3D4E5F6");
    QVERIFY(f.messages.shown.empty());
    QCOMPARE(recorded(earlier).size(), size_t(1));
    QVERIFY(!QFile::exists(QString::fromStdString(shared)));

    // A record given in the setting wins.
    f.preferences.texts[kRecordSetting] = f.path("given.sqlite");
    scan(f, "A1B2C3D4E5F7");
    QCOMPARE(recorded(f.path("given.sqlite")).size(), size_t(1));
    QCOMPARE(w.recordPlace()->text().toStdString(), "Record: " + f.path("given.sqlite"));
    QCOMPARE(w.recordPlace()->toolTip().toStdString(), f.path("given.sqlite"));
}

QTEST_MAIN(ProductionRecordWindowTest)
#include "ProductionRecordWindowTest.moc"
