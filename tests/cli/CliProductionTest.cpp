// km640-cli production on a production line: every run in the production
// record (SQLite in the log folder here), a serial number that was
// programmed before refused, labels read from a scanner on standard input,
// and the record listed for the quality department.

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QSqlDatabase>
#include <QSqlQuery>

#include "cli/ExitCode.h"
#include "pager/ProductionLog.h"
#include "record/CodePlugFingerprint.h"
#include "record/ProductionRecord.h"
#include "tests/cli/CliFixture.h"

using namespace km640;
using namespace km640::cli;

namespace {

class CliProduction : public CliOverPty {
protected:
    void SetUp() override {
        CliOverPty::SetUp();
        startBoard(clitest::savedImage(), withSerial());
        fs::create_directories(path("logs"));
        file_ = save("line.tbl", clitest::savedImage());
    }
    std::vector<std::string> production(std::vector<std::string> more) {
        std::vector<std::string> args{"production", "--port", port(), file_, "--log-dir", path("logs")};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
    std::vector<RecordedRun> recorded(const std::string& record = {}) {
        ProductionRecord r;
        EXPECT_TRUE(r.open(ParseRecordUrl(record.empty() ? recordFile() : record).location))
            << r.error();
        return r.runs({}).value_or(std::vector<RecordedRun>{});
    }
    std::string logText() {
        std::ifstream log(path("logs/2010-03-07.log"), std::ios::binary);
        std::stringstream text;
        text << log.rdbuf();
        return text.str();
    }
    // From now on the record takes claims but refuses every outcome, as a
    // full disk under it would.
    void fillDiskUnderRecord() {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "sabotage");
            db.setDatabaseName(QString::fromStdString(recordFile()));
            ASSERT_TRUE(db.open());
            QSqlQuery query(db);
            ASSERT_TRUE(query.exec("CREATE TRIGGER full_disk BEFORE UPDATE ON production_run "
                                   "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END"));
        }
        QSqlDatabase::removeDatabase("sabotage");
    }
    std::string file_;
};

const char* kLogHeader = "-------  KM645 Programming (Barcode) Start ------- \r\n";

}  // namespace

TEST_F(CliProduction, EveryRunIsRecordedAndARepeatIsRefused) {
    const auto first = run(production({"--serial", "ZX9876543210"}));
    ASSERT_EQ(first.code, 0) << first.err;
    EXPECT_EQ(first.out, "Write Success !\n");

    const int writes = board_->writeCount();
    const auto again = run(production({"--serial", "ZX9876543210", "--station", "line-2"}));
    EXPECT_EQ(again.code, toInt(ExitCode::RepeatRefused));
    EXPECT_EQ(again.out, "");
    EXPECT_EQ(again.err,
              "km640-cli: ZX9876543210 was programmed on 2010-03-07 14:05:09+01:00 at station bench-pc (port " +
                  port() + "); not programmed again (--allow-repeat programs it anyway).\n");
    EXPECT_EQ(board_->writeCount(), writes) << "nothing is sent to the board";

    const auto repeat = run(production({"--serial", "ZX9876543210", "--allow-repeat"}));
    EXPECT_EQ(repeat.code, 0) << repeat.err;

    const auto runs = recorded();
    ASSERT_EQ(runs.size(), 3u);
    const RecordedRun& r = runs[0];
    EXPECT_EQ(r.startedUtc, "2010-03-07T13:05:09.000Z");
    EXPECT_EQ(r.startedLocal, "2010-03-07T14:05:09+01:00");
    EXPECT_EQ(r.station, "bench-pc");
    EXPECT_EQ(r.port, port());
    EXPECT_EQ(r.serial, "ZX9876543210");
    EXPECT_EQ(r.firmware, "1.2.10");
    EXPECT_EQ(r.outcome, "Write Success !");
    EXPECT_EQ(r.state, RunState::Programmed);
    EXPECT_EQ(r.programVersion, "1.1.9");
    EXPECT_EQ(r.codePlugFile, file_);
    EXPECT_EQ(r.codePlugSha256, CodePlugSha256(load(file_)));
    EXPECT_EQ(r.durationMs, 1500);
    EXPECT_EQ(runs[1].station, "line-2");
    EXPECT_EQ(runs[1].state, RunState::Refused);
    EXPECT_EQ(runs[1].repeatOf, r.id);
    EXPECT_EQ(runs[2].state, RunState::Programmed);
    EXPECT_EQ(runs[2].repeatOf, r.id);
    // The day's log knows only the runs that reached the board.
    EXPECT_EQ(logText(), std::string(kLogHeader) +
                             "2010-03-07 14:05:09  Serial No. = ZX9876543210  Write Success !\r\n"
                             "2010-03-07 14:05:09  Serial No. = ZX9876543210  Write Success !\r\n");
}

TEST_F(CliProduction, LabelsFromAScannerOnStandardInput) {
    const auto scanned = run(production({"--serial-from-stdin"}),
                             "ZX9876543210\r\n\n   \nSHORT1\nZX9876543211  \nZX9876543210\n");
    EXPECT_EQ(scanned.code, toInt(ExitCode::RepeatRefused)) << scanned.err;
    EXPECT_EQ(scanned.out,
              "2010-03-07 14:05:09  ZX9876543210  Write Success !  1.5 s\n"
              "2010-03-07 14:05:09  ZX9876543211  Write Success !  1.5 s\n"
              "2010-03-07 14:05:09  ZX9876543210  Refused: programmed before\n"
              "Programmed: 2  Failed: 0  Refused: 1\n");
    const std::string prompt = "Scan the next serial number (Ctrl-D ends): ";
    EXPECT_EQ(scanned.err.find(prompt), 0u);
    EXPECT_NE(scanned.err.find("\"SHORT1\" is not read as a serial number: a scanned serial number has 11 to 14 "
                               "characters; scan it again."),
              std::string::npos);
    EXPECT_NE(scanned.err.find("ZX9876543210 was programmed on"), std::string::npos);
    EXPECT_EQ(SerialNumberText(board_->memory()), "ZX9876543211");
    EXPECT_EQ(recorded().size(), 3u);

    // A board that does not answer fails its pagers; the run goes on.
    BoardOptions silent = withSerial();
    silent.faults.silent = true;
    startBoard(clitest::savedImage(), silent);
    const auto gone = run(production({"--serial-from-stdin"}), "ZX0000000001\nZX0000000002\n");
    EXPECT_EQ(gone.code, toInt(ExitCode::NoBoard));
    EXPECT_EQ(gone.out,
              "2010-03-07 14:05:09  ZX0000000001  The Board is not responding !  1.5 s\n"
              "2010-03-07 14:05:09  ZX0000000002  The Board is not responding !  1.5 s\n"
              "Programmed: 0  Failed: 2  Refused: 0\n");

    const auto empty = run(production({"--serial-from-stdin"}), "");
    EXPECT_EQ(empty.code, 0);
    EXPECT_EQ(empty.out, "Programmed: 0  Failed: 0  Refused: 0\n");
}

TEST_F(CliProduction, NoRecordNoProgramming) {
    const struct {
        std::string record;       // --record
        std::string environment;  // KM640_RECORD
        const char* says;
    } cases[] = {
        {path("missing/r.sqlite"), "", "cannot be opened"},
        {"", "postgresql://km640@/km640?host=" + path("nosocket"), "cannot be opened"},
        {"", "mysql://db/km640", "KM640_RECORD: unknown kind of production record 'mysql'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        recordEnvironment_ = c.environment;
        auto args = production({"--serial", "ZX9876543210"});
        if (!c.record.empty()) args.insert(args.end(), {"--record", c.record});
        const auto refused = run(args);
        EXPECT_EQ(refused.code, toInt(ExitCode::LogNotOpened));
        EXPECT_NE(refused.err.find(c.says), std::string::npos) << refused.err;
        EXPECT_NE(refused.err.find("no pager was programmed"), std::string::npos) << refused.err;
    }
    EXPECT_EQ(board_->writeCount(), 0);
    EXPECT_FALSE(fs::exists(path("logs/2010-03-07.log")));
}

// A record elsewhere, a log folder that is gone: the day's log refuses the
// run, and the record says so.
TEST_F(CliProduction, LogFailureIsRecorded) {
    const std::string record = path("record.sqlite");
    auto args = production({"--serial", "ZX9876543210", "--record", record});
    args[5] = path("nowhere");  // --log-dir
    const auto noLog = run(args);
    EXPECT_EQ(noLog.code, toInt(ExitCode::LogNotOpened));
    EXPECT_EQ(noLog.err, "Save Error!\nkm640-cli: cannot open the production log " + path("nowhere") +
                             "/2010-03-07.log: No such file or directory; the pager was not programmed.\n");
    EXPECT_EQ(board_->writeCount(), 0);
    const auto runs = recorded(record);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].state, RunState::Failed);
    EXPECT_EQ(runs[0].outcome, "Save Error!");
}

// The record takes the claim but refuses the outcome (a full disk, a
// dropped server): the pager is programmed, and that is said, with its own
// exit code.
TEST_F(CliProduction, RecordLostAfterProgramming) {
    ASSERT_EQ(run(production({"--serial", "ZX0000000000"})).code, 0);
    fillDiskUnderRecord();
    const auto lost = run(production({"--serial", "ZX9876543210"}));
    EXPECT_EQ(lost.code, toInt(ExitCode::RecordLost));
    EXPECT_EQ(lost.out, "Write Success !\n");
    EXPECT_NE(lost.err.find("ZX9876543210: Write Success !, but the run could not be written into the production "
                            "record"),
              std::string::npos)
        << lost.err;
    EXPECT_NE(lost.err.find("database or disk is full"), std::string::npos) << lost.err;
    EXPECT_EQ(SerialNumberText(board_->memory()), "ZX9876543210");
    // Its row stays unfinished, so the label is still not programmed twice.
    const auto again = run(production({"--serial", "ZX9876543210"}));
    EXPECT_EQ(again.code, toInt(ExitCode::RepeatRefused));
    EXPECT_NE(again.err.find("is still being programmed at station bench-pc"), std::string::npos) << again.err;
}

// 10 and 11 only ever say that a pager was programmed. A write that fails
// while the record refuses its outcome keeps the write's own code and says
// both things; in a run of scanned labels an earlier refusal does not hide a
// lost row, and the summary names the pager whose row was lost.
TEST_F(CliProduction, LostRowsAreNamedAndNeverCalledWritten) {
    ASSERT_EQ(run(production({"--serial", "ZX0000000000"})).code, 0);
    fillDiskUnderRecord();

    const auto scanned = run(production({"--serial-from-stdin"}), "ZX0000000000\nZX9876543210\n");
    EXPECT_EQ(scanned.code, toInt(ExitCode::RecordLost)) << scanned.err;
    EXPECT_EQ(scanned.out,
              "2010-03-07 14:05:09  ZX0000000000  Refused: programmed before\n"
              "2010-03-07 14:05:09  ZX9876543210  Write Success !  1.5 s\n"
              "Programmed: 1  Failed: 0  Refused: 1\n"
              "Record row lost: ZX9876543210\n");

    BoardOptions failing = withSerial();
    failing.faults.noWriteAckAtBlock = 5;
    startBoard(clitest::savedImage(), failing);
    const auto failed = run(production({"--serial", "ZX1111111111"}));
    EXPECT_EQ(failed.code, toInt(ExitCode::WriteFail)) << failed.err;
    EXPECT_EQ(failed.out, "Write Fail !\n");
    EXPECT_NE(failed.err.find("ZX1111111111 was not programmed (Write Fail !), and the run could not be written into "
                              "the production record: "),
              std::string::npos)
        << failed.err;
}

// Whatever a scanner gone wild sends, the terminal gets a short echo with
// its control bytes escaped.
TEST_F(CliProduction, ScannerGarbageIsEchoedShortAndHarmless) {
    const std::string garbage = "\x1b]0;owned\x07" + std::string(100, 'Q');
    const auto scanned = run(production({"--serial-from-stdin"}), garbage + "\n");
    EXPECT_EQ(scanned.code, 0);
    EXPECT_EQ(scanned.err.find('\x1b'), std::string::npos) << scanned.err;
    EXPECT_EQ(scanned.err.find('\x07'), std::string::npos) << scanned.err;
    EXPECT_NE(scanned.err.find("\"\\x1B]0;owned\\x07" + std::string(21, 'Q') + "...\" is not read as a serial number"),
              std::string::npos)
        << scanned.err;
    EXPECT_EQ(board_->writeCount(), 0);
}

TEST_F(CliProduction, RecordsForTheQualityDepartment) {
    ASSERT_EQ(run(production({"--serial", "ZX9876543210"})).code, 0);
    ASSERT_EQ(run(production({"--serial", "ZX9876543211", "--station", "line, \"2\""})).code, 0);
    ASSERT_EQ(run(production({"--serial", "ZX9876543210"})).code, toInt(ExitCode::RepeatRefused));
    const std::vector<std::string> logs{"--log-dir", path("logs")};
    const auto records = [&](std::vector<std::string> more) {
        std::vector<std::string> args{"records"};
        args.insert(args.end(), logs.begin(), logs.end());
        args.insert(args.end(), more.begin(), more.end());
        return run(args);
    };

    const auto csv = records({"--csv"});
    ASSERT_EQ(csv.code, 0) << csv.err;
    std::vector<std::string> lines;
    std::stringstream text(csv.out);
    for (std::string line; std::getline(text, line, '\n');) lines.push_back(line);
    ASSERT_EQ(lines.size(), 4u) << csv.out;
    EXPECT_EQ(lines[0].rfind("id,started_utc,started_local,station,", 0), 0u);
    EXPECT_NE(lines[2].find(",\"line, \"\"2\"\"\","), std::string::npos) << lines[2];
    EXPECT_NE(lines[3].find(",Refused: programmed before,refused,1,"), std::string::npos) << lines[3];
    for (const auto& line : lines) EXPECT_EQ(line.back(), '\r');

    const auto one = records({"--serial", "ZX9876543211"});
    EXPECT_EQ(one.code, 0);
    EXPECT_NE(one.out.find("ZX9876543211  1.2.10    Write Success !  1.5 s"), std::string::npos) << one.out;
    EXPECT_EQ(one.out.find("ZX9876543210"), std::string::npos);

    // A table says first which record it lists.
    const std::string named = "Production record: " + recordFile() + "\n";
    EXPECT_EQ(records({"--summary"}).out, named +
              "Day         Outcome                     Runs\n"
              "2010-03-07  Refused: programmed before  1\n"
              "2010-03-07  Write Success !             2\n");
    EXPECT_EQ(records({"--summary", "--csv", "--station", "bench-pc"}).out,
              "day,outcome,runs\r\n2010-03-07,Refused: programmed before,1\r\n2010-03-07,Write Success !,1\r\n");
    EXPECT_EQ(records({"--since", "2010-03-08"}).out,
              named + "Started  Station  Port  Serial No.  Firmware  Outcome  Duration\nNo runs recorded.\n");
    EXPECT_EQ(records({"--since", "2010-03-07", "--until", "2010-03-07", "--csv"}).out, csv.out);
    EXPECT_EQ(records({"--until", "2010-03-06", "--csv"}).out, lines[0] + "\n");
    EXPECT_EQ(records({"--until", "2010-03-07", "--csv"}).out, csv.out);

    // A user whose data folder holds no record yet.
    dataFolder_ = path("new-user/km640");
    const auto none = run({"records", "--log-dir", path("empty")});
    EXPECT_EQ(none.code, toInt(ExitCode::LogNotOpened));
    EXPECT_EQ(none.err, "km640-cli: there is no production record " + recordFile() + "\n");
    EXPECT_FALSE(fs::exists(path("new-user")));
}

// Another station settles the run as abandoned while this one is writing
// the pager (its operator took the station for dead): the run stays
// abandoned, and the station says by whom and when, on its output and in
// the day's log under the pager's line, so that the pager gets checked.
TEST_F(CliProduction, ARunAbandonedMeanwhileIsSaidAndLogged) {
    recordClock_.onLook = [&](int look) {
        if (look != 2) return;  // the pager has been written
        ProductionRecord other;
        ASSERT_TRUE(other.open(ParseRecordUrl(recordFile()).location)) << other.error();
        ASSERT_EQ(other.abandon("ZX9876543210", "qa@line-pc", "2010-03-07T13:06:00.000Z")->size(), 1u);
    };
    const auto produced = run(production({"--serial", "ZX9876543210"}));
    const std::string said = "this run was settled as abandoned by qa@line-pc at 2010-03-07T13:06:00.000Z; the pager "
                             "was programmed: check it";
    EXPECT_EQ(produced.code, toInt(ExitCode::RecordLost));
    EXPECT_EQ(produced.err, "km640-cli: ZX9876543210: Write Success !, but " + said + "\n");
    EXPECT_EQ(logText(), DailyLogHeader() + "2010-03-07 14:05:09  Serial No. = ZX9876543210  Write Success !\r\n" +
                             "2010-03-07 14:05:09  Serial No. = ZX9876543210  " + said + "\r\n");
    const auto runs = recorded();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_TRUE(runs[0].state == RunState::Abandoned);
}

// A record that an earlier version kept beside the day's logs is still
// used, and every use says where it is and where to move it; the note goes
// to standard error, so a CSV listing stays CSV. A record given wins.
TEST_F(CliProduction, ARecordAtTheEarlierPlaceIsStillUsed) {
    const std::string earlier = path("logs/km640-production.sqlite");
    {
        ProductionRecord record;
        ASSERT_TRUE(record.open(ParseRecordUrl(earlier).location)) << record.error();
    }
    const std::string note = "km640-cli: using the record at " + earlier +
                             " (the earlier place); to share it with the window and km640-cli on this PC, move it to " +
                             recordFile() + " while no station uses it\n";
    const auto produced = run(production({"--serial", "ZX9876543210"}));
    EXPECT_EQ(produced.code, 0) << produced.err;
    EXPECT_EQ(produced.err, note);
    EXPECT_EQ(recorded(earlier).size(), 1u);
    EXPECT_FALSE(fs::exists(dataFolder_)) << "nothing made in the data folder";

    const auto csv = run({"records", "--log-dir", path("logs"), "--csv"});
    EXPECT_EQ(csv.err, note);
    EXPECT_EQ(csv.out.rfind("id,started_utc,", 0), 0u) << csv.out;
    EXPECT_NE(csv.out.find(",ZX9876543210,"), std::string::npos) << csv.out;
    const auto table = run({"records", "--log-dir", path("logs")});
    EXPECT_EQ(table.out.rfind("Production record: " + earlier + "\n", 0), 0u) << table.out;

    const auto given = run(production({"--serial", "ZX9876543211", "--record", path("given.sqlite")}));
    EXPECT_EQ(given.code, 0) << given.err;
    EXPECT_EQ(given.err, "");
    EXPECT_EQ(recorded(path("given.sqlite")).size(), 1u);
}

// A record no pager went through yet (the station opened it, or a new file)
// lists as empty, so a technician or a script can check the connection
// before the first pager.
TEST_F(CliProduction, ARecordWithoutRunsListsEmpty) {
    {
        ProductionRecord record;
        ASSERT_TRUE(record.open(ParseRecordUrl(path("opened.sqlite")).location)) << record.error();
    }
    std::ofstream(path("new.sqlite"));
    for (const char* file : {"opened.sqlite", "new.sqlite"}) {
        SCOPED_TRACE(file);
        const auto table = run({"records", "--record", path(file)});
        EXPECT_EQ(table.code, 0) << table.err;
        EXPECT_EQ(table.out, "Production record: " + path(file) +
                                 "\nStarted  Station  Port  Serial No.  Firmware  Outcome  Duration\nNo runs recorded.\n");
        const auto csv = run({"records", "--record", path(file), "--csv"});
        EXPECT_EQ(csv.code, 0) << csv.err;
        EXPECT_EQ(csv.out.rfind("id,started_utc,", 0), 0u) << csv.out;
        EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 1);
        const auto summary = run({"records", "--record", path(file), "--summary", "--csv"});
        EXPECT_EQ(summary.code, 0) << summary.err;
        EXPECT_EQ(summary.out, "day,outcome,runs\r\n");
    }
}

// records --csv for a spreadsheet in a German locale: ';' between the
// columns and a byte-order mark, read back by Python's csv module as such
// a spreadsheet would split it.
TEST_F(CliProduction, RecordsAsAGermanSpreadsheetReadsThem) {
    ASSERT_EQ(run(production({"--serial", "ZX9876543210", "--station", "Linie S\xC3\xBC" "d; 2"})).code, 0);
    const auto csv = run({"records", "--log-dir", path("logs"), "--csv", "--csv-separator", ";", "--bom"});
    ASSERT_EQ(csv.code, 0) << csv.err;
    EXPECT_EQ(csv.out.rfind("\xEF\xBB\xBF" "id;started_utc;", 0), 0u);
    std::ofstream(path("runs.csv"), std::ios::binary) << csv.out;
    const std::string script = path("read.py");
    std::ofstream(script) << "import csv, sys\n"
                             "with open(sys.argv[1], encoding='utf-8-sig', newline='') as f:\n"
                             "    rows = list(csv.reader(f, delimiter=';'))\n"
                             "print(len(rows), len(rows[0]), rows[1][rows[0].index('station')], "
                             "rows[1][rows[0].index('serial')], rows[1][rows[0].index('outcome')])\n";
    FILE* pipe = popen(("python3 " + script + " " + path("runs.csv")).c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[256] = {};
    const std::string read = fgets(buffer, sizeof buffer, pipe) ? buffer : "";
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_EQ(read, "2 20 Linie S\xC3\xBC" "d; 2 ZX9876543210 Write Success !\n");
    EXPECT_EQ(run({"records", "--log-dir", path("logs"), "--bom"}).code, toInt(ExitCode::Usage));
    EXPECT_EQ(run({"records", "--log-dir", path("logs"), "--csv", "--csv-separator", "|"}).code, toInt(ExitCode::Usage));
}

// A user who may not enter the record's folder is told so (no abort).
TEST_F(CliProduction, ARecordOutOfReachIsSaid) {
    ASSERT_EQ(run(production({"--serial", "ZX9876543210"})).code, 0);
    fs::permissions(dataFolder_, fs::perms::none);
    const passwd* nobody = getpwnam("nobody");
    ASSERT_TRUE(geteuid() != 0 || nobody != nullptr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)) _exit(50);
        const auto listed = run({"records", "--log-dir", path("logs")});
        const bool said = listed.err.find("cannot reach the production record " +
                                          recordFile() + ": Permission denied") !=
                          std::string::npos;
        _exit(said ? listed.code : 51);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    fs::permissions(dataFolder_, fs::perms::owner_all);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), toInt(ExitCode::LogNotOpened));
}

// Listing the record changes nothing in it: a record an older program left
// is listed as it is (no upgrade).
TEST_F(CliProduction, RecordsLeavesTheRecordAsItIs) {
    const std::string file = recordFile();
    fs::create_directories(dataFolder_);
    {
        ProductionRecord record;
        ASSERT_TRUE(record.openAtSchemaVersion(ParseRecordUrl(file).location, 1)) << record.error();
        const Claim claim = record.claim({"2010-03-07T13:05:09.000Z", "2010-03-07T14:05:09+01:00", "line-1",
                                          "/dev/ttyUSB0", "ZX9876543210", "1.1.9", std::string(64, '0'), "line.tbl", {}, {}},
                                         false);
        ASSERT_TRUE(record.finish(claim.runId, {RunState::Programmed, "Write Success !", "1.2.10", 1500}));
    }
    const auto bytes = [&] {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    };
    const std::string before = bytes();
    const auto listed = run({"records", "--log-dir", path("logs"), "--csv"});
    ASSERT_EQ(listed.code, 0) << listed.err;
    EXPECT_NE(listed.out.find(",ZX9876543210,1.2.10,Write Success !,programmed,"), std::string::npos) << listed.out;
    EXPECT_EQ(run({"records", "--log-dir", path("logs"), "--summary"}).code, 0);
    EXPECT_TRUE(bytes() == before) << "the record file was changed";
    ProductionRecord record;
    ASSERT_TRUE(record.openForReading(ParseRecordUrl(file).location)) << record.error();
    EXPECT_EQ(record.schemaVersion(), 1);
}

// The station of a run died: the run stays unfinished and the serial number
// is refused on every station until the run is settled. records --abandon
// shows the run and asks on a terminal; a script must say --yes.
TEST_F(CliProduction, AbandonSettlesARunWhoseStationDied) {
    const std::string file = recordFile();
    fs::create_directories(dataFolder_);
    {
        ProductionRecord record;
        ASSERT_TRUE(record.open(ParseRecordUrl(file).location)) << record.error();
        ASSERT_EQ(record.claim({"2010-03-07T12:00:00.000Z", "2010-03-07T13:00:00+01:00", "line-1", "/dev/ttyUSB0",
                                "ZX9876543210", "1.1.9", std::string(64, '0'), "line.tbl", {}, {}},
                               false)
                      .kind,
                  Claim::Kind::Granted);
    }
    const auto refused = run(production({"--serial", "ZX9876543210"}));
    EXPECT_EQ(refused.code, toInt(ExitCode::RepeatRefused));
    EXPECT_NE(refused.err.find("ZX9876543210 is still being programmed at station line-1 (port /dev/ttyUSB0) since "
                               "2010-03-07 13:00:00+01:00"),
              std::string::npos)
        << refused.err;
    EXPECT_NE(refused.err.find("records --abandon ZX9876543210"), std::string::npos) << refused.err;
    EXPECT_NE(run({"records", "--log-dir", path("logs")}).out.find("(unfinished)"), std::string::npos);

    const std::vector<std::string> abandon{"records", "--log-dir", path("logs"), "--abandon", "ZX9876543210"};
    const std::string shown =
        "ZX9876543210 is still being programmed at station line-1 (port /dev/ttyUSB0) since 2010-03-07 "
        "13:00:00+01:00.\n";
    // Without a terminal to ask on, nothing is changed.
    const auto noTerminal = run(abandon, "y\n");
    EXPECT_EQ(noTerminal.code, toInt(ExitCode::Usage));
    EXPECT_EQ(noTerminal.out, shown);
    EXPECT_NE(noTerminal.err.find("--yes"), std::string::npos) << noTerminal.err;
    // The operator says no (or just Enter).
    inIsTerminal_ = true;
    for (const char* answer : {"n\n", "\n", ""}) {
        const auto no = run(abandon, answer);
        EXPECT_EQ(no.code, toInt(ExitCode::Differences)) << answer;
        EXPECT_NE(no.err.find("[y/N] Nothing was changed."), std::string::npos) << no.err;
    }
    EXPECT_EQ(recorded()[0].state, RunState::Running);
    // ... and then yes.
    const auto yes = run(abandon, "y\n");
    ASSERT_EQ(yes.code, 0) << yes.err;
    const passwd* user = getpwuid(geteuid());
    ASSERT_NE(user, nullptr);
    const std::string by = std::string(user->pw_name) + "@bench-pc";
    EXPECT_EQ(yes.out, shown + "Abandoned: the run of ZX9876543210 started 2010-03-07 13:00:00+01:00 at station "
                                   "line-1, by " + by + " at 2010-03-07 14:05:09+01:00.\n");
    // Nothing is left to settle.
    EXPECT_EQ(run(abandon, "y\n").code, toInt(ExitCode::Differences));
    inIsTerminal_ = false;

    const auto runs = recorded();
    EXPECT_EQ(runs[0].state, RunState::Abandoned);
    EXPECT_EQ(runs[0].abandonedBy, by);
    EXPECT_EQ(runs[0].abandonedUtc, "2010-03-07T13:05:09.000Z");
    EXPECT_EQ(run({"records", "--log-dir", path("logs"), "--summary"}).out,
              "Production record: " + recordFile() + "\n"
              "Day         Outcome                     Runs\n"
              "2010-03-07  (abandoned)                 1\n"
              "2010-03-07  Refused: programmed before  1\n");

    // The pager is programmed now; a script settles without asking.
    ASSERT_EQ(run(production({"--serial", "ZX9876543210"})).code, 0);
    {
        ProductionRecord record;
        ASSERT_TRUE(record.open(ParseRecordUrl(file).location));
        ASSERT_EQ(record.claim({"2010-03-07T12:30:00.000Z", "2010-03-07T13:30:00+01:00", "line-2", "/dev/ttyUSB1",
                                "ZX9876543211", "1.1.9", std::string(64, '0'), "line.tbl", {}, {}},
                               false)
                      .kind,
                  Claim::Kind::Granted);
    }
    const auto script = run({"records", "--log-dir", path("logs"), "--abandon", "ZX9876543211", "--yes",
                             "--station", "line-2"});
    ASSERT_EQ(script.code, 0) << script.err;
    EXPECT_NE(script.out.find("by line-2 at"), std::string::npos) << script.out;
    EXPECT_EQ(run({"records", "--log-dir", path("logs"), "--abandon", "ZX98", "--csv"}).code,
              toInt(ExitCode::Usage));
}
