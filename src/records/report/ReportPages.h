#pragma once
// The page flow of a printed report: blocks laid out top to bottom on A4, a new page when a block
// does not fit, and "第 n 页 / 共 N 页" at the foot of each page. The report is laid out twice:
// once to count the pages, once to paint them.

#include <QFont>
#include <QRectF>
#include <QString>
#include <functional>
#include <vector>

class QPainter;
class QPagedPaintDevice;

namespace kova {

class ReportPages {
  public:
    // Lengths are in points (1/72 inch) on an A4 page.
    static constexpr double kPageWidth = 595.0;
    static constexpr double kPageHeight = 842.0;
    static constexpr double kMargin = 48.0;
    static constexpr double kFooterHeight = 24.0;

    // `painter` is null for the counting pass.
    ReportPages(QPainter* painter, QPagedPaintDevice* device, int pageCount, QString footerNote);

    double contentWidth() const { return kPageWidth - 2 * kMargin; }

    // Where a block of `height` goes: on this page when it fits, else at the top of a new one.
    // `draw` paints it into the given rectangle (not called while counting).
    void block(double height, const std::function<void(QPainter&, const QRectF&)>& draw);
    // Whether a block of `height` still fits on this page.
    bool fits(double height) const;
    // Ends this page and starts the next.
    void breakPage();
    // Space between blocks, dropped at the top of a page.
    void gap(double height);

    // Ends the last page; the number of pages laid out.
    int finish();

    QFont font(double points, bool bold = false) const;

  private:
    void footer();

    QPainter* painter_;
    QPagedPaintDevice* device_;
    int pageCount_;
    QString footerNote_;
    int page_ = 1;
    double y_ = kMargin;
};

// A table of text cells with a header row; columns share the width by the given weights.
struct ReportTable {
    std::vector<QString> header;
    std::vector<double> weights;
    std::vector<std::vector<QString>> rows;
};

// Lays the table out row by row, repeating the header on a new page.
void addTable(ReportPages& pages, const ReportTable& table);

}  // namespace kova
