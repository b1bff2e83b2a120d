#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <utility>

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
    // k and b are single precision, so the first point's own voltage gives its true value only
    // to within their rounding: 0.095f * 413.793121 - 39.3103447, worked in double.
    EXPECT_EQ(GetTrueDat(0.095f, t), 1.33777485e-06f);
    EXPECT_FLOAT_EQ(GetTrueDat(1.311f, t), 492.0f);
    EXPECT_NEAR(GetTrueDat(0.4195f, t), 132.0f, 1e-3f);
}

TEST(GetTrueDatTest, RoundsOnlyTheSlopeTheOffsetAndTheResult) {
    // Worked by hand in double from the single-precision points, rounding d, k, b and the result
    // to single precision. Rounding every product and difference as well loses digits to
    // cancellation on these short segments and gives 2.06896973 and 33.7166672.
    const struct {
        std::pair<float, float> low, high;
        float x;
        float expected;
    } cases[] = {
        // d = 0.095f - 0.124f = -0.0289999992, k = -12 / d = 413.793121,
        // b = 0.095f * 12 / d = -39.3103447, x*k + b = 2.068968...
        {{0.095f, 0.0f}, {0.124f, 12.0f}, 0.1f, 2.06896806f},
        // d = -0.0239999965, k = (3.3f - 17.9f) / d = 608.333435,
        // b = (0.1f * 17.9f - 0.124f * 3.3f) / d = -57.5333405
        {{0.1f, 3.3f}, {0.124f, 17.9f}, 0.15f, 33.7166786f},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetTrueDat(c.x, tableOf({c.low, c.high})), c.expected) << c.x;
    }
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

TEST(GetTrueDatTest, SegmentSearchTriesTheTestsInTheirOrderOnAnyTable) {
    // The search in its plain form: for each i the range test, then below the first point, then
    // above the second-last one. Small integer voltages make ties and unordered tables common.
    const auto plainSearch = [](const CalibTable& t, int n, float x) {
        for (int i = 0; i <= n - 2; ++i) {
            if (t.volt[i] <= x && x <= t.volt[i + 1]) {
                return i;
            }
            if (x < t.volt[0]) {
                return 0;
            }
            if (x > t.volt[n - 2]) {
                return n - 2;
            }
        }
        return n - 2;
    };
    std::mt19937 random(12);
    std::uniform_int_distribution<int> volt(0, 6);
    // Every table length, so each count of whole groups of four and every remainder is searched.
    for (int round = 0; round < 20000; ++round) {
        CalibTable t = tableOf({});
        const int n = 2 + round % (kCalibTablePoints - 1);
        for (int i = 0; i < n; ++i) {
            t.volt[i] = static_cast<float>(volt(random));
        }
        const float x = round % 101 == 0 ? std::numeric_limits<float>::quiet_NaN()
                                         : static_cast<float>(volt(random)) -
                                               0.5f * static_cast<float>(round % 3);
        ASSERT_EQ(calibSegment(t, n, x), plainSearch(t, n, x)) << "round " << round;
    }
}

}  // namespace
}  // namespace kova
