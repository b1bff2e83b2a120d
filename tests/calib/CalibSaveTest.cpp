#include "calib/CalibSave.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CalibFiles.h"
#include "calib/WMATH.h"

namespace kova {
namespace {

using testing::CalibDir;

std::vector<CalibRow> rowsOf(std::initializer_list<std::pair<const char*, const char*>> texts) {
    std::vector<CalibRow> rows;
    for (const auto& [v, d] : texts) {
        rows.push_back({v, d});
    }
    return rows;
}

TEST(CalibSaveTest, SortsStablyAndWritesThreeDecimalLists) {
    CalibDir dir;
    const IniFile ini(dir.writeCalibIni("[12通道]\r\nJingDu=2\r\nVolt=9.000,\r\nData=9.000,\r\n"));
    const auto rows = rowsOf({{"2", "20"}, {"1", "10"}, {"1", "11"}});
    ASSERT_TRUE(saveCalibTable(ini, "12通道", rows));
    EXPECT_EQ(ini.readString("12通道", "Volt", "?", 2560), "1.000,1.000,2.000,");
    EXPECT_EQ(ini.readString("12通道", "Data", "?", 2560), "10.000,11.000,20.000,");
    EXPECT_EQ(ini.readString("12通道", "JingDu", "?", 10), "2");  // other keys stay

    // Read back exactly as the exported reader does.
    CalibTable t;
    readCalibTable(ini, 12, t);
    ASSERT_EQ(t.count, 3);
    EXPECT_EQ(t.data[0], 10.0f);
    EXPECT_EQ(t.data[1], 11.0f);
    EXPECT_EQ(t.volt[2], 2.0f);
}

TEST(CalibSaveTest, ExchangeSortMovesPairsTogether) {
    std::vector<CalibPoint> points = {{3.0f, 30.0f},   {1.0f, 10.0f}, {2.0f, 21.0f},
                                      {-1.0f, -10.0f}, {2.0f, 22.0f}, {1.0f, 11.0f}};
    sortCalibPoints(points);
    const std::vector<std::pair<float, float>> expected = {
        {-1.0f, -10.0f}, {1.0f, 10.0f}, {1.0f, 11.0f}, {2.0f, 21.0f}, {2.0f, 22.0f}, {3.0f, 30.0f}};
    ASSERT_EQ(points.size(), expected.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(points[i].volt, expected[i].first) << i;
        EXPECT_EQ(points[i].data, expected[i].second) << i;
    }
}

TEST(CalibSaveTest, ParsesRowTextsLikeTheLine) {
    const auto points =
        parseCalibRows(rowsOf({{"1.2345", "-"}, {" 0.5V", "5."}, {"abc", "-0.25"}, {"", "1e3"}}));
    ASSERT_EQ(points.size(), 4u);
    EXPECT_EQ(points[0].volt, 1.2345f);
    EXPECT_EQ(points[0].data, 0.0f);  // a lone minus sign is no number
    EXPECT_EQ(points[1].volt, 0.5f);
    EXPECT_EQ(points[2].volt, 0.0f);
    EXPECT_EQ(points[2].data, -0.25f);
    EXPECT_EQ(points[3].data, 1000.0f);

    CalibDir dir;
    const IniFile ini(dir.file("Calib.ini"));
    // 2.0005 in single precision lies just below 2.0005, so it prints as 2.000 (double: 2.001).
    ASSERT_TRUE(saveCalibTable(ini, "3通道", rowsOf({{"-", "-"}, {"2.0005", "12.3456"}})));
    EXPECT_EQ(ini.readString("3通道", "Volt", "?", 2560), "0.000,2.000,");
    EXPECT_EQ(ini.readString("3通道", "Data", "?", 2560), "0.000,12.346,");
}

TEST(CalibSaveTest, AtMostTwentyPoints) {
    CalibDir dir;
    const std::string original = "[1通道]\r\nVolt=1.000,\r\nData=2.000,\r\n";
    const IniFile ini(dir.writeCalibIni(original));
    std::vector<CalibRow> rows;
    rows.reserve(21);
    for (int i = 0; i < 21; ++i) {
        rows.push_back({std::to_string(i), std::to_string(i * 10)});
    }
    const CalibSaveResult refused = saveCalibTable(ini, "1通道", rows);
    EXPECT_FALSE(refused);
    EXPECT_EQ(refused.status, CalibSaveStatus::TooManyPoints);
    EXPECT_EQ(refused.reason, "标定点个数不能超过20个");
    EXPECT_EQ(gbkToUtf8(dir.readBytes("Calib.ini")), original);

    rows.pop_back();
    ASSERT_TRUE(saveCalibTable(ini, "1通道", rows));
    CalibTable t;
    readCalibTable(ini, 1, t);
    EXPECT_EQ(t.count, 20);
    EXPECT_EQ(t.data[19], 190.0f);
}

TEST(CalibSaveTest, NoPointsWritesEmptyValues) {
    CalibDir dir;
    const IniFile ini(dir.writeCalibIni("[7通道]\r\nVolt=1.000,\r\nData=2.000,\r\n"));
    ASSERT_TRUE(saveCalibTable(ini, "7通道", {}));
    EXPECT_EQ(ini.readString("7通道", "Volt", "missing", 2560), "");
    EXPECT_EQ(ini.readString("7通道", "Data", "missing", 2560), "");
}

TEST(CalibSaveTest, ReportsARefusedWrite) {
    CalibDir dir;
    const IniFile ini(dir.file("Calib.ini"));
    // A section name with a line break would break the file; the layer refuses it.
    const CalibSaveResult result = saveCalibTable(ini, "1\n通道", rowsOf({{"1", "1"}}));
    EXPECT_EQ(result.status, CalibSaveStatus::WriteFailed);
    EXPECT_FALSE(result.reason.empty());
}

}  // namespace
}  // namespace kova
