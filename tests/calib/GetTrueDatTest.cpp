#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "CalibTableHelpers.h"
#include "calib/WMATH.h"

namespace kova {
namespace {

using testing::tableOf;

TEST(GetTrueDatTest, InterpolatesAndExtendsTheOuterSegments) {
    const CalibTable t = tableOf({{1.0f, 10.0f}, {2.0f, 30.0f}});
    const struct {
        float x;
        float expected;
    } cases[] = {
        {1.5f, 20.0f},  // between the points
        {0.5f, 0.0f},   // below the first point, along the first segment
        {3.0f, 50.0f},  // above the last point, along the last segment
        {1.0f, 10.0f},  // exactly on the points
        {2.0f, 30.0f},
    };
    for (const auto& c : cases) {
        EXPECT_FLOAT_EQ(GetTrueDat(c.x, t), c.expected) << c.x;
    }
}

TEST(GetTrueDatTest, ChoosesTheSegmentThatHoldsTheVoltage) {
    // Three segments of different slopes: 10/V, then 100/V, then 1/V.
    const CalibTable t = tableOf({{0.0f, 0.0f}, {1.0f, 10.0f}, {2.0f, 110.0f}, {4.0f, 112.0f}});
    EXPECT_FLOAT_EQ(GetTrueDat(0.5f, t), 5.0f);
    EXPECT_FLOAT_EQ(GetTrueDat(1.5f, t), 60.0f);
    EXPECT_FLOAT_EQ(GetTrueDat(3.0f, t), 111.0f);
    EXPECT_FLOAT_EQ(GetTrueDat(2.0f, t), 110.0f);   // the border, from the lower segment
    EXPECT_FLOAT_EQ(GetTrueDat(6.0f, t), 114.0f);   // beyond the last point: last segment
    EXPECT_FLOAT_EQ(GetTrueDat(-1.0f, t), -10.0f);  // below the first point: first segment
    EXPECT_EQ(calibSegment(t, 4, 2.0f), 1);
    EXPECT_EQ(calibSegment(t, 4, 2.5f), 2);
}

TEST(GetTrueDatTest, DegenerateTables) {
    // One point: its true value is a gain, not divided by its voltage.
    EXPECT_FLOAT_EQ(GetTrueDat(3.0f, tableOf({{2.0f, 5.0f}})), 15.0f);
    // No points, or a negative count: the voltage comes back unchanged.
    EXPECT_EQ(GetTrueDat(1.234f, tableOf({})), 1.234f);
    CalibTable negative = tableOf({{1.0f, 10.0f}, {2.0f, 30.0f}});
    negative.count = -3;
    EXPECT_EQ(GetTrueDat(1.5f, negative), 1.5f);
    // Two points of equal voltage make their segment the identity.
    const CalibTable equal = tableOf({{1.0f, 5.0f}, {1.0f, 7.0f}});
    for (const float x : {0.0f, 1.0f, 2.5f, -4.0f}) {
        EXPECT_EQ(GetTrueDat(x, equal), x) << x;
    }
}

TEST(GetTrueDatTest, ConvertsWithTheDefaultTable) {
    const CalibTable t;
    EXPECT_FLOAT_EQ(GetTrueDat(0.095f, t), 0.0f);
    EXPECT_FLOAT_EQ(GetTrueDat(1.311f, t), 492.0f);
    EXPECT_NEAR(GetTrueDat(0.4195f, t), 132.0f, 1e-3f);
}

TEST(GetTrueDatTest, RoundsEveryStepToSinglePrecision) {
    // d, k, b, x*k and the sum each rounded to single precision give 33.7166672; the same
    // formula in double precision, rounded once at the end, gives 33.7166748.
    const CalibTable t = tableOf({{0.1f, 3.3f}, {0.124f, 17.9f}});
    EXPECT_EQ(GetTrueDat(0.15f, t), 33.7166672f);
    EXPECT_NE(33.7166672f, 33.7166748f);
}

TEST(GetTrueDatTest, HandMadeTablesBeyondTheRules) {
    // A count beyond the table converts with its 50 points and reads nothing past them.
    CalibTable full = tableOf({});
    for (int i = 0; i < kCalibTablePoints; ++i) {
        full.volt[i] = static_cast<float>(i);
        full.data[i] = static_cast<float>(2 * i);
    }
    full.count = kCalibTablePoints;
    CalibTable over = full;
    over.count = 1000;
    for (const float x : {-1.0f, 10.5f, 48.5f, 60.0f}) {
        EXPECT_EQ(GetTrueDat(x, over), GetTrueDat(x, full)) << x;
    }
    EXPECT_FLOAT_EQ(GetTrueDat(60.0f, over), 120.0f);

    // A descending pair with the voltage at its first point finds no segment: the last one is
    // used, which gives that point's value.
    const CalibTable descending = tableOf({{2.0f, 20.0f}, {1.0f, 10.0f}});
    EXPECT_EQ(calibSegment(descending, 2, 2.0f), 0);
    EXPECT_FLOAT_EQ(GetTrueDat(2.0f, descending), 20.0f);

    // A voltage that is not a number stays one.
    EXPECT_TRUE(std::isnan(GetTrueDat(std::numeric_limits<float>::quiet_NaN(),
                                      tableOf({{1.0f, 10.0f}, {2.0f, 30.0f}}))));
}

}  // namespace
}  // namespace kova
