#pragma once
// The cells of a segment readout: one cell per displayable character, each a list of segment
// outlines in design units and a mask telling which segments are lit.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A point of an outline, in design units of a cell (x to the right, y down).
struct SegmentPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const SegmentPoint&, const SegmentPoint&) = default;
};

// How a path reaches a point: the first point starts the figure, the others are straight lines.
enum class SegmentPointKind : std::uint8_t { StartFigure, LineTo };

// One segment's closed outline. Copies duplicate points and kinds.
class SegmentShape {
  public:
    SegmentShape() = default;
    explicit SegmentShape(std::vector<SegmentPoint> points);

    const std::vector<SegmentPoint>& Points() const { return points_; }
    const std::vector<SegmentPointKind>& Kinds() const { return kinds_; }

    // Mirrored at the cell's centre lines x = 24 and y = 41.
    SegmentShape MirrorX() const;
    SegmentShape MirrorY() const;
    SegmentShape PointMirror() const;

  private:
    std::vector<SegmentPoint> points_;
    std::vector<SegmentPointKind> kinds_;
};

enum class DigitCellKind : std::uint8_t { SevenSegment, FourteenSegment, ColonDot };

// Every cell is this many design units high.
inline constexpr int kDigitCellHeight = 83;

class DigitCell {
  public:
    virtual ~DigitCell() = default;
    DigitCell(const DigitCell&) = delete;
    DigitCell& operator=(const DigitCell&) = delete;

    // Builds one shape per segment, in segment order, and stores the mask.
    virtual void SetSegments(std::uint16_t mask) = 0;

    DigitCellKind Kind() const { return kind_; }
    int Width() const { return width_; }
    std::uint16_t Mask() const { return mask_; }
    bool IsLit(std::size_t segment) const { return ((mask_ >> segment) & 1U) != 0; }
    const std::vector<SegmentShape>& Shapes() const { return shapes_; }

  protected:
    DigitCell(DigitCellKind kind, int width) : kind_(kind), width_(width) {}
    void Build(std::uint16_t mask, std::vector<SegmentShape> shapes);

  private:
    DigitCellKind kind_;
    int width_;
    std::uint16_t mask_ = 0;
    std::vector<SegmentShape> shapes_;
};

// Digits, minus and blank: 0 top, 1 upper left, 2 upper right, 3 middle, 4 lower left,
// 5 lower right, 6 bottom.
class SevenSegmentCell final : public DigitCell {
  public:
    SevenSegmentCell() : DigitCell(DigitCellKind::SevenSegment, 49) {}
    void SetSegments(std::uint16_t mask) override;
};

// Letters, "*" and "+": 0 upper centre vertical, 1-4 diagonals (upper left, upper right,
// lower left, lower right), 5 lower centre vertical, 6/7 middle halves, 8 upper left,
// 9 lower left, 10 bottom, 11 lower right, 12 upper right, 13 top.
class FourteenSegmentCell final : public DigitCell {
  public:
    FourteenSegmentCell() : DigitCell(DigitCellKind::FourteenSegment, 49) {}
    void SetSegments(std::uint16_t mask) override;
};

// "." and ":": 0 upper colon dot, 1 lower colon dot, 2 decimal point.
class ColonDotCell final : public DigitCell {
  public:
    ColonDotCell() : DigitCell(DigitCellKind::ColonDot, 18) {}
    void SetSegments(std::uint16_t mask) override;
};

namespace kova {

struct DigitCellSpec {
    DigitCellKind kind;
    std::uint16_t mask;
};

// The cell a character is shown in, for upper-case text; none for characters the readout
// cannot show.
std::optional<DigitCellSpec> digitCellSpecFor(char c);

// ASCII letters upper-cased; every other byte unchanged.
std::string digitTextUpper(std::string_view text);

// One cell per displayable character of the (already upper-cased) text, in text order;
// other characters are skipped.
std::vector<std::unique_ptr<DigitCell>> buildDigitCells(std::string_view upperText);

// Sum of the cells' widths in design units.
int totalDigitWidth(const std::vector<std::unique_ptr<DigitCell>>& cells);

}  // namespace kova
