#include "records/RecordsCsv.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringDecoder>

#include "RecordsTestData.h"
#include "TestFiles.h"

namespace kova {
namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "the last line has no CRLF";
    return lines;
}

TEST(RecordsCsvTest, IsUtf8WithAByteOrderMarkAChineseHeaderAndOneCrlfLineARecord) {
    CalibRecord odd = test::calibration(2000);
    odd.operatorName = "王\"五\", 夜班";  // a quote and a comma must not split the field
    const std::vector<CalibRecord> records = {test::check(3000, 2.0, "c1"), odd};
    const test::TempDir dir;
    const std::string file = dir.file("history.csv");
    ASSERT_EQ(writeRecordsCsv(file, records), "");
    const std::string bytes = test::readBytes(file);

    ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(QByteArray::fromStdString(bytes.substr(3)));
    EXPECT_FALSE(utf8.hasError());
    EXPECT_EQ(text.toStdString(), bytes.substr(3));

    const std::vector<std::string> lines = linesOf(bytes.substr(3));
    ASSERT_EQ(lines.size(), 3U);
    EXPECT_EQ(lines[0].rfind("时间,类型,站点,设备,通道,关键字,说明,单位,操作员,点数,", 0), 0U)
        << lines[0];
    EXPECT_NE(lines[1].find(",校验,一号站,台架A,1,AI1,进口压力,kPa,张工,3,"), std::string::npos)
        << lines[1];
    EXPECT_NE(lines[1].find(",-1.5,1.5,2,合格,"), std::string::npos) << lines[1];
    EXPECT_EQ(lines[1].substr(0, 19), localTimeText(3000));
    EXPECT_NE(lines[2].find(",标定,"), std::string::npos) << lines[2];
    EXPECT_NE(lines[2].find(",\"王\"\"五\"\", 夜班\",3,0=0; 2.5=50; 5=100,"), std::string::npos)
        << lines[2];
}

TEST(RecordsCsvTest, ReportsAFileItCannotWrite) {
    const test::TempDir dir;
    const std::string error =
        writeRecordsCsv((dir / "missing" / "history.csv").string(), {test::calibration(1)});
    EXPECT_NE(error.find("无法写入"), std::string::npos) << error;
}

}  // namespace
}  // namespace kova
