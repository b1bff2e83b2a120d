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

TEST(CheckErrorsTest, WithoutRowsOrAFullScaleACheckIsNeitherPassedNorFailed) {
    const std::vector<CheckReading> exact{{5.0, 5.0}};
    for (const CheckEvaluation& e :
         {evaluateCheck({}, 100.0, 1.0), evaluateCheck(exact, 0.0, 1.0)}) {
        EXPECT_FALSE(e.judged);
        EXPECT_FALSE(e.passed);
        EXPECT_STREQ(verdictText(e), "无法判定");
        EXPECT_STREQ(rowVerdictText(e, 0, 1.0), "无法判定");
    }
    EXPECT_DOUBLE_EQ(fullScaleOf({}), 0.0);
    const std::vector<CheckReading> rows{{100.0, 100.0}, {103.0, 100.0}};
    const CheckEvaluation e = evaluateCheck(rows, 200.0, 1.0);
    EXPECT_STREQ(verdictText(e), "不合格");
    EXPECT_STREQ(rowVerdictText(e, 0, 1.0), "合格");
    EXPECT_STREQ(rowVerdictText(e, 1, 1.0), "不合格");
}

}  // namespace
}  // namespace kova
