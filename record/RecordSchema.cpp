#include "record/RecordSchema.h"

#include <utility>

#include "record/RecordedRun.h"

namespace km640 {

namespace {

// Written once for both databases; the few words they spell differently
// are filled in per dialect.
struct MigrationText {
    int version;
    std::vector<const char*> statements;
};

const std::vector<MigrationText>& migrationTexts() {
    static const std::vector<MigrationText> texts = {
        {1,
         {"CREATE TABLE production_run ("
          " id {IDENTITY},"
          " started_utc TEXT NOT NULL,"
          " started_local TEXT NOT NULL,"
          " station TEXT NOT NULL,"
          " port TEXT NOT NULL,"
          " serial TEXT NOT NULL,"
          " firmware TEXT NOT NULL DEFAULT '',"
          " outcome TEXT NOT NULL DEFAULT '',"
          " state TEXT NOT NULL CHECK (state IN ('running', 'programmed', 'failed', 'refused')),"
          " repeat_of BIGINT REFERENCES production_run (id),"
          " program_version TEXT NOT NULL,"
          " codeplug_sha256 TEXT NOT NULL,"
          " codeplug_file TEXT NOT NULL,"
          " duration_ms BIGINT NOT NULL DEFAULT 0)"}},
        // The repeat check looks up a serial number before every run, and
        // the listings select by day: both stay quick as the record grows.
        {2,
         {"CREATE INDEX production_run_serial ON production_run (serial, state)",
          "CREATE INDEX production_run_started ON production_run (started_local)"}},
        // A fleet's pagers each get their own row of a roster: which roster
        // (its file name and fingerprint), the row's values, and the
        // fingerprint of the code-plug as written for that pager. Empty for
        // a run without a roster.
        {3,
         {"ALTER TABLE production_run ADD COLUMN roster_file TEXT NOT NULL DEFAULT ''",
          "ALTER TABLE production_run ADD COLUMN roster_sha256 TEXT NOT NULL DEFAULT ''",
          "ALTER TABLE production_run ADD COLUMN roster_row TEXT NOT NULL DEFAULT ''",
          "ALTER TABLE production_run ADD COLUMN pager_codeplug_sha256 TEXT NOT NULL DEFAULT ''"}},
        // A run whose station died is settled by hand: it is closed as not
        // programmed (state 'failed', so the serial number may be programmed
        // again), and who settled it and when (UTC) is kept; programs that
        // do not know these columns see a failed run.
        {4,
         {"ALTER TABLE production_run ADD COLUMN abandoned_by TEXT NOT NULL DEFAULT ''",
          "ALTER TABLE production_run ADD COLUMN abandoned_utc TEXT NOT NULL DEFAULT ''"}},
        // The whole-file check of a SQLite record runs in the background at
        // most once a day; its outcome is kept here, so every station refuses
        // to program while the last check found damage. Until a day's check
        // has passed, a claim looks its serial number up through a second
        // index as well, which shares no page with the first. A claim's
        // random token lets a claim retried after a lost COMMIT
        // acknowledgement recognise its own run.
        {5,
         {"CREATE TABLE record_check ("
          " id {IDENTITY},"
          " checked_utc TEXT NOT NULL,"
          " station TEXT NOT NULL,"
          " passed INTEGER NOT NULL,"
          " damage TEXT NOT NULL DEFAULT '')",
          "CREATE INDEX production_run_serial_id ON production_run (serial, id)",
          "ALTER TABLE production_run ADD COLUMN claim_token TEXT NOT NULL DEFAULT ''"}},
        // The summary counts runs per day, station and outcome; reading
        // every run for it took seconds in a record of years. The counts are
        // kept in a table of their own, filled once from the runs there are
        // and followed by triggers on every insert, change and removal of a
        // run (a claim, a completion, an abandoned run, a refusal), whichever
        // program or hand makes it. A count that falls to zero stays as a
        // row of 0 and is not listed.
        {6,
         {"CREATE TABLE run_day_count ("
          " day TEXT NOT NULL,"
          " station TEXT NOT NULL,"
          " outcome TEXT NOT NULL,"
          " runs BIGINT NOT NULL,"
          " PRIMARY KEY (day, station, outcome))",
          "INSERT INTO run_day_count (day, station, outcome, runs)"
          " SELECT substr(started_local, 1, 10), station, {KEY:production_run}, COUNT(*)"
          " FROM production_run GROUP BY 1, 2, 3",
          "{SQLITE}CREATE TRIGGER run_day_count_insert AFTER INSERT ON production_run BEGIN {COUNT:NEW} END",
          "{SQLITE}CREATE TRIGGER run_day_count_delete AFTER DELETE ON production_run BEGIN {UNCOUNT:OLD} END",
          "{SQLITE}CREATE TRIGGER run_day_count_update"
          " AFTER UPDATE OF started_local, station, state, outcome, abandoned_utc ON production_run"
          " BEGIN {UNCOUNT:OLD} {COUNT:NEW} END",
          "{POSTGRES}CREATE FUNCTION run_day_count_follow() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN"
          " IF TG_OP <> 'INSERT' THEN {UNCOUNT:OLD} END IF;"
          " IF TG_OP <> 'DELETE' THEN {COUNT:NEW} END IF;"
          " RETURN NULL; END $$",
          "{POSTGRES}CREATE TRIGGER run_day_count_follow"
          " AFTER INSERT OR DELETE OR UPDATE OF started_local, station, state, outcome, abandoned_utc"
          " ON production_run FOR EACH ROW EXECUTE FUNCTION run_day_count_follow()"}},
    };
    return texts;
}

// What the summary counts a run as: unfinished and abandoned runs apart
// from the outcomes of runs that reached their end. row: the table or NEW/OLD.
std::string countedOutcome(const std::string& row) {
    return "CASE WHEN " + row + ".state = 'running' THEN '" + kUnfinishedText + "' WHEN " + row +
           ".abandoned_utc <> '' THEN '" + kAbandonedText + "' ELSE " + row + ".outcome END";
}

// The statements a trigger runs to count a run in, or out of, its day.
std::string countedIn(const std::string& row) {
    return "INSERT INTO run_day_count (day, station, outcome, runs) VALUES (substr(" + row + ".started_local, 1, 10), " +
           row + ".station, " + countedOutcome(row) +
           ", 1) ON CONFLICT (day, station, outcome) DO UPDATE SET runs = run_day_count.runs + 1;";
}

std::string countedOut(const std::string& row) {
    return "UPDATE run_day_count SET runs = runs - 1 WHERE day = substr(" + row + ".started_local, 1, 10) AND station = " +
           row + ".station AND outcome = " + countedOutcome(row) + ";";
}

void replaceAll(std::string& text, const std::string& placeholder, const std::string& by) {
    for (auto at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at + by.size()))
        text.replace(at, placeholder.size(), by);
}

// The statement as the dialect writes it; empty when it is for the other
// database only.
std::string forDialect(std::string text, SqlDialect dialect) {
    for (const auto& [mark, only] : {std::pair{"{SQLITE}", SqlDialect::Sqlite}, {"{POSTGRES}", SqlDialect::Postgres}}) {
        if (text.starts_with(mark)) {
            if (dialect != only) return {};
            text.erase(0, std::string(mark).size());
        }
    }
    replaceAll(text, "{IDENTITY}",
               dialect == SqlDialect::Sqlite ? "INTEGER PRIMARY KEY AUTOINCREMENT"
                                             : "BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
    for (const char* row : {"production_run", "NEW", "OLD"}) {
        replaceAll(text, std::string("{KEY:") + row + "}", countedOutcome(row));
        replaceAll(text, std::string("{COUNT:") + row + "}", countedIn(row));
        replaceAll(text, std::string("{UNCOUNT:") + row + "}", countedOut(row));
    }
    return text;
}

}  // namespace

std::vector<SchemaMigration> SchemaMigrations(SqlDialect dialect) {
    std::vector<SchemaMigration> migrations;
    for (const auto& text : migrationTexts()) {
        SchemaMigration m{text.version, {}};
        for (const char* statement : text.statements)
            if (std::string written = forDialect(statement, dialect); !written.empty())
                m.statements.push_back(std::move(written));
        migrations.push_back(std::move(m));
    }
    return migrations;
}

int LatestSchemaVersion() { return migrationTexts().back().version; }

}  // namespace km640
