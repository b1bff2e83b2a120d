#include "records/RecordsSchema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <array>
#include <chrono>
#include <fstream>
#include <functional>
#include <thread>

namespace kova {
namespace {

// Version 1. Every table is append-only: a correction is a new record.
constexpr std::array kVersion1 = {
    "CREATE TABLE records_schema (version INTEGER NOT NULL)",
    // kind: 1 calibration, 2 check, 3 tolerance. Times are UTC milliseconds since 1970.
    "CREATE TABLE calib_records ("
    " id TEXT PRIMARY KEY,"
    " kind INTEGER NOT NULL,"
    " utc_ms BIGINT NOT NULL,"
    " station TEXT NOT NULL, device TEXT NOT NULL, channel INTEGER NOT NULL,"
    " keyword TEXT NOT NULL, description TEXT NOT NULL, unit TEXT NOT NULL,"
    " operator_name TEXT NOT NULL, tool_version TEXT NOT NULL,"
    " before_volt TEXT NOT NULL, before_data TEXT NOT NULL,"
    " after_volt TEXT NOT NULL, after_data TEXT NOT NULL,"
    " tolerance_percent DOUBLE PRECISION NOT NULL,"
    // A check's result, worked out when it was stored, for readers with plain SQL.
    " full_scale DOUBLE PRECISION, largest_error DOUBLE PRECISION,"
    " largest_percent_of_full_scale DOUBLE PRECISION, passed INTEGER)",
    "CREATE INDEX calib_records_by_channel ON calib_records (channel, utc_ms)",
    "CREATE TABLE check_rows ("
    " record_id TEXT NOT NULL REFERENCES calib_records (id),"
    " row_no INTEGER NOT NULL,"
    " reading_value DOUBLE PRECISION NOT NULL, reference_value DOUBLE PRECISION NOT NULL,"
    " error_value DOUBLE PRECISION NOT NULL,"
    " percent_of_reference DOUBLE PRECISION,"  // NULL when the reference is 0
    " percent_of_full_scale DOUBLE PRECISION NOT NULL,"
    " PRIMARY KEY (record_id, row_no))",
};

// The station's records not yet in the site database.
constexpr const char* kSendQueue =
    "CREATE TABLE send_queue (record_id TEXT PRIMARY KEY REFERENCES calib_records (id),"
    " queued_utc_ms BIGINT NOT NULL)";

// Serialises the migrations of stations opening one site database at once.
constexpr const char* kPostgresMigrationLock = "SELECT pg_advisory_xact_lock(7720316)";

std::string driverText(const QSqlError& error) {
    const QString text = error.text().trimmed();
    return text.isEmpty() ? std::string("未知错误") : text.toStdString();
}

struct SchemaState {
    std::string error;       // the database cannot be read
    bool hasSchema = false;  // records_schema exists
    bool otherTables = false;
    int version = 0;
};

SchemaState readSchemaState(QSqlDatabase& db, SqlDialect dialect) {
    SchemaState state;
    QSqlQuery query(db);
    if (dialect == SqlDialect::Sqlite) {
        if (!query.exec("SELECT name FROM sqlite_master WHERE type = 'table'")) {
            state.error = driverText(query.lastError());
            return state;
        }
        while (query.next()) {
            const QString name = query.value(0).toString();
            state.hasSchema = state.hasSchema || name == "records_schema";
            state.otherTables = state.otherTables || name != "records_schema";
        }
    } else {
        // A plain catalog query, not to_regclass: it sees a table another station created while
        // this one waited for the migration lock.
        if (!query.exec("SELECT EXISTS (SELECT 1 FROM pg_catalog.pg_tables WHERE"
                        " schemaname = current_schema() AND tablename = 'records_schema')") ||
            !query.next()) {
            state.error = driverText(query.lastError());
            return state;
        }
        state.hasSchema = query.value(0).toBool();
    }
    if (state.hasSchema) {
        QSqlQuery version(db);
        if (!version.exec("SELECT MAX(version) FROM records_schema") || !version.next()) {
            state.error = driverText(version.lastError());
            return state;
        }
        state.version = version.value(0).toInt();
    }
    return state;
}

std::string damaged(const std::string& name, const std::string& why) {
    return "标定记录数据库 " + name + " 已损坏或不是标定记录数据库，未作任何改动：" + why;
}

std::string tooNew(const std::string& name, int version) {
    return "标定记录数据库 " + name + " 的版本(" + std::to_string(version) + ")比本程序支持的(" +
           std::to_string(kRecordsSchemaVersion) + ")新，请升级本程序；数据库未作任何改动";
}

// What an opened database is to us: a refusal message, or "" to go on.
std::string refusal(const SchemaState& state, SqlDialect dialect, const std::string& name) {
    if (!state.error.empty()) {
        return damaged(name, state.error);
    }
    if (state.version > kRecordsSchemaVersion) {
        return tooNew(name, state.version);
    }
    if (state.hasSchema && state.version < 1) {
        return damaged(name, "没有版本号");
    }
    if (dialect == SqlDialect::Sqlite && !state.hasSchema && state.otherTables) {
        return damaged(name, "文件里是别的数据");
    }
    return {};
}

std::string migrate(QSqlDatabase& db, SqlDialect dialect, int from) {
    if (from < 1) {
        for (const char* sql : kVersion1) {
            if (std::string error = execSql(db, sql); !error.empty()) {
                return error;
            }
        }
        if (dialect == SqlDialect::Sqlite) {
            if (std::string error = execSql(db, kSendQueue); !error.empty()) {
                return error;
            }
        }
        return execSql(db, "INSERT INTO records_schema (version) VALUES (1)");
    }
    return {};
}

// SQLite answers "locked" at once, without waiting in the busy timeout, when a connection asks
// for WAL mode, a write lock or the schema while another is just creating the file or recovering
// its WAL (two tools of a station opening a new file together). Such a step is tried again for
// as long as the busy timeout would wait. `attempt` gives "" or the driver's message.
std::string whileLocked(const std::function<std::string()>& attempt) {
    constexpr int kAttempts = 250;  // 5 s in steps of 20 ms
    std::string error = attempt();
    for (int i = 1; i < kAttempts && error.find("locked") != std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        error = attempt();
    }
    return error;
}

}  // namespace

std::string sqliteHeaderProblem(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return {};
    }
    constexpr std::string_view kMagic("SQLite format 3\0", 16);
    std::string head(kMagic.size(), '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got == 0 || (got == kMagic.size() && head == kMagic)) {
        return {};
    }
    return damaged(file, "文件头不对");
}

std::string execSql(QSqlDatabase& db, const char* sql) {
    QSqlQuery query(db);
    return query.exec(QString::fromUtf8(sql)) ? std::string() : driverText(query.lastError());
}

std::string beginWrite(QSqlDatabase& db, SqlDialect dialect) {
    return execSql(db, dialect == SqlDialect::Sqlite ? "BEGIN IMMEDIATE" : "BEGIN");
}

std::string commitWrite(QSqlDatabase& db) {
    return execSql(db, "COMMIT");
}

void rollbackWrite(QSqlDatabase& db) {
    execSql(db, "ROLLBACK");
}

SchemaResult prepareRecordsSchema(QSqlDatabase& db, SqlDialect dialect, const std::string& name) {
    // A PostgreSQL read that fails is a lost connection, tried again later; a SQLite file that
    // cannot be read is damaged.
    const auto judged = [&](const SchemaState& state) -> SchemaResult {
        if (!state.error.empty() && dialect == SqlDialect::Postgres) {
            return {"无法读取标定记录数据库 " + name + "：" + state.error, false};
        }
        std::string refused = refusal(state, dialect, name);
        const bool any = !refused.empty();
        return {std::move(refused), any};
    };
    const auto failed = [&](const std::string& error) -> SchemaResult {
        return {"无法打开标定记录数据库 " + name + "：" + error, dialect == SqlDialect::Sqlite};
    };
    // Judged before anything is written: a refused database must stay exactly as it was. A file
    // another opener holds locked is busy, not damaged.
    SchemaState before;
    whileLocked([&] {
        before = readSchemaState(db, dialect);
        return before.error;
    });
    if (SchemaResult result = judged(before); !result.message.empty()) {
        return result;
    }
    if (dialect == SqlDialect::Sqlite) {
        if (std::string error =
                whileLocked([&] { return execSql(db, "PRAGMA journal_mode = WAL"); });
            !error.empty()) {
            return failed(error);
        }
    }
    if (std::string error = whileLocked([&] { return beginWrite(db, dialect); }); !error.empty()) {
        return failed(error);
    }
    if (dialect == SqlDialect::Postgres) {
        if (std::string error = execSql(db, kPostgresMigrationLock); !error.empty()) {
            rollbackWrite(db);
            return failed(error);
        }
    }
    // Again inside the transaction: another process may have migrated meanwhile.
    const SchemaState state = readSchemaState(db, dialect);
    if (SchemaResult result = judged(state); !result.message.empty()) {
        rollbackWrite(db);
        return result;
    }
    if (std::string error = migrate(db, dialect, state.version); !error.empty()) {
        rollbackWrite(db);
        return failed(error);
    }
    if (std::string error = commitWrite(db); !error.empty()) {
        return failed(error);
    }
    return {};
}

}  // namespace kova
