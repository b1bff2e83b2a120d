#pragma once
// The arithmetic of painting a segment readout: pen colours, scale and centring of the cells,
// and the conversion of outline points to device pixels.

#include <vector>

#include "controls/logic/DigitCell.h"

namespace kova {

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The outline pen of a segment: three quarters of the segment colour and one quarter of the
// background, channel by channel, truncated.
Rgb blendSegmentPen(Rgb segment, Rgb background);

// A cell's rectangle in device pixels, kept fractional until a point is converted.
struct DigitCellRect {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

// One scale for both directions (the smaller of width / total and height / 83), the string
// centred in the client area; one rectangle per cell width, in order.
std::vector<DigitCellRect> layoutDigitCells(const std::vector<int>& cellWidths, int clientWidth,
                                            int clientHeight);

struct DevicePoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const DevicePoint&, const DevicePoint&) = default;
};

// An outline point of a cell of the given width drawn in rect: scaled, offset and rounded by
// adding 0.5 and truncating.
DevicePoint segmentPointToDevice(SegmentPoint p, const DigitCellRect& rect, int cellWidth);

}  // namespace kova
