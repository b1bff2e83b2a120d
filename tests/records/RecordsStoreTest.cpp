#include "records/RecordsStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "ChildProcess.h"
#include "RecordsTestData.h"
#include "TestFiles.h"
#include "records/logic/CheckErrors.h"

namespace kova {
namespace {

using test::calibration;
using test::check;
using test::SqliteFile;
using test::TempDir;

std::string sqliteFileWithSchemaVersion(const TempDir& dir, int version) {
    const std::string file = dir.file("CalibRecords.db");
    {
        RecordsStore store({file, {}});
        EXPECT_TRUE(store.open()) << store.openError();
    }
    SqliteFile db(file);
    db.rows("UPDATE records_schema SET version = " + std::to_string(version));
    return file;
}

TEST(RecordsStoreTest, CreatesTheSchemaInAnEmptyFileInWalModeAndOpensItAgain) {
    const TempDir dir;
    const std::string file = dir.file("CalibRecords.db");
    for (int round = 0; round < 2; ++round) {
        RecordsStore store({file, {}});
        ASSERT_TRUE(store.open()) << store.openError();
    }
    SqliteFile db(file);
    EXPECT_EQ(db.rows("SELECT version FROM records_schema"), std::vector<std::string>{"1"});
    EXPECT_EQ(db.rows("PRAGMA journal_mode"), std::vector<std::string>{"wal"});
    EXPECT_EQ(
        db.rows("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"),
        (std::vector<std::string>{"calib_records", "check_rows", "records_schema", "send_queue"}));
}

TEST(RecordsStoreTest, RefusesANewerSchemaOrADamagedFileAndLeavesItUntouched) {
    const TempDir dir;
    const std::string newer = sqliteFileWithSchemaVersion(dir, 2);
    const std::string garbage = dir.file("garbage.db");
    test::writeBytes(garbage, std::string(4096, 'x'));
    const std::string truncated = dir.file("truncated.db");
    const std::string whole = test::readBytes(newer);
    test::writeBytes(truncated, whole.substr(0, 100) + std::string(4000, '\xff'));
    const std::string other = dir.file("other.db");
    {
        SqliteFile db(other);
        db.rows("CREATE TABLE parts (name TEXT)");
    }

    const struct {
        std::string file;
        std::string says;
    } cases[] = {{newer, "版本(2)"}, {garbage, "已损坏"}, {truncated, "已损坏"}, {other, "已损坏"}};
    for (const auto& c : cases) {
        const std::string before = test::readBytes(c.file);
        RecordsStore store({c.file, {}});
        EXPECT_FALSE(store.open()) << c.file;
        EXPECT_NE(store.openError().find(c.says), std::string::npos) << store.openError();
        const AppendResult result = store.append(calibration(1000));
        EXPECT_EQ(result.status, AppendStatus::Failed) << c.file;
        EXPECT_NE(result.message.find("尚未保存"), std::string::npos) << result.message;
        EXPECT_EQ(test::readBytes(c.file), before) << c.file << " was changed";
    }
}

TEST(RecordsStoreTest, AppendsOnceByIdAndGivesAChannelsHistoryNewestFirst) {
    const TempDir dir;
    RecordsStore store({dir.file("CalibRecords.db"), {}});
    ASSERT_TRUE(store.open()) << store.openError();

    const AppendResult first = store.append(calibration(1000));
    EXPECT_EQ(first.status, AppendStatus::Stored);
    EXPECT_EQ(first.message, "");
    EXPECT_EQ(first.id.size(), 36U);  // a UUID was made
    EXPECT_EQ(store.append(check(3000, 1.0, "check-1")).status, AppendStatus::Stored);
    EXPECT_EQ(store.append(calibration(2000, "cal-2")).status, AppendStatus::Stored);
    // A resend of a record already stored stores nothing more.
    EXPECT_EQ(store.append(calibration(2000, "cal-2")).status, AppendStatus::Stored);
    EXPECT_EQ(store.setTolerance(test::channelOne(), 2.0, "李工").status, AppendStatus::Stored);
    CalibRecord otherChannel = calibration(4000);
    otherChannel.channel.channel = 2;
    store.append(otherChannel);

    const std::vector<CalibRecord> history = store.history(1);
    ASSERT_EQ(history.size(), 3U);  // the tolerance record is no part of it
    EXPECT_EQ(history[0].id, "check-1");
    EXPECT_EQ(history[1].id, "cal-2");
    EXPECT_EQ(history[2].id, first.id);
    EXPECT_EQ(history[0].rows.size(), 3U);
    EXPECT_EQ(history[0].rows[1].reading, 98.5);
    EXPECT_EQ(history[1].channel.description, "进口压力");
    EXPECT_EQ(history[1].after.data, "0.000,50.000,100.000,");
    EXPECT_EQ(store.queuedCount(), 0);

    const std::optional<CalibRecord> latest = store.latestCheck({1, "一号站", "台架A"});
    ASSERT_TRUE(latest);
    EXPECT_EQ(latest->id, "check-1");
    const std::optional<CalibRecord> calibrated = store.latestCalibrationBefore(*latest);
    ASSERT_TRUE(calibrated);
    EXPECT_EQ(calibrated->id, "cal-2");
    EXPECT_FALSE(store.latestCheck({1, "二号站", ""}));

    const std::vector<RecordChannel> channels = store.channels();
    ASSERT_EQ(channels.size(), 2U);
    EXPECT_EQ(channels[0].channel, 1);
    EXPECT_EQ(channels[1].channel, 2);
}

TEST(RecordsStoreTest, ToleranceIsOnePercentUntilSetAndTheNewestSettingAfterwards) {
    const TempDir dir;
    RecordsStore store({dir.file("CalibRecords.db"), {}});
    ASSERT_TRUE(store.open()) << store.openError();
    EXPECT_EQ(store.tolerance(1), kDefaultTolerancePercent);
    RecordChannel one = test::channelOne();
    store.setTolerance(one, 0.5, "张工");
    store.setTolerance(one, 0.25, "张工");
    RecordChannel two = one;
    two.channel = 2;
    store.setTolerance(two, 3.0, "张工");
    EXPECT_EQ(store.tolerance(1), 0.25);
    EXPECT_EQ(store.tolerance(2), 3.0);
    EXPECT_EQ(store.tolerance(3), kDefaultTolerancePercent);
}

TEST(RecordsStoreTest, KeepsEachChecksErrorsAndVerdictForPlainSql) {
    const TempDir dir;
    const std::string file = dir.file("CalibRecords.db");
    {
        RecordsStore store({file, {}});
        ASSERT_TRUE(store.open()) << store.openError();
        store.append(check(1000, 2.0, "within"));
        store.append(check(2000, 1.0, "outside"));
        // A channel without a table (a counter): nothing to judge against.
        CalibRecord untabled = check(3000, 1.0, "untabled");
        untabled.after = {};
        store.append(untabled);
    }
    SqliteFile db(file);
    EXPECT_EQ(db.rows("SELECT id, full_scale, largest_error, largest_percent_of_full_scale, passed"
                      " FROM calib_records ORDER BY utc_ms"),
              (std::vector<std::string>{"within|100|-1.5|1.5|1", "outside|100|-1.5|1.5|0",
                                        "untabled|0|-1.5|0|NULL"}));
    EXPECT_EQ(db.rows("SELECT row_no, error_value, percent_of_reference, percent_of_full_scale"
                      " FROM check_rows WHERE record_id = 'within' ORDER BY row_no"),
              (std::vector<std::string>{"0|0.5|1|0.5", "1|-1.5|-1.5|1.5", "2|0|NULL|0"}));
}

TEST(RecordsStoreTest, ARecordThatCannotBeWrittenIsKeptAndStoredWithTheNextAppend) {
    const TempDir dir;
    const std::string file = dir.file("CalibRecords.db");
    RecordsStoreOptions noWait;
    noWait.busyTimeoutMs = 0;
    RecordsStore store({file, {}}, noWait);
    ASSERT_TRUE(store.open()) << store.openError();
    {
        // Another program holds the write lock past the busy timeout.
        SqliteFile other(file);
        ASSERT_EQ(other.rows("BEGIN IMMEDIATE"), std::vector<std::string>{});
        const AppendResult held = store.append(calibration(1000, "held"));
        EXPECT_EQ(held.status, AppendStatus::Failed);
        EXPECT_NE(held.message.find("尚未保存"), std::string::npos) << held.message;
        EXPECT_EQ(store.queuedCount(), 1);
        other.rows("ROLLBACK");
    }
    EXPECT_EQ(store.append(calibration(2000, "next")).status, AppendStatus::Stored);
    EXPECT_EQ(store.queuedCount(), 0);
    EXPECT_EQ(store.history(1).size(), 2U);
}

TEST(RecordsStoreTest, TwoProcessesAppendingAtOnceStoreEveryRecordOnce) {
    const TempDir dir(test::memoryTempBase());
    const std::string file = dir.file("CalibRecords.db");
    // Both also send the same 20 records, as two resends racing would.
    test::ChildProcess a(KOVA_TEST_APPENDER, {file, "-", "a", "60", "shared", "20"}, true);
    test::ChildProcess b(KOVA_TEST_APPENDER, {file, "-", "b", "60", "shared", "20"}, true);
    ASSERT_TRUE(a.started() && b.started());
    EXPECT_EQ(a.wait(), 0);
    EXPECT_EQ(b.wait(), 0);
    SqliteFile db(file);
    EXPECT_EQ(db.rows("SELECT COUNT(*), COUNT(DISTINCT id) FROM calib_records"),
              std::vector<std::string>{"140|140"});
}

}  // namespace
}  // namespace kova
