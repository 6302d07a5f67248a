#pragma once
// The production record's tables, created and upgraded by the program
// itself: the table km640_schema holds the version a record is at, and each
// version after the first is a forward migration from the one before. A
// migration is never changed once released; new columns or tables come as a
// new version at the end of the list.

#include <string>
#include <vector>

namespace km640 {

enum class SqlDialect { Sqlite, Postgres };

struct SchemaMigration {
    int version;
    std::vector<std::string> statements;
};

// Every migration in order, written for the dialect.
std::vector<SchemaMigration> SchemaMigrations(SqlDialect dialect);
int LatestSchemaVersion();

}  // namespace km640
