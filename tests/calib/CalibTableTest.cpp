#include "calib/CalibTable.h"

#include <gtest/gtest.h>

#include <cstring>

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

TEST(CalibTableTest, BytesAreTheFixedLittleEndianLayout) {
    CalibTable t;
    t.count = 3;
    t.volt[0] = 1.0f;    // 0x3F800000
    t.data[49] = -2.0f;  // 0xC0000000
    unsigned char bytes[404];
    std::memcpy(bytes, &t, sizeof bytes);
    EXPECT_EQ(bytes[0], 3);
    EXPECT_EQ(bytes[3], 0);
    EXPECT_EQ(bytes[4 + 3], 0x3F);
    EXPECT_EQ(bytes[4 + 2], 0x80);
    EXPECT_EQ(bytes[400 + 3], 0xC0);

    // Copies carry every entry, also those beyond the count.
    t.volt[40] = 7.5f;
    const CalibTable copy = t;
    unsigned char copied[404];
    std::memcpy(copied, &copy, sizeof copied);
    std::memcpy(bytes, &t, sizeof bytes);
    EXPECT_EQ(std::memcmp(copied, bytes, sizeof bytes), 0);
}

}  // namespace
}  // namespace kova
