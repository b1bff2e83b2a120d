#include "dialogs/logic/MaintenancePassword.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace kova {
namespace {

TEST(MaintenancePasswordTest, PasswordIsPrefixAndHourWithoutLeadingZero) {
    EXPECT_EQ(kMaintenancePrefix.size(), 2u);
    const std::string prefix(kMaintenancePrefix);
    EXPECT_EQ(maintenancePassword(0), prefix + "0");
    EXPECT_EQ(maintenancePassword(9), prefix + "9");
    EXPECT_EQ(maintenancePassword(23), prefix + "23");
}

TEST(MaintenancePasswordTest, ComparisonIgnoresCaseButNothingElse) {
    std::string upper(kMaintenancePrefix);
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    struct Case {
        std::string typed;
        int hour;
        bool accepted;
    };
    const Case cases[] = {
        {upper + "7", 7, true},
        {std::string(1, kMaintenancePrefix[0]) + upper.substr(1) + "15", 15, true},
        {upper + "07", 7, false},  // no leading zero
        {upper + "0", 0, true},
        {upper + "00", 0, false},
        {upper + "7 ", 7, false},
        {upper, 7, false},
        {upper + "1", 10, false},
        {"", 0, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isMaintenancePassword(c.typed, c.hour), c.accepted)
            << "typed \"" << c.typed << "\" at hour " << c.hour;
    }
}

}  // namespace
}  // namespace kova
