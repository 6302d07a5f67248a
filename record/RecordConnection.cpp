#include "record/RecordConnection.h"

#include <libpq-fe.h>
#include <poll.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <atomic>

#include "record/RecordFailure.h"
#include "record/RecordSchema.h"
#include "record/RecordSql.h"

namespace km640 {

using recordsql::q;

namespace {

// Keys of the PostgreSQL locks that serialise schema upgrades and the claims
// of one serial number across stations; SQLite serialises both with BEGIN
// IMMEDIATE. A station that hangs in the middle of a claim holds only its
// own serial number.
constexpr const char* kSchemaLock = "SELECT pg_advisory_xact_lock(640001)";
constexpr const char* kSerialLock = "SELECT pg_advisory_xact_lock(640002, hashtext(?))";
// How long a cancel request to a PostgreSQL server may take before the
// connection is cut instead.
constexpr int kCancelWaitMs = 500;
// How many of SQLite's steps go between two looks at whether the caller
// gave up (a few milliseconds' work).
constexpr int kProgressSteps = 20000;

QString nextConnectionName() {
    static std::atomic<int> counter{0};
    return QString("km640-record-%1").arg(++counter);
}

// The cancel request is sent by a child process: PQcancel may be called
// where only async-signal-safe calls are allowed, as in a child of a
// threaded program, and the child is waited for at most kCancelWaitMs (a
// frozen server never answers it) and then ended.
void sendCancel(PGcancel* cancel) {
    const pid_t child = fork();
    if (child < 0) return;
    if (child == 0) {
        char reason[256];
        PQcancel(cancel, reason, sizeof reason);
        _exit(0);
    }
    const int handle = static_cast<int>(syscall(SYS_pidfd_open, child, 0));
    pollfd ended{handle, POLLIN, 0};
    if (handle < 0 || poll(&ended, 1, kCancelWaitMs) != 1) kill(child, SIGKILL);
    if (handle >= 0) close(handle);
    waitpid(child, nullptr, 0);
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

// Keeps the driver's handle where interrupt() finds it.
void RecordConnection::rememberHandle() {
    const QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    const QVariant handle = db.driver()->handle();
    const std::lock_guard lock(handleMutex_);
    if (!handle.isValid() || handle.constData() == nullptr) return;
    // The drivers hand out their client library's connection pointer.
    if (db.driverName() == "QSQLITE") {
        sqliteHandle_ = *static_cast<sqlite3* const*>(handle.constData());
        // A statement that starts just after the caller gave up stops at
        // its first steps.
        sqlite3_progress_handler(static_cast<sqlite3*>(sqliteHandle_), kProgressSteps, sqliteProgress, this);
    } else if (db.driverName() == "QPSQL") {
        PGconn* connection = *static_cast<PGconn* const*>(handle.constData());
        postgresCancel_ = PQgetCancel(connection);
        postgresSocket_ = PQsocket(connection);
    }
}

int RecordConnection::sqliteProgress(void* connection) {
    auto* self = static_cast<RecordConnection*>(connection);
    if (self->progress_) self->progress_();
    return self->givenUp_ ? 1 : 0;
}

void RecordConnection::close() {
    {
        const std::lock_guard lock(handleMutex_);
        sqliteHandle_ = nullptr;
        if (postgresCancel_) PQfreeCancel(static_cast<PGcancel*>(postgresCancel_));
        postgresCancel_ = nullptr;
        postgresSocket_ = -1;
    }
    if (QSqlDatabase::contains(connectionName_)) QSqlDatabase::database(connectionName_, false).close();
}

void RecordConnection::interrupt(bool sever) {
    const std::lock_guard lock(handleMutex_);
    if (sqliteHandle_) sqlite3_interrupt(static_cast<sqlite3*>(sqliteHandle_));
    if (!sever && postgresCancel_) sendCancel(static_cast<PGcancel*>(postgresCancel_));
    if (sever && postgresSocket_ >= 0) shutdown(postgresSocket_, SHUT_RDWR);
}

bool RecordConnection::fail(const std::string& what, const QString& detail) {
    error_ = "the production record " + RecordDisplayName(location_) + " " + what;
    if (!detail.trimmed().isEmpty()) error_ += ": " + detail.trimmed().toStdString();
    return false;
}

bool RecordConnection::fail(const std::string& what, const QSqlError& error) {
    const QString text = error.text().trimmed();
    const RecordBackend backend = sqlite() ? RecordBackend::Sqlite : RecordBackend::Postgres;
    const std::string code = error.nativeErrorCode().toStdString();
    connectionLost_ = RecordConnectionLost(backend, code, text.toStdString());
    return fail(what, QString::fromStdString(RecordFailureText(backend, code, text.toStdString())));
}

int RecordConnection::latestSchemaVersion() { return LatestSchemaVersion(); }

bool RecordConnection::open(const RecordLocation& location) { return openAtSchemaVersion(location, LatestSchemaVersion()); }

bool RecordConnection::openAtSchemaVersion(const RecordLocation& location, int version) {
    return openChecked(location, version, true);
}

bool RecordConnection::openToCheck(const RecordLocation& location) {
    return openChecked(location, LatestSchemaVersion(), false);
}

// Nothing is programmed with a record whose last whole-file check found
// damage: a broken serial index would miss a serial number's earlier run
// and let it be programmed twice.
bool RecordConnection::openChecked(const RecordLocation& location, int version, bool refuseDamaged) {
    error_.clear();
    close();
    readOnly_ = false;
    if (!connect(location) || !migrate(version)) {
        close();
        return false;
    }
    schemaVersion_ = version;
    std::optional<RecordCheck> check;
    if (refuseDamaged && checks() && (!lastCheck(check) || (check && !check->passed))) {
        if (check) fail("cannot be used", QString::fromStdString(RecordDamageText(*check)));
        close();
        return false;
    }
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
    // A record no station has written to yet (a new file, a new database)
    // has no tables: it is read as a record without runs.
    schemaVersion_ = schemaVersion();
    if (schemaVersion_ > LatestSchemaVersion()) {
        close();
        return fail("cannot be used",
                    QString("it was made by a newer program (schema version %1; this program knows up to %2)")
                        .arg(schemaVersion_)
                        .arg(LatestSchemaVersion()));
    }
    return true;
}

bool RecordConnection::beginLocked(Lock lock, QSqlError& failure, const std::string& serial) {
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
    if (lock == Lock::Schema ? query.exec(kSchemaLock) : query.prepare(kSerialLock)) {
        if (lock == Lock::Schema) return true;
        query.addBindValue(q(serial));
        if (query.exec()) return true;
    }
    failure = query.lastError();
    db.rollback();
    return false;
}

std::string RecordConnection::serialLockHolder(const std::string& serial) {
    if (sqlite()) return {};
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    // A two-key advisory lock shows its keys as classid and objid, the
    // second as an unsigned number.
    if (!query.prepare("SELECT a.application_name, a.pid FROM pg_locks l JOIN pg_stat_activity a ON a.pid = l.pid"
                       " WHERE l.locktype = 'advisory' AND l.granted AND l.classid = 640002 AND l.objsubid = 2"
                       " AND l.objid = ((hashtext(?)::bigint + 4294967296) % 4294967296)::oid LIMIT 1"))
        return {};
    query.addBindValue(q(serial));
    if (!query.exec() || !query.next()) return {};
    const QString name = query.value(0).toString();
    return name.isEmpty() ? "a program without a name (server process " + query.value(1).toString().toStdString() + ")"
                          : "station " + name.toStdString();
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
    // The caller waits longer for an upgrade, and so does the server.
    struct Upgrading {
        std::atomic<bool>& flag;
        ~Upgrading() { flag = false; }
    } upgrading{upgrading_};
    if (version < upTo) {
        upgrading_ = true;
        QSqlQuery query(db);
        if (!sqlite() && !query.exec(QString("SET LOCAL statement_timeout = %1").arg(kRecordUpgradeSeconds * 1000)))
            return failed(query);
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

}  // namespace km640
