#pragma once
// What the record's statements share, for the files of RecordConnection:
// the columns of a run as each schema version has them, and the way from
// Qt's values to the program's strings.

#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <string>

#include "record/RecordedRun.h"

namespace km640::recordsql {

// The fleet's columns came with schema version 3, the settling of an
// abandoned run with version 4, the whole-file check's outcome, the second
// serial index and the claim token with version 5.
inline constexpr int kRosterSchemaVersion = 3;
inline constexpr int kAbandonedSchemaVersion = 4;
inline constexpr int kCheckSchemaVersion = 5;

inline QString q(const std::string& text) { return QString::fromStdString(text); }
inline std::string s(const QVariant& value) { return value.toString().toStdString(); }

// The columns runFromQuery reads, for a record at that schema version (a
// record an older program left, read as it is, shows the newer ones empty).
QString RunColumns(int schemaVersion);
RecordedRun RunFromQuery(const QSqlQuery& query);

}  // namespace km640::recordsql
