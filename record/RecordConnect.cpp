// Connecting to the record: a SQLite file (in WAL mode, read-only for
// looking) or a PostgreSQL server with the session settings that keep a
// station from hanging on it.
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <thread>

#include "record/RecordConnection.h"
#include "record/RecordFailure.h"
#include "record/RecordSql.h"

namespace km640 {

using recordsql::q;

namespace {

// SQLite's result code for a database another connection holds, and the
// pause before asking again where SQLite does not wait by itself.
constexpr int kSqliteBusy = 5;
constexpr int kSqliteRetryMs = 20;
// A session left inside a transaction (a station that hangs between two
// statements of a claim) is ended by the server after this long, so its
// serial number's lock is let go.
constexpr int kIdleInTransactionMs = 15000;

// libpq reads "key=value" pairs; a value with blanks or quotes is quoted.
QString connectOption(const std::string& key, const std::string& value) {
    std::string quoted = "'";
    for (const char c : value) {
        if (c == '\'' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return q(key + "=" + quoted + "'");
}

}  // namespace

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
    if (sqlite() && readOnly_) {
        if (!connectSqliteReadOnly(db, false) && !connectSqliteReadOnly(db, true)) return false;
        rememberHandle();
        return true;
    }
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
        // A session that hangs inside a transaction is ended by the server.
        // The station's name as the session's name lets a lock message (and
        // the server's administrator) say who holds what.
        bool timeoutGiven = false, nameGiven = false;
        std::string serverOptions = "-c statement_timeout=" + std::to_string(kRecordStatementMs) +
                                    " -c lock_timeout=" + std::to_string(kRecordLockWaitMs) +
                                    " -c idle_in_transaction_session_timeout=" + std::to_string(kIdleInTransactionMs);
        for (const auto& [key, value] : location.options) {
            if (key == "options") {
                serverOptions += " " + value;
                continue;
            }
            options << connectOption(key, value);
            timeoutGiven = timeoutGiven || key == "connect_timeout";
            nameGiven = nameGiven || key == "application_name";
        }
        // libpq takes whole seconds, at least 2.
        const auto seconds = std::clamp<long long>((answerLimit_.count() + 999) / 1000, 2, kRecordAnswerSeconds);
        if (!timeoutGiven) options << QString("connect_timeout=%1").arg(seconds);
        if (!nameGiven && !station_.empty()) options << connectOption("application_name", station_.substr(0, 63));
        options << connectOption("options", serverOptions);
        db.setConnectOptions(options.join(';'));
    }
    if (!db.open()) return fail("cannot be opened", db.lastError());
    rememberHandle();
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


}  // namespace km640
