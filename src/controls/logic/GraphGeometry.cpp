#include "controls/logic/GraphGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/Numbers.h"

namespace kova {
namespace {

constexpr double kDeviceLimit = 1.0e6;

// Digits before the point of a bound, as the magnitude of its decimal logarithm; a zero or
// non-finite bound needs none.
int labelDigits(double bound) {
    const double magnitude = std::fabs(bound);
    if (!(magnitude > 0) || !std::isfinite(magnitude)) {
        return 0;
    }
    const double digits = std::trunc(std::log10(magnitude));
    return static_cast<int>(std::min(std::fabs(digits), 400.0));
}

int clampedPixels(double v) {
    if (std::isnan(v)) {
        return 0;
    }
    return static_cast<int>(std::clamp(v, -kDeviceLimit, kDeviceLimit));
}

std::string fixed(double value, int decimals, std::size_t width) {
    std::string text = formatFixed(value, decimals);
    if (text.size() < width) {
        text.insert(0, width - text.size(), ' ');
    }
    return text;
}

}  // namespace

PlotRect plotRectOf(const PlotRect& client) {
    return {client.left + 20, client.top + 10, client.right - 10, client.bottom - 25};
}

int plotLeftForLabels(int clientLeft, double yMin, double yMax, int yDecimals) {
    const int digits = std::max(labelDigits(yMax), labelDigits(yMin));
    return clientLeft + 6 * (digits + yDecimals + 4);
}

double axisScale(int pixels, double range) {
    if (!(range > 0) || !std::isfinite(range)) {
        return 0;
    }
    return pixels / range;
}

int deviceX(double x, double xMin, double xScale, int plotLeft) {
    return clampedPixels(std::trunc((x - xMin) * xScale)) + plotLeft;
}

int deviceY(double y, double yMin, double yScale, int plotBottom) {
    return plotBottom - clampedPixels(std::trunc((y - yMin) * yScale));
}

std::vector<int> gridRows(const PlotRect& plot) {
    std::vector<int> rows;
    const int step = plot.height() / 10;
    if (step <= 0) {
        return rows;
    }
    for (int y = plot.bottom; y - plot.top > step;) {
        y -= step;
        rows.push_back(y);
    }
    return rows;
}

std::vector<int> gridColumns(const PlotRect& plot) {
    std::vector<int> columns;
    const int step = plot.width() / 10;
    if (step <= 0) {
        return columns;
    }
    for (int x = plot.left; plot.right - x > step;) {
        x += step;
        columns.push_back(x);
    }
    return columns;
}

std::string axisLabel(double value, int decimals) {
    return formatFixed(value, decimals);
}

std::optional<int> zeroColumn(double xMin, double xMax, double xScale, int plotLeft) {
    if (!(xMin <= 0 && 0 <= xMax)) {
        return std::nullopt;
    }
    return deviceX(0, xMin, xScale, plotLeft);
}

std::optional<int> zeroRow(double yMin, double yMax, double yScale, int plotBottom) {
    if (!(yMin <= 0 && 0 <= yMax)) {
        return std::nullopt;
    }
    return deviceY(0, yMin, yScale, plotBottom);
}

double valueAtDeviceX(int px, const PlotRect& plot, double xMin, double xRange) {
    const int width = plot.width();
    return width <= 0 ? xMin : xMin + (px - plot.left) * xRange / width;
}

double valueAtDeviceY(int py, const PlotRect& plot, double yMin, double yRange) {
    const int height = plot.height();
    return height <= 0 ? yMin : yMin + (plot.bottom - py) * yRange / height;
}

std::string tooltipText(std::string_view yTitle, double yValue, std::string_view xTitle,
                        double xValue) {
    std::string text(yTitle);
    text += '=';
    text += fixed(yValue, 2, 4);
    text += ' ';
    text += xTitle;
    text += '=';
    text += fixed(xValue, 2, 4);
    return text;
}

}  // namespace kova
