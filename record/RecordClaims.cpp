// Claiming a serial number before its pager is written, completing the run,
// and settling a run whose station died.
#include <QSqlError>
#include <QSqlQuery>

#include "record/RecordConnection.h"
#include "record/RecordFailure.h"
#include "record/RecordSql.h"

namespace km640 {

using recordsql::q;
using recordsql::s;

bool RecordConnection::findEarlier(const std::string& serial, std::optional<EarlierRun>& earlier) {
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    if (!query.prepare("SELECT id, started_local, station, port, state FROM production_run"
                       " WHERE serial = ? AND state IN ('programmed', 'running') ORDER BY id DESC LIMIT 1"))
        return fail("cannot be read", query.lastError());
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

// The run this claim made on an earlier attempt whose COMMIT went through
// although its acknowledgement was lost.
std::optional<std::int64_t> RecordConnection::ownRun(const RunStart& start) {
    if (start.claimToken.empty() || schemaVersion_ < recordsql::kCheckSchemaVersion) return std::nullopt;
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    if (!query.prepare("SELECT id FROM production_run WHERE serial = ? AND claim_token = ? AND state = 'running'"))
        return std::nullopt;
    query.addBindValue(q(start.serial));
    query.addBindValue(q(start.claimToken));
    if (!query.exec() || !query.next()) return std::nullopt;
    return query.value(0).toLongLong();
}

std::optional<std::int64_t> RecordConnection::insertRun(const RunStart& start, RunState state,
                                                        const std::string& outcome,
                                                        std::optional<std::int64_t> repeatOf) {
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    // A record at an older schema (as a test keeps one) has no fleet columns
    // and no claim token.
    const bool roster = schemaVersion_ >= recordsql::kRosterSchemaVersion;
    const bool token = schemaVersion_ >= recordsql::kCheckSchemaVersion;
    query.prepare(QString("INSERT INTO production_run (started_utc, started_local, station, port, serial, outcome, "
                          "state, repeat_of, program_version, codeplug_sha256, codeplug_file%1%2)"
                          " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?%3%4) RETURNING id")
                      .arg(roster ? ", roster_file, roster_sha256, roster_row, pager_codeplug_sha256" : "",
                           token ? ", claim_token" : "", roster ? ", ?, ?, ?, ?" : "", token ? ", ?" : ""));
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
    if (token) query.addBindValue(q(start.claimToken));
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
// is not lost. A claim whose COMMIT reached the server before the
// connection dropped finds its own run by its token the second time and
// goes on with it: never a pager programmed twice, nor one refused for its
// own claim.
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
Completion RecordConnection::finish(std::int64_t runId, const RunEnd& end) {
    auto completion = finishOnce(runId, end);
    if (!completion && connectionLost_) {
        close();
        completion = finishOnce(runId, end);
    }
    return completion.value_or(Completion{});
}

Claim RecordConnection::claimOnce(const RunStart& start, bool allowRepeat) {
    connectionLost_ = false;
    Claim claim;
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    const auto failed = [&] {
        rollback();
        // A connection the server dropped is opened afresh for the next run.
        close();
        return Claim{Claim::Kind::Failed, 0, std::nullopt, error_};
    };
    if (!db.isOpen() && !open(location_)) {
        claim.error = error_;
        return claim;
    }
    if (QSqlError failure; !beginLocked(Lock::Serial, failure, start.serial)) {
        fail("cannot be written", failure);
        if (const std::string holder = failure.nativeErrorCode() == "55P03" ? serialLockHolder(start.serial) : "";
            !holder.empty())
            error_ += "; " + holder + " holds " + start.serial;
        claim.error = error_;
        close();
        return claim;
    }
    // Nothing is programmed while the last whole-file check found damage;
    // until a check has passed today, the serial number is looked up in two
    // ways, so a damaged serial index cannot let a pager through twice.
    bool checkedToday = true;
    if (!refuseWhenDamaged(start.startedUtc, checkedToday)) return failed();
    if (!checkedToday) {
        const auto agree = serialIndexesAgree(start.serial);
        if (!agree) return failed();
        if (!*agree) {
            rollback();
            const RecordCheck damage{start.startedUtc, start.station, false,
                                     "the serial index does not find every run of " + start.serial};
            keepCheck(damage, std::nullopt);
            fail("cannot be used", QString::fromStdString(RecordDamageText(damage)));
            return failed();
        }
    }
    if (const auto own = ownRun(start)) {
        if (!commit()) return failed();
        return {Claim::Kind::Granted, *own, std::nullopt, {}};
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
    if (!id) return failed();
    if (!commit()) {
        fail("cannot be written", db.lastError());
        return failed();
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

// Only a run that is still running is completed: one settled as abandoned
// meanwhile (its station was taken for dead) stays as it was settled, and
// the station hears of it.
std::optional<Completion> RecordConnection::finishOnce(std::int64_t runId, const RunEnd& end) {
    connectionLost_ = false;
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    if (!db.isOpen() && !open(location_)) return std::nullopt;
    QSqlQuery query(db);
    query.prepare("UPDATE production_run SET state = ?, outcome = ?, firmware = ?, duration_ms = ?"
                  " WHERE id = ? AND state = 'running'");
    query.addBindValue(QString(RunStateName(end.state)));
    query.addBindValue(q(end.outcome));
    query.addBindValue(q(end.firmware));
    query.addBindValue(qlonglong{end.durationMs});
    query.addBindValue(qlonglong{runId});
    if (!query.exec()) {
        fail("cannot be written", query.lastError());
        close();
        return std::nullopt;
    }
    if (query.numRowsAffected() == 1) return Completion{true, std::nullopt};
    const auto runs = selectRuns(" WHERE id = ?", {qlonglong{runId}});
    if (!runs) return std::nullopt;
    if (runs->empty()) {
        fail("cannot be written", QString("run %1 is missing").arg(runId));
        return std::nullopt;
    }
    const RecordedRun& run = runs->front();
    if (run.state == RunState::Abandoned) return Completion{false, run};
    // A completion made again after its first answer was lost.
    if (run.state == end.state && run.outcome == end.outcome) return Completion{true, std::nullopt};
    fail("cannot be written", QString("run %1 is no longer running").arg(runId));
    return std::nullopt;
}

std::optional<std::vector<RecordedRun>> RecordConnection::unfinishedRuns(const std::string& serial) {
    return selectRuns(" WHERE serial = ? AND state = 'running'", {q(serial)});
}

std::optional<std::vector<RecordedRun>> RecordConnection::abandon(const std::string& serial, const std::string& by,
                                                                  const std::string& whenUtc) {
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    if (!db.isOpen() && !open(location_)) return std::nullopt;
    // Under the serial number's lock, so a station cannot claim it between
    // the look and the change.
    if (QSqlError failure; !beginLocked(Lock::Serial, failure, serial)) {
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

}  // namespace km640
