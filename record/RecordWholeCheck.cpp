// The whole-file check of a SQLite record, its outcome kept in the record,
// and the second look-up of a serial number while no check has passed today.
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include "record/RecordConnection.h"
#include "record/RecordSql.h"

namespace km640 {

using recordsql::q;
using recordsql::s;

namespace {

// The outcome column: a check under way (or one whose station ended before
// it finished) is marked so that no other station starts one the same day.
constexpr int kCheckStarted = -1;
// How many problems the check lists, and how many the record keeps.
constexpr int kProblemsListed = 20;
constexpr int kProblemsKept = 3;
// SQLite's result code for a statement interrupted by sqlite3_interrupt.
constexpr const char* kSqliteInterrupted = "9";

}  // namespace

bool RecordConnection::lastCheck(std::optional<RecordCheck>& check) {
    check.reset();
    if (!checks()) return true;
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    if (!query.exec("SELECT checked_utc, station, passed, damage FROM record_check WHERE passed >= 0"
                    " ORDER BY id DESC LIMIT 1"))
        return fail("cannot be read", query.lastError());
    if (query.next()) check = RecordCheck{s(query.value(0)), s(query.value(1)), query.value(2).toInt() == 1,
                                          s(query.value(3))};
    return true;
}

bool RecordConnection::refuseWhenDamaged(const std::string& nowUtc, bool& checkedToday) {
    checkedToday = !checks();
    std::optional<RecordCheck> check;
    if (!lastCheck(check)) return false;
    if (check && !check->passed) return fail("cannot be used", QString::fromStdString(RecordDamageText(*check)));
    const auto now = UtcMsOf(nowUtc);
    checkedToday = checkedToday || (check && now && RecordCheckCurrent(check->checkedUtc, *now));
    return true;
}

std::optional<std::int64_t> RecordConnection::startCheckWhenDue(const std::string& nowUtc) {
    const auto now = UtcMsOf(nowUtc);
    if (!checks() || !now) return std::nullopt;
    if (QSqlError failure; !beginLocked(Lock::Schema, failure)) {
        fail("cannot be written", failure);
        return std::nullopt;
    }
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    bool due = query.exec("SELECT checked_utc FROM record_check ORDER BY id DESC LIMIT 1");
    if (due && query.next()) due = !RecordCheckCurrent(s(query.value(0)), *now);
    query.finish();
    std::optional<std::int64_t> started;
    if (due && query.prepare("INSERT INTO record_check (checked_utc, station, passed) VALUES (?, ?, ?) RETURNING id")) {
        query.addBindValue(q(nowUtc));
        query.addBindValue(q(station_));
        query.addBindValue(kCheckStarted);
        if (query.exec() && query.next()) started = query.value(0).toLongLong();
        query.finish();
    }
    if (!started || !commit()) {
        if (due) fail("cannot be written", query.lastError());
        rollback();
        return std::nullopt;
    }
    return started;
}

bool RecordConnection::keepCheck(const RecordCheck& check, std::optional<std::int64_t> started) {
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    const bool prepared =
        started ? query.prepare("UPDATE record_check SET checked_utc = ?, station = ?, passed = ?, damage = ? WHERE id = ?")
                : query.prepare("INSERT INTO record_check (checked_utc, station, passed, damage) VALUES (?, ?, ?, ?)");
    if (prepared) {
        query.addBindValue(q(check.checkedUtc));
        query.addBindValue(q(check.station));
        query.addBindValue(check.passed ? 1 : 0);
        query.addBindValue(q(check.damage));
        if (started) query.addBindValue(qlonglong{*started});
    }
    if (!prepared || !query.exec()) return fail("cannot be written", query.lastError());
    return true;
}

// The check reads the whole file: it runs in the background or on demand,
// never where a pager waits, and interrupt() stops it.
std::optional<RecordCheck> RecordConnection::checkWholeFile(const std::string& nowUtc,
                                                            std::optional<std::int64_t> started,
                                                            const std::function<void()>& progress) {
    if (!sqlite()) {
        fail("cannot be checked", QString("a PostgreSQL record is kept whole by its server"));
        return std::nullopt;
    }
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    progress_ = progress;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    const bool ran = query.exec(QString("PRAGMA integrity_check(%1)").arg(kProblemsListed));
    QStringList problems;
    while (ran && query.next())
        if (const QString line = query.value(0).toString(); line != "ok") problems << line;
    const QSqlError error = query.lastError();
    query.finish();
    progress_ = nullptr;
    if (givenUp_ || error.nativeErrorCode() == kSqliteInterrupted) {
        fail("could not be checked", QString("the check was stopped before it finished"));
        return std::nullopt;
    }
    // A file SQLite cannot even read through is damaged as well.
    if (!ran || error.isValid()) problems << error.text().trimmed();
    if (problems.size() > kProblemsKept) problems = problems.mid(0, kProblemsKept) << "...";
    RecordCheck check{nowUtc, station_, problems.isEmpty(), problems.join("; ").toStdString()};
    keepCheck(check, started);
    return check;
}

// Both indexes on the serial number must find the same runs of it. A
// damaged page of one index (a disk error, a copy taken in the middle of a
// write) loses or misplaces entries in that index only.
std::optional<bool> RecordConnection::serialIndexesAgree(const std::string& serial) {
    QStringList found;
    for (const char* index : {"production_run_serial", "production_run_serial_id"}) {
        QSqlQuery query(QSqlDatabase::database(connectionName_, false));
        query.setForwardOnly(true);
        if (!query.prepare(QString("SELECT id FROM production_run INDEXED BY %1 WHERE serial = ? ORDER BY id")
                               .arg(index))) {
            fail("cannot be read", query.lastError());
            return std::nullopt;
        }
        query.addBindValue(q(serial));
        if (!query.exec()) {
            fail("cannot be read", query.lastError());
            return std::nullopt;
        }
        QString ids;
        while (query.next()) ids += query.value(0).toString() + ",";
        if (query.lastError().isValid()) {
            fail("cannot be read", query.lastError());
            return std::nullopt;
        }
        found << ids;
    }
    return found[0] == found[1];
}

}  // namespace km640
