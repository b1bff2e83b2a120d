#include "config/ChannelRows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kova {
namespace {

TEST(ChannelRowsTest, SortsLikeTheStationsDropDownList) {
    // 侧 (ce) comes before 制 (zhi) in pinyin, which GBK's common characters follow; letters ignore
    // case; equal names both stay; digits before letters before Chinese.
    EXPECT_EQ(sortedByText({"制动台", "b台", "侧滑台", "A台", "制动台", "9号"}),
              (std::vector<std::string>{"9号", "A台", "b台", "侧滑台", "制动台", "制动台"}));
    EXPECT_EQ(sortedByText({"2工位", "1工位", "9工位"}),
              (std::vector<std::string>{"1工位", "2工位", "9工位"}));
}

}  // namespace
}  // namespace kova
