#pragma once
// The arithmetic of the graph control: plot area, label room, axis scales, device positions of
// points, grid lines, axis lines and the values under the pointer.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/EdgeRect.h"

namespace kova {

// Edges in pixels of the client area.
using PlotRect = EdgeRect;

// The plot area of a client area: 20 pixels from the left, 10 from the top and right, 25 from
// the bottom (room for the X labels and title).
PlotRect plotRectOf(const PlotRect& client);

// The plot's left edge leaving room for the Y end labels: 6 pixels per digit the larger of the
// two bounds needs before the point (by its decimal logarithm), plus decimals and 4.
int plotLeftForLabels(int clientLeft, double yMin, double yMax, int yDecimals);

// Pixels per axis unit; 0 for an empty plot or range.
double axisScale(int pixels, double range);

// Device position of an axis value. Values far outside the plot are held at a bound well beyond
// any screen so that the integer conversion stays defined.
int deviceX(double x, double xMin, double xScale, int plotLeft);
int deviceY(double y, double yMin, double yScale, int plotBottom);

// Positions of the inner grid lines: every height / 10 pixels up from the bottom while more than
// one step remains to the top, and every width / 10 pixels right from the left edge likewise.
std::vector<int> gridRows(const PlotRect& plot);
std::vector<int> gridColumns(const PlotRect& plot);

// An axis end label: "%.*lf" with the axis's decimals.
std::string axisLabel(double value, int decimals);

// Where the axis lines run: through the device position of 0 on each axis, as a point at 0 is
// drawn. A range that does not hold 0 has no axis line there; the frame bounds the plot then.
std::optional<int> zeroColumn(double xMin, double xMax, double xScale, int plotLeft);
std::optional<int> zeroRow(double yMin, double yMax, double yScale, int plotBottom);

// The axis values under a pointer position of the client area: the inverse of deviceX and
// deviceY, taken as a fraction of the range so that a value lying on a whole pixel reads back
// exactly. A plot without width or height reads the axis minimum.
double valueAtDeviceX(int px, const PlotRect& plot, double xMin, double xRange);
double valueAtDeviceY(int py, const PlotRect& plot, double yMin, double yRange);

// "%s=%4.2f %s=%4.2f": the Y title and value, then the X title and value.
std::string tooltipText(std::string_view yTitle, double yValue, std::string_view xTitle,
                        double xValue);

}  // namespace kova
