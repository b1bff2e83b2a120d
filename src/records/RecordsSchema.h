#pragma once
// The records' tables, the schema version and the migrations run when a database is opened.
// One schema serves SQLite and PostgreSQL; only the station's file has the send queue.

#include <string>

class QSqlDatabase;

namespace kova {

enum class SqlDialect { Sqlite, Postgres };

inline constexpr int kRecordsSchemaVersion = 1;

// A file that exists but is no SQLite database (checked before SQLite may touch it): the message,
// or "" when the file is absent, empty or starts as a SQLite database does.
std::string sqliteHeaderProblem(const std::string& file);

struct SchemaResult {
    std::string message;   // "" when the database is ready
    bool refused = false;  // refused for good (newer, damaged, not ours), not just unreachable
};

// Brings an open database up to this schema version. A newer version, a damaged database or a
// file of some other program is refused with a message and left as it was. `name` is how the
// message names the database.
SchemaResult prepareRecordsSchema(QSqlDatabase& db, SqlDialect dialect, const std::string& name);

// Runs a statement that needs no result; "" or the driver's message.
std::string execSql(QSqlDatabase& db, const char* sql);

// A write transaction: SQLite takes its write lock at once, so that two writers wait in the busy
// timeout instead of failing when one of them upgrades a read.
std::string beginWrite(QSqlDatabase& db, SqlDialect dialect);
std::string commitWrite(QSqlDatabase& db);
void rollbackWrite(QSqlDatabase& db);

}  // namespace kova
