// The production record as the quality department reads it: times, the
// terminal table and RFC 4180 CSV.

#include <gtest/gtest.h>

#include "record/RecordListing.h"
#include "record/RunTime.h"

using namespace km640;

TEST(RunTime, UtcAndLocalTexts) {
    // 2024-05-02 07:30:12.345 UTC
    constexpr std::int64_t kMs = 1714635012345;
    const struct {
        int offset;
        const char* local;
    } cases[] = {
        {0, "2024-05-02T07:30:12+00:00"},
        {7200, "2024-05-02T09:30:12+02:00"},
        {-5 * 3600, "2024-05-02T02:30:12-05:00"},
        {-8 * 3600, "2024-05-01T23:30:12-08:00"},  // the local day is the day before
        {5 * 3600 + 1800, "2024-05-02T13:00:12+05:30"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UtcText({kMs, c.offset}), "2024-05-02T07:30:12.345Z");
        EXPECT_EQ(LocalText({kMs, c.offset}), c.local);
    }
    EXPECT_EQ(UtcText({0, 0}), "1970-01-01T00:00:00.000Z");
}

TEST(RunTime, RecordDates) {
    for (const char* good : {"2024-05-02", "2024-02-29", "1999-12-31"}) EXPECT_TRUE(IsRecordDate(good)) << good;
    for (const char* bad : {"2023-02-29", "2024-13-01", "2024-04-31", "2024-5-2", "2024/05/02", "20240502", "",
                            "2024-05-02T00", "yyyy-mm-dd"})
        EXPECT_FALSE(IsRecordDate(bad)) << bad;
}

TEST(RecordListing, CsvFieldsQuotedOnlyWhereNeeded) {
    const struct {
        const char* text;
        const char* field;
    } cases[] = {
        {"Write Success !", "Write Success !"},
        {"line 2, bench", "\"line 2, bench\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\r", "\"cr\r\""},
        {"", ""},
        // What a spreadsheet would evaluate is shown as text.
        {"=1+1", "'=1+1"},
        {"+41 line", "'+41 line"},
        {"-2", "'-2"},
        {"@SUM(A1:A9)", "'@SUM(A1:A9)"},
        {"\tTab", "'\tTab"},
        {"\rcr", "\"'\rcr\""},
        {"=HYPERLINK(\"x\",\"y\")", "\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\""},
        {"a=1+1", "a=1+1"},
        {"line-2", "line-2"},
    };
    for (const auto& c : cases) EXPECT_EQ(CsvField(c.text), c.field);
}

namespace {
RecordedRun sampleRun() {
    RecordedRun r;
    r.id = 7;
    r.startedUtc = "2024-05-02T07:30:12.345Z";
    r.startedLocal = "2024-05-02T09:30:12+02:00";
    r.station = "line 2, \"north\"";
    r.port = "ttyUSB0";
    r.serial = "A1B2C3D4E5F6";
    r.firmware = "1.2.3";
    r.outcome = "Write Success !";
    r.state = RunState::Programmed;
    r.repeatOf = 3;
    r.programVersion = "1.1.9";
    r.codePlugSha256 = std::string(64, 'a');
    r.codePlugFile = "/srv/line.tbl";
    r.durationMs = 41234;
    r.roster = {"fleet.csv", std::string(64, 'f'), R"({"serial":"A1B2C3D4E5F6","LogoLine1":"Unit 7"})",
                std::string(64, 'p')};
    return r;
}
}  // namespace

namespace {
// A run whose station died, settled by hand the next morning.
RecordedRun abandonedRun() {
    RecordedRun r = sampleRun();
    r.state = RunState::Abandoned;
    r.outcome = kAbandonedOutcome;
    r.repeatOf.reset();
    r.firmware.clear();
    r.durationMs = 0;
    r.abandonedBy = "anna@line-pc";
    r.abandonedUtc = "2024-05-03T06:00:00.000Z";
    return r;
}
}  // namespace

TEST(RecordListing, RunsAsCsv) {
    RecordedRun formula = sampleRun();
    formula.station = "=1+1";
    formula.codePlugFile = "@evil";
    const RecordedRun runs[] = {sampleRun(), formula, abandonedRun()};
    const std::string roster = ",fleet.csv," + std::string(64, 'f') +
                               ",\"{\"\"serial\"\":\"\"A1B2C3D4E5F6\"\",\"\"LogoLine1\"\":\"\"Unit 7\"\"}\"," +
                               std::string(64, 'p');
    EXPECT_EQ(RunsCsv(runs),
              "id,started_utc,started_local,station,port,serial,firmware,outcome,state,repeat_of,program_version,"
              "codeplug_sha256,codeplug_file,duration_ms,roster_file,roster_sha256,roster_row,pager_codeplug_sha256,"
              "abandoned_by,abandoned_utc\r\n"
              "7,2024-05-02T07:30:12.345Z,2024-05-02T09:30:12+02:00,\"line 2, \"\"north\"\"\",ttyUSB0,A1B2C3D4E5F6,"
              "1.2.3,Write Success !,programmed,3,1.1.9," +
                  std::string(64, 'a') + ",/srv/line.tbl,41234" + roster + ",,\r\n" +
                  "7,2024-05-02T07:30:12.345Z,2024-05-02T09:30:12+02:00,'=1+1,ttyUSB0,A1B2C3D4E5F6,"
                  "1.2.3,Write Success !,programmed,3,1.1.9," +
                  std::string(64, 'a') + ",'@evil,41234" + roster + ",,\r\n" +
                  "7,2024-05-02T07:30:12.345Z,2024-05-02T09:30:12+02:00,\"line 2, \"\"north\"\"\",ttyUSB0,A1B2C3D4E5F6,"
                  ",Abandoned,abandoned,,1.1.9," +
                  std::string(64, 'a') + ",/srv/line.tbl,0" + roster + ",anna@line-pc,2024-05-03T06:00:00.000Z\r\n");
}

TEST(RecordListing, RunsAsTable) {
    RecordedRun unfinished = sampleRun();
    unfinished.state = RunState::Running;
    unfinished.repeatOf.reset();
    unfinished.station = "bad\x1b[2Jname";  // a terminal escape stays harmless
    RecordedRun refused = sampleRun();
    refused.state = RunState::Refused;
    refused.outcome = kRefusedOutcome;
    refused.firmware.clear();
    refused.durationMs = 0;
    RecordedRun abandoned = abandonedRun();
    abandoned.station = "line-3";
    const RecordedRun runs[] = {sampleRun(), unfinished, refused, abandoned};
    EXPECT_EQ(RunsTable(runs),
              "Started                    Station          Port     Serial No.    Firmware  Outcome                      "
              "Duration\n"
              "2024-05-02 09:30:12+02:00  line 2, \"north\"  ttyUSB0  A1B2C3D4E5F6  1.2.3     Write Success ! (repeat)     "
              "41.2 s\n"
              "2024-05-02 09:30:12+02:00  bad?[2Jname      ttyUSB0  A1B2C3D4E5F6  1.2.3     (unfinished)\n"
              "2024-05-02 09:30:12+02:00  line 2, \"north\"  ttyUSB0  A1B2C3D4E5F6            Refused: programmed before\n"
              "2024-05-02 09:30:12+02:00  line-3           ttyUSB0  A1B2C3D4E5F6            (abandoned) by anna@line-pc\n");
    EXPECT_EQ(RunsTable({}), "No runs recorded.\n");
}

// Station names in any language keep the table's columns straight.
TEST(RecordListing, LettersTakeOneColumnEach) {
    RecordedRun abroad = sampleRun();
    abroad.station = "Prüfplatz Süd";
    abroad.repeatOf.reset();
    RecordedRun home = abroad;
    home.station = "line-3";
    const RecordedRun runs[] = {abroad, home};
    const std::string table = RunsTable(runs);
    EXPECT_NE(table.find("\n2024-05-02 09:30:12+02:00  Prüfplatz Süd  ttyUSB0"), std::string::npos) << table;
    EXPECT_NE(table.find("\n2024-05-02 09:30:12+02:00  line-3         ttyUSB0"), std::string::npos) << table;
}

TEST(RecordListing, Summary) {
    const DayOutcomeCount counts[] = {{"2024-05-01", "Write Success !", 120}, {"2024-05-01", "Verify Fail !", 2}};
    EXPECT_EQ(SummaryCsv(counts), "day,outcome,runs\r\n2024-05-01,Write Success !,120\r\n2024-05-01,Verify Fail !,2\r\n");
    EXPECT_EQ(SummaryTable(counts),
              "Day         Outcome          Runs\n"
              "2024-05-01  Write Success !  120\n"
              "2024-05-01  Verify Fail !    2\n");
}

TEST(RecordListing, EarlierRunNamesWhenAndWhere) {
    EarlierRun earlier{3, "2024-05-02T09:30:12+02:00", "line-2", "/dev/ttyUSB0", false};
    EXPECT_EQ(EarlierRunText("A1B2C3D4E5F6", earlier),
              "A1B2C3D4E5F6 was programmed on 2024-05-02 09:30:12+02:00 at station line-2 (port /dev/ttyUSB0)");
    earlier.unfinished = true;
    EXPECT_EQ(EarlierRunText("A1B2C3D4E5F6", earlier),
              "A1B2C3D4E5F6 is still being programmed at station line-2 (port /dev/ttyUSB0) since 2024-05-02 "
              "09:30:12+02:00");
}
