#include "pages/logic/CalibPoints.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kova {
namespace {

using Texts = std::vector<std::pair<std::string, std::string>>;

Texts textsOf(const std::vector<CalibRow>& rows) {
    Texts texts;
    for (const CalibRow& row : rows) {
        texts.emplace_back(row.volt, row.data);
    }
    return texts;
}

TEST(CalibPointsTest, TrueValueCharacterCheck) {
    const struct {
        const char* text;
        bool accepted;
    } cases[] = {
        {"-5", true},   {"5.", true},   {"0.25", true}, {"-", true},   {"120", true},
        {"-0.5", true}, {"-.5", false}, {".5", false},  {"5-", false}, {"1.2.3", false},
        {"1e3", false}, {"5 ", false},  {" 5", false},  {"+5", false}, {"--5", false},
        {"5,0", false}, {"１", false},  {"-5.", true},  {"0", true},   {"-.", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isTrueValueText(c.text), c.accepted) << c.text;
    }
}

TEST(CalibPointsTest, AddRefusesInTheOrderOfItsChecks) {
    const std::vector<std::string> none;
    const struct {
        const char* display;
        const char* volt;
        const char* trueValue;
        const char* message;
        const char* caption;
        MessageIcon icon;
    } cases[] = {
        // No channel is reported before the empty fields.
        {"未选择", "", "", "没有选择设备通道！请在左边项目列表中选择一项。", "Calib",
         MessageIcon::Exclamation},
        {"3", "", "", "请填入电压值（单位V）", "Calib", MessageIcon::Exclamation},
        {"3", "1.0", "", "请填入实际值", "Calib", MessageIcon::Exclamation},
        {"3", "1.0", "1e3", "标定值请填入数字！", "KOVA 提示", MessageIcon::Error},
    };
    for (const auto& c : cases) {
        const AddPointDecision d = decideAddPoint(c.display, c.volt, c.trueValue, none);
        ASSERT_TRUE(d.refusal.has_value()) << c.message;
        EXPECT_EQ(d.refusal->text, c.message);
        EXPECT_EQ(d.refusal->caption, c.caption);
        EXPECT_EQ(d.refusal->icon, c.icon);
    }
    // The voltage itself is never checked beyond being there.
    EXPECT_FALSE(decideAddPoint("3", "abc", "5", none).refusal.has_value());
}

TEST(CalibPointsTest, OnlyTheFirst99BytesOfTheTrueValueAreChecked) {
    const std::string longValue = std::string(99, '7') + "x";
    EXPECT_FALSE(decideAddPoint("3", "1", longValue, {}).refusal.has_value());
    EXPECT_TRUE(decideAddPoint("3", "1", std::string(98, '7') + "x", {}).refusal.has_value());
}

TEST(CalibPointsTest, EqualVoltageInSinglePrecisionReplacesTheFirstSuchRow) {
    const std::vector<std::string> rows = {"0.500", "1.000", "1.0", "2"};
    const struct {
        const char* volt;
        int row;
    } cases[] = {
        {"1.0", 1},         // typed 1.0 finds the stored 1.000
        {"1.00000001", 1},  // the same single-precision number, though not the same double
        {"1.0000002", -1},  // the next float up is another voltage
        {"2.000", 3},      {"0.5V", 0},  // read by its leading number
        {"3", -1},
    };
    for (const auto& c : cases) {
        const AddPointDecision d = decideAddPoint("3", c.volt, "7", rows);
        EXPECT_FALSE(d.refusal.has_value()) << c.volt;
        EXPECT_EQ(d.replaceRow, c.row) << c.volt;
    }
}

TEST(CalibPointsTest, StoredTableShowsItsTextsAsStored) {
    EXPECT_EQ(textsOf(storedPointRows("0.095,0.124,0.320,", "0,12,92,")),
              (Texts{{"0.095", "0"}, {"0.124", "12"}, {"0.320", "92"}}));
    // Text after the last comma is not a token; a shorter "Data" leaves true values empty and a
    // longer one has no rows for its extra tokens.
    EXPECT_EQ(textsOf(storedPointRows("1.0,2.000,3", "10,")),
              (Texts{{"1.0", "10"}, {"2.000", ""}}));
    EXPECT_EQ(textsOf(storedPointRows("1.000,", "10.000,20.000,")), (Texts{{"1.000", "10.000"}}));
    EXPECT_TRUE(storedPointRows("", "10.000,").empty());
}

}  // namespace
}  // namespace kova
