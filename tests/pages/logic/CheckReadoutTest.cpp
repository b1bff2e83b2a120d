// The check window's rules without the window: readout texts, the graph range, channel kinds
// and the check file's bytes.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "pages/logic/CheckFile.h"
#include "pages/logic/CheckReadout.h"

namespace kova::testing {
namespace {

ChannelParams paramsOf(int precision, bool showSign, float low = 0.0f, float high = 0.0f) {
    ChannelParams p;
    p.precision = precision;
    p.showSign = showSign;
    p.zeroLow = low;
    p.zeroHigh = high;
    return p;
}

TEST(CheckReadoutTest, ReadoutTextFollowsPrecisionSignZeroingAndZeroBand) {
    struct Case {
        float value;
        ChannelParams params;
        bool zeroing;
        float offset;
        const char* shown;
    };
    const Case cases[] = {
        {-3.456f, paramsOf(2, false), false, 0.0f, "3.46"},  // magnitude only
        {-3.456f, paramsOf(2, true), false, 0.0f, "-3.46"},
        {12.5f, paramsOf(1, false), true, 10.0f, "2.5"},  // less the zero offset
        {7.5f, paramsOf(1, false), true, 10.0f, "2.5"},   // -2.5, shown as its magnitude
        {7.5f, paramsOf(1, true), true, 10.0f, "-2.5"},
        {12.5f, paramsOf(1, false), false, 10.0f, "12.5"},  // an offset kept while zeroing is off
        {0.4f, paramsOf(1, false, 0.0f, 0.0f), false, 0.0f, "0.4"},  // 0 and 0: no band
        {0.0f, paramsOf(1, false, 0.0f, 0.0f), false, 0.0f, "0.0"},
        {0.5f, paramsOf(1, false, -1.0f, 1.0f), false, 0.0f, "0"},
        {-0.5f, paramsOf(1, true, -1.0f, 1.0f), false, 0.0f, "0"},
        {1.0f, paramsOf(2, false, -1.0f, 1.0f), false, 0.0f, "1.00"},  // the band is strict
        {-1.0f, paramsOf(0, true, -1.0f, 1.0f), false, 0.0f, "-1"},
        // The band looks at the text as shown: 0.96 rounds to 1.0, which is outside.
        {0.96f, paramsOf(1, false, -1.0f, 1.0f), false, 0.0f, "1.0"},
        {0.0f, paramsOf(1, false, 0.0f, 2.0f), false, 0.0f, "0.0"},  // 0 < 0 does not hold
        {1.234567f, paramsOf(6, false), false, 0.0f, "1.234567"},
        {1.5f, paramsOf(0, false), false, 0.0f, "2"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(checkReadoutText(c.value, c.params, c.zeroing, c.offset), c.shown)
            << c.value << " precision " << c.params.precision;
    }
}

CalibTable tableOfData(const std::vector<float>& data) {
    CalibTable t;
    t.count = static_cast<std::int32_t>(data.size());
    for (std::size_t i = 0; i < data.size(); ++i) {
        t.volt[i] = static_cast<float>(i);
        t.data[i] = data[i];
    }
    return t;
}

TEST(CheckReadoutTest, ValueAxisIsAlwaysAValidSymmetricRange) {
    EXPECT_DOUBLE_EQ(checkValueAxisTop(tableOfData({0, 12, 492})), 497.0);
    EXPECT_DOUBLE_EQ(checkValueAxisTop(tableOfData({-40, -2})), 3.0);
    EXPECT_DOUBLE_EQ(checkValueAxisTop(tableOfData({})), 100.0);
    // The largest value -5 or less: the largest magnitude plus 5, so every point is in view.
    EXPECT_DOUBLE_EQ(checkValueAxisTop(tableOfData({-30, -5})), 35.0);
    EXPECT_DOUBLE_EQ(checkValueAxisTop(tableOfData({-5})), 10.0);
    CalibTable negativeCount = tableOfData({1});
    negativeCount.count = -3;
    EXPECT_DOUBLE_EQ(checkValueAxisTop(negativeCount), 100.0);
}

TEST(CheckReadoutTest, ChannelKindsAndZeroActionsByNumber) {
    EXPECT_EQ(checkedKindOf(0), CheckedKind::Analog);
    EXPECT_EQ(checkedKindOf(99), CheckedKind::Analog);
    EXPECT_EQ(checkedKindOf(100), CheckedKind::Frequency);
    EXPECT_EQ(checkedKindOf(299), CheckedKind::Frequency);
    EXPECT_EQ(checkedKindOf(300), CheckedKind::Counter);
    EXPECT_EQ(checkedKindOf(999), CheckedKind::Counter);
    EXPECT_EQ(checkedKindOf(1000), CheckedKind::Unread);

    // The window's tests cover 300, 350 and 700; these are the inner ends of the reset range.
    EXPECT_EQ(zeroActionOf(301), ZeroAction::ResetCounters);
    EXPECT_EQ(zeroActionOf(699), ZeroAction::ResetCounters);
}

float floatAt(const CheckFileRecord& record, std::size_t offset) {
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        word |= static_cast<std::uint32_t>(record[offset + i]) << (8 * i);
    }
    return std::bit_cast<float>(word);
}

TEST(CheckFileTest, RecordHoldsTheRowsInListOrderLittleEndian) {
    const std::vector<CheckRow> rows{{"12.5", "12.4"}, {"-3", "abc"}, {"7kN", " 0.25"}};
    const CheckFileRecord record = checkFileRecord(rows);
    ASSERT_EQ(record.size(), 404u);
    EXPECT_EQ(record[0], 3);
    EXPECT_EQ(record[1] | record[2] | record[3], 0);
    const float shown[] = {12.5f, -3.0f, 7.0f};
    const float reference[] = {12.4f, 0.0f, 0.25f};  // no number reads as 0
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(floatAt(record, 4 + 4 * i), shown[i]) << i;
        EXPECT_EQ(floatAt(record, 204 + 4 * i), reference[i]) << i;
    }
    // 12.5 as the bytes a little-endian single has.
    EXPECT_EQ(record[4], 0x00);
    EXPECT_EQ(record[7], 0x41);
    EXPECT_EQ(record[6], 0x48);
    for (std::size_t offset = 4 + 4 * 3; offset < 204; ++offset) {
        ASSERT_EQ(record[offset], 0) << offset;
    }
    for (std::size_t offset = 204 + 4 * 3; offset < 404; ++offset) {
        ASSERT_EQ(record[offset], 0) << offset;
    }
}

}  // namespace
}  // namespace kova::testing
