#include "config/ChannelRows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kova {
namespace {

TEST(ChannelRowsTest, AddRefusalChecksEmptyThenDuplicateThenTheStoredForm) {
    const std::vector<std::string> list = {"压力", "Speed", ""};
    struct Case {
        const char* keyword;
        const char* message;  // nullptr: added
    };
    const Case cases[] = {
        {"", "请填入通道项目关键字!"},
        {"压力", "关键字重复！"},
        {"Speed", "关键字重复！"},
        {"speed", nullptr},  // exact comparison: case counts
        {"压力2", nullptr},
        {"a,b", "关键字不能含有逗号“,”！"},
        {"k[1]", "关键字不能含有“=”、“[”或“]”！"},
    };
    for (const Case& c : cases) {
        const auto refusal = addRefusal(c.keyword, list);
        if (c.message == nullptr) {
            EXPECT_FALSE(refusal.has_value()) << c.keyword << ": " << refusal.value_or("");
        } else {
            EXPECT_EQ(refusal.value_or("(added)"), c.message) << c.keyword;
        }
    }
}

TEST(ChannelRowsTest, SortsLikeTheStationsDropDownList) {
    // 侧 (ce) comes before 制 (zhi) in pinyin, which GBK's common characters follow; letters ignore
    // case; equal names both stay; digits before letters before Chinese.
    EXPECT_EQ(sortedByText({"制动台", "b台", "侧滑台", "A台", "制动台", "9号"}),
              (std::vector<std::string>{"9号", "A台", "b台", "侧滑台", "制动台", "制动台"}));
    EXPECT_EQ(sortedByText({"2工位", "1工位", "9工位"}),
              (std::vector<std::string>{"1工位", "2工位", "9工位"}));
}

TEST(ChannelRowsTest, CellsFollowTheColumnHeadings) {
    const AnalogChannel row{"k", "3", "说明", "2", "1", "kN", "-5", "5", "-1", "1"};
    const std::vector<std::string> cells = cellsOf(row);
    ASSERT_EQ(cells.size(), kAnalogColumns.size());
    EXPECT_EQ(kAnalogColumns[3].heading, "精确度（填入0-6数字）");
    EXPECT_EQ(cells[3], "2");
    EXPECT_EQ(kAnalogColumns[8].heading, "标定归零低值");
    EXPECT_EQ(cells[8], "-1");
    EXPECT_EQ(analogFromCells(cells), row);
    // A short row (a list with fewer columns) leaves the rest empty.
    EXPECT_EQ(analogFromCells({"k", "3"}),
              (AnalogChannel{"k", "3", "", "", "", "", "", "", "", ""}));
    EXPECT_EQ(digitalFromCells(cellsOf(DigitalChannel{"门", "12", "前门"})),
              (DigitalChannel{"门", "12", "前门"}));
}

}  // namespace
}  // namespace kova
