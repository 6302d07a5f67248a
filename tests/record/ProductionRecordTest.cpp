// The production record in real databases: SQLite files in temporary
// folders and a PostgreSQL server the test starts. Every test runs on both.

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "record/ProductionRecord.h"
#include "record/RecordListing.h"
#include "tests/record/RecordBackends.h"
#include "tests/support/GeneratedRecord.h"

using namespace km640;
using namespace km640::testing;
namespace fs = std::filesystem;

namespace {

RunStart startOf(const std::string& serial, const std::string& station = "line-1",
                 const std::string& local = "2024-05-02T09:30:12+02:00") {
    return km640::testing::sampleRunStart(serial, "2024-05-02T07:30:12.000Z", local, station);
}

RunEnd endOf(RunState state, const std::string& outcome) { return {state, outcome, "1.2.3", 41000}; }

class ProductionRecordTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        KM640_SKIP_WITHOUT_POSTGRES(GetParam());
        folder_ = fs::temp_directory_path() / ("km640-record-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        url_ = freshRecordUrl(GetParam(), folder_);
        ASSERT_FALSE(url_.empty());
        location_ = ParseRecordUrl(url_).location;
    }
    void TearDown() override { fs::remove_all(folder_); }

    // A second way into the same database, as another program would have it.
    QSqlDatabase openRaw(const QString& name) {
        QSqlDatabase db = QSqlDatabase::addDatabase(GetParam() == Backend::Sqlite ? "QSQLITE" : "QPSQL", name);
        db.setDatabaseName(QString::fromStdString(GetParam() == Backend::Sqlite ? location_.sqliteFile
                                                                                 : location_.database));
        db.setHostName(QString::fromStdString(location_.host));
        db.setUserName(QString::fromStdString(location_.user));
        EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
        return db;
    }
    void rawExec(const QString& statement) {
        {
            QSqlDatabase db = openRaw("raw");
            QSqlQuery query(db);
            EXPECT_TRUE(query.exec(statement)) << query.lastError().text().toStdString();
        }
        QSqlDatabase::removeDatabase("raw");
    }

    fs::path folder_;
    std::string url_;
    RecordLocation location_;
};

}  // namespace

TEST_P(ProductionRecordTest, CreatesItsSchemaAndUpgradesOlderRecords) {
    {
        ProductionRecord record;
        // A record as the first program version left it, with a run in it.
        ASSERT_TRUE(record.openAtSchemaVersion(location_, 1)) << record.error();
        EXPECT_EQ(record.schemaVersion(), 1);
    }
    // Its run as that program wrote it: only the first version's columns.
    rawExec("INSERT INTO production_run (started_utc, started_local, station, port, serial, firmware, outcome, state,"
            " program_version, codeplug_sha256, codeplug_file, duration_ms) VALUES ('2024-05-02T07:30:12.000Z',"
            " '2024-05-02T09:30:12+02:00', 'line-1', '/dev/ttyUSB0', 'A1B2C3D4E5F6', '1.2.3', 'Write Success !',"
            " 'programmed', '1.1.9', 'line-sha', 'line.tbl', 41000)");
    ProductionRecord record;
    ASSERT_TRUE(record.open(location_)) << record.error();
    EXPECT_EQ(record.schemaVersion(), ProductionRecord::latestSchemaVersion());
    const auto runs = record.runs({});
    ASSERT_TRUE(runs);
    ASSERT_EQ(runs->size(), 1u);
    EXPECT_EQ((*runs)[0].outcome, "Write Success !");
    EXPECT_EQ((*runs)[0].roster, RosterRun{});  // no roster in an older record's runs
    EXPECT_EQ(record.claim(startOf("A1B2C3D4E5F6"), false).kind, Claim::Kind::Refused);

    // Opening it again changes nothing.
    record.close();
    ASSERT_TRUE(record.open(location_)) << record.error();
    EXPECT_EQ(record.runs({})->size(), 2u);
}

// The first open by a new program version upgrades a record of years in
// one go (indexes and day counts over every run). That takes longer than a
// station's call limit, and a station given up on it would fail again at
// every start: the upgrade has a limit of its own.
TEST_P(ProductionRecordTest, AnOlderRecordOfYearsIsUpgradedBeyondTheCallLimit) {
    {
        ProductionRecord record;
        ASSERT_TRUE(record.openAtSchemaVersion(location_, 1)) << record.error();
    }
    rawExec("INSERT INTO production_run (started_utc, started_local, station, port, serial, state,"
            " program_version, codeplug_sha256, codeplug_file)"
            " WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300000)"
            " SELECT '2024-05-02T07:30:12.000Z', '2024-05-02T09:30:12+02:00', 'line-1', '/dev/ttyUSB0',"
            " 'SN' || i, 'programmed', '1.1.9', 'sha', 'line.tbl' FROM n");
    ProductionRecord record;
    record.setCallLimit(std::chrono::milliseconds(250));
    ASSERT_TRUE(record.open(location_)) << record.error();
    EXPECT_EQ(record.schemaVersion(), ProductionRecord::latestSchemaVersion());
    EXPECT_EQ(record.claim(startOf("SN4711"), false).kind, Claim::Kind::Refused);
}

// A fleet's run keeps its roster, row and the pager's own fingerprint; a
// label not in the roster is recorded as refused with that reason.
TEST_P(ProductionRecordTest, KeepsWhatEachPagerOfAFleetGot) {
    ProductionRecord record;
    ASSERT_TRUE(record.open(location_)) << record.error();
    RunStart start = startOf("A1B2C3D4E5F6");
    start.roster = {"fleet.csv", std::string(64, 'f'), R"({"serial":"A1B2C3D4E5F6","LogoLine1":"Unit, \"7\""})",
                    std::string(64, 'p')};
    const Claim claim = record.claim(start, false);
    ASSERT_EQ(claim.kind, Claim::Kind::Granted) << claim.error;
    ASSERT_TRUE(record.finish(claim.runId, endOf(RunState::Programmed, "Write Success !")));
    RunStart unlisted = startOf("ZZZZZZZZZZZZ");
    unlisted.roster.file = "fleet.csv";
    ASSERT_TRUE(record.recordNotInRoster(unlisted)) << record.error();

    const auto runs = record.runs({});
    ASSERT_TRUE(runs);
    ASSERT_EQ(runs->size(), 2u);
    EXPECT_EQ((*runs)[0].roster, start.roster);
    EXPECT_EQ((*runs)[1].state, RunState::Refused);
    EXPECT_EQ((*runs)[1].outcome, kNotInRosterOutcome);
    // A label refused for the roster is no earlier run: it may be programmed once it is listed.
    EXPECT_FALSE(record.earlierRun("ZZZZZZZZZZZZ"));
}

TEST_P(ProductionRecordTest, RecordOfANewerProgramIsNotTouched) {
    {
        ProductionRecord record;
        ASSERT_TRUE(record.open(location_)) << record.error();
    }
    rawExec(QString("UPDATE km640_schema SET version = %1").arg(ProductionRecord::latestSchemaVersion() + 1));
    ProductionRecord record;
    EXPECT_FALSE(record.open(location_));
    EXPECT_NE(record.error().find("newer program"), std::string::npos) << record.error();
}

// The life of one serial number on the line.
TEST_P(ProductionRecordTest, SerialNumberIsProgrammedOnlyOnce) {
    ProductionRecord record;
    ASSERT_TRUE(record.open(location_)) << record.error();
    const std::string serial = "A1B2C3D4E5F6";

    const Claim first = record.claim(startOf(serial, "line-1"), false);
    ASSERT_EQ(first.kind, Claim::Kind::Granted) << first.error;
    EXPECT_FALSE(first.earlier);

    // While it is being programmed, another station is refused.
    const Claim during = record.claim(startOf(serial, "line-2"), false);
    ASSERT_EQ(during.kind, Claim::Kind::Refused);
    ASSERT_TRUE(during.earlier);
    EXPECT_TRUE(during.earlier->unfinished);
    EXPECT_EQ(during.earlier->station, "line-1");

    // A failed write may be tried again.
    ASSERT_TRUE(record.finish(first.runId, endOf(RunState::Failed, "Verify Fail !")));
    EXPECT_FALSE(record.earlierRun(serial));
    const Claim retry = record.claim(startOf(serial, "line-2", "2024-05-02T10:00:00+02:00"), false);
    ASSERT_EQ(retry.kind, Claim::Kind::Granted);
    ASSERT_TRUE(record.finish(retry.runId, endOf(RunState::Programmed, "Write Success !")));

    // Once programmed, it is refused with when and where ...
    const Claim again = record.claim(startOf(serial, "line-3"), false);
    ASSERT_EQ(again.kind, Claim::Kind::Refused);
    EXPECT_EQ(again.earlier->id, retry.runId);
    EXPECT_EQ(again.earlier->station, "line-2");
    EXPECT_EQ(again.earlier->startedLocal, "2024-05-02T10:00:00+02:00");
    EXPECT_FALSE(again.earlier->unfinished);
    // ... unless the repeat is allowed, and then it is marked as one.
    const Claim repeat = record.claim(startOf(serial, "line-3"), true);
    ASSERT_EQ(repeat.kind, Claim::Kind::Granted);
    EXPECT_EQ(repeat.earlier->id, retry.runId);
    ASSERT_TRUE(record.finish(repeat.runId, endOf(RunState::Programmed, "Write Success !")));
    // The window's "No" is recorded too.
    ASSERT_TRUE(record.recordRefusal(startOf(serial, "line-4"), *record.earlierRun(serial)));

    // Other serial numbers are not affected.
    EXPECT_EQ(record.claim(startOf("A1B2C3D4E5F7"), false).kind, Claim::Kind::Granted);

    const auto runs = record.runs({serial, {}, {}, {}});
    ASSERT_TRUE(runs);
    const struct {
        const char* station;
        RunState state;
        const char* outcome;
        std::optional<std::int64_t> repeatOf;
    } expected[] = {
        {"line-1", RunState::Failed, "Verify Fail !", std::nullopt},
        {"line-2", RunState::Refused, kRefusedOutcome, first.runId},
        {"line-2", RunState::Programmed, "Write Success !", std::nullopt},
        {"line-3", RunState::Refused, kRefusedOutcome, retry.runId},
        {"line-3", RunState::Programmed, "Write Success !", retry.runId},
        {"line-4", RunState::Refused, kRefusedOutcome, repeat.runId},
    };
    ASSERT_EQ(runs->size(), std::size(expected));
    for (std::size_t i = 0; i < runs->size(); ++i) {
        SCOPED_TRACE(i);
        const RecordedRun& r = (*runs)[i];
        EXPECT_EQ(r.station, expected[i].station);
        EXPECT_EQ(r.state, expected[i].state);
        EXPECT_EQ(r.outcome, expected[i].outcome);
        EXPECT_EQ(r.repeatOf, expected[i].repeatOf);
        EXPECT_EQ(r.serial, serial);
        EXPECT_EQ(r.port, "/dev/ttyUSB0");
        EXPECT_EQ(r.programVersion, "1.1.9");
        EXPECT_EQ(r.codePlugFile, "line.tbl");
    }
    EXPECT_EQ((*runs)[2].firmware, "1.2.3");
    EXPECT_EQ((*runs)[2].durationMs, 41000);
}

TEST_P(ProductionRecordTest, ListingsByDayStationAndSerial) {
    ProductionRecord record;
    ASSERT_TRUE(record.open(location_)) << record.error();
    const struct {
        const char* serial;
        const char* station;
        const char* local;
        RunState state;
        const char* outcome;
    } runs[] = {
        {"SN0000000001", "line-1", "2024-04-30T23:59:59+02:00", RunState::Programmed, "Write Success !"},
        {"SN0000000002", "line-1", "2024-05-01T00:00:00+02:00", RunState::Programmed, "Write Success !"},
        {"SN0000000003", "line-2", "2024-05-01T12:00:00+02:00", RunState::Failed, "Verify Fail !"},
        {"SN0000000004", "line-2", "2024-05-01T13:00:00+02:00", RunState::Programmed, "Write Success !"},
        {"SN0000000005", "line-1", "2024-05-02T08:00:00+02:00", RunState::Programmed, "Write Success !"},
        {"SN0000000006", "line-2", "2024-05-02T09:00:00+02:00", RunState::Running, ""},
    };
    for (const auto& r : runs) {
        const Claim claim = record.claim(startOf(r.serial, r.station, r.local), false);
        ASSERT_EQ(claim.kind, Claim::Kind::Granted) << claim.error;
        if (r.state != RunState::Running) {
            ASSERT_TRUE(record.finish(claim.runId, endOf(r.state, r.outcome)));
        }
    }
    const auto serials = [&](const RecordFilter& filter) {
        std::string text;
        const auto runs = record.runs(filter);
        for (const auto& run : runs.value()) text += run.serial.substr(11) + " ";
        return text;
    };
    EXPECT_EQ(serials({}), "1 2 3 4 5 6 ");
    EXPECT_EQ(serials({"SN0000000004", {}, {}, {}}), "4 ");
    EXPECT_EQ(serials({{}, "line-2", {}, {}}), "3 4 6 ");
    EXPECT_EQ(serials({{}, {}, "2024-05-01", "2024-05-01"}), "2 3 4 ");
    EXPECT_EQ(serials({{}, {}, "2024-05-01", {}}), "2 3 4 5 6 ");
    EXPECT_EQ(serials({{}, "line-1", {}, "2024-05-01"}), "1 2 ");
    EXPECT_EQ(serials({"nothing", {}, {}, {}}), "");

    const auto summary = record.summary({});
    ASSERT_TRUE(summary);
    EXPECT_EQ(SummaryCsv(*summary),
              "day,outcome,runs\r\n"
              "2024-04-30,Write Success !,1\r\n"
              "2024-05-01,Verify Fail !,1\r\n"
              "2024-05-01,Write Success !,2\r\n"
              "2024-05-02,(unfinished),1\r\n"
              "2024-05-02,Write Success !,1\r\n");
    EXPECT_EQ(SummaryCsv(*record.summary({{}, "line-2", "2024-05-02", {}})),
              "day,outcome,runs\r\n2024-05-02,(unfinished),1\r\n");
    // One serial number's runs, and days at both ends of a range.
    EXPECT_EQ(SummaryCsv(*record.summary({"SN0000000003", {}, {}, {}})),
              "day,outcome,runs\r\n2024-05-01,Verify Fail !,1\r\n");
    EXPECT_EQ(SummaryCsv(*record.summary({{}, "line-1", "2024-04-30", "2024-05-01"})),
              "day,outcome,runs\r\n2024-04-30,Write Success !,1\r\n2024-05-01,Write Success !,1\r\n");
}

// Stations scanning the same label at once: each process claims it at the
// same moment; the transaction lets exactly one through, and every attempt
// is recorded once.
TEST_P(ProductionRecordTest, SameLabelOnManyStationsAtOnce) {
    // Nobody has made the record yet: the first morning of a new line, when
    // every station also creates it.
    constexpr int kStations = 6;
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < kStations; ++i) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(gate[1]);
            char c;
            // Every station waits here until the parent opens the gate.
            const bool released = read(gate[0], &c, 1) == 0;
            ProductionRecord record;
            if (!released || !record.open(location_)) _exit(3);
            const Claim claim = record.claim(startOf("SAMELABEL0001", "line-" + std::to_string(i)), false);
            if (claim.kind == Claim::Kind::Granted)
                _exit(record.finish(claim.runId, endOf(RunState::Programmed, "Write Success !")) ? 0 : 4);
            _exit(claim.kind == Claim::Kind::Refused ? 1 : 2);
        }
        children.push_back(child);
    }
    close(gate[0]);
    close(gate[1]);
    int granted = 0, refused = 0;
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        const int code = WEXITSTATUS(status);
        ASSERT_TRUE(code == 0 || code == 1) << "station ended with " << code;
        (code == 0 ? granted : refused)++;
    }
    EXPECT_EQ(granted, 1);
    EXPECT_EQ(refused, kStations - 1);
    ProductionRecord record;
    ASSERT_TRUE(record.open(location_)) << record.error();
    const auto runs = record.runs({"SAMELABEL0001", {}, {}, {}});
    ASSERT_EQ(runs->size(), static_cast<std::size_t>(kStations));
    int programmed = 0;
    for (const auto& run : *runs) programmed += run.state == RunState::Programmed;
    EXPECT_EQ(programmed, 1);
}

// A station died in the middle of a pager: its run stays unfinished and the
// serial number is refused everywhere, until someone settles the run. Then
// it shows as abandoned (apart from the programmed and failed ones), with
// who and when, and the pager may be programmed again.
TEST_P(ProductionRecordTest, AnUnfinishedRunIsSettledAsAbandoned) {
    {
        // The record was made by the program before runs could be abandoned.
        ProductionRecord record;
        ASSERT_TRUE(record.openAtSchemaVersion(location_, 2)) << record.error();
        ASSERT_EQ(record.claim(startOf("A1B2C3D4E5F6", "line-1"), false).kind, Claim::Kind::Granted);
        const Claim done = record.claim(startOf("A1B2C3D4E5F7", "line-1"), false);
        ASSERT_TRUE(record.finish(done.runId, endOf(RunState::Failed, "Write Fail !")));
        ASSERT_EQ(record.claim(startOf("A1B2C3D4E5F8", "line-2"), false).kind, Claim::Kind::Granted);
    }
    ProductionRecord record;
    ASSERT_TRUE(record.open(location_)) << record.error();
    const Claim during = record.claim(startOf("A1B2C3D4E5F6", "line-3"), false);
    ASSERT_EQ(during.kind, Claim::Kind::Refused);
    EXPECT_EQ(EarlierRunText("A1B2C3D4E5F6", *during.earlier),
              "A1B2C3D4E5F6 is still being programmed at station line-1 (port /dev/ttyUSB0) since 2024-05-02 "
              "09:30:12+02:00");

    const auto unfinished = record.unfinishedRuns("A1B2C3D4E5F6");
    ASSERT_TRUE(unfinished);
    ASSERT_EQ(unfinished->size(), 1u);
    EXPECT_EQ((*unfinished)[0].station, "line-1");
    const auto settled = record.abandon("A1B2C3D4E5F6", "anna@line-pc", "2024-05-03T06:00:00.000Z");
    ASSERT_TRUE(settled) << record.error();
    ASSERT_EQ(settled->size(), 1u);
    EXPECT_EQ((*settled)[0].id, (*unfinished)[0].id);
    // Nothing else to settle: a serial number without an unfinished run,
    // and a finished run, are left alone.
    EXPECT_EQ(record.abandon("A1B2C3D4E5F6", "anna@line-pc", "2024-05-03T06:00:01.000Z")->size(), 0u);
    EXPECT_EQ(record.abandon("A1B2C3D4E5F7", "anna@line-pc", "2024-05-03T06:00:01.000Z")->size(), 0u);

    const auto runs = record.runs({"A1B2C3D4E5F6", {}, {}, {}});
    ASSERT_TRUE(runs);
    ASSERT_EQ(runs->size(), 2u);
    EXPECT_EQ((*runs)[0].state, RunState::Abandoned);
    EXPECT_EQ((*runs)[0].outcome, kAbandonedOutcome);
    EXPECT_EQ((*runs)[0].abandonedBy, "anna@line-pc");
    EXPECT_EQ((*runs)[0].abandonedUtc, "2024-05-03T06:00:00.000Z");
    EXPECT_EQ((*runs)[1].state, RunState::Refused);
    EXPECT_FALSE(record.earlierRun("A1B2C3D4E5F6"));
    EXPECT_EQ(SummaryCsv(*record.summary({})),
              "day,outcome,runs\r\n"
              "2024-05-02,(abandoned),1\r\n"
              "2024-05-02,(unfinished),1\r\n"
              "2024-05-02,Refused: programmed before,1\r\n"
              "2024-05-02,Write Fail !,1\r\n");

    // The pager is programmed again.
    const Claim again = record.claim(startOf("A1B2C3D4E5F6", "line-3"), false);
    ASSERT_EQ(again.kind, Claim::Kind::Granted) << again.error;
    EXPECT_FALSE(again.earlier);
    ASSERT_TRUE(record.finish(again.runId, endOf(RunState::Programmed, "Write Success !")));
    EXPECT_EQ(record.claim(startOf("A1B2C3D4E5F6", "line-1"), false).kind, Claim::Kind::Refused);
}

// A claim whose COMMIT went through but whose acknowledgement was lost is
// made again with the same token: it recognises its own run and goes on,
// instead of refusing the pager as unfinished. Another claim of the same
// serial number is still refused.
TEST_P(ProductionRecordTest, ARetriedClaimRecognisesItsOwnRun) {
    ProductionRecord record;
    ASSERT_TRUE(record.open(location_)) << record.error();
    RunStart start = startOf("A1B2C3D4E5F6");
    start.claimToken = "5f1c0d2e9a8b7c6d5f1c0d2e9a8b7c6d";
    const Claim first = record.claim(start, false);
    ASSERT_EQ(first.kind, Claim::Kind::Granted) << first.error;
    const Claim retried = record.claim(start, false);
    ASSERT_EQ(retried.kind, Claim::Kind::Granted) << retried.error;
    EXPECT_EQ(retried.runId, first.runId);
    start.claimToken = "another";
    EXPECT_EQ(record.claim(start, false).kind, Claim::Kind::Refused);
    ASSERT_TRUE(record.finish(first.runId, endOf(RunState::Programmed, "Write Success !"))) << record.error();
    EXPECT_EQ(record.runs({"A1B2C3D4E5F6", "", "", ""})->size(), 2u) << "one run and one refusal";
}

// A run settled as abandoned while its station was still writing the pager
// stays abandoned; the station hears by whom and when.
TEST_P(ProductionRecordTest, ACompletionLeavesAnAbandonedRunAsItWasSettled) {
    ProductionRecord record;
    ASSERT_TRUE(record.open(location_)) << record.error();
    const Claim claim = record.claim(startOf("A1B2C3D4E5F6"), false);
    ASSERT_EQ(claim.kind, Claim::Kind::Granted) << claim.error;
    ASSERT_TRUE(record.abandon("A1B2C3D4E5F6", "qa@bench-pc", "2024-05-02T08:00:00.000Z"));
    const Completion completion = record.finish(claim.runId, endOf(RunState::Programmed, "Write Success !"));
    EXPECT_FALSE(completion);
    ASSERT_TRUE(completion.abandoned);
    EXPECT_EQ(SettledMeanwhileText(*completion.abandoned, true),
              "this run was settled as abandoned by qa@bench-pc at 2024-05-02T08:00:00.000Z; the pager was "
              "programmed: check it");
    const auto runs = record.runs({});
    ASSERT_EQ(runs->size(), 1u);
    EXPECT_EQ((*runs)[0].state, RunState::Abandoned);
    EXPECT_EQ((*runs)[0].outcome, kAbandonedOutcome);
    EXPECT_EQ(SummaryCsv(*record.summary({})), "day,outcome,runs\r\n2024-05-02,(abandoned),1\r\n");
}

// The shared server is restarted (an update, a fail-over) between two scans
// and again while a pager is being written: no scan is lost and no run stays
// unfinished, because the claim and the completion are made once more on a
// fresh connection.
class RecordServerRestartTest : public ProductionRecordTest {};

TEST_P(RecordServerRestartTest, ARestartCostsNoScanAndLeavesNoUnfinishedRun) {
    ProductionRecord record;
    ASSERT_TRUE(record.open(location_)) << record.error();
    const Claim first = record.claim(startOf("A1B2C3D4E5F6"), false);
    ASSERT_EQ(first.kind, Claim::Kind::Granted) << first.error;
    ASSERT_TRUE(record.finish(first.runId, endOf(RunState::Programmed, "Write Success !"))) << record.error();

    // Between two scans.
    ASSERT_TRUE(SharedPostgres::server()->restart());
    const Claim second = record.claim(startOf("A1B2C3D4E5F7"), false);
    ASSERT_EQ(second.kind, Claim::Kind::Granted) << second.error;
    // During the write of that pager.
    ASSERT_TRUE(SharedPostgres::server()->restart());
    EXPECT_TRUE(record.finish(second.runId, endOf(RunState::Programmed, "Write Success !"))) << record.error();
    // And a refusal still refuses after one.
    ASSERT_TRUE(SharedPostgres::server()->restart());
    const Claim again = record.claim(startOf("A1B2C3D4E5F6"), false);
    EXPECT_EQ(again.kind, Claim::Kind::Refused) << again.error;

    const auto runs = record.runs({});
    ASSERT_TRUE(runs) << record.error();
    ASSERT_EQ(runs->size(), 3u);
    EXPECT_EQ((*runs)[1].serial, "A1B2C3D4E5F7");
    EXPECT_EQ((*runs)[1].state, RunState::Programmed);
    for (const auto& run : *runs) EXPECT_NE(run.state, RunState::Running) << run.serial;
}

// The server stops answering in the middle of a shift (it hangs, the network
// drops everything): the claim is given up after kRecordCallSeconds with a
// reason, the caller's wait hook runs all the while (a window keeps
// painting), and the claim given up on is not made behind the station's back
// once the server answers again.
TEST_P(RecordServerRestartTest, AFrozenServerIsReportedWithinSeconds) {
    ProductionRecord record;
    ASSERT_TRUE(record.open(location_)) << record.error();
    int hooked = 0, ended = 0;
    record.setWaitHook([&](std::chrono::milliseconds, bool done) { (done ? ended : hooked)++; });
    ASSERT_TRUE(SharedPostgres::server()->freeze());
    const Claim frozen = record.claim(startOf("A1B2C3D4E5F6"), false);
    ASSERT_TRUE(SharedPostgres::server()->thaw());
    EXPECT_EQ(frozen.kind, Claim::Kind::Failed);
    EXPECT_NE(frozen.error.find("cannot be used: the claim of the serial number took longer than 10 s (the server "
                                "did not answer in time)"),
              std::string::npos)
        << frozen.error;
    EXPECT_GT(hooked, 0);
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(record.isOpen());

    // The line goes on with the server back, on a fresh connection.
    const Claim next = record.claim(startOf("A1B2C3D4E5F7"), false);
    ASSERT_EQ(next.kind, Claim::Kind::Granted) << next.error;
    ASSERT_TRUE(record.finish(next.runId, endOf(RunState::Programmed, "Write Success !"))) << record.error();
    const auto runs = record.runs({});
    ASSERT_TRUE(runs) << record.error();
    ASSERT_EQ(runs->size(), 1u);
    EXPECT_EQ((*runs)[0].serial, "A1B2C3D4E5F7");
    // The label whose claim was given up on can be scanned again.
    EXPECT_EQ(record.claim(startOf("A1B2C3D4E5F6"), false).kind, Claim::Kind::Granted);
}

INSTANTIATE_TEST_SUITE_P(Databases, RecordServerRestartTest, ::testing::Values(Backend::Postgres), backendName);

// Another program holds the record in the middle of its own write (a
// station's write that hangs, a hand-made change left open): the line is
// told so after a few seconds, in words that name it and with the
// database's own error, and goes on once the other program lets go.
TEST_P(ProductionRecordTest, ARecordLockedByAnotherProgramIsReported) {
    ProductionRecord record;
    ASSERT_TRUE(record.open(location_)) << record.error();
    {
        QSqlDatabase other = openRaw("other");
        QSqlQuery hold(other);
        if (GetParam() == Backend::Sqlite) {
            ASSERT_TRUE(hold.exec("BEGIN IMMEDIATE"));
        } else {
            // A station that hangs in the middle of its claim of this serial
            // number: the lock names it.
            ASSERT_TRUE(hold.exec("SET application_name = 'line-7'"));
            ASSERT_TRUE(other.transaction());
            ASSERT_TRUE(hold.exec("SELECT pg_advisory_xact_lock(640002, hashtext('A1B2C3D4E5F6'))"));
            // It holds only its own serial number: the line goes on with the others.
            const Claim another = record.claim(startOf("A1B2C3D4E5F7"), false);
            EXPECT_EQ(another.kind, Claim::Kind::Granted) << another.error;
        }
        const Claim claim = record.claim(startOf("A1B2C3D4E5F6"), false);
        EXPECT_EQ(claim.kind, Claim::Kind::Failed);
        EXPECT_NE(claim.error.find("cannot be written: the record is locked by another program"), std::string::npos)
            << claim.error;
        EXPECT_NE(claim.error.find(GetParam() == Backend::Sqlite ? "database is locked" : "lock timeout"),
                  std::string::npos)
            << claim.error;
        if (GetParam() == Backend::Postgres) {
            EXPECT_NE(claim.error.find("station line-7 holds A1B2C3D4E5F6"), std::string::npos) << claim.error;
        }
        hold.finish();
        other.rollback();
    }
    QSqlDatabase::removeDatabase("other");
    const Claim claim = record.claim(startOf("A1B2C3D4E5F6"), false);
    ASSERT_EQ(claim.kind, Claim::Kind::Granted) << claim.error;
    EXPECT_TRUE(record.finish(claim.runId, endOf(RunState::Programmed, "Write Success !"))) << record.error();
}

INSTANTIATE_TEST_SUITE_P(Databases, ProductionRecordTest, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         backendName);

// The quality department reads a shared record with a database user that
// may only read it.
class RecordReaderTest : public ProductionRecordTest {};

TEST_P(RecordReaderTest, AReaderWithoutWriteRightsListsTheRuns) {
    {
        ProductionRecord record;
        ASSERT_TRUE(record.open(location_)) << record.error();
        const Claim claim = record.claim(startOf("A1B2C3D4E5F6"), false);
        ASSERT_TRUE(record.finish(claim.runId, endOf(RunState::Programmed, "Write Success !")));
    }
    rawExec("CREATE ROLE quality LOGIN");
    rawExec("GRANT SELECT ON production_run, run_day_count, km640_schema TO quality");
    RecordLocation reader = location_;
    reader.user = "quality";
    ProductionRecord record;
    ASSERT_TRUE(record.open(reader)) << record.error();
    const auto runs = record.runs({});
    ASSERT_TRUE(runs);
    ASSERT_EQ(runs->size(), 1u);
    EXPECT_EQ(SummaryCsv(*record.summary({})), "day,outcome,runs\r\n2024-05-02,Write Success !,1\r\n");
    // It cannot program anything, and says so.
    const Claim claim = record.claim(startOf("A1B2C3D4E5F7"), false);
    EXPECT_EQ(claim.kind, Claim::Kind::Failed);
    EXPECT_NE(claim.error.find("permission denied"), std::string::npos) << claim.error;
}

INSTANTIATE_TEST_SUITE_P(Databases, RecordReaderTest, ::testing::Values(Backend::Postgres), backendName);

// A record that cannot be used is reported with its name (never its
// password) and what the database said.
TEST(ProductionRecordOpen, UnusableRecords) {
    const fs::path folder = fs::temp_directory_path() / ("km640-badrecord-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::ofstream(folder / "notes.sqlite") << "this is a day's log, not a database\r\n";
    const struct {
        std::string url;
        const char* says;
    } cases[] = {
        {(folder / "missing" / "km640-production.sqlite").string(), "cannot be opened"},
        {(folder / "notes.sqlite").string(), "not a database"},
        {"postgresql://km640:s3cret@/km640?host=" + (folder / "nosocket").string(), "cannot be opened"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        ProductionRecord record;
        EXPECT_FALSE(record.open(ParseRecordUrl(c.url).location));
        EXPECT_FALSE(record.isOpen());
        EXPECT_NE(record.error().find(c.says), std::string::npos) << record.error();
        EXPECT_EQ(record.error().find("s3cret"), std::string::npos) << record.error();
        // Nothing can be claimed in it.
        EXPECT_EQ(record.claim(startOf("A1B2C3D4E5F6"), false).kind, Claim::Kind::Failed);
    }
    fs::remove_all(folder);
}

namespace {

std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> folderNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

// The quality department reads a station's record where it may only read:
// a read-only folder (a read-only mount), as a user who may only read the
// file, a record an older program made. It is listed as it is: nothing is
// written into the file or beside it (no switch to WAL, no upgrade).
TEST(ProductionRecordReading, ReadOnlyFolderAndFileAndOlderRecord) {
    const fs::path folder = fs::temp_directory_path() / ("km640-readonly-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const RecordLocation location = ParseRecordUrl((folder / "km640-production.sqlite").string()).location;
    {
        ProductionRecord record;
        ASSERT_TRUE(record.openAtSchemaVersion(location, 1)) << record.error();
        const Claim claim = record.claim(startOf("A1B2C3D4E5F6"), false);
        ASSERT_TRUE(record.finish(claim.runId, endOf(RunState::Programmed, "Write Success !")));
    }
    const std::string before = fileBytes(location.sqliteFile);
    const auto namesBefore = folderNames(folder);
    fs::permissions(location.sqliteFile, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    // Root may write anywhere: the reader is then the user nobody.
    const passwd* nobody = getpwnam("nobody");
    ASSERT_TRUE(geteuid() != 0 || nobody != nullptr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)) _exit(5);
        ProductionRecord record;
        if (!record.openForReading(location)) {
            std::fprintf(stderr, "%s\n", record.error().c_str());
            _exit(1);
        }
        const auto runs = record.runs({});
        if (!runs || runs->size() != 1 || (*runs)[0].serial != "A1B2C3D4E5F6") _exit(2);
        if (!record.summary({})) _exit(3);
        // It is for looking only.
        if (record.claim(startOf("A1B2C3D4E5F7"), false).kind != Claim::Kind::Failed) _exit(4);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_TRUE(fileBytes(location.sqliteFile) == before) << "the record file was changed";
    EXPECT_EQ(folderNames(folder), namesBefore);

    // Read where it may write too: still as it is. (SQLite's shared-memory
    // files of a WAL record may stay beside it, as any reader's do.)
    fs::permissions(location.sqliteFile, fs::perms::owner_read | fs::perms::owner_write);
    {
        ProductionRecord record;
        ASSERT_TRUE(record.openForReading(location)) << record.error();
        EXPECT_EQ(record.schemaVersion(), 1);
        EXPECT_EQ(record.runs({})->size(), 1u);
    }
    EXPECT_TRUE(fileBytes(location.sqliteFile) == before) << "the record file was changed";
    fs::remove_all(folder);
}

TEST(ProductionRecordOpen, MissingPostgresDatabase) {
    KM640_SKIP_WITHOUT_POSTGRES(Backend::Postgres);
    ASSERT_TRUE(SharedPostgres::usable()) << SharedPostgres::server()->error();
    ProductionRecord record;
    EXPECT_FALSE(record.open(ParseRecordUrl(SharedPostgres::server()->url("nosuchdb")).location));
    EXPECT_NE(record.error().find("nosuchdb"), std::string::npos) << record.error();
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    SharedPostgres::install();
    return RUN_ALL_TESTS();
}
