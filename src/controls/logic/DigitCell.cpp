#include "controls/logic/DigitCell.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <span>
#include <utility>

namespace {

// Centre lines of a cell, the axes the outlines are mirrored at.
constexpr int kMirrorX = 48;  // x -> 48 - x
constexpr int kMirrorY = 82;  // y -> 82 - y

enum class Mirror : std::uint8_t { None, X, Y, Point };

struct SegmentRecipe {
    std::size_t outline;  // index into the cell's base outlines
    Mirror mirror;
};

using Outline = std::vector<SegmentPoint>;

const std::vector<Outline>& sevenOutlines() {
    static const std::vector<Outline> outlines = {
        {{5, 4}, {12, 11}, {36, 11}, {43, 4}},
        {{4, 6}, {4, 40}, {11, 36}, {11, 13}},
        {{6, 41}, {14, 45}, {34, 45}, {42, 41}, {34, 37}, {14, 37}},
    };
    return outlines;
}

constexpr std::array<SegmentRecipe, 7> kSevenRecipes = {{
    {0, Mirror::None},   // 0 top
    {1, Mirror::None},   // 1 upper left
    {1, Mirror::X},      // 2 upper right
    {2, Mirror::None},   // 3 middle
    {1, Mirror::Y},      // 4 lower left
    {1, Mirror::Point},  // 5 lower right
    {0, Mirror::Y},      // 6 bottom
}};

const std::vector<Outline>& fourteenOutlines() {
    static const std::vector<Outline> outlines = {
        {{6, 4}, {11, 11}, {37, 11}, {42, 4}},
        {{4, 7}, {4, 40}, {11, 36}, {11, 26}},
        {{20, 13}, {20, 36}, {24, 40}, {28, 36}, {28, 13}},
        {{5, 5}, {15, 35}, {20, 37}, {18, 25}},
        {{6, 41}, {14, 45}, {18, 45}, {22, 41}, {18, 37}, {14, 37}},
    };
    return outlines;
}

constexpr std::array<SegmentRecipe, 14> kFourteenRecipes = {{
    {2, Mirror::None},   // 0 upper centre vertical
    {3, Mirror::None},   // 1 upper-left diagonal
    {3, Mirror::X},      // 2 upper-right diagonal
    {3, Mirror::Y},      // 3 lower-left diagonal
    {3, Mirror::Point},  // 4 lower-right diagonal
    {2, Mirror::Y},      // 5 lower centre vertical
    {4, Mirror::None},   // 6 middle left half
    {4, Mirror::X},      // 7 middle right half
    {1, Mirror::None},   // 8 upper left
    {1, Mirror::Y},      // 9 lower left
    {0, Mirror::Y},      // 10 bottom
    {1, Mirror::Point},  // 11 lower right
    {1, Mirror::X},      // 12 upper right
    {0, Mirror::None},   // 13 top
}};

const std::vector<Outline>& colonDotOutlines() {
    static const std::vector<Outline> outlines = {
        {{4, 23}, {4, 32}, {13, 32}, {13, 23}},
        {{4, 50}, {4, 59}, {13, 59}, {13, 50}},
        {{4, 68}, {4, 77}, {13, 77}, {13, 68}},
    };
    return outlines;
}

constexpr std::array<SegmentRecipe, 3> kColonDotRecipes = {{
    {0, Mirror::None},  // 0 upper colon dot
    {1, Mirror::None},  // 1 lower colon dot
    {2, Mirror::None},  // 2 decimal point
}};

std::vector<SegmentShape> buildShapes(const std::vector<Outline>& outlines,
                                      std::span<const SegmentRecipe> recipes) {
    std::vector<SegmentShape> shapes;
    shapes.reserve(recipes.size());
    for (const SegmentRecipe& recipe : recipes) {
        const SegmentShape base(outlines[recipe.outline]);
        switch (recipe.mirror) {
            case Mirror::None:
                shapes.push_back(base);
                break;
            case Mirror::X:
                shapes.push_back(base.MirrorX());
                break;
            case Mirror::Y:
                shapes.push_back(base.MirrorY());
                break;
            case Mirror::Point:
                shapes.push_back(base.PointMirror());
                break;
        }
    }
    return shapes;
}

SegmentShape mirrored(const std::vector<SegmentPoint>& points, bool inX, bool inY) {
    std::vector<SegmentPoint> out(points.size());
    std::transform(points.begin(), points.end(), out.begin(), [&](const SegmentPoint& p) {
        return SegmentPoint{inX ? kMirrorX - p.x : p.x, inY ? kMirrorY - p.y : p.y};
    });
    return SegmentShape(std::move(out));
}

}  // namespace

SegmentShape::SegmentShape(std::vector<SegmentPoint> points) : points_(std::move(points)) {
    kinds_.assign(points_.size(), SegmentPointKind::LineTo);
    if (!kinds_.empty()) {
        kinds_.front() = SegmentPointKind::StartFigure;
    }
}

SegmentShape SegmentShape::MirrorX() const {
    return mirrored(points_, true, false);
}
SegmentShape SegmentShape::MirrorY() const {
    return mirrored(points_, false, true);
}
SegmentShape SegmentShape::PointMirror() const {
    return mirrored(points_, true, true);
}

void DigitCell::Build(std::uint16_t mask, std::vector<SegmentShape> shapes) {
    shapes_ = std::move(shapes);
    mask_ = mask;
}

void SevenSegmentCell::SetSegments(std::uint16_t mask) {
    Build(mask, buildShapes(sevenOutlines(), kSevenRecipes));
}

void FourteenSegmentCell::SetSegments(std::uint16_t mask) {
    Build(mask, buildShapes(fourteenOutlines(), kFourteenRecipes));
}

void ColonDotCell::SetSegments(std::uint16_t mask) {
    Build(mask, buildShapes(colonDotOutlines(), kColonDotRecipes));
}

namespace kova {
namespace {

constexpr std::array<std::uint16_t, 10> kDigitMasks = {0x77, 0x24, 0x5D, 0x6D, 0x2E,
                                                       0x6B, 0x7B, 0x25, 0x7F, 0x6F};

constexpr std::array<std::uint16_t, 26> kLetterMasks = {
    0x3BC0, 0x3CA1, 0x2700, 0x3C21, 0x27C0, 0x23C0, 0x2F80,  // A-G
    0x1BC0, 0x2421, 0x1E00, 0x0354, 0x0700, 0x1B06, 0x1B12,  // H-N
    0x3F00, 0x33C0, 0x3F10, 0x33D0, 0x2DC0, 0x2021, 0x1F00,  // O-U
    0x030C, 0x1B18, 0x001E, 0x11E0, 0x240C,                  // V-Z
};

}  // namespace

std::optional<DigitCellSpec> digitCellSpecFor(char c) {
    if (c >= '0' && c <= '9') {
        return DigitCellSpec{DigitCellKind::SevenSegment,
                             kDigitMasks[static_cast<std::size_t>(c - '0')]};
    }
    if (c >= 'A' && c <= 'Z') {
        return DigitCellSpec{DigitCellKind::FourteenSegment,
                             kLetterMasks[static_cast<std::size_t>(c - 'A')]};
    }
    switch (c) {
        case ' ':
            return DigitCellSpec{DigitCellKind::SevenSegment, 0x00};
        case '-':
            return DigitCellSpec{DigitCellKind::SevenSegment, 0x08};
        case '*':
            return DigitCellSpec{DigitCellKind::FourteenSegment, 0x00FF};
        case '+':
            return DigitCellSpec{DigitCellKind::FourteenSegment, 0x00E1};
        case '.':
            return DigitCellSpec{DigitCellKind::ColonDot, 0x4};
        case ':':
            return DigitCellSpec{DigitCellKind::ColonDot, 0x3};
        default:
            return std::nullopt;
    }
}

std::string digitTextUpper(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return upper;
}

std::vector<std::unique_ptr<DigitCell>> buildDigitCells(std::string_view upperText) {
    std::vector<std::unique_ptr<DigitCell>> cells;
    for (const char c : upperText) {
        const std::optional<DigitCellSpec> shape = digitCellSpecFor(c);
        if (!shape) {
            continue;
        }
        std::unique_ptr<DigitCell> cell;
        switch (shape->kind) {
            case DigitCellKind::SevenSegment:
                cell = std::make_unique<SevenSegmentCell>();
                break;
            case DigitCellKind::FourteenSegment:
                cell = std::make_unique<FourteenSegmentCell>();
                break;
            case DigitCellKind::ColonDot:
                cell = std::make_unique<ColonDotCell>();
                break;
        }
        cell->SetSegments(shape->mask);
        cells.push_back(std::move(cell));
    }
    return cells;
}

int totalDigitWidth(const std::vector<std::unique_ptr<DigitCell>>& cells) {
    return std::accumulate(cells.begin(), cells.end(), 0,
                           [](int sum, const auto& cell) { return sum + cell->Width(); });
}

}  // namespace kova
