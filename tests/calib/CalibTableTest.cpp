#include "calib/CalibTable.h"

#include <gtest/gtest.h>

namespace kova {
namespace {

TEST(CalibTableTest, ANewTableHoldsTheDefaultEightPoints) {
    const CalibTable t;
    const float volt[8] = {0.095f, 0.124f, 0.320f, 0.519f, 0.714f, 0.912f, 1.111f, 1.311f};
    const float data[8] = {0, 12, 92, 172, 252, 332, 412, 492};
    ASSERT_EQ(t.count, 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(t.volt[i], volt[i]) << i;
        EXPECT_EQ(t.data[i], data[i]) << i;
    }
    for (int i = 8; i < kCalibTablePoints; ++i) {
        EXPECT_EQ(t.volt[i], 0.0f) << i;
        EXPECT_EQ(t.data[i], 0.0f) << i;
    }
}

}  // namespace
}  // namespace kova
