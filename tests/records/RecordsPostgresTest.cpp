// The store on a real PostgreSQL server: one server for the whole program, a database a test.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "ChildProcess.h"
#include "PostgresServer.h"
#include "RecordsTestData.h"
#include "TestFiles.h"
#include "records/RecordsLocation.h"
#include "records/RecordsSender.h"
#include "records/RecordsStore.h"

namespace kova {
namespace {

using test::PostgresServer;
using test::TempDir;

class RecordsPostgresTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server().running()) << server().failure();
        static std::atomic<int> next{0};
        database = "records" + std::to_string(++next);
        ASSERT_TRUE(server().createDatabase(database)) << server().failure();
    }
    void TearDown() override {
        if (!server().running()) {
            server().start();  // a test that failed while the server was stopped
        }
    }
    static PostgresServer& server() { return PostgresServer::shared(); }
    std::string url() const { return server().url(database); }
    std::string sql(const std::string& statements) const {
        const PostgresServer::Result result = server().sql(database, statements);
        EXPECT_EQ(result.status, 0) << result.output;
        return result.output;
    }
    RecordsLocation station(const std::string& name) const {
        return {dir.file(name + ".db"), url()};
    }

    TempDir dir;
    std::string database;
    std::int64_t clockMs = 0;  // the stores' monotonic clock
    RecordsStoreOptions options() {
        RecordsStoreOptions o;
        o.monotonicMs = [this] { return clockMs; };
        return o;
    }
};

TEST_F(RecordsPostgresTest, CreatesTheSchemaInAnEmptyDatabaseOnce) {
    for (int round = 0; round < 2; ++round) {
        RecordsStore store(station("a"), options());
        ASSERT_TRUE(store.open()) << store.openError();
    }
    EXPECT_EQ(sql("SELECT string_agg(tablename, ',' ORDER BY tablename) FROM pg_tables"
                  " WHERE schemaname = 'public'"),
              "calib_records,check_rows,records_schema\n");
    EXPECT_EQ(sql("SELECT COUNT(*), MAX(version) FROM records_schema"), "1|1\n");
}

TEST_F(RecordsPostgresTest, RefusesANewerSchemaAndLeavesTheDatabaseUntouched) {
    sql("CREATE TABLE records_schema (version INTEGER NOT NULL);"
        " INSERT INTO records_schema VALUES (2); CREATE TABLE later (x INTEGER)");
    RecordsStore store(station("a"), options());
    EXPECT_FALSE(store.open());
    EXPECT_NE(store.openError().find("版本(2)"), std::string::npos) << store.openError();
    // The station keeps its records until the tool is upgraded.
    const AppendResult result = store.append(test::calibration(1000));
    EXPECT_EQ(result.status, AppendStatus::Queued) << result.message;
    EXPECT_EQ(sql("SELECT string_agg(tablename, ',' ORDER BY tablename) FROM pg_tables"
                  " WHERE schemaname = 'public'"),
              "later,records_schema\n");
    EXPECT_EQ(sql("SELECT version FROM records_schema"), "2\n");
}

TEST_F(RecordsPostgresTest, QueuesWhileTheServerIsDownAndSendsOnceWhenItIsBack) {
    RecordsStore store(station("a"), options());
    ASSERT_TRUE(store.open()) << store.openError();
    EXPECT_EQ(store.append(test::calibration(1000, "r1")).status, AppendStatus::Stored);

    ASSERT_TRUE(server().stop()) << server().failure();
    for (const char* id : {"r2", "r3"}) {
        const AppendResult queued = store.append(test::check(2000, 1.0, id));
        EXPECT_EQ(queued.status, AppendStatus::Queued);
        EXPECT_EQ(queued.message, kRecordsQueuedText);
    }
    EXPECT_EQ(store.queuedCount(), 2);
    // While the site cannot be reached the station shows its own records and says so.
    EXPECT_EQ(store.history(1).size(), 3U);
    EXPECT_NE(store.problem().find("只显示本机的记录"), std::string::npos) << store.problem();

    ASSERT_TRUE(server().start()) << server().failure();
    EXPECT_EQ(store.sendQueued(), 0);  // not tried again so soon after a failure
    clockMs += 31'000;
    EXPECT_EQ(store.sendQueued(), 2);
    EXPECT_EQ(store.queuedCount(), 0);
    EXPECT_EQ(store.sendQueued(), 0);
    // A resend of a record the site has stores nothing more.
    EXPECT_EQ(store.append(test::check(2000, 1.0, "r2")).status, AppendStatus::Stored);
    EXPECT_EQ(sql("SELECT string_agg(id, ',' ORDER BY id), COUNT(*) FROM calib_records"),
              "r1,r2,r3|3\n");
    EXPECT_EQ(sql("SELECT COUNT(*) FROM check_rows"), "6\n");
    EXPECT_EQ(sql("SELECT passed, largest_error FROM calib_records WHERE id = 'r3'"), "0|-1.5\n");
    EXPECT_EQ(store.history(1).size(), 3U);
    EXPECT_EQ(store.problem(), "");
}

TEST_F(RecordsPostgresTest, TheSenderThreadDeliversTheQueueOnceTheServerIsBack) {
    RecordsStore store(station("a"), options());
    ASSERT_TRUE(store.open()) << store.openError();
    ASSERT_TRUE(server().stop()) << server().failure();
    EXPECT_EQ(store.append(test::calibration(1000, "q1")).status, AppendStatus::Queued);
    ASSERT_TRUE(server().start()) << server().failure();
    {
        const RecordsSender sender(station("a"), std::chrono::milliseconds(20));
        // A bounded wait for the one record, not a measure of how fast it goes.
        for (int i = 0; i < 500 && sender.sent() < 1; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        EXPECT_EQ(sender.sent(), 1);
    }
    EXPECT_EQ(store.queuedCount(), 0);
    EXPECT_EQ(sql("SELECT string_agg(id, ',') FROM calib_records"), "q1\n");
}

TEST_F(RecordsPostgresTest, HistoryHoldsTheSitesRecordsAndThisStationsQueuedOnesOnce) {
    RecordsStore a(station("a"), options());
    RecordsStore b(station("b"), options());
    ASSERT_TRUE(a.open()) << a.openError();
    ASSERT_TRUE(b.open()) << b.openError();
    CalibRecord fromB = test::calibration(1000, "b1");
    fromB.channel.station = "二号站";
    EXPECT_EQ(b.append(fromB).status, AppendStatus::Stored);
    EXPECT_EQ(a.append(test::calibration(2000, "a1")).status, AppendStatus::Stored);
    // A record queued at a, as when it was saved while the site was away, and sent meanwhile by
    // another process of the station: shown once.
    {
        RecordsStore offline({dir.file("a.db"), "postgresql://kova@127.0.0.1:1/none"}, options());
        offline.open();
        EXPECT_EQ(offline.append(test::calibration(3000, "a2")).status, AppendStatus::Queued);
    }
    std::vector<std::string> ids;
    for (const CalibRecord& r : a.history(1)) {
        ids.push_back(r.id);
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"a2", "a1", "b1"}));
    EXPECT_EQ(a.sendQueued(), 1);
    ids.clear();
    for (const CalibRecord& r : a.history(1)) {
        ids.push_back(r.id);
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"a2", "a1", "b1"}));
    EXPECT_EQ(a.history({1, "二号站", ""}).size(), 1U);
    EXPECT_EQ(a.channels().size(), 2U);
}

TEST_F(RecordsPostgresTest, ToleranceIsOnePercentUntilSet) {
    RecordsStore store(station("a"), options());
    ASSERT_TRUE(store.open()) << store.openError();
    EXPECT_EQ(store.tolerance(1), 1.0);
    EXPECT_EQ(store.setTolerance(test::channelOne(), 0.5, "张工").status, AppendStatus::Stored);
    RecordsStore other(station("b"), options());
    ASSERT_TRUE(other.open()) << other.openError();
    EXPECT_EQ(other.tolerance({1, "一号站", "台架A"}), 0.5);  // every station sees it
    EXPECT_EQ(other.tolerance({1, "二号站", ""}), 1.0);
}

TEST_F(RecordsPostgresTest, TwoStationsAppendingAtOnceStoreEveryRecordOnce) {
    test::ChildProcess a(KOVA_TEST_APPENDER, {dir.file("a.db"), url(), "a", "40", "shared", "20"},
                         true);
    test::ChildProcess b(KOVA_TEST_APPENDER, {dir.file("b.db"), url(), "b", "40", "shared", "20"},
                         true);
    ASSERT_TRUE(a.started() && b.started());
    EXPECT_EQ(a.readLine(), std::nullopt);
    EXPECT_EQ(b.readLine(), std::nullopt);
    EXPECT_EQ(a.wait(), 0);
    EXPECT_EQ(b.wait(), 0);
    EXPECT_EQ(sql("SELECT COUNT(*), COUNT(DISTINCT id) FROM calib_records"), "100|100\n");
}

TEST_F(RecordsPostgresTest, KovarecordsListsTheSiteDatabase) {
    {
        RecordsStore store(station("a"), options());
        ASSERT_TRUE(store.open()) << store.openError();
        store.append(test::calibration(1000, "site-1"));
    }
    const test::ScopedEnv systemDir("KOVA_SYSTEM_DIR", KOVA_TEST_SYSTEM_DIR);
    const test::ScopedEnv configDir("KOVA_CONFIG_DIR", dir.path().c_str());
    const test::ScopedEnv site(kRecordsDatabaseVariable, url().c_str());
    const test::Outcome list = test::runProgram(KOVA_TEST_KOVARECORDS, {"list", "1"}, true);
    EXPECT_EQ(list.status, 0) << list.output;
    EXPECT_NE(list.output.find("site-1"), std::string::npos) << list.output;
}

}  // namespace
}  // namespace kova
