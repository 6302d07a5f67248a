// Reading the record: listings that hand on each row as it is read (so a
// listing of any size takes the same memory), and the runs of a set of
// serial numbers through the serial index.
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include "record/RecordCheck.h"
#include "record/RecordConnection.h"
#include "record/RecordFailure.h"
#include "record/RecordSql.h"

namespace km640 {

using recordsql::q;
using recordsql::s;

namespace {

// How many serial numbers one look-up names.
constexpr std::size_t kSerialBatch = 500;

struct Where {
    QString clause;
    QVariantList values;
};

// A day filter is a range on the indexed column that holds the day (a
// run's started_local, a count's day): a day's rows are found without
// reading the others.
Where whereOf(const RecordFilter& f, const QString& dayColumn = "started_local") {
    Where w;
    QStringList parts;
    auto add = [&](const std::string& value, const QString& condition) {
        if (value.empty()) return;
        parts << condition;
        w.values << q(value);
    };
    add(f.serial, "serial = ?");
    add(f.station, "station = ?");
    add(f.since, dayColumn + " >= ?");
    add(f.until.empty() ? std::string() : NextRecordDate(f.until), dayColumn + " < ?");
    if (!parts.isEmpty()) w.clause = " WHERE " + parts.join(" AND ");
    return w;
}

}  // namespace

// A statement whose rows are handed on one at a time. A record that no
// station has written to yet has no runs. On PostgreSQL the server's limit
// for one statement is lifted while the rows go out (a whole record's
// listing takes as long as it takes); the caller's limit is on each row.
bool RecordConnection::streamRows(const QString& statement, const QVariantList& values,
                                  const std::function<bool(const QSqlQuery&)>& row) {
    if (schemaVersion_ == 0) return true;
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    QSqlQuery limit(db);
    if (!sqlite() && !limit.exec("SET statement_timeout = 0")) return fail("cannot be read", limit.lastError());
    bool ok = true;
    {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.prepare(statement)) {
            ok = fail("cannot be read", query.lastError());
        } else {
            for (const auto& v : values) query.addBindValue(v);
            if (!query.exec()) ok = fail("cannot be read", query.lastError());
            while (ok && query.next())
                if (givenUp_ || !row(query)) break;
            if (ok && query.lastError().isValid()) ok = fail("cannot be read", query.lastError());
        }
    }
    if (!sqlite()) limit.exec(QString("SET statement_timeout = %1").arg(kRecordStatementMs));
    return ok;
}

bool RecordConnection::eachRun(const RecordFilter& filter, const std::function<bool(RecordedRun)>& sink) {
    const Where where = whereOf(filter);
    return streamRows(QString("SELECT %1 FROM production_run%2 ORDER BY id")
                          .arg(recordsql::RunColumns(schemaVersion_), where.clause),
                      where.values, [&](const QSqlQuery& query) { return sink(recordsql::RunFromQuery(query)); });
}

bool RecordConnection::eachDayCount(const RecordFilter& filter, const std::function<bool(DayOutcomeCount)>& sink) {
    const auto counted = [&](const QSqlQuery& query) {
        return sink({s(query.value(0)), s(query.value(1)), query.value(2).toLongLong()});
    };
    // The kept counts answer for any days and station without reading a
    // run; one serial number's runs are few and found through its index.
    if (countsDays() && filter.serial.empty()) {
        const Where where = whereOf(filter, "day");
        return streamRows("SELECT day, outcome, SUM(runs) FROM run_day_count" + where.clause +
                              " GROUP BY day, outcome HAVING SUM(runs) > 0 ORDER BY day, outcome",
                          where.values, counted);
    }
    const Where where = whereOf(filter);
    // Unfinished and abandoned runs are counted apart from the outcomes of
    // runs that reached their end.
    const QString statement =
        QString("SELECT substr(started_local, 1, 10),"
                " CASE WHEN state = 'running' THEN '%1'%2 ELSE outcome END, COUNT(*)"
                " FROM production_run%3 GROUP BY 1, 2 ORDER BY 1, 2")
            .arg(kUnfinishedText,
                 knowsAbandoned() ? QString(" WHEN abandoned_utc <> '' THEN '%1'").arg(kAbandonedText) : QString(),
                 where.clause);
    return streamRows(statement, where.values, counted);
}

std::optional<std::vector<RecordedRun>> RecordConnection::runsOfSerials(const std::vector<std::string>& serials) {
    std::vector<RecordedRun> runs;
    for (std::size_t from = 0; from < serials.size(); from += kSerialBatch) {
        const std::size_t count = std::min(kSerialBatch, serials.size() - from);
        QVariantList values;
        for (std::size_t i = from; i < from + count; ++i) values << q(serials[i]);
        QStringList marks;
        for (std::size_t i = 0; i < count; ++i) marks << "?";
        // Not ordered by the database: an order by id could tempt a planner
        // without fresh statistics to walk the whole table in id order.
        const auto batch = selectRuns(" WHERE serial IN (" + marks.join(", ") + ")", values, false);
        if (!batch) return std::nullopt;
        runs.insert(runs.end(), batch->begin(), batch->end());
    }
    // Oldest first across the batches, as a listing has them.
    std::sort(runs.begin(), runs.end(), [](const RecordedRun& a, const RecordedRun& b) { return a.id < b.id; });
    return runs;
}

std::optional<std::vector<RecordedRun>> RecordConnection::selectRuns(const QString& where, const QVariantList& values,
                                                                      bool oldestFirst) {
    std::vector<RecordedRun> runs;
    if (!streamRows(QString("SELECT %1 FROM production_run%2%3")
                        .arg(recordsql::RunColumns(schemaVersion_), where, oldestFirst ? " ORDER BY id" : ""),
                    values, [&](const QSqlQuery& query) {
                        runs.push_back(recordsql::RunFromQuery(query));
                        return true;
                    }))
        return std::nullopt;
    return runs;
}

}  // namespace km640
