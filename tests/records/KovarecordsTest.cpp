#include <gtest/gtest.h>

#include "ChildProcess.h"
#include "RecordsTestData.h"
#include "TestFiles.h"
#include "records/RecordsLocation.h"
#include "records/RecordsStore.h"

namespace kova {
namespace {

using test::ScopedEnv;
using test::TempDir;

TEST(RecordsLocationTest, TheStationFileUnlessTheIniOrTheEnvironmentNamesASiteDatabase) {
    const TempDir dir;
    const std::string ini = dir.file("sysKOVA.ini");
    test::writeGbk(ini, "[RECORDS]\r\nDATABASE = postgresql://calib@db.site:5432/kova \r\n");
    {
        const ScopedEnv unset(kRecordsDatabaseVariable, nullptr);
        const RecordsLocation location = recordsLocation(dir.path().string(), ini);
        EXPECT_EQ(location.localFile, dir.file("CalibRecords.db"));
        EXPECT_EQ(location.siteUrl, "postgresql://calib@db.site:5432/kova");
        EXPECT_EQ(recordsLocation(dir.path().string(), dir.file("none.ini")).siteUrl, "");
    }
    {
        const ScopedEnv other(kRecordsDatabaseVariable, "postgresql://x@other/kova");
        EXPECT_EQ(recordsLocation(dir.path().string(), ini).siteUrl, "postgresql://x@other/kova");
    }
    {
        const ScopedEnv empty(kRecordsDatabaseVariable, "");
        EXPECT_EQ(recordsLocation(dir.path().string(), ini).siteUrl, "");
    }
}

// kovarecords as a technician runs it: the system library gives the configuration directory.
class KovarecordsTest : public ::testing::Test {
  protected:
    TempDir dir;
    ScopedEnv systemDir{"KOVA_SYSTEM_DIR", KOVA_TEST_SYSTEM_DIR};
    ScopedEnv configDir{"KOVA_CONFIG_DIR", dir.path().c_str()};
    ScopedEnv noSite{kRecordsDatabaseVariable, nullptr};

    test::Outcome run(const std::vector<std::string>& args) {
        return test::runProgram(KOVA_TEST_KOVARECORDS, args, true);
    }
};

TEST_F(KovarecordsTest, ListsAChannelNewestFirstAndWritesItsCsvAndReport) {
    {
        RecordsStore store({dir.file(kRecordsFileName), {}});
        ASSERT_TRUE(store.open()) << store.openError();
        store.append(test::calibration(1000, "cal-1"));
        store.append(test::check(2000, 1.0, "check-1"));
    }
    const test::Outcome list = run({"list", "1"});
    EXPECT_EQ(list.status, 0) << list.output;
    const auto calibration = list.output.find("标定  一号站/台架A  张工  3点  cal-1");
    const auto checked = list.output.find(
        "校验  一号站/台架A  张工  3行  最大误差 -1.5000 kPa (1.5000%FS, 允差 1.0000%)  不合格  "
        "check-1");
    ASSERT_NE(calibration, std::string::npos) << list.output;
    ASSERT_NE(checked, std::string::npos) << list.output;
    EXPECT_LT(checked, calibration);

    const std::string csv = dir.file("out.csv");
    EXPECT_EQ(run({"csv", "1", csv}).status, 0);
    EXPECT_EQ(test::readBytes(csv).substr(0, 3), "\xEF\xBB\xBF");
    // The report of the latest check, with the calibration before it.
    const std::string pdf = dir.file("report.pdf");
    const test::Outcome report = run({"report", "1", pdf});
    EXPECT_EQ(report.status, 0) << report.output;
    EXPECT_EQ(test::readBytes(pdf).substr(0, 5), "%PDF-");
    const test::Outcome text = test::runProgram("/usr/bin/pdftotext", {pdf, "-"});
    EXPECT_NE(text.output.find("check-1"), std::string::npos) << text.output;
    // Narrowed to a station or device the channel's records do not name: nothing to show.
    EXPECT_EQ(run({"--station", "一号站", "list", "1"}).status, 0);
    EXPECT_EQ(run({"list", "1", "--device=台架B"}).status, 1);
    EXPECT_EQ(run({"--station", "二号站", "report", "1", pdf}).status, 1);
    // Nothing to show, and a file that cannot be written.
    EXPECT_EQ(run({"list", "7"}).status, 1);
    EXPECT_EQ(run({"report", "7", pdf}).status, 1);
    EXPECT_EQ(run({"csv", "1", dir.file("missing/out.csv")}).status, 1);
    EXPECT_EQ(run({"report", "1", dir.file("missing/report.pdf")}).status, 1);
}

TEST_F(KovarecordsTest, ExitStatusesOfTheCommandLine) {
    const struct {
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {{"--help"}, 0},         {{}, 2},
        {{"list"}, 2},           {{"list", "x"}, 2},
        {{"list", "1", "2"}, 2}, {{"show", "1"}, 2},
        {{"csv", "1"}, 2},       {{"report", "1"}, 2},
        {{"--bogus"}, 2},        {{"list", "1"}, 1},  // an empty database: nothing to show
    };
    for (const auto& c : cases) {
        const test::Outcome outcome = run(c.args);
        EXPECT_EQ(outcome.status, c.status)
            << testing::PrintToString(c.args) << ": " << outcome.output;
    }
}

TEST_F(KovarecordsTest, FailsWithTheStoresMessageOnADamagedFile) {
    test::writeBytes(dir / kRecordsFileName, std::string(200, 'x'));
    const test::Outcome outcome = run({"list", "1"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.output.find("已损坏"), std::string::npos) << outcome.output;
}

}  // namespace
}  // namespace kova
