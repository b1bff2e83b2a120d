// The calibration records as the technician meets them: a saved calibration and a saved check
// become records, the records page shows them, and the report's numbers are the check window's.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ChildProcess.h"
#include "TdcabFixture.h"
#include "controls/GraphCtrl.h"
#include "pages/Dialog_Check.h"
#include "pages/PageRecords.h"
#include "pages/RecordsPage.h"
#include "records/RecordsStore.h"

namespace kova::testing {
namespace {

class RecordsPageTest : public TdcabFixture {
  protected:
    void SetUp() override {
        TdcabFixture::SetUp();
        std::filesystem::create_directories(dir_ / "d");
        ASSERT_TRUE(store_.open()) << store_.openError();
        rt_.records = &store_;
        rt_.operatorName = "张工";
        rt_.showStatus = [this](const std::string& text) { status_.push_back(text); };
    }

    // Calibrates channel 3 of 制动台 with two points on the calibration page.
    void calibrate(const char* secondValue) {
        Dialog_Tdcab& page = openOnDevice();
        clickChannel(0);
        page.voltField()->setText(QStringLiteral("2.0"));
        page.trueValueField()->setText(QString::fromUtf8(secondValue));
        page.OnAdd();
        page.OnSave();
    }

    // Opens the page on channel 3 of 制动台 of station 2.
    RecordsPage& openRecords() {
        records_ = std::make_unique<RecordsPage>(rt_);
        records_->show();
        records_->stationBox()->setCurrentText(QStringLiteral("2工位"));
        records_->OnSelchangeStation();
        records_->deviceBox()->setCurrentText(QStringLiteral("制动台"));
        records_->OnSelchangeDevice();
        records_->channelBox()->setCurrentIndex(0);
        records_->OnSelchangeChannel();
        return *records_;
    }

    test::ScopedEnv driveD_{"KOVA_DRIVE_D", dir_ / "d"};
    RecordsStore store_{RecordsLocation{dir_.file("CalibRecords.db"), ""}};
    std::vector<std::string> status_;
    std::unique_ptr<RecordsPage> records_;
};

TEST_F(RecordsPageTest, ASavedCalibrationAndCheckAppearOnThePageAndInTheReport) {
    calibrate("400");
    ASSERT_EQ(status_, std::vector<std::string>{"标定记录已保存"});

    // The check window on the table just saved, with two rows typed against the readout.
    Dialog_Check check(rt_, "制动台", "3", false, false);
    check.setStation("2工位");
    check.tick();  // a fresh reading: rows may be added
    for (const auto& [shown, reference] : {std::pair{"399.5", "400"}, {"205", "200"}}) {
        check.valueBox()->setText(QString::fromUtf8(shown));
        check.inputBox()->setText(QString::fromUtf8(reference));
        check.OnAdd();
    }
    check.OnSave();
    ASSERT_EQ(status_.size(), 2U);

    RecordsPage& page = openRecords();
    ASSERT_EQ(page.shownRecords().size(), 2U);
    const CalibRecord& newest = page.shownRecords()[0];
    EXPECT_EQ(newest.kind, RecordKind::Check);
    EXPECT_EQ(newest.operatorName, "张工");
    EXPECT_EQ(newest.channel.station, "2工位");
    EXPECT_EQ(newest.channel.keyword, "左制动");
    EXPECT_EQ(newest.channel.description, "左轮制动力");
    EXPECT_EQ(newest.after.data, "100.000,200.000,400.000,");
    const CalibRecord& calibration = page.shownRecords()[1];
    EXPECT_EQ(calibration.before.volt, "0.500,1.000,");
    EXPECT_EQ(calibration.after.volt, "0.500,1.000,2.000,");
    // 205 against 200 is 1.25 % of the 400 full scale: beyond the default 1 %.
    EXPECT_EQ(page.historyList()->GetItemText(0, 1), "校验");
    EXPECT_EQ(page.historyList()->GetItemText(0, 4), "5.000");
    EXPECT_EQ(page.historyList()->GetItemText(0, 5), "1.25");
    EXPECT_EQ(page.historyList()->GetItemText(0, 7), "不合格");
    EXPECT_EQ(page.pointsList()->GetItemText(0, 2), "5.000");  // newest row first, as listed
    EXPECT_EQ(page.graph()->PointCount(0), 3);                 // the table
    EXPECT_EQ(page.graph()->PointCount(1), 2);                 // the check points

    recorder_.fileAnswers = {dir_.file("report.pdf")};
    page.OnExportReport();
    ASSERT_EQ(recorder_.fileQuestions, std::vector<std::string>{"导出报告"});
    const test::Outcome text =
        test::runProgram("/usr/bin/pdftotext", {dir_.file("report.pdf"), "-"});
    ASSERT_EQ(text.status, 0);
    for (const char* expected :
         {"399.500", "205.000", "-0.500", "5.000", "1.25", "不合格", "张工"}) {
        EXPECT_NE(text.output.find(expected), std::string::npos) << expected << "\n" << text.output;
    }
}

TEST_F(RecordsPageTest, ShownAfterWorkOnAnotherChannelThePageFollowsIt) {
    calibrate("400");
    records_ = std::make_unique<RecordsPage>(rt_);
    records_->workingChannel = [this] { return page_->workingChannel(); };
    records_->show();
    EXPECT_EQ(records_->deviceBox()->currentText().toStdString(), "制动台");
    EXPECT_EQ(records_->channelBox()->currentIndex(), 0);
    EXPECT_EQ(records_->shownRecords().size(), 1U);
    // The technician's own choice stays while the working channel stays the same.
    records_->channelBox()->setCurrentIndex(1);
    records_->OnSelchangeChannel();
    records_->hide();
    records_->show();
    EXPECT_EQ(records_->channelBox()->currentIndex(), 1);
}

TEST_F(RecordsPageTest, ToleranceIsSetOnThePageAndRefusedWhenNotAPercentage) {
    calibrate("400");
    RecordsPage& page = openRecords();
    EXPECT_EQ(page.toleranceField()->text().toStdString(), "1.00");
    for (const char* wrong : {"0", "abc", "101", "-2"}) {
        page.toleranceField()->setText(QString::fromUtf8(wrong));
        page.OnSetTolerance();
        EXPECT_EQ(recorder_.boxes.back().text, "允差应为大于0、不大于100的数（%FS）。") << wrong;
    }
    page.toleranceField()->setText(QStringLiteral("2.5"));
    page.OnSetTolerance();
    EXPECT_DOUBLE_EQ(store_.tolerance(3), 2.5);
    EXPECT_EQ(page.toleranceField()->text().toStdString(), "2.50");
    // A check saved from now on is judged against it.
    EXPECT_DOUBLE_EQ(recordedTolerance(rt_, 3), 2.5);
}

TEST_F(RecordsPageTest, ASaveWhileTheSiteDatabaseIsDownIsQueuedAndSaysSo) {
    // Nothing listens on port 1: the site cannot be reached.
    RecordsStore site(
        RecordsLocation{dir_.file("Queued.db"), "postgresql://calib@127.0.0.1:1/kova"});
    ASSERT_TRUE(site.open()) << site.openError();
    rt_.records = &site;
    calibrate("400");
    EXPECT_EQ(recorder_.boxes.back().text, "该通道标定数据保存完毕！");
    EXPECT_EQ(status_, std::vector<std::string>{"记录暂存本地，将自动补传"});
    EXPECT_EQ(site.queuedCount(), 1);
}

TEST_F(RecordsPageTest, WithoutRecordsThePageSaysSoAndTheSavesStillSucceed) {
    rt_.records = nullptr;
    calibrate("400");
    EXPECT_EQ(recorder_.boxes.back().text, "该通道标定数据保存完毕！");
    EXPECT_TRUE(status_.empty());
    RecordsPage& page = openRecords();
    EXPECT_EQ(page.historyList()->GetItemCount(), 0);
    EXPECT_EQ(page.noteLine()->text().toStdString(), "本站未保存标定记录：记录数据库未能打开。");
    page.OnExportReport();
    EXPECT_EQ(recorder_.boxes.back().text, "该通道没有校验记录，不能生成报告。");
}

}  // namespace
}  // namespace kova::testing
