#include "records/RecordsSql.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <map>

#include "records/logic/CheckErrors.h"

namespace kova {
namespace {

constexpr const char* kRecordColumns =
    "id, kind, utc_ms, station, device, channel, keyword, description, unit, operator_name,"
    " tool_version, before_volt, before_data, after_volt, after_data, tolerance_percent";

QString text(const std::string& s) {
    return QString::fromStdString(s);
}
std::string text(const QVariant& v) {
    return v.toString().toStdString();
}

QVariant nullDouble() {
    return QVariant(QMetaType(QMetaType::Double));
}

std::string driverText(const QSqlQuery& query) {
    const QString t = query.lastError().text().trimmed();
    return t.isEmpty() ? std::string("未知错误") : t.toStdString();
}

// Binds in order; "" or the driver's message.
std::string run(QSqlQuery& query, const QString& sql, const QVariantList& values) {
    if (!query.prepare(sql)) {
        return driverText(query);
    }
    for (const QVariant& v : values) {
        query.addBindValue(v);
    }
    return query.exec() ? std::string() : driverText(query);
}

// Inserts the record row; whether it was new.
std::optional<bool> insertRecordRow(QSqlQuery& query, const CalibRecord& r, std::string& error) {
    QVariant fullScale = nullDouble();
    QVariant largest = nullDouble();
    QVariant largestPercent = nullDouble();
    QVariant passed = QVariant(QMetaType(QMetaType::Int));
    if (r.kind == RecordKind::Check) {
        const CheckEvaluation e = evaluateCheck(r);
        fullScale = e.fullScale;
        largest = e.largestError;
        largestPercent = e.largestPercentOfFullScale;
        if (e.judged) {  // NULL: nothing to judge against
            passed = e.passed ? 1 : 0;
        }
    }
    const QString sql = QStringLiteral(
                            "INSERT INTO calib_records (%1, full_scale, largest_error,"
                            " largest_percent_of_full_scale, passed) VALUES (?, ?, ?, ?, ?, ?, ?,"
                            " ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (id) DO NOTHING")
                            .arg(QLatin1String(kRecordColumns));
    error = run(query, sql,
                {text(r.id),
                 static_cast<int>(r.kind),
                 QVariant::fromValue<qlonglong>(r.utcMs),
                 text(r.channel.station),
                 text(r.channel.device),
                 r.channel.channel,
                 text(r.channel.keyword),
                 text(r.channel.description),
                 text(r.channel.unit),
                 text(r.operatorName),
                 text(r.toolVersion),
                 text(r.before.volt),
                 text(r.before.data),
                 text(r.after.volt),
                 text(r.after.data),
                 r.tolerancePercent,
                 fullScale,
                 largest,
                 largestPercent,
                 passed});
    if (!error.empty()) {
        return std::nullopt;
    }
    return query.numRowsAffected() > 0;
}

std::string insertCheckRows(QSqlDatabase& db, const CalibRecord& r) {
    const CheckEvaluation e = evaluateCheck(r);
    for (std::size_t i = 0; i < r.rows.size(); ++i) {
        const CheckRowError& row = e.rows[i];
        QSqlQuery query(db);
        std::string error =
            run(query,
                "INSERT INTO check_rows (record_id, row_no, reading_value, reference_value,"
                " error_value, percent_of_reference, percent_of_full_scale)"
                " VALUES (?, ?, ?, ?, ?, ?, ?)",
                {text(r.id), static_cast<int>(i), r.rows[i].reading, r.rows[i].reference, row.error,
                 row.percentOfReference ? QVariant(*row.percentOfReference) : nullDouble(),
                 row.percentOfFullScale});
        if (!error.empty()) {
            return error;
        }
    }
    return {};
}

CalibRecord recordFrom(const QSqlQuery& q) {
    CalibRecord r;
    r.id = text(q.value(0));
    r.kind = static_cast<RecordKind>(q.value(1).toInt());
    r.utcMs = q.value(2).toLongLong();
    r.channel.station = text(q.value(3));
    r.channel.device = text(q.value(4));
    r.channel.channel = q.value(5).toInt();
    r.channel.keyword = text(q.value(6));
    r.channel.description = text(q.value(7));
    r.channel.unit = text(q.value(8));
    r.operatorName = text(q.value(9));
    r.toolVersion = text(q.value(10));
    r.before = {text(q.value(11)), text(q.value(12))};
    r.after = {text(q.value(13)), text(q.value(14))};
    r.tolerancePercent = q.value(15).toDouble();
    return r;
}

// The rows of the checks among `records`, in their order.
std::string loadCheckRows(QSqlDatabase& db, std::vector<CalibRecord>& records) {
    std::map<std::string, CalibRecord*> checks;
    QStringList marks;
    QVariantList ids;
    for (CalibRecord& r : records) {
        if (r.kind == RecordKind::Check) {
            checks[r.id] = &r;
            marks << QStringLiteral("?");
            ids << text(r.id);
        }
    }
    if (checks.empty()) {
        return {};
    }
    QSqlQuery query(db);
    query.setForwardOnly(true);
    std::string error = run(
        query,
        "SELECT record_id, reading_value, reference_value FROM check_rows WHERE record_id IN (" +
            marks.join(", ") + ") ORDER BY record_id, row_no",
        ids);
    if (!error.empty()) {
        return error;
    }
    while (query.next()) {
        checks.at(text(query.value(0)))
            ->rows.push_back({query.value(1).toDouble(), query.value(2).toDouble()});
    }
    return {};
}

}  // namespace

std::string insertRecord(QSqlDatabase& db, SqlDialect dialect, const CalibRecord& record,
                         bool queue) {
    if (std::string error = beginWrite(db, dialect); !error.empty()) {
        return error;
    }
    std::string error;
    QSqlQuery query(db);
    const std::optional<bool> inserted = insertRecordRow(query, record, error);
    if (inserted && *inserted) {
        error = insertCheckRows(db, record);
    }
    if (error.empty() && inserted && *inserted && queue) {
        QSqlQuery enqueue(db);
        error = run(enqueue, "INSERT INTO send_queue (record_id, queued_utc_ms) VALUES (?, ?)",
                    {text(record.id), QVariant::fromValue<qlonglong>(record.utcMs)});
    }
    if (!error.empty()) {
        rollbackWrite(db);
        return error;
    }
    return commitWrite(db);
}

std::optional<std::vector<CalibRecord>> selectRecords(QSqlDatabase& db, const RecordQuery& query,
                                                      std::string& error) {
    QStringList where;
    QVariantList values;
    if (query.channel) {
        where << QStringLiteral("channel = ?");
        values << *query.channel;
    }
    if (!query.station.empty()) {
        where << QStringLiteral("station = ?");
        values << text(query.station);
    }
    if (!query.device.empty()) {
        where << QStringLiteral("device = ?");
        values << text(query.device);
    }
    if (!query.id.empty()) {
        where << QStringLiteral("id = ?");
        values << text(query.id);
    }
    if (query.notAfterUtcMs) {
        where << QStringLiteral("utc_ms <= ?");
        values << QVariant::fromValue<qlonglong>(*query.notAfterUtcMs);
    }
    if (!query.kinds.empty()) {
        QStringList kinds;
        for (RecordKind k : query.kinds) {
            kinds << QString::number(static_cast<int>(k));
        }
        where << QStringLiteral("kind IN (%1)").arg(kinds.join(", "));
    }
    if (query.onlyQueued) {
        where << QStringLiteral("id IN (SELECT record_id FROM send_queue)");
    }
    QString sql = QStringLiteral("SELECT %1 FROM calib_records").arg(QLatin1String(kRecordColumns));
    if (!where.isEmpty()) {
        sql += " WHERE " + where.join(" AND ");
    }
    sql += " ORDER BY utc_ms DESC, id DESC";
    if (query.limit > 0) {
        sql += QStringLiteral(" LIMIT %1").arg(query.limit);
    }
    QSqlQuery q(db);
    q.setForwardOnly(true);
    error = run(q, sql, values);
    if (!error.empty()) {
        return std::nullopt;
    }
    std::vector<CalibRecord> records;
    while (q.next()) {
        records.push_back(recordFrom(q));
    }
    error = loadCheckRows(db, records);
    if (!error.empty()) {
        return std::nullopt;
    }
    return records;
}

std::optional<std::vector<std::string>> queuedIds(QSqlDatabase& db, std::string& error) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    error = run(q, "SELECT record_id FROM send_queue ORDER BY queued_utc_ms, record_id", {});
    if (!error.empty()) {
        return std::nullopt;
    }
    std::vector<std::string> ids;
    while (q.next()) {
        ids.push_back(text(q.value(0)));
    }
    return ids;
}

std::string removeFromQueue(QSqlDatabase& db, const std::string& id) {
    QSqlQuery q(db);
    return run(q, "DELETE FROM send_queue WHERE record_id = ?", {text(id)});
}

std::optional<std::vector<RecordChannel>> selectChannels(QSqlDatabase& db, std::string& error) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    error = run(q,
                "SELECT station, device, channel, keyword, description, unit FROM calib_records"
                " ORDER BY station, device, channel, utc_ms DESC",
                {});
    if (!error.empty()) {
        return std::nullopt;
    }
    std::vector<RecordChannel> channels;
    while (q.next()) {
        RecordChannel c{text(q.value(0)), text(q.value(1)), q.value(2).toInt(),
                        text(q.value(3)), text(q.value(4)), text(q.value(5))};
        if (channels.empty() || channels.back().station != c.station ||
            channels.back().device != c.device || channels.back().channel != c.channel) {
            channels.push_back(std::move(c));
        }
    }
    return channels;
}

}  // namespace kova
