#include "platform/Numbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

namespace kova {
namespace {

TEST(NumbersTest, ReadsLeadingIntegers) {
    const struct {
        const char* text;
        int value;
    } cases[] = {
        {"42", 42},
        {"  -17abc", -17},
        {"+5", 5},
        {"\t 9", 9},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"0x1F", 0},
        {"12.9", 12},
        {"2147483647", 2147483647},
        {"2147483648", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"-99999999999999", -2147483647 - 1},
        {"99999999999999999999999", 2147483647},
        {" 1 2", 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseLeadingInt(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(NumbersTest, ReadsTheLongestDecimalPrefix) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"1.5", 1.5},    {" -2.25V", -2.25}, {"+.5", 0.5}, {"3.", 3.0},     {".", 0.0},
        {"1e3", 1000.0}, {"1e", 1.0},        {"1e+", 1.0}, {"2E-2x", 0.02}, {"1.2.3", 1.2},
        {"0x10", 0.0},   {"inf", 0.0},       {"nan", 0.0}, {"abc", 0.0},    {"", 0.0},
        {"-0", 0.0},     {"12,3", 12.0},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(parseLeadingDouble(c.text), c.value) << '"' << c.text << '"';
    }
    EXPECT_TRUE(std::isinf(parseLeadingDouble("1e999")));
    EXPECT_EQ(parseLeadingDouble("1e-999"), 0.0);
}

TEST(NumbersTest, IgnoresTheProcessLocale) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old != nullptr ? old : "C";
    // A locale with a decimal comma, where one is installed; the C locale otherwise.
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
        std::setlocale(LC_NUMERIC, "C");
    }
    EXPECT_DOUBLE_EQ(parseLeadingDouble("1.25"), 1.25);
    EXPECT_EQ(formatFixed(1.25, 3), "1.250");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(NumbersTest, FormatsLikePrintf) {
    EXPECT_EQ(formatFixed(2.0005, 3), "2.001");  // 2.0005 is stored slightly above
    EXPECT_EQ(formatFixed(-0.0004, 3), "-0.000");
    EXPECT_EQ(formatFixed(12.5f, 0), "12");  // ties to even, as printf
    EXPECT_EQ(formatFixed(1234.5678, 1), "1234.6");
    EXPECT_EQ(formatInt(-42), "-42");
}

}  // namespace
}  // namespace kova
