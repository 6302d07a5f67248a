#include "record/RecordConnection.h"

#include <QSqlDriver>
#include <sqlite3.h>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>
#include <atomic>
#include <chrono>
#include <thread>

#include "record/RecordFailure.h"
#include "record/RecordSchema.h"

namespace km640 {

namespace {

// Keys of the PostgreSQL locks that serialise schema upgrades and claims
// across stations; SQLite serialises both with BEGIN IMMEDIATE.
constexpr const char* kSchemaLock = "SELECT pg_advisory_xact_lock(640001)";
constexpr const char* kClaimLock = "SELECT pg_advisory_xact_lock(640002)";
// SQLite's result code for a database another connection holds, and the
// pause before asking again where SQLite does not wait by itself.
constexpr int kSqliteBusy = 5;
constexpr int kSqliteRetryMs = 20;

constexpr const char* kRunColumns =
    "id, started_utc, started_local, station, port, serial, firmware, outcome, state, repeat_of, program_version, "
    "codeplug_sha256, codeplug_file, duration_ms";
// The fleet's columns came with schema version 3, the settling of an
// abandoned run with version 4; a record read as an older program left it
// (read-only, not upgraded) shows them empty.
constexpr int kRosterSchemaVersion = 3;
constexpr const char* kRosterColumns = ", roster_file, roster_sha256, roster_row, pager_codeplug_sha256";
constexpr const char* kNoRosterColumns = ", '', '', '', ''";
constexpr const char* kAbandonedColumns = ", abandoned_by, abandoned_utc";
constexpr const char* kNoAbandonedColumns = ", '', ''";

QString q(const std::string& s) { return QString::fromStdString(s); }
std::string s(const QVariant& v) { return v.toString().toStdString(); }

QString nextConnectionName() {
    static std::atomic<int> counter{0};
    return QString("km640-record-%1").arg(++counter);
}

// libpq reads "key=value" pairs; a value with blanks or quotes is quoted.
QString connectOption(const std::string& key, const std::string& value) {
    std::string quoted = "'";
    for (const char c : value) {
        if (c == '\'' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return q(key + "=" + quoted + "'");
}

struct Where {
    QString clause;
    QVariantList values;
};

Where whereOf(const RecordFilter& f) {
    Where w;
    QStringList parts;
    auto add = [&](const std::string& value, const char* condition) {
        if (value.empty()) return;
        parts << condition;
        w.values << q(value);
    };
    add(f.serial, "serial = ?");
    add(f.station, "station = ?");
    add(f.since, "substr(started_local, 1, 10) >= ?");
    add(f.until, "substr(started_local, 1, 10) <= ?");
    if (!parts.isEmpty()) w.clause = " WHERE " + parts.join(" AND ");
    return w;
}

}  // namespace

RecordConnection::RecordConnection() : connectionName_(nextConnectionName()) {}

RecordConnection::~RecordConnection() {
    close();
    QSqlDatabase::removeDatabase(connectionName_);
}

bool RecordConnection::isOpen() const {
    return QSqlDatabase::contains(connectionName_) && QSqlDatabase::database(connectionName_, false).isOpen();
}

void RecordConnection::close() {
    if (QSqlDatabase::contains(connectionName_)) QSqlDatabase::database(connectionName_, false).close();
}

bool RecordConnection::fail(const std::string& what, const QString& detail) {
    error_ = "the production record " + RecordDisplayName(location_) + " " + what;
    if (!detail.trimmed().isEmpty()) error_ += ": " + detail.trimmed().toStdString();
    return false;
}

bool RecordConnection::fail(const std::string& what, const QSqlError& error) {
    const QString text = error.text().trimmed();
    connectionLost_ = RecordConnectionLost(sqlite() ? RecordBackend::Sqlite : RecordBackend::Postgres,
                                           error.nativeErrorCode().toStdString(), text.toStdString());
    return fail(what, QString::fromStdString(RecordFailureText(sqlite() ? RecordBackend::Sqlite : RecordBackend::Postgres,
                                                              error.nativeErrorCode().toStdString(),
                                                              text.toStdString())));
}

int RecordConnection::latestSchemaVersion() { return LatestSchemaVersion(); }

bool RecordConnection::open(const RecordLocation& location) { return openAtSchemaVersion(location, LatestSchemaVersion()); }

bool RecordConnection::openAtSchemaVersion(const RecordLocation& location, int version) {
    error_.clear();
    close();
    readOnly_ = false;
    if (!connect(location) || !migrate(version)) {
        close();
        return false;
    }
    schemaVersion_ = version;
    return true;
}

bool RecordConnection::openForReading(const RecordLocation& location) {
    error_.clear();
    close();
    readOnly_ = true;
    if (!connect(location)) {
        close();
        return false;
    }
    schemaVersion_ = schemaVersion();
    if (schemaVersion_ > LatestSchemaVersion()) {
        close();
        return fail("cannot be used",
                    QString("it was made by a newer program (schema version %1; this program knows up to %2)")
                        .arg(schemaVersion_)
                        .arg(LatestSchemaVersion()));
    }
    if (schemaVersion_ == 0) {
        close();
        return fail("cannot be read", QString("it holds no production runs"));
    }
    return true;
}

bool RecordConnection::connect(const RecordLocation& location) {
    location_ = location;
    const QString driver = sqlite() ? "QSQLITE" : "QPSQL";
    QSqlDatabase db = QSqlDatabase::contains(connectionName_) ? QSqlDatabase::database(connectionName_, false)
                                                             : QSqlDatabase::addDatabase(driver, connectionName_);
    if (db.driverName() != driver) {
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName_);
        db = QSqlDatabase::addDatabase(driver, connectionName_);
    }
    if (!db.isValid())
        return fail("cannot be opened", sqlite() ? "the Qt SQL driver for SQLite (libqt6sql6-sqlite) is missing"
                                                 : "the Qt SQL driver for PostgreSQL (libqt6sql6-psql) is missing");
    if (sqlite() && readOnly_) return connectSqliteReadOnly(db, false) || connectSqliteReadOnly(db, true);
    if (sqlite()) {
        db.setDatabaseName(q(location.sqliteFile));
        db.setConnectOptions(QString("QSQLITE_BUSY_TIMEOUT=%1").arg(kRecordLockWaitMs));
    } else {
        db.setHostName(q(location.host));
        if (location.port != 0) db.setPort(location.port);
        db.setUserName(q(location.user));
        db.setPassword(q(location.password));
        db.setDatabaseName(q(location.database));
        // A server that does not answer, and a lock another program holds,
        // must not hang the line: the server gives up on a statement or a
        // lock wait after a few seconds, and so does the connecting.
        QStringList options;
        bool timeoutGiven = false;
        std::string serverOptions = "-c statement_timeout=" + std::to_string(kRecordStatementMs) +
                                    " -c lock_timeout=" + std::to_string(kRecordLockWaitMs);
        for (const auto& [key, value] : location.options) {
            if (key == "options") {
                serverOptions += " " + value;
                continue;
            }
            options << connectOption(key, value);
            timeoutGiven = timeoutGiven || key == "connect_timeout";
        }
        if (!timeoutGiven) options << QString("connect_timeout=%1").arg(kRecordAnswerSeconds);
        options << connectOption("options", serverOptions);
        db.setConnectOptions(options.join(';'));
    }
    if (!db.open()) return fail("cannot be opened", db.lastError());
    if (sqlite()) {
        // WAL lets the stations' processes on this PC read while one writes;
        // FULL keeps a finished run on disk through a power cut.
        // Switching a new file to WAL needs it to itself, and SQLite answers
        // "locked" at once instead of waiting while another station creates
        // the same record: the switch is tried again until the busy time is up.
        QSqlQuery mode(db);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kRecordLockWaitMs);
        bool wal = false;
        while (!(wal = mode.exec("PRAGMA journal_mode=WAL") && mode.next() && mode.value(0).toString() == "wal") &&
               mode.lastError().nativeErrorCode() == QString::number(kSqliteBusy) &&
               std::chrono::steady_clock::now() < deadline) {
            mode.finish();
            std::this_thread::sleep_for(std::chrono::milliseconds(kSqliteRetryMs));
        }
        if (!wal)
            return mode.lastError().text().isEmpty() ? fail("cannot be opened", QString("it cannot be put in WAL mode"))
                                                     : fail("cannot be opened", mode.lastError());
        QSqlQuery sync(db);
        if (!sync.exec("PRAGMA synchronous=FULL")) return fail("cannot be opened", sync.lastError());
        if (!checkIntegrity(db)) return false;
    }
    return true;
}

// False with the failing statement's own error in failure.
// A record in WAL mode is read through its shared-memory file beside it; in a
// folder where nobody may create that file (a read-only mount, a folder of
// the line's user), SQLite cannot open it for reading. Then it is read as an
// unchanging file: nobody can be writing to it there either.
bool RecordConnection::connectSqliteReadOnly(QSqlDatabase& db, bool immutable) {
    db.close();
    QStringList options{"QSQLITE_OPEN_READONLY", QString("QSQLITE_BUSY_TIMEOUT=%1").arg(kRecordLockWaitMs)};
    if (immutable) {
        options << "QSQLITE_OPEN_URI";
        db.setDatabaseName(QUrl::fromLocalFile(q(location_.sqliteFile)).toString(QUrl::FullyEncoded) +
                           "?immutable=1");
    } else {
        db.setDatabaseName(q(location_.sqliteFile));
    }
    db.setConnectOptions(options.join(';'));
    if (!db.open()) return fail("cannot be opened", db.lastError());
    // Opening reads nothing yet: the first read tells whether it can be read.
    QSqlQuery probe(db);
    if (!probe.exec("SELECT count(*) FROM sqlite_master") || !probe.next()) return fail("cannot be read", probe.lastError());
    return true;
}

// A damaged record is not used for programming: a broken serial index would
// miss a serial number's earlier run and let it be programmed twice. The
// check reads the whole file, so it is stopped when it takes longer than a
// station may wait for its record.
bool RecordConnection::checkIntegrity(QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    sqlite3* connection = handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0
                              ? *static_cast<sqlite3* const*>(handle.constData())
                              : nullptr;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kRecordAnswerSeconds);
    const auto pastDeadline = [](void* until) {
        return std::chrono::steady_clock::now() > *static_cast<std::chrono::steady_clock::time_point*>(until) ? 1
                                                                                                             : 0;
    };
    auto until = deadline;
    if (connection) sqlite3_progress_handler(connection, 1000, pastDeadline, &until);
    QSqlQuery check(db);
    const bool ran = check.exec("PRAGMA integrity_check(20)");
    QStringList problems;
    while (ran && check.next())
        if (const QString line = check.value(0).toString(); line != "ok") problems << line;
    const QSqlError error = check.lastError();
    check.finish();
    if (connection) sqlite3_progress_handler(connection, 0, nullptr, nullptr);
    if (!ran || error.isValid()) {
        if (error.nativeErrorCode() == "9")  // SQLITE_INTERRUPT: the deadline stopped it
            return fail("cannot be used",
                        QString("it could not be checked within %1 s").arg(kRecordAnswerSeconds));
        return fail("cannot be used", QString("it is damaged (%1)").arg(error.text().trimmed()));
    }
    if (problems.isEmpty()) return true;
    if (problems.size() > 3) problems = problems.mid(0, 3) << "...";
    return fail("cannot be used", QString("it is damaged (%1); nothing is programmed with it until it is repaired")
                                      .arg(problems.join("; ")));
}

bool RecordConnection::beginLocked(Lock lock, QSqlError& failure) {
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    QSqlQuery query(db);
    if (sqlite()) {
        if (query.exec("BEGIN IMMEDIATE")) return true;
        failure = query.lastError();
        return false;
    }
    if (!db.transaction()) {
        failure = db.lastError();
        return false;
    }
    if (query.exec(lock == Lock::Schema ? kSchemaLock : kClaimLock)) return true;
    failure = query.lastError();
    db.rollback();
    return false;
}

bool RecordConnection::commit() { return QSqlDatabase::database(connectionName_, false).commit(); }
void RecordConnection::rollback() { QSqlDatabase::database(connectionName_, false).rollback(); }

bool RecordConnection::migrate(int upTo) {
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    // A record that is up to date needs no write, so a reader without the
    // right to change it (the quality department's) can open it.
    if (upTo == LatestSchemaVersion() && schemaVersion() == upTo) return true;
    if (QSqlError failure; !beginLocked(Lock::Schema, failure)) return fail("cannot be opened", failure);
    const auto failed = [&](const QSqlQuery& query) {
        const QSqlError detail = query.lastError();
        rollback();
        return fail("cannot be set up", detail);
    };
    int version = 0;
    {
        QSqlQuery query(db);
        if (!query.exec("CREATE TABLE IF NOT EXISTS km640_schema (version INTEGER NOT NULL)")) return failed(query);
        if (!query.exec("SELECT version FROM km640_schema")) return failed(query);
        if (query.next()) {
            version = query.value(0).toInt();
        } else {
            query.finish();
            if (!query.exec("INSERT INTO km640_schema (version) VALUES (0)")) return failed(query);
        }
        query.finish();
    }
    if (version > LatestSchemaVersion()) {
        rollback();
        return fail("cannot be used",
                    QString("it was made by a newer program (schema version %1; this program knows up to %2)")
                        .arg(version)
                        .arg(LatestSchemaVersion()));
    }
    for (const auto& migration : SchemaMigrations(sqlite() ? SqlDialect::Sqlite : SqlDialect::Postgres)) {
        if (migration.version <= version || migration.version > upTo) continue;
        QSqlQuery query(db);
        for (const auto& statement : migration.statements)
            if (!query.exec(q(statement))) return failed(query);
        query.prepare("UPDATE km640_schema SET version = ?");
        query.addBindValue(migration.version);
        if (!query.exec()) return failed(query);
    }
    if (!commit()) return fail("cannot be set up", db.lastError());
    return true;
}

int RecordConnection::schemaVersion() {
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    if (!query.exec("SELECT version FROM km640_schema") || !query.next()) return 0;
    return query.value(0).toInt();
}

bool RecordConnection::findEarlier(const std::string& serial, std::optional<EarlierRun>& earlier) {
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    query.prepare(
        "SELECT id, started_local, station, port, state FROM production_run"
        " WHERE serial = ? AND state IN ('programmed', 'running') ORDER BY id DESC LIMIT 1");
    query.addBindValue(q(serial));
    if (!query.exec()) return fail("cannot be read", query.lastError());
    earlier.reset();
    if (query.next())
        earlier = EarlierRun{query.value(0).toLongLong(), s(query.value(1)), s(query.value(2)), s(query.value(3)),
                             query.value(4).toString() == "running"};
    query.finish();
    return true;
}

std::optional<EarlierRun> RecordConnection::earlierRun(const std::string& serial) {
    std::optional<EarlierRun> earlier;
    findEarlier(serial, earlier);
    return earlier;
}

std::optional<std::int64_t> RecordConnection::insertRun(const RunStart& start, RunState state,
                                                        const std::string& outcome,
                                                        std::optional<std::int64_t> repeatOf) {
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    // A record at an older schema (as a test keeps one) has no fleet columns.
    const bool roster = schemaVersion_ >= kRosterSchemaVersion;
    query.prepare(QString("INSERT INTO production_run (started_utc, started_local, station, port, serial, outcome, "
                          "state, repeat_of, program_version, codeplug_sha256, codeplug_file%1)"
                          " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?%2) RETURNING id")
                      .arg(roster ? kRosterColumns : "", roster ? ", ?, ?, ?, ?" : ""));
    for (const auto* text : {&start.startedUtc, &start.startedLocal, &start.station, &start.port, &start.serial,
                             &outcome})
        query.addBindValue(q(*text));
    query.addBindValue(QString(RunStateName(state)));
    query.addBindValue(repeatOf ? QVariant(qlonglong{*repeatOf}) : QVariant(QMetaType::fromType<qlonglong>()));
    for (const auto* text : {&start.programVersion, &start.codePlugSha256, &start.codePlugFile})
        query.addBindValue(q(*text));
    if (roster)
        for (const auto* text :
             {&start.roster.file, &start.roster.sha256, &start.roster.row, &start.roster.pagerCodePlugSha256})
            query.addBindValue(q(*text));
    if (!query.exec() || !query.next()) {
        fail("cannot be written", query.lastError());
        return std::nullopt;
    }
    const std::int64_t id = query.value(0).toLongLong();
    query.finish();
    return id;
}

// A server restarted between two scans, or a fail-over, drops the station's
// connection: the claim is made once more on a fresh connection, so the scan
// is not lost. (A claim whose commit reached the server before the
// connection dropped finds its own run the second time and is refused as
// unfinished: never a pager programmed twice.)
Claim RecordConnection::claim(const RunStart& start, bool allowRepeat) {
    Claim claim = claimOnce(start, allowRepeat);
    if (claim.kind == Claim::Kind::Failed && connectionLost_) {
        close();
        claim = claimOnce(start, allowRepeat);
    }
    return claim;
}

// The pager is written: its row is completed on a fresh connection when the
// server dropped the old one, so the run does not stay unfinished.
bool RecordConnection::finish(std::int64_t runId, const RunEnd& end) {
    if (finishOnce(runId, end)) return true;
    if (!connectionLost_) return false;
    close();
    return finishOnce(runId, end);
}

Claim RecordConnection::claimOnce(const RunStart& start, bool allowRepeat) {
    connectionLost_ = false;
    Claim claim;
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    if (!db.isOpen() && !open(location_)) {
        claim.error = error_;
        return claim;
    }
    if (QSqlError failure; !beginLocked(Lock::Claims, failure)) {
        fail("cannot be written", failure);
        claim.error = error_;
        // A connection the server dropped is opened afresh for the next run.
        close();
        return claim;
    }
    std::optional<EarlierRun> earlier;
    std::optional<std::int64_t> id;
    if (findEarlier(start.serial, earlier)) {
        claim.earlier = earlier;
        const bool refused = earlier && !allowRepeat;
        claim.kind = refused ? Claim::Kind::Refused : Claim::Kind::Granted;
        id = refused ? insertRun(start, RunState::Refused, kRefusedOutcome, earlier->id)
                     : insertRun(start, RunState::Running, {}, earlier ? std::optional(earlier->id) : std::nullopt);
    }
    // A claim the station stopped waiting for is not made behind its back.
    if (id && givenUp_) {
        fail("cannot be written", QString("the station stopped waiting for it"));
        id.reset();
    }
    if (!id || !commit()) {
        if (id) fail("cannot be written", db.lastError());
        rollback();
        close();
        return {Claim::Kind::Failed, 0, std::nullopt, error_};
    }
    claim.runId = *id;
    return claim;
}

bool RecordConnection::recordRefusal(const RunStart& start, const EarlierRun& earlier) {
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    if (!db.isOpen() && !open(location_)) return false;
    return insertRun(start, RunState::Refused, kRefusedOutcome, earlier.id).has_value();
}

bool RecordConnection::recordNotInRoster(const RunStart& start) {
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    if (!db.isOpen() && !open(location_)) return false;
    return insertRun(start, RunState::Refused, kNotInRosterOutcome, std::nullopt).has_value();
}

bool RecordConnection::finishOnce(std::int64_t runId, const RunEnd& end) {
    connectionLost_ = false;
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    if (!db.isOpen() && !open(location_)) return false;
    QSqlQuery query(db);
    query.prepare("UPDATE production_run SET state = ?, outcome = ?, firmware = ?, duration_ms = ? WHERE id = ?");
    query.addBindValue(QString(RunStateName(end.state)));
    query.addBindValue(q(end.outcome));
    query.addBindValue(q(end.firmware));
    query.addBindValue(qlonglong{end.durationMs});
    query.addBindValue(qlonglong{runId});
    if (!query.exec()) {
        fail("cannot be written", query.lastError());
        close();
        return false;
    }
    if (query.numRowsAffected() != 1) return fail("cannot be written", QString("run %1 is missing").arg(runId));
    return true;
}

std::optional<std::vector<RecordedRun>> RecordConnection::runs(const RecordFilter& filter) {
    const Where where = whereOf(filter);
    return selectRuns(where.clause, where.values);
}

std::optional<std::vector<RecordedRun>> RecordConnection::unfinishedRuns(const std::string& serial) {
    return selectRuns(" WHERE serial = ? AND state = 'running'", {q(serial)});
}

std::optional<std::vector<RecordedRun>> RecordConnection::abandon(const std::string& serial, const std::string& by,
                                                                  const std::string& whenUtc) {
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    if (!db.isOpen() && !open(location_)) return std::nullopt;
    // Under the claims' lock, so a station cannot claim the serial number
    // between the look and the change.
    if (QSqlError failure; !beginLocked(Lock::Claims, failure)) {
        fail("cannot be written", failure);
        close();
        return std::nullopt;
    }
    auto settled = unfinishedRuns(serial);
    QSqlQuery update(db);
    update.prepare("UPDATE production_run SET state = 'failed', outcome = ?, abandoned_by = ?, abandoned_utc = ?"
                   " WHERE id = ? AND state = 'running'");
    std::vector<RecordedRun> none;
    for (auto& run : settled ? *settled : none) {
        update.addBindValue(QString(kAbandonedOutcome));
        update.addBindValue(q(by));
        update.addBindValue(q(whenUtc));
        update.addBindValue(qlonglong{run.id});
        if (!update.exec()) {
            fail("cannot be written", update.lastError());
            settled.reset();
            break;
        }
        run.state = RunState::Abandoned;
        run.outcome = kAbandonedOutcome;
        run.abandonedBy = by;
        run.abandonedUtc = whenUtc;
    }
    if (!settled || !commit()) {
        if (settled) fail("cannot be written", db.lastError());
        rollback();
        close();
        return std::nullopt;
    }
    return settled;
}

std::optional<std::vector<RecordedRun>> RecordConnection::selectRuns(const QString& where, const QVariantList& values) {
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    const char* roster = schemaVersion_ >= kRosterSchemaVersion ? kRosterColumns : kNoRosterColumns;
    query.prepare(QString("SELECT %1%2%3 FROM production_run%4 ORDER BY id")
                      .arg(kRunColumns, roster, knowsAbandoned() ? kAbandonedColumns : kNoAbandonedColumns, where));
    for (const auto& v : values) query.addBindValue(v);
    if (!query.exec()) {
        fail("cannot be read", query.lastError());
        return std::nullopt;
    }
    std::vector<RecordedRun> runs;
    while (query.next()) {
        RecordedRun r;
        r.id = query.value(0).toLongLong();
        r.startedUtc = s(query.value(1));
        r.startedLocal = s(query.value(2));
        r.station = s(query.value(3));
        r.port = s(query.value(4));
        r.serial = s(query.value(5));
        r.firmware = s(query.value(6));
        r.outcome = s(query.value(7));
        r.state = RunStateFromName(s(query.value(8))).value_or(RunState::Running);
        if (!query.value(9).isNull()) r.repeatOf = query.value(9).toLongLong();
        r.programVersion = s(query.value(10));
        r.codePlugSha256 = s(query.value(11));
        r.codePlugFile = s(query.value(12));
        r.durationMs = query.value(13).toLongLong();
        r.roster = {s(query.value(14)), s(query.value(15)), s(query.value(16)), s(query.value(17))};
        r.abandonedBy = s(query.value(18));
        r.abandonedUtc = s(query.value(19));
        if (!r.abandonedUtc.empty()) r.state = RunState::Abandoned;
        runs.push_back(std::move(r));
    }
    return runs;
}

std::optional<std::vector<DayOutcomeCount>> RecordConnection::summary(const RecordFilter& filter) {
    const Where where = whereOf(filter);
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    // Unfinished and abandoned runs are counted apart from the outcomes of
    // runs that reached their end.
    query.prepare(QString("SELECT substr(started_local, 1, 10),"
                          " CASE WHEN state = 'running' THEN '%1'%2 ELSE outcome END, COUNT(*)"
                          " FROM production_run%3 GROUP BY 1, 2 ORDER BY 1, 2")
                      .arg(kUnfinishedText,
                           knowsAbandoned() ? QString(" WHEN abandoned_utc <> '' THEN '%1'").arg(kAbandonedText)
                                            : QString(),
                           where.clause));
    for (const auto& v : where.values) query.addBindValue(v);
    if (!query.exec()) {
        fail("cannot be read", query.lastError());
        return std::nullopt;
    }
    std::vector<DayOutcomeCount> counts;
    while (query.next()) counts.push_back({s(query.value(0)), s(query.value(1)), query.value(2).toLongLong()});
    return counts;
}

}  // namespace km640
