#include "pages/logic/CalibPageSampler.h"

#include <gtest/gtest.h>

namespace kova {
namespace {

TEST(CalibPageSamplerTest, ChannelComesFromTheFirstThreeCharacters) {
    const struct {
        const char* display;
        int channel;
    } cases[] = {
        {"1234", 123}, {"12", 12}, {"7", 7}, {"350", 350}, {"", 0}, {"12a", 12}, {"未选择", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sampledChannel(c.display), c.channel) << c.display;
    }
}

TEST(CalibPageSamplerTest, ChannelBandsDecideHowItIsRead) {
    const struct {
        int channel;
        SampledKind kind;
    } cases[] = {
        {0, SampledKind::Analog},      {99, SampledKind::Analog},   {100, SampledKind::Frequency},
        {299, SampledKind::Frequency}, {300, SampledKind::Counter}, {699, SampledKind::Counter},
        {700, SampledKind::Unread},    {999, SampledKind::Unread},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sampledKindOf(c.channel), c.kind) << c.channel;
    }
}

TEST(CalibPageSamplerTest, LogLinesKeepTheirBlanksAndLineEnd) {
    EXPECT_EQ(analogLogLine(1.5f), "volt: 1.500000    data:\r\n");
    EXPECT_EQ(analogLogLine(-0.25f), "volt: -0.250000    data:\r\n");
    EXPECT_EQ(countLogLine(350.0f), "volt: 350.000000   data:\r\n");
}

}  // namespace
}  // namespace kova
