#include "records/report/RecordsReport.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "platform/Numbers.h"
#include "records/RecordsCsv.h"
#include "records/logic/CheckErrors.h"
#include "records/report/ReportPages.h"
#include "records/report/ReportPlot.h"

namespace kova {
namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QString localTime(std::int64_t utcMs) {
    return qs(localTimeText(utcMs));
}

QString number(double value, int decimals = 3) {
    return qs(formatFixed(value, decimals));
}

QString verdict(const CheckEvaluation& evaluation) {
    return QString::fromUtf8(verdictText(evaluation));
}

// Label and value pairs, two pairs a line.
void addFacts(ReportPages& pages, const std::vector<std::pair<QString, QString>>& facts) {
    for (std::size_t i = 0; i < facts.size(); i += 2) {
        pages.block(17, [&](QPainter& p, const QRectF& area) {
            for (std::size_t k = i; k < std::min(i + 2, facts.size()); ++k) {
                const double x = area.left() + area.width() / 2 * static_cast<double>(k - i);
                p.setFont(pages.font(9.5, true));
                p.drawText(QRectF(x, area.top(), 70, area.height()), Qt::AlignVCenter,
                           facts[k].first + QStringLiteral("："));
                p.setFont(pages.font(9.5));
                p.drawText(QRectF(x + 70, area.top(), area.width() / 2 - 74, area.height()),
                           Qt::AlignVCenter, facts[k].second);
            }
        });
    }
}

void addHeading(ReportPages& pages, const QString& text) {
    pages.gap(8);
    pages.block(20, [&](QPainter& p, const QRectF& area) {
        p.setFont(pages.font(11, true));
        p.drawText(area, Qt::AlignLeft | Qt::AlignBottom, text);
    });
    pages.gap(3);
}

ReportTable pointsTable(const std::vector<QPointF>& points, const QString& unit) {
    ReportTable table{
        {QStringLiteral("序号"), QStringLiteral("电压 (V)"), QStringLiteral("真值 (%1)").arg(unit)},
        {1, 3, 3},
        {}};
    for (std::size_t i = 0; i < points.size(); ++i) {
        table.rows.push_back(
            {QString::number(i + 1), number(points[i].x()), number(points[i].y())});
    }
    return table;
}

ReportTable checkTable(const CalibRecord& check, const CheckEvaluation& evaluation,
                       const QString& unit) {
    ReportTable table{
        {QStringLiteral("序号"), QStringLiteral("标准值 (%1)").arg(unit),
         QStringLiteral("显示值 (%1)").arg(unit), QStringLiteral("误差"),
         QStringLiteral("误差 (%标准值)"), QStringLiteral("误差 (%FS)"), QStringLiteral("判定")},
        {0.8, 2, 2, 1.7, 1.7, 1.7, 1.2},
        {}};
    for (std::size_t i = 0; i < check.rows.size(); ++i) {
        const CheckRowError& e = evaluation.rows[i];
        table.rows.push_back(
            {QString::number(i + 1), number(check.rows[i].reference), number(check.rows[i].reading),
             number(e.error),
             e.percentOfReference ? number(*e.percentOfReference, 2) : QStringLiteral("—"),
             number(e.percentOfFullScale, 2),
             QString::fromUtf8(rowVerdictText(evaluation, i, check.tolerancePercent))});
    }
    return table;
}

void layOut(ReportPages& pages, const CalibRecord& check, const CalibRecord* calibration) {
    const RecordChannel& ch = check.channel;
    const QString unit = qs(ch.unit);
    const CheckEvaluation evaluation = evaluateCheck(check);
    const std::vector<QPointF> curve = tablePoints(check.after);

    pages.block(34, [&](QPainter& p, const QRectF& area) {
        p.setFont(pages.font(17, true));
        p.drawText(area, Qt::AlignCenter, QStringLiteral("通道标定校验报告"));
    });
    pages.gap(6);
    addFacts(
        pages,
        {{QStringLiteral("工位"), qs(ch.station)},
         {QStringLiteral("设备"), qs(ch.device)},
         {QStringLiteral("通道"), QStringLiteral("%1  %2").arg(ch.channel).arg(qs(ch.keyword))},
         {QStringLiteral("说明"), qs(ch.description)},
         {QStringLiteral("单位"), unit},
         {QStringLiteral("满量程"), number(evaluation.fullScale) + QLatin1Char(' ') + unit},
         {QStringLiteral("允差"), QStringLiteral("±%1 %FS").arg(number(check.tolerancePercent, 2))},
         {QStringLiteral("结论"), verdict(evaluation)},
         {QStringLiteral("校验员"), qs(check.operatorName)},
         {QStringLiteral("校验时间"), localTime(check.utcMs)},
         {QStringLiteral("标定员"),
          calibration ? qs(calibration->operatorName) : QStringLiteral("—")},
         {QStringLiteral("标定时间"),
          calibration ? localTime(calibration->utcMs) : QStringLiteral("无标定记录")}});

    addHeading(pages, QStringLiteral("标定点"));
    addTable(pages, pointsTable(curve, unit));

    addHeading(pages, QStringLiteral("校验结果"));
    addTable(pages, checkTable(check, evaluation, unit));
    pages.block(18, [&](QPainter& p, const QRectF& area) {
        p.setFont(pages.font(9.5, true));
        p.drawText(area, Qt::AlignVCenter,
                   QStringLiteral("最大误差：%1 %2（%3 %FS），允差 ±%4 %FS，结论：%5")
                       .arg(number(evaluation.largestError), unit,
                            number(evaluation.largestPercentOfFullScale, 2),
                            number(check.tolerancePercent, 2), verdict(evaluation)));
    });

    addHeading(pages, QStringLiteral("标定曲线与校验点"));
    pages.block(196, [&](QPainter& p, const QRectF& area) {
        p.setFont(pages.font(8));
        drawReportPlot(p, area, curve, check.rows, unit);
    });

    pages.gap(14);
    pages.block(40, [&](QPainter& p, const QRectF& area) {
        p.setFont(pages.font(10));
        const double half = area.width() / 2;
        for (int i = 0; i < 2; ++i) {
            const QRectF cell(area.left() + half * i, area.top(), half - 12, area.height());
            p.drawText(cell, Qt::AlignLeft | Qt::AlignBottom,
                       i == 0 ? QStringLiteral("校准员：") : QStringLiteral("审核员："));
            p.drawLine(QPointF(cell.left() + 52, cell.bottom() - 2),
                       QPointF(cell.right(), cell.bottom() - 2));
        }
    });
}

}  // namespace

ReportResult writeCheckReport(const CalibRecord& check, const CalibRecord* calibration,
                              const std::string& pdfPath) {
    const QString note = QStringLiteral("%1  记录 %2").arg(qs(check.toolVersion), qs(check.id));
    ReportPages counting(nullptr, nullptr, 0, note);
    layOut(counting, check, calibration);
    const int pageCount = counting.finish();

    const QString file = QString::fromStdString(pdfPath);
    {
        QPdfWriter writer(file);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0), QPageLayout::Point));
        writer.setResolution(72);
        writer.setTitle(QStringLiteral("通道标定校验报告 %1").arg(check.channel.channel));
        writer.setCreator(qs(check.toolVersion));
        QPainter painter;
        if (!painter.begin(&writer)) {
            return {false, "不能写入文件：" + pdfPath};
        }
        ReportPages pages(&painter, &writer, pageCount, note);
        layOut(pages, check, calibration);
        pages.finish();
        painter.end();
    }
    if (!QFile::exists(file) || QFile(file).size() == 0) {
        return {false, "不能写入文件：" + pdfPath};
    }
    return {true, {}};
}

}  // namespace kova
