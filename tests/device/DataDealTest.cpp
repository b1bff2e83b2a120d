#include "DataDeal.h"

#include <gtest/gtest.h>

TEST(DataDealTest, AveragesAndFindsTheLargestOfTheFirstCountValues) {
    const DataDeal deal;
    const float values[] = {-3.0f, -1.0f, -2.0f, 100.0f};
    EXPECT_FLOAT_EQ(deal.Average(values, 3), -2.0f);
    EXPECT_FLOAT_EQ(deal.GetMax(values, 3), -1.0f);  // all negative: not 0
    EXPECT_FLOAT_EQ(deal.Average(values, 4), 23.5f);
    EXPECT_FLOAT_EQ(deal.GetMax(values, 4), 100.0f);
    EXPECT_FLOAT_EQ(deal.GetMax(values, 1), -3.0f);
}

TEST(DataDealTest, NoValuesGiveZero) {
    const DataDeal deal;
    const float values[] = {5.0f};
    for (int count : {0, -1, -80}) {
        EXPECT_EQ(deal.Average(values, count), 0.0f) << count;
        EXPECT_EQ(deal.GetMax(values, count), 0.0f) << count;
    }
    EXPECT_EQ(deal.Average(nullptr, 3), 0.0f);
    EXPECT_EQ(deal.GetMax(nullptr, 3), 0.0f);
}
