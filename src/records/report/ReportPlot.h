#pragma once
// The report's plot: the calibration curve (true value over voltage) with each check point drawn
// at the voltage the table turns into its reading and at the height of its reference, so a point
// off the curve shows the error.

#include <QPointF>
#include <QRectF>
#include <QString>
#include <vector>

#include "records/logic/CalibRecord.h"

class QPainter;

namespace kova {

// The table's points (voltage, true value), ascending by voltage.
std::vector<QPointF> tablePoints(const StoredTable& table);

// The voltage at which the piecewise-linear table gives `value` (extended beyond its ends by its
// end segments); the nearest point's voltage where the table is flat there.
double voltageFor(const std::vector<QPointF>& curve, double value);

void drawReportPlot(QPainter& painter, const QRectF& area, const std::vector<QPointF>& curve,
                    const std::vector<CheckReading>& rows, const QString& unit);

}  // namespace kova
