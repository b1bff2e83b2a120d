#include "controls/Digistring.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <algorithm>

#include "controls/logic/DigistringGeometry.h"
#include "controls/memdc.h"

namespace {

kova::Rgb rgbOf(const QColor& c) {
    return {c.red(), c.green(), c.blue()};
}
QColor colorOf(const kova::Rgb& c) {
    return {c.r, c.g, c.b};
}

}  // namespace

CDigiString::CDigiString(QWidget* parent) : QWidget(parent) {
    // The whole client area is painted every time; letting Qt erase it first would flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
}

CDigiString::~CDigiString() = default;

void CDigiString::SetText(const std::string& text) {
    if (text == text_) {
        return;
    }
    text_ = text;
    rebuild_ = true;
    update();
}

void CDigiString::RebuildCells() {
    text_ = kova::digitTextUpper(text_);
    cells_ = kova::buildDigitCells(text_);
    rebuild_ = false;
}

void CDigiString::paintEvent(QPaintEvent* /*event*/) {
    QPainter screen(this);
    CMemDC mem(screen, rect());
    QPainter& p = mem.painter();
    p.fillRect(rect(), backColor_);
    // Outlines are placed on the screen's own pixels, so that a scaled screen shows them sharp;
    // the pen keeps the width of one unit.
    const qreal ratio = mem.ratio();
    p.scale(1 / ratio, 1 / ratio);
    const int penWidth = std::max(1, qRound(ratio));

    const QBrush offBrush(offColor_);
    const QBrush onBrush(onColor_);
    const QPen offPen(colorOf(kova::blendSegmentPen(rgbOf(offColor_), rgbOf(backColor_))),
                      penWidth);
    const QPen onPen(colorOf(kova::blendSegmentPen(rgbOf(onColor_), rgbOf(backColor_))), penWidth);

    if (rebuild_) {
        RebuildCells();
    }
    std::vector<int> widths(cells_.size());
    std::transform(cells_.begin(), cells_.end(), widths.begin(),
                   [](const auto& cell) { return cell->Width(); });
    const std::vector<kova::DigitCellRect> rects =
        kova::layoutDigitCells(widths, mem.image().width(), mem.image().height());

    for (std::size_t c = 0; c < cells_.size(); ++c) {
        const DigitCell& cell = *cells_[c];
        const std::vector<SegmentShape>& shapes = cell.Shapes();
        for (std::size_t s = 0; s < shapes.size(); ++s) {
            const bool lit = cell.IsLit(s);
            p.setBrush(lit ? onBrush : offBrush);
            p.setPen(lit ? onPen : offPen);
            QPolygon outline;
            for (const SegmentPoint& point : shapes[s].Points()) {
                const kova::DevicePoint d =
                    kova::segmentPointToDevice(point, rects[c], cell.Width());
                outline << QPoint(d.x, d.y);
            }
            p.drawPolygon(outline);
        }
    }
}
