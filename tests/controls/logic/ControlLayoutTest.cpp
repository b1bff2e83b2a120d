#include "controls/logic/ControlLayout.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using kova::ControlKind;
using kova::ControlRect;

TEST(ControlLayoutTest, KindFromWindowClassIgnoresCase) {
    EXPECT_EQ(kova::controlKindOf("Static"), ControlKind::Static);
    EXPECT_EQ(kova::controlKindOf("EDIT"), ControlKind::Edit);
    EXPECT_EQ(kova::controlKindOf("button"), ControlKind::Button);
    EXPECT_EQ(kova::controlKindOf("combobox"), ControlKind::ComboBox);
    EXPECT_EQ(kova::controlKindOf("SysListView32"), ControlKind::ListView);
    EXPECT_EQ(kova::controlKindOf("sysipaddress32"), ControlKind::IpAddress);
    EXPECT_EQ(kova::controlKindOf("SysTabControl32"), ControlKind::Other);
    EXPECT_EQ(kova::controlKindOf(""), ControlKind::Other);
}

TEST(ControlLayoutTest, ManySmallResizesDoNotDrift) {
    for (const int edge : {0, 37, 100, 251, 399}) {
        SCOPED_TRACE(edge);
        float carry = 0;
        int scaled = edge;
        for (int width = 400; width < 500; ++width) {  // one pixel wider at a time
            scaled = kova::scaleEdge(scaled, (width + 1.0) / width, carry);
        }
        EXPECT_NEAR(scaled, edge * 500.0 / 400.0, 1.0);
        for (int width = 500; width > 400; --width) {  // and back
            scaled = kova::scaleEdge(scaled, (width - 1.0) / width, carry);
        }
        EXPECT_NEAR(scaled, edge, 1.0);
        EXPECT_LE(std::fabs(carry), 1.0F);
    }
}

TEST(ControlLayoutTest, CarryMovesWholePixelsOnceItExceedsOne) {
    float carry = 0.9F;
    EXPECT_EQ(kova::scaleEdge(10, 1.05, carry), 11);  // 10.5: carry 1.4 gives one pixel
    EXPECT_NEAR(carry, 0.4F, 1e-5);
    carry = -0.8F;
    EXPECT_EQ(kova::scaleEdge(10, 0.97, carry), 9);  // 9.7: carry -0.1 stays
    EXPECT_NEAR(carry, -0.1F, 1e-5);
    carry = 0.5F;
    EXPECT_EQ(kova::scaleEdge(10, 1.05, carry), 10);  // carry exactly 1.0 does not exceed 1
    EXPECT_NEAR(carry, 1.0F, 1e-5);
}

TEST(ControlLayoutTest, HeightRulesByKind) {
    struct Case {
        const char* what;
        ControlRect old;
        ControlKind kind;
        int textHeight;
        int drop;
        ControlRect expected;
    };
    const Case cases[] = {
        {"edit keeps its height", {10, 40, 110, 60}, ControlKind::Edit, 16, 0, {20, 80, 220, 100}},
        {"static of 49 keeps it", {0, 10, 50, 59}, ControlKind::Static, 16, 0, {0, 20, 100, 69}},
        {"button of 50 scales", {0, 10, 50, 60}, ControlKind::Button, 16, 0, {0, 20, 100, 120}},
        {"list view scales", {5, 5, 105, 25}, ControlKind::ListView, 16, 0, {10, 10, 210, 50}},
        {"other scales", {5, 5, 105, 25}, ControlKind::Other, 16, 0, {10, 10, 210, 50}},
        {"short static grows to text",
         {0, 10, 50, 18},
         ControlKind::Static,
         16,
         0,
         {0, 20, 100, 38}},
        {"zero height at the top stays", {0, 0, 50, 0}, ControlKind::Static, 16, 0, {0, 0, 100, 0}},
        {"zero height lower grows", {0, 4, 50, 4}, ControlKind::Static, 16, 0, {0, 8, 100, 26}},
        {"combo box adds its list",
         {0, 10, 80, 30},
         ControlKind::ComboBox,
         16,
         105,
         {0, 20, 160, 165}},
    };
    for (const Case& c : cases) {
        kova::LayoutCarry carry;
        EXPECT_EQ(kova::layoutControl(c.old, c.kind, 2.0, 2.0, carry, 3, c.textHeight, c.drop),
                  c.expected)
            << c.what;
    }
}

TEST(ControlLayoutTest, DropDownSizeFromItems) {
    EXPECT_EQ(kova::comboDropDownWidth({40, 90, 60}, 7, 17, 2), 90 + 7 + 17 + 4);
    EXPECT_EQ(kova::comboDropDownWidth({}, 7, 17, 2), 17 + 4);
    EXPECT_EQ(kova::comboDropDownHeight(3, 12), 3 * 17);
    EXPECT_EQ(kova::comboDropDownHeight(10, 12), 10 * 17);
    EXPECT_EQ(kova::comboDropDownHeight(25, 12), 10 * 17);
    EXPECT_EQ(kova::comboDropDownHeight(0, 12), 0);
}

}  // namespace
