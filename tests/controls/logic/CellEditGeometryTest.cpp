#include "controls/logic/CellEditGeometry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(CellEditGeometryTest, ColumnBordersBelongToTheLeftColumn) {
    const std::vector<int> widths = {80, 100, 120};
    struct Case {
        int x;
        int rowLeft;
        int column;
    };
    const Case cases[] = {
        {0, 0, 0},   {79, 0, 0},   {80, 0, 0},  {81, 0, 1},    {180, 0, 1},  {181, 0, 2},
        {300, 0, 2}, {301, 0, -1}, {-1, 0, -1}, {-50, -60, 0}, {20, -60, 0}, {21, -60, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(kova::columnAtX(c.x, c.rowLeft, widths), c.column)
            << "x " << c.x << " row left " << c.rowLeft;
    }
    EXPECT_EQ(kova::columnAtX(5, 0, {}), -1);
}

TEST(CellEditGeometryTest, ScrollBringsTheColumnIntoView) {
    const std::vector<int> widths = {80, 100, 120};
    struct Case {
        int rowLeft;
        int clientRight;
        int column;
        int scroll;
    };
    const Case cases[] = {
        {0, 400, 2, 0},        // fully visible
        {0, 250, 2, 50},       // right part hidden: just enough to show its right edge
        {0, 150, 2, 180},      // starts past the right edge: to the left edge
        {-100, 400, 0, -100},  // scrolled away to the left
        {-80, 400, 1, 0},      // starts exactly at the left edge
        {0, 250, 5, 0},        // no such column
    };
    for (const Case& c : cases) {
        EXPECT_EQ(kova::scrollToShowColumn(c.rowLeft, c.clientRight, widths, c.column), c.scroll)
            << "column " << c.column << " client right " << c.clientRight;
    }
}

TEST(CellEditGeometryTest, AllowedCharactersWithTheirExceptions) {
    const std::u32string digits = U"0123456789.";
    EXPECT_TRUE(kova::isEditCharAllowed(U'7', digits));
    EXPECT_TRUE(kova::isEditCharAllowed(U'.', digits));
    EXPECT_FALSE(kova::isEditCharAllowed(U'a', digits));
    EXPECT_FALSE(kova::isEditCharAllowed(U'\r', digits));
    for (const char32_t control : {3U, 8U, 22U, 24U}) {
        EXPECT_TRUE(kova::isEditCharAllowed(control, digits)) << static_cast<unsigned>(control);
    }
    EXPECT_FALSE(kova::isEditCharAllowed(1U, digits));  // Ctrl+A is not among them
    EXPECT_TRUE(kova::isEditCharAllowed(U'中', U""));
    EXPECT_TRUE(kova::isEditCharAllowed(U'中', U"中"));
}

}  // namespace
