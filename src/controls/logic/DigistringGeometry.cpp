#include "controls/logic/DigistringGeometry.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace kova {

Rgb blendSegmentPen(Rgb segment, Rgb background) {
    const auto blend = [](int s, int b) { return (3 * s + b) / 4; };
    return {blend(segment.r, background.r), blend(segment.g, background.g),
            blend(segment.b, background.b)};
}

std::vector<DigitCellRect> layoutDigitCells(const std::vector<int>& cellWidths, int clientWidth,
                                            int clientHeight) {
    std::vector<DigitCellRect> rects;
    const int total = std::accumulate(cellWidths.begin(), cellWidths.end(), 0);
    if (total <= 0) {
        return rects;
    }
    const double scaleX = static_cast<double>(clientWidth) / total;
    const double scaleY = static_cast<double>(clientHeight) / kDigitCellHeight;
    const double scale = std::min(scaleX, scaleY);
    double x = (clientWidth - total * scale) / 2;
    const double top = (clientHeight - kDigitCellHeight * scale) / 2;
    const double bottom = top + kDigitCellHeight * scale;
    rects.reserve(cellWidths.size());
    for (const int w : cellWidths) {
        const double right = x + w * scale;
        rects.push_back({x, top, right, bottom});
        x = right;
    }
    return rects;
}

DevicePoint segmentPointToDevice(SegmentPoint p, const DigitCellRect& rect, int cellWidth) {
    const double fx = (rect.right - rect.left) / cellWidth;
    const double fy = (rect.bottom - rect.top) / kDigitCellHeight;
    return {static_cast<int>(std::trunc(p.x * fx + rect.left + 0.5)),
            static_cast<int>(std::trunc(p.y * fy + rect.top + 0.5))};
}

}  // namespace kova
