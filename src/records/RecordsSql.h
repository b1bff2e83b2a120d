#pragma once
// Records in and out of one database, SQLite or PostgreSQL, with the same statements.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "records/RecordsSchema.h"
#include "records/logic/CalibRecord.h"

class QSqlDatabase;

namespace kova {

// Which records a reader wants; empty texts and an empty kind list match any.
struct RecordQuery {
    std::optional<int> channel;
    std::string station;
    std::string device;
    std::vector<RecordKind> kinds;
    std::optional<std::int64_t> notAfterUtcMs;
    std::string id;
    bool onlyQueued = false;  // the station's file: records still in the send queue
    int limit = 0;            // 0: all
};

// Stores a record and its check rows in one transaction; a record whose id is already there is
// left as it is (a resend). With `queue` the id also goes into the station's send queue.
// "" when stored or already there, else the driver's message.
std::string insertRecord(QSqlDatabase& db, SqlDialect dialect, const CalibRecord& record,
                         bool queue = false);

// The matching records, newest first (ties by id, so every reader sees one order).
std::optional<std::vector<CalibRecord>> selectRecords(QSqlDatabase& db, const RecordQuery& query,
                                                      std::string& error);

// The station's send queue, oldest first.
std::optional<std::vector<std::string>> queuedIds(QSqlDatabase& db, std::string& error);
std::string removeFromQueue(QSqlDatabase& db, const std::string& id);

// Every (station, device, channel) with records, with the newest record's keyword, description
// and unit.
std::optional<std::vector<RecordChannel>> selectChannels(QSqlDatabase& db, std::string& error);

}  // namespace kova
