#include "records/report/ReportPages.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <numeric>

namespace kova {
namespace {

// The CJK face the station installs; Qt falls back to another CJK face when it is missing.
constexpr const char* kReportFamily = "WenQuanYi Micro Hei";
constexpr double kRowHeight = 16.0;

}  // namespace

ReportPages::ReportPages(QPainter* painter, QPagedPaintDevice* device, int pageCount,
                         QString footerNote)
    : painter_(painter),
      device_(device),
      pageCount_(pageCount),
      footerNote_(std::move(footerNote)) {}

QFont ReportPages::font(double points, bool bold) const {
    QFont f(QString::fromUtf8(kReportFamily));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

void ReportPages::block(double height, const std::function<void(QPainter&, const QRectF&)>& draw) {
    const double bottom = kPageHeight - kMargin - kFooterHeight;
    if (y_ + height > bottom && y_ > kMargin) {
        breakPage();
    }
    if (painter_ != nullptr) {
        painter_->save();
        draw(*painter_, QRectF(kMargin, y_, contentWidth(), height));
        painter_->restore();
    }
    y_ += height;
}

bool ReportPages::fits(double height) const {
    return y_ + height <= kPageHeight - kMargin - kFooterHeight;
}

void ReportPages::breakPage() {
    footer();
    if (painter_ != nullptr) {
        device_->newPage();
    }
    ++page_;
    y_ = kMargin;
}

void ReportPages::gap(double height) {
    if (y_ > kMargin) {
        y_ += height;
    }
}

int ReportPages::finish() {
    footer();
    return page_;
}

void ReportPages::footer() {
    if (painter_ == nullptr) {
        return;
    }
    painter_->save();
    painter_->setFont(font(8));
    painter_->setPen(Qt::darkGray);
    const QRectF foot(kMargin, kPageHeight - kMargin - kFooterHeight + 8, contentWidth(),
                      kFooterHeight - 8);
    painter_->drawLine(foot.topLeft(), foot.topRight());
    painter_->drawText(foot, Qt::AlignLeft | Qt::AlignVCenter, footerNote_);
    painter_->drawText(foot, Qt::AlignRight | Qt::AlignVCenter,
                       QStringLiteral("第 %1 页 / 共 %2 页").arg(page_).arg(pageCount_));
    painter_->restore();
}

void addTable(ReportPages& pages, const ReportTable& table) {
    const double total = std::accumulate(table.weights.begin(), table.weights.end(), 0.0);
    auto drawRow = [&](const std::vector<QString>& cells, bool header) {
        pages.block(kRowHeight, [&](QPainter& p, const QRectF& area) {
            p.setFont(pages.font(9, header));
            if (header) {
                p.fillRect(area, QColor(230, 230, 230));
            }
            double x = area.left();
            for (std::size_t c = 0; c < table.weights.size(); ++c) {
                const double w = area.width() * table.weights[c] / total;
                const QRectF cell(x, area.top(), w, area.height());
                p.setPen(Qt::gray);
                p.drawRect(cell);
                p.setPen(Qt::black);
                if (c < cells.size()) {
                    p.drawText(cell.adjusted(3, 0, -3, 0), Qt::AlignCenter, cells[c]);
                }
                x += w;
            }
        });
    };
    drawRow(table.header, true);
    for (const auto& row : table.rows) {
        if (!pages.fits(kRowHeight)) {
            pages.breakPage();
            drawRow(table.header, true);
        }
        drawRow(row, false);
    }
}

}  // namespace kova
