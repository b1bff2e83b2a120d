#include "records/report/ReportPlot.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "calib/CalibList.h"
#include "calib/CalibTable.h"

namespace kova {
namespace {

struct Range {
    double min = 0.0;
    double max = 0.0;
    void widen(double v) {
        min = std::min(min, v);
        max = std::max(max, v);
    }
    // A little room on both sides, and a width even for a single value.
    Range padded() const {
        const double span = max - min;
        const double pad = span > 0.0 ? span * 0.08 : std::max(1.0, std::fabs(max) * 0.1);
        return {min - pad, max + pad};
    }
};

}  // namespace

std::vector<QPointF> tablePoints(const StoredTable& table) {
    std::array<float, kCalibTablePoints> volt{};
    std::array<float, kCalibTablePoints> data{};
    const int count = std::min(parseCalibList(table.volt, volt), parseCalibList(table.data, data));
    std::vector<QPointF> points;
    points.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        points.emplace_back(volt[static_cast<std::size_t>(i)], data[static_cast<std::size_t>(i)]);
    }
    std::stable_sort(points.begin(), points.end(),
                     [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
    return points;
}

double voltageFor(const std::vector<QPointF>& curve, double value) {
    if (curve.empty()) {
        return 0.0;
    }
    if (curve.size() == 1) {
        return curve.front().x();
    }
    auto along = [value](const QPointF& a, const QPointF& b) -> std::optional<double> {
        const double rise = b.y() - a.y();
        if (rise == 0.0) {
            return std::nullopt;
        }
        return a.x() + (value - a.y()) * (b.x() - a.x()) / rise;
    };
    for (std::size_t i = 0; i + 1 < curve.size(); ++i) {
        const double lo = std::min(curve[i].y(), curve[i + 1].y());
        const double hi = std::max(curve[i].y(), curve[i + 1].y());
        if (value >= lo && value <= hi) {
            if (const auto v = along(curve[i], curve[i + 1])) {
                return *v;
            }
            return curve[i].x();
        }
    }
    // Beyond the table: the end segment nearer in value carries on.
    const bool nearFirst =
        std::fabs(value - curve.front().y()) <= std::fabs(value - curve.back().y());
    const QPointF& a = nearFirst ? curve[0] : curve[curve.size() - 2];
    const QPointF& b = nearFirst ? curve[1] : curve.back();
    return along(a, b).value_or(nearFirst ? a.x() : b.x());
}

void drawReportPlot(QPainter& painter, const QRectF& area, const std::vector<QPointF>& curve,
                    const std::vector<CheckReading>& rows, const QString& unit) {
    std::vector<QPointF> checks;
    checks.reserve(rows.size());
    for (const CheckReading& row : rows) {
        checks.emplace_back(voltageFor(curve, row.reading), row.reference);
    }
    Range x;
    Range y;
    bool first = true;
    for (const std::vector<QPointF>* set :
         std::array{&curve, static_cast<const std::vector<QPointF>*>(&checks)}) {
        for (const QPointF& p : *set) {
            if (first) {
                x = {p.x(), p.x()};
                y = {p.y(), p.y()};
                first = false;
            }
            x.widen(p.x());
            y.widen(p.y());
        }
    }
    x = x.padded();
    y = y.padded();

    const QRectF plot = area.adjusted(52, 8, -12, -30);
    auto at = [&](const QPointF& p) {
        return QPointF(plot.left() + (p.x() - x.min) / (x.max - x.min) * plot.width(),
                       plot.bottom() - (p.y() - y.min) / (y.max - y.min) * plot.height());
    };
    painter.setPen(QPen(Qt::lightGray, 0.5));
    for (int i = 0; i <= 10; ++i) {
        const double fx = plot.left() + plot.width() * i / 10.0;
        const double fy = plot.top() + plot.height() * i / 10.0;
        painter.drawLine(QPointF(fx, plot.top()), QPointF(fx, plot.bottom()));
        painter.drawLine(QPointF(plot.left(), fy), QPointF(plot.right(), fy));
    }
    painter.setPen(QPen(Qt::black, 0.8));
    painter.drawRect(plot);
    QFont small = painter.font();
    small.setPointSizeF(7);
    painter.setFont(small);
    for (int i = 0; i <= 10; i += 2) {
        const double vx = x.min + (x.max - x.min) * i / 10.0;
        const double vy = y.min + (y.max - y.min) * i / 10.0;
        const double fx = plot.left() + plot.width() * i / 10.0;
        const double fy = plot.bottom() - plot.height() * i / 10.0;
        painter.drawText(QRectF(fx - 25, plot.bottom() + 2, 50, 10), Qt::AlignCenter,
                         QString::number(vx, 'f', 2));
        painter.drawText(QRectF(plot.left() - 50, fy - 5, 46, 10),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(vy, 'f', 2));
    }
    painter.drawText(QRectF(plot.left(), plot.bottom() + 14, plot.width(), 12), Qt::AlignCenter,
                     QStringLiteral("电压 (V)    ━ 标定曲线    ○ 校验点"));
    painter.save();
    painter.translate(area.left() + 8, plot.center().y());
    painter.rotate(-90);
    painter.drawText(QRectF(-plot.height() / 2, -6, plot.height(), 12), Qt::AlignCenter,
                     QStringLiteral("真值 (%1)").arg(unit));
    painter.restore();

    painter.setClipRect(plot);
    if (curve.size() >= 2) {
        QPainterPath path(at(curve.front()));
        for (std::size_t i = 1; i < curve.size(); ++i) {
            path.lineTo(at(curve[i]));
        }
        painter.setPen(QPen(QColor(0, 70, 160), 1.2));
        painter.drawPath(path);
    }
    painter.setPen(QPen(QColor(0, 70, 160), 1.0));
    for (const QPointF& p : curve) {
        painter.setBrush(QColor(0, 70, 160));
        painter.drawEllipse(at(p), 1.6, 1.6);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(200, 30, 30), 1.0));
    for (const QPointF& p : checks) {
        painter.drawEllipse(at(p), 3.0, 3.0);
    }
}

}  // namespace kova
