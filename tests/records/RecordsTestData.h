#pragma once
// Records and plain-SQL reads for the records tests.

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QUuid>
#include <QVariant>
#include <string>
#include <vector>

#include "records/logic/CalibRecord.h"

namespace kova::test {

inline RecordChannel channelOne() {
    return {"一号站", "台架A", 1, "AI1", "进口压力", "kPa"};
}

inline CalibRecord calibration(std::int64_t utcMs, const std::string& id = {}) {
    CalibRecord r;
    r.id = id;
    r.kind = RecordKind::Calibration;
    r.utcMs = utcMs;
    r.channel = channelOne();
    r.operatorName = "张工";
    r.toolVersion = "3.0.0";
    r.before = {"0.000,5.000,", "0.000,100.000,"};
    r.after = {"0.000,2.500,5.000,", "0.000,50.000,100.000,"};
    return r;
}

// Errors 0.5, -1.5 and 0 against a full scale of 100: the largest is 1.5 % of full scale.
inline CalibRecord check(std::int64_t utcMs, double tolerance, const std::string& id = {}) {
    CalibRecord r = calibration(utcMs, id);
    r.kind = RecordKind::Check;
    r.before = {};
    r.rows = {{50.5, 50.0}, {98.5, 100.0}, {0.0, 0.0}};
    r.tolerancePercent = tolerance;
    return r;
}

// The rows of a query as "a|b|c" texts, NULL as "NULL".
inline std::vector<std::string> rowsOf(QSqlDatabase db, const std::string& sql) {
    std::vector<std::string> rows;
    QSqlQuery query(db);
    if (!query.exec(QString::fromStdString(sql))) {
        rows.push_back("error: " + query.lastError().text().toStdString());
        return rows;
    }
    while (query.next()) {
        QStringList cells;
        for (int i = 0; i < query.record().count(); ++i) {
            cells << (query.isNull(i) ? QStringLiteral("NULL") : query.value(i).toString());
        }
        rows.push_back(cells.join('|').toStdString());
    }
    return rows;
}

// A connection of the test's own to a SQLite file, closed with the object.
class SqliteFile {
  public:
    explicit SqliteFile(const std::string& file) : name_("test-" + QUuid::createUuid().toString()) {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name_);
        db.setDatabaseName(QString::fromStdString(file));
        db.open();
    }
    ~SqliteFile() {
        QSqlDatabase::database(name_, false).close();
        QSqlDatabase::removeDatabase(name_);
    }
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;
    std::vector<std::string> rows(const std::string& sql) const {
        return rowsOf(QSqlDatabase::database(name_, false), sql);
    }

  private:
    QString name_;
};

}  // namespace kova::test
