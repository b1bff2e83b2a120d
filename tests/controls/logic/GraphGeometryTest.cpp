#include "controls/logic/GraphGeometry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using kova::PlotRect;

TEST(GraphGeometryTest, PlotAreaLeavesRoomForTheYLabels) {
    EXPECT_EQ(kova::plotRectOf({0, 0, 293, 245}), (PlotRect{20, 10, 283, 220}));
    struct Case {
        double min;
        double max;
        int decimals;
        int left;
    };
    const Case cases[] = {
        {-105, 105, 2, 6 * (2 + 2 + 4)},  // three digits: log10 gives 2
        {-99, 99, 2, 6 * (1 + 2 + 4)},
        {0, 100, 2, 6 * (2 + 2 + 4)},      // a zero bound needs no digits of its own
        {-0.05, 0.5, 2, 6 * (1 + 2 + 4)},  // below 1 the logarithm's magnitude counts
        {-5, 5, 0, 6 * (0 + 0 + 4)},
        {-12345, 3, 1, 6 * (4 + 1 + 4)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(kova::plotLeftForLabels(0, c.min, c.max, c.decimals), c.left)
            << c.min << ".." << c.max;
    }
    EXPECT_EQ(kova::plotLeftForLabels(5, -99, 99, 2), 5 + 42);
}

TEST(GraphGeometryTest, GridStepsAreTenthsOfThePlot) {
    const PlotRect plot{48, 10, 283, 220};  // 235 x 210: steps 23 and 21
    const std::vector<int> rows = kova::gridRows(plot);
    ASSERT_EQ(rows.size(), 9U);
    EXPECT_EQ(rows.front(), 199);
    EXPECT_EQ(rows.back(), 220 - 9 * 21);
    const std::vector<int> columns = kova::gridColumns(plot);
    ASSERT_EQ(columns.size(), 10U);  // 235 = 10 * 23 + 5: a tenth line fits 5 pixels short
    EXPECT_EQ(columns.front(), 71);
    EXPECT_EQ(columns.back(), 48 + 10 * 23);
    EXPECT_TRUE(kova::gridRows({0, 0, 9, 9}).empty());  // no step, no lines
    EXPECT_TRUE(kova::gridColumns({0, 0, 9, 9}).empty());
}

TEST(GraphGeometryTest, ValuesUnderThePointerInvertThePointMapping) {
    // A 234 x 174 plot at (42, 10).
    const PlotRect plot{42, 10, 42 + 234, 10 + 174};
    struct Case {
        double min;
        double max;
        int zeroColumn;  // -1: no axis line
        int zeroRow;
    };
    const Case cases[] = {
        {-10, 10, 42 + 117, 10 + 87},  // symmetric: through the middle
        {0, 100, 42, 10 + 174},        // the axis lines lie on the frame's left and bottom
        {-30, 10, 42 + 175, 10 + 44},  // 30 / 40 of 234 is 175.5, of 174 is 130.5
        {10, 100, -1, -1},             // 0 outside the range
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.min) + ".." + std::to_string(c.max));
        const double range = c.max - c.min;
        const double xScale = kova::axisScale(plot.width(), range);
        const double yScale = kova::axisScale(plot.height(), range);
        EXPECT_EQ(kova::zeroColumn(c.min, c.max, xScale, plot.left).value_or(-1), c.zeroColumn);
        EXPECT_EQ(kova::zeroRow(c.min, c.max, yScale, plot.bottom).value_or(-1), c.zeroRow);
        // The plot's corners read the ends of the range exactly.
        EXPECT_DOUBLE_EQ(kova::valueAtDeviceX(plot.left, plot, c.min, range), c.min);
        EXPECT_DOUBLE_EQ(kova::valueAtDeviceX(plot.right, plot, c.min, range), c.max);
        EXPECT_DOUBLE_EQ(kova::valueAtDeviceY(plot.bottom, plot, c.min, range), c.min);
        EXPECT_DOUBLE_EQ(kova::valueAtDeviceY(plot.top, plot, c.min, range), c.max);
        // Any value reads back from where its point is drawn, less than a pixel's worth below.
        for (int i = 0; i <= 20; ++i) {
            const double v = c.min + range * i / 20.0;
            const double x = kova::valueAtDeviceX(kova::deviceX(v, c.min, xScale, plot.left), plot,
                                                  c.min, range);
            const double y = kova::valueAtDeviceY(kova::deviceY(v, c.min, yScale, plot.bottom),
                                                  plot, c.min, range);
            EXPECT_LE(x, v + 1e-9);
            EXPECT_GT(x, v - 1 / xScale - 1e-9);
            EXPECT_LE(y, v + 1e-9);
            EXPECT_GT(y, v - 1 / yScale - 1e-9);
        }
    }
    EXPECT_DOUBLE_EQ(kova::valueAtDeviceX(7, {0, 0, 0, 0}, -3, 10), -3.0);  // no plot, no value
    EXPECT_EQ(kova::tooltipText("Data", 12.345, "Volt（V）", -0.5), "Data=12.35 Volt（V）=-0.50");
    EXPECT_EQ(kova::axisLabel(-105.0, 2), "-105.00");
    EXPECT_EQ(kova::axisLabel(10, 0), "10");
}

}  // namespace
