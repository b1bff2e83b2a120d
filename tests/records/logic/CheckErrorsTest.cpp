// How a check is judged: errors against the references and the table's full scale.

#include <gtest/gtest.h>

#include "records/logic/CheckErrors.h"

namespace kova {
namespace {

TEST(CheckErrorsTest, ErrorsInUnitsOfTheReferenceAndOfTheFullScale) {
    // The full scale is the largest |true value|, here a negative one.
    const StoredTable table{"0.000,1.000,2.000,", "0.000,-200.000,150.000,"};
    EXPECT_DOUBLE_EQ(fullScaleOf(table), 200.0);
    const std::vector<CheckReading> rows{{101.0, 100.0}, {-3.0, 0.0}, {48.0, 50.0}};
    const CheckEvaluation e = evaluateCheck(rows, fullScaleOf(table), 1.0);
    ASSERT_EQ(e.rows.size(), 3U);
    EXPECT_DOUBLE_EQ(e.rows[0].error, 1.0);
    EXPECT_DOUBLE_EQ(*e.rows[0].percentOfReference, 1.0);
    EXPECT_DOUBLE_EQ(e.rows[0].percentOfFullScale, 0.5);
    EXPECT_FALSE(e.rows[1].percentOfReference.has_value());  // against 0 there is no percentage
    EXPECT_DOUBLE_EQ(e.rows[2].percentOfFullScale, 1.0);     // exactly at the tolerance: within
    // The largest error keeps its sign.
    EXPECT_DOUBLE_EQ(e.largestError, -3.0);
    EXPECT_DOUBLE_EQ(e.largestPercentOfFullScale, 1.5);
    EXPECT_FALSE(e.passed);
    EXPECT_TRUE(evaluateCheck(rows, 400.0, 1.0).passed);
}

TEST(CheckErrorsTest, NothingToJudgeAgainstFails) {
    EXPECT_FALSE(evaluateCheck({}, 100.0, 1.0).passed);
    // Without a table only an exact reading passes.
    const std::vector<CheckReading> exact{{5.0, 5.0}};
    EXPECT_TRUE(evaluateCheck(exact, 0.0, 1.0).passed);
    const std::vector<CheckReading> off{{5.0, 5.5}};
    EXPECT_FALSE(evaluateCheck(off, 0.0, 1.0).passed);
    EXPECT_DOUBLE_EQ(fullScaleOf({}), 0.0);
}

}  // namespace
}  // namespace kova
