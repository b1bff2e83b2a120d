#include "controls/logic/DigistringGeometry.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "controls/logic/DigitCell.h"

namespace {

using kova::DevicePoint;
using kova::DigitCellRect;

struct CellExpectation {
    DigitCellKind kind;
    std::uint16_t mask;
    int width;
};

std::vector<CellExpectation> describe(std::string_view text) {
    std::vector<CellExpectation> out;
    for (const auto& cell : kova::buildDigitCells(kova::digitTextUpper(text))) {
        out.push_back({cell->Kind(), cell->Mask(), cell->Width()});
    }
    return out;
}

constexpr auto kSeven = DigitCellKind::SevenSegment;
constexpr auto kFourteen = DigitCellKind::FourteenSegment;
constexpr auto kDot = DigitCellKind::ColonDot;

TEST(DigistringGeometryTest, CellListOfATextFollowsTheCharacterTables) {
    struct Case {
        std::string text;
        std::vector<CellExpectation> cells;
    };
    const std::vector<Case> cases = {
        {"-12.5",
         {{kSeven, 0x08, 49},
          {kSeven, 0x24, 49},
          {kSeven, 0x5D, 49},
          {kDot, 0x4, 18},
          {kSeven, 0x6B, 49}}},
        {"EMPTY",
         {{kFourteen, 0x27C0, 49},
          {kFourteen, 0x1B06, 49},
          {kFourteen, 0x33C0, 49},
          {kFourteen, 0x2021, 49},
          {kFourteen, 0x11E0, 49}}},
        {"kz", {{kFourteen, 0x0354, 49}, {kFourteen, 0x240C, 49}}},
        {"12:0", {{kSeven, 0x24, 49}, {kSeven, 0x5D, 49}, {kDot, 0x3, 18}, {kSeven, 0x77, 49}}},
        {"9%*+ ",
         {{kSeven, 0x6F, 49},
          {kFourteen, 0x00FF, 49},
          {kFourteen, 0x00E1, 49},
          {kSeven, 0x00, 49}}},
        {"", {}},
        {"%#\xC3\xA9", {}},  // nothing displayable, UTF-8 letter included
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::vector<CellExpectation> got = describe(c.text);
        ASSERT_EQ(got.size(), c.cells.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].kind, c.cells[i].kind) << "cell " << i;
            EXPECT_EQ(got[i].mask, c.cells[i].mask) << "cell " << i;
            EXPECT_EQ(got[i].width, c.cells[i].width) << "cell " << i;
        }
    }
}

TEST(DigistringGeometryTest, SegmentOutlinesAreMirroredAtTheCellCentreLines) {
    SevenSegmentCell seven;
    seven.SetSegments(0x7F);
    ASSERT_EQ(seven.Shapes().size(), 7U);
    using P = std::vector<SegmentPoint>;
    EXPECT_EQ(seven.Shapes()[2].Points(), (P{{44, 6}, {44, 40}, {37, 36}, {37, 13}}));
    EXPECT_EQ(seven.Shapes()[5].Points(), (P{{44, 76}, {44, 42}, {37, 46}, {37, 69}}));
    EXPECT_EQ(seven.Shapes()[6].Points(), (P{{5, 78}, {12, 71}, {36, 71}, {43, 78}}));

    FourteenSegmentCell fourteen;
    fourteen.SetSegments(0);
    ASSERT_EQ(fourteen.Shapes().size(), 14U);
    EXPECT_EQ(fourteen.Shapes()[4].Points(), (P{{43, 77}, {33, 47}, {28, 45}, {30, 57}}));
    EXPECT_EQ(fourteen.Shapes()[7].Points(),
              (P{{42, 41}, {34, 45}, {30, 45}, {26, 41}, {30, 37}, {34, 37}}));
    EXPECT_EQ(fourteen.Shapes()[10].Points(), (P{{6, 78}, {11, 71}, {37, 71}, {42, 78}}));

    ColonDotCell dot;
    dot.SetSegments(0x4);
    ASSERT_EQ(dot.Shapes().size(), 3U);
    EXPECT_EQ(dot.Shapes()[2].Points(), (P{{4, 68}, {4, 77}, {13, 77}, {13, 68}}));
    EXPECT_TRUE(dot.IsLit(2));
    EXPECT_FALSE(dot.IsLit(0));

    const SegmentShape& shape = seven.Shapes()[3];
    ASSERT_EQ(shape.Kinds().size(), shape.Points().size());
    EXPECT_EQ(shape.Kinds()[0], SegmentPointKind::StartFigure);
    for (std::size_t i = 1; i < shape.Kinds().size(); ++i) {
        EXPECT_EQ(shape.Kinds()[i], SegmentPointKind::LineTo);
    }
}

TEST(DigistringGeometryTest, CellsScaleByTheTighterDirectionAndAreCentred) {
    // Wide and low: the height decides, margins left and right.
    const auto wide = kova::layoutDigitCells({49, 18}, 600, 166);
    ASSERT_EQ(wide.size(), 2U);
    EXPECT_DOUBLE_EQ(wide[0].left, (600 - 67 * 2.0) / 2);
    EXPECT_DOUBLE_EQ(wide[0].top, 0.0);
    EXPECT_DOUBLE_EQ(wide[0].right, wide[1].left);
    EXPECT_DOUBLE_EQ(wide[1].right, 600 - wide[0].left);
    EXPECT_DOUBLE_EQ(wide[1].bottom, 166.0);

    // Tall and narrow: the width decides, margins above and below.
    const auto tall = kova::layoutDigitCells({49}, 98, 600);
    ASSERT_EQ(tall.size(), 1U);
    EXPECT_DOUBLE_EQ(tall[0].left, 0.0);
    EXPECT_DOUBLE_EQ(tall[0].top, (600 - 166) / 2.0);
    EXPECT_DOUBLE_EQ(tall[0].bottom, 600 - tall[0].top);

    EXPECT_TRUE(kova::layoutDigitCells({}, 100, 100).empty());

    // Points are scaled, offset and rounded half up by truncation.
    const DigitCellRect rect{10.25, 3.5, 10.25 + 49 * 1.5, 3.5 + 83 * 1.5};
    EXPECT_EQ(kova::segmentPointToDevice({4, 6}, rect, 49), (DevicePoint{16, 13}));
    EXPECT_EQ(kova::segmentPointToDevice({0, 0}, rect, 49), (DevicePoint{10, 4}));
}

}  // namespace
