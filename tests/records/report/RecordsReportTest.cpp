// The verification report as a reader of the PDF sees it: its text through pdftotext, its pages
// through pdftoppm and its fonts through pdffonts.

#include <gtest/gtest.h>

#include <QImage>
#include <iterator>
#include <sstream>

#include "ChildProcess.h"
#include "TestFiles.h"
#include "records/report/RecordsReport.h"
#include "records/report/ReportPlot.h"

namespace kova {
namespace {

CalibRecord sampleCheck(int rows) {
    CalibRecord check;
    check.id = "0b5c5a44-2d1e-4d57-9a62-6f4e1c1b9d10";
    check.kind = RecordKind::Check;
    check.utcMs = 1'765'000'000'000;
    check.channel = {"制动工位", "制动台", 1, "ZDL", "左制动力", "daN"};
    check.operatorName = "张工";
    check.toolVersion = "Calib 3.0.0";
    check.after = {"0.000,5.000,10.000,", "0.000,500.000,1000.000,"};
    check.tolerancePercent = 1.0;
    check.rows = {{100.4, 100.0}, {496.0, 500.0}, {0.0, 0.0}};
    for (int i = 3; i < rows; ++i) {
        check.rows.push_back({10.0 * i, 10.0 * i});
    }
    return check;
}

// The text of the PDF without spaces: pdftotext spaces Chinese text as it likes.
std::string pdfText(const std::filesystem::path& pdf) {
    const test::Outcome text = test::runProgram("/usr/bin/pdftotext", {pdf.string(), "-"});
    EXPECT_EQ(text.status, 0);
    std::string compact = text.output;
    std::erase(compact, ' ');
    return compact;
}

// Whether every font pdffonts lists is embedded (its "emb" column, fifth from the end).
bool allFontsEmbedded(const std::string& listing) {
    std::istringstream lines(listing);
    std::string line;
    int fonts = 0;
    bool pastHeader = false;
    while (std::getline(lines, line)) {
        if (line.rfind("---", 0) == 0) {
            pastHeader = true;
            continue;
        }
        std::istringstream words(line);
        std::vector<std::string> cells{std::istream_iterator<std::string>(words), {}};
        if (!pastHeader || cells.size() < 6) {
            continue;
        }
        ++fonts;
        if (cells[cells.size() - 5] != "yes") {
            return false;
        }
    }
    return fonts > 0;
}

TEST(RecordsReportTest, TheCheckNumbersVerdictAndSignaturesAreInThePdf) {
    test::TempDir dir;
    CalibRecord calibration = sampleCheck(0);
    calibration.kind = RecordKind::Calibration;
    calibration.operatorName = "李工";
    const CalibRecord check = sampleCheck(3);
    ASSERT_TRUE(writeCheckReport(check, &calibration, dir.file("r.pdf")));

    const std::string text = pdfText(dir / "r.pdf");
    for (const char* expected :
         {"通道标定校验报告", "制动工位", "制动台", "左制动力", "张工", "李工", "±1.00%FS",
          "1000.000daN",
          // 496 against 500: -4 daN, -0.80 % of the reference, 0.40 % of full scale.
          "-4.000", "-0.80", "0.40", "100.400", "0.400", "0.04",
          // Every row within 1 % of full scale.
          "结论：合格", "校准员", "审核员", "第1页/共1页", "0b5c5a44"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << " not in\n" << text;
    }

    const test::Outcome fonts = test::runProgram("/usr/bin/pdffonts", {(dir / "r.pdf").string()});
    ASSERT_EQ(fonts.status, 0);
    EXPECT_TRUE(allFontsEmbedded(fonts.output)) << fonts.output;

    ASSERT_EQ(
        test::runProgram("/usr/bin/pdftoppm", {"-r", "40", "-png", "-singlefile",
                                               (dir / "r.pdf").string(), (dir / "page").string()})
            .status,
        0);
    const QImage page(QString::fromStdString((dir / "page.png").string()));
    ASSERT_FALSE(page.isNull());
    EXPECT_NEAR(static_cast<double>(page.width()) / page.height(), 210.0 / 297.0, 0.01);
}

TEST(RecordsReportTest, ALongCheckRunsOverPagesAndAFailingRowFailsTheChannel) {
    test::TempDir dir;
    CalibRecord check = sampleCheck(50);
    check.rows[1].reading = 480.0;  // 2 % of full scale off
    ASSERT_TRUE(writeCheckReport(check, nullptr, dir.file("long.pdf")));
    const std::string text = pdfText(dir / "long.pdf");
    // Each page carries its number and the total.
    const std::string info = test::runProgram("/usr/bin/pdfinfo", {dir.file("long.pdf")}).output;
    const auto at = info.find("Pages:");
    ASSERT_NE(at, std::string::npos) << info;
    const int pages = std::stoi(info.substr(at + 6));
    ASSERT_GE(pages, 2) << text;
    for (int page = 1; page <= pages; ++page) {
        const std::string footer =
            "第" + std::to_string(page) + "页/共" + std::to_string(pages) + "页";
        EXPECT_NE(text.find(footer), std::string::npos) << footer;
    }
    EXPECT_NE(text.find("结论：不合格"), std::string::npos);
    EXPECT_NE(text.find("无标定记录"), std::string::npos);
    // The table's header is repeated on the second page.
    const auto secondPage = text.find('\f');
    ASSERT_NE(secondPage, std::string::npos);
    EXPECT_NE(text.find("标准值", secondPage), std::string::npos);
}

TEST(RecordsReportTest, AReportThatCannotBeWrittenSaysSo) {
    test::TempDir dir;
    const ReportResult result = writeCheckReport(sampleCheck(3), nullptr, dir.file("no/r.pdf"));
    EXPECT_FALSE(result);
    EXPECT_NE(result.reason.find("no/r.pdf"), std::string::npos);
}

TEST(ReportPlotTest, ACheckPointSitsAtTheVoltageItsReadingCameFrom) {
    const std::vector<QPointF> rising =
        tablePoints({"10.000,0.000,5.000,", "1000.000,0.000,500.000,"});
    ASSERT_EQ(rising.size(), 3U);
    EXPECT_DOUBLE_EQ(rising[2].x(), 10.0);
    EXPECT_DOUBLE_EQ(voltageFor(rising, 250.0), 2.5);
    EXPECT_DOUBLE_EQ(voltageFor(rising, 1100.0), 11.0);  // beyond the end: the last segment
    EXPECT_DOUBLE_EQ(voltageFor(rising, -100.0), -1.0);
    const std::vector<QPointF> falling = tablePoints({"0.000,1.000,", "10.000,0.000,"});
    EXPECT_DOUBLE_EQ(voltageFor(falling, 2.5), 0.75);
    EXPECT_DOUBLE_EQ(voltageFor(tablePoints({"1.000,2.000,", "5.000,5.000,"}), 7.0), 1.0);
    EXPECT_DOUBLE_EQ(voltageFor({}, 7.0), 0.0);
}

}  // namespace
}  // namespace kova
