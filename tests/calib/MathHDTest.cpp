#include "calib/MathHD.h"

#include <gtest/gtest.h>

namespace kova {
namespace {

TEST(MathHDTest, SlidesOverTheLastNValues) {
    MathHD hd;
    hd.SetLength(3);
    float out = -1.0f;
    hd.Add(1.0f);
    hd.Add(2.0f);
    EXPECT_EQ(hd.GetAverage(out), 0);
    EXPECT_EQ(out, -1.0f);  // untouched while not ready
    hd.Add(3.0f);
    EXPECT_EQ(hd.GetAverage(out), 1);
    EXPECT_FLOAT_EQ(out, 2.0f);
    hd.Add(6.0f);
    EXPECT_EQ(hd.GetAverage(out), 1);
    EXPECT_FLOAT_EQ(out, 11.0f / 3.0f);  // the 1 has left the window
    hd.Add(9.0f);
    hd.Add(12.0f);
    EXPECT_EQ(hd.GetAverage(out), 1);
    EXPECT_FLOAT_EQ(out, 9.0f);
}

TEST(MathHDTest, LengthZeroOrLessPassesValuesThrough) {
    for (const int n : {0, -4}) {
        MathHD hd;
        hd.SetLength(n);
        hd.Add(5.0f);
        float out = 1.25f;
        EXPECT_EQ(hd.GetAverage(out), 1) << n;
        EXPECT_EQ(out, 1.25f) << n;
        EXPECT_EQ(hd.filled(), 0) << n;
    }
    // Switching off keeps an existing buffer; switching on again starts empty.
    MathHD hd;
    hd.SetLength(2);
    hd.SetLength(0);
    EXPECT_TRUE(hd.hasBuffer());
    hd.SetLength(2);
    hd.Add(4.0f);
    float out = 0.0f;
    EXPECT_EQ(hd.GetAverage(out), 0);
}

TEST(MathHDTest, SetLengthRestartsTheWindow) {
    MathHD hd;
    hd.SetLength(5);
    for (int i = 0; i < 7; ++i) {
        hd.Add(100.0f);
    }
    float out = 0.0f;
    ASSERT_EQ(hd.GetAverage(out), 1);
    hd.SetLength(5);
    for (int tick = 1; tick <= 4; ++tick) {
        hd.Add(static_cast<float>(tick));
        EXPECT_EQ(hd.GetAverage(out), 0) << tick;
    }
    hd.Add(5.0f);
    EXPECT_EQ(hd.GetAverage(out), 1);
    EXPECT_FLOAT_EQ(out, 3.0f);  // only the values since the restart
}

TEST(MathHDTest, SumsOldestFirstInSinglePrecision) {
    MathHD hd;
    hd.SetLength(3);
    hd.Add(1e8f);
    hd.Add(1.0f);  // lost against 1e8 in single precision
    hd.Add(-1e8f);
    float out = -1.0f;
    ASSERT_EQ(hd.GetAverage(out), 1);
    EXPECT_EQ(out, 0.0f);
}

TEST(MathHDTest, FreedWindowWaitsForSetLength) {
    MathHD hd;
    hd.SetLength(2);
    hd.Add(1.0f);
    hd.Add(2.0f);
    hd.Free();
    EXPECT_FALSE(hd.hasBuffer());
    EXPECT_EQ(hd.length(), 2);
    hd.Add(3.0f);  // no buffer: ignored rather than written into released memory
    float out = -1.0f;
    EXPECT_EQ(hd.GetAverage(out), 0);
    EXPECT_EQ(out, -1.0f);
    hd.SetLength(2);
    hd.Add(3.0f);
    hd.Add(5.0f);
    EXPECT_EQ(hd.GetAverage(out), 1);
    EXPECT_FLOAT_EQ(out, 4.0f);
    hd.Free();
    hd.Free();  // a second release does nothing
    EXPECT_FALSE(hd.hasBuffer());
}

}  // namespace
}  // namespace kova
