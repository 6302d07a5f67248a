#include "record/RecordSql.h"

namespace km640::recordsql {

QString RunColumns(int schemaVersion) {
    QString columns =
        "id, started_utc, started_local, station, port, serial, firmware, outcome, state, repeat_of, program_version, "
        "codeplug_sha256, codeplug_file, duration_ms";
    columns += schemaVersion >= kRosterSchemaVersion ? ", roster_file, roster_sha256, roster_row, pager_codeplug_sha256"
                                                     : ", '', '', '', ''";
    columns += schemaVersion >= kAbandonedSchemaVersion ? ", abandoned_by, abandoned_utc" : ", '', ''";
    return columns;
}

RecordedRun RunFromQuery(const QSqlQuery& query) {
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
    return r;
}

}  // namespace km640::recordsql
